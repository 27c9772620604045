#include "common/debug_log.h"

#include <atomic>
#include <cstdarg>
#include <string>

#include "platform/platform.h"

namespace marksafe {
namespace {

struct SinkSlot {
  std::atomic<DebugSink> sink{nullptr};
  std::atomic<void*> ctx{nullptr};
};

SinkSlot& Slot() {
  static SinkSlot slot;
  return slot;
}

void AppendAscii(std::u16string* out, const std::string& text) {
  out->append(text.begin(), text.end());
}

// Formats format with args; stops at max_units units when non-zero.
std::u16string FormatV(size_t max_units, const char16_t* format, va_list args) {
  std::u16string out;
  if (format == nullptr) return out;
  for (const char16_t* p = format; *p != 0; ++p) {
    if (*p != u'%') {
      out.push_back(*p);
      continue;
    }
    const char16_t* spec = p + 1;
    bool is_long = false;
    if (*spec == u'l') {
      is_long = true;
      ++spec;
    }
    switch (*spec) {
      case u's': {
        const char16_t* s = va_arg(args, const char16_t*);
        out += s != nullptr ? s : u"(null)";
        break;
      }
      case u'd':
      case u'i': {
        long v = is_long ? va_arg(args, long) : va_arg(args, int);
        AppendAscii(&out, std::to_string(v));
        break;
      }
      case u'u': {
        unsigned long v =
            is_long ? va_arg(args, unsigned long) : va_arg(args, unsigned);
        AppendAscii(&out, std::to_string(v));
        break;
      }
      case u'x': {
        unsigned long v =
            is_long ? va_arg(args, unsigned long) : va_arg(args, unsigned);
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        do {
          hex.insert(hex.begin(), kHex[v & 15]);
          v >>= 4;
        } while (v != 0);
        AppendAscii(&out, hex);
        break;
      }
      case u'%':
        out.push_back(u'%');
        break;
      case 0:  // a lone "%" at the end
        out.push_back(u'%');
        --spec;
        break;
      default:  // unknown: copy as it stands
        out.append(p, spec + 1);
        break;
    }
    p = spec;
    if (max_units != 0 && out.size() >= max_units) break;
  }
  if (max_units != 0 && out.size() > max_units) out.resize(max_units);
  return out;
}

void Emit(const std::u16string& line) {
  LastErrorKeeper keep;
  platform::DebugOutput(line);
  SinkSlot& slot = Slot();
  DebugSink sink = slot.sink.load();
  if (sink != nullptr) sink(line.c_str(), slot.ctx.load());
}

}  // namespace

void SetDebugSink(DebugSink sink, void* ctx) {
  SinkSlot& slot = Slot();
  slot.sink.store(nullptr);
  slot.ctx.store(ctx);
  slot.sink.store(sink);
}

void DebugLog(const char16_t* format, ...) {
  LastErrorKeeper keep;
  va_list args;
  va_start(args, format);
  std::u16string line = FormatV(0, format, args);
  va_end(args);
  Emit(line);
}

void DebugLogFixed(const char16_t* format, ...) {
  LastErrorKeeper keep;
  va_list args;
  va_start(args, format);
  std::u16string line = FormatV(511, format, args);
  va_end(args);
  Emit(line);
}

std::u16string FormatMessage(size_t max_units, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::u16string line = FormatV(max_units, format, args);
  va_end(args);
  return line;
}

long LastErrorForLog() { return static_cast<long>(platform::GetLastError()); }

LastErrorKeeper::LastErrorKeeper() : value_(platform::GetLastError()) {}
LastErrorKeeper::~LastErrorKeeper() { platform::SetLastError(value_); }

}  // namespace marksafe
