#include "platform/debug_log.h"

#include <atomic>
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

std::string Hex(unsigned long long v) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  do {
    hex.insert(hex.begin(), kHex[v & 15]);
    v >>= 4;
  } while (v != 0);
  return hex;
}

void AppendArg(std::u16string* out, const LogArg& arg, char16_t directive) {
  if (arg.is_text()) {
    *out += arg.text() != nullptr ? arg.text() : u"(null)";
  } else if (directive == u'x') {
    AppendAscii(out, Hex(arg.unsigned_number()));
  } else if (arg.is_unsigned() || directive == u'u') {
    AppendAscii(out, std::to_string(arg.is_unsigned()
                                        ? arg.unsigned_number()
                                        : static_cast<unsigned long long>(
                                              arg.number())));
  } else {
    AppendAscii(out, std::to_string(arg.number()));
  }
}

}  // namespace

std::u16string FormatArgs(size_t max_units, const char16_t* format,
                          const LogArg* args, size_t count) {
  std::u16string out;
  if (format == nullptr) return out;
  size_t next = 0;
  for (const char16_t* p = format; *p != 0; ++p) {
    if (max_units != 0 && out.size() >= max_units) break;
    if (*p != u'%') {
      out.push_back(*p);
      continue;
    }
    const char16_t* spec = p + 1;
    if (*spec == u'l') ++spec;
    switch (*spec) {
      case u's':
      case u'd':
      case u'i':
      case u'u':
      case u'x':
        if (next < count) AppendArg(&out, args[next], *spec);
        ++next;
        break;
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
  }
  if (max_units != 0 && out.size() > max_units) out.resize(max_units);
  return out;
}

void EmitLine(const std::u16string& line) {
  LastErrorKeeper keep;
  platform::DebugOutput(line);
  SinkSlot& slot = Slot();
  DebugSink sink = slot.sink.load();
  if (sink != nullptr) sink(line.c_str(), slot.ctx.load());
}

void SetDebugSink(DebugSink sink, void* ctx) {
  SinkSlot& slot = Slot();
  slot.sink.store(nullptr);
  slot.ctx.store(ctx);
  slot.sink.store(sink);
}

long LastErrorForLog() { return static_cast<long>(platform::GetLastError()); }

LastErrorKeeper::LastErrorKeeper() : value_(platform::GetLastError()) {}
LastErrorKeeper::~LastErrorKeeper() { platform::SetLastError(value_); }

}  // namespace marksafe
