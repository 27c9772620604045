// Diagnostics: printf-style wide messages handed to the debugger channel
// and to the host's debug sink.
//
// Formats understood: %s (a text; null prints "(null)"), %d and %ld, %u and
// %lu, %x (numbers of any integer type), %%. Anything else is copied as it
// stands. Arguments carry their type, so no directive reads past or beside
// what was passed.
#ifndef MARKSAFE_PLATFORM_DEBUG_LOG_H_
#define MARKSAFE_PLATFORM_DEBUG_LOG_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace marksafe {

using DebugSink = void (*)(const char16_t* line, void* ctx);

// Installs (or with null removes) the process-wide sink that also receives
// every line.
void SetDebugSink(DebugSink sink, void* ctx);

// One argument of a message, captured with its type so that a directive and
// an argument of another kind can never be read as each other: %s given a
// number prints the number, %ld given a text prints the text.
class LogArg {
 public:
  LogArg(const char16_t* text) : text_(text), is_text_(true) {}
  LogArg(const std::u16string& text) : text_(text.c_str()), is_text_(true) {}
  template <typename T,
            typename = std::enable_if_t<std::is_integral<T>::value>>
  LogArg(T value)
      : number_(static_cast<long long>(value)),
        is_unsigned_(std::is_unsigned<T>::value),
        unsigned_(static_cast<unsigned long long>(value)) {}

  bool is_text() const { return is_text_; }
  const char16_t* text() const { return text_; }
  long long number() const { return number_; }
  bool is_unsigned() const { return is_unsigned_; }
  unsigned long long unsigned_number() const { return unsigned_; }

 private:
  const char16_t* text_ = nullptr;
  bool is_text_ = false;
  long long number_ = 0;
  bool is_unsigned_ = false;
  unsigned long long unsigned_ = 0;
};

// Formats format with count arguments, at most max_units units when
// non-zero. Missing arguments print nothing.
std::u16string FormatArgs(size_t max_units, const char16_t* format,
                          const LogArg* args, size_t count);

// Emits one finished line to the debugger channel and the sink, keeping the
// thread's last-error value.
void EmitLine(const std::u16string& line);

// Formats into a growable string and emits the line. The thread's last-error
// value is the same afterwards.
template <typename... Args>
void DebugLog(const char16_t* format, const Args&... args) {
  const LogArg list[] = {LogArg(args)..., LogArg(u"")};
  EmitLine(FormatArgs(0, format, list, sizeof...(Args)));
}

// Formats into a fixed buffer of 512 units, cutting what does not fit
// (511 units and the terminator), and emits it.
template <typename... Args>
void DebugLogFixed(const char16_t* format, const Args&... args) {
  const LogArg list[] = {LogArg(args)..., LogArg(u"")};
  EmitLine(FormatArgs(511, format, list, sizeof...(Args)));
}

// The formatter itself, for tests: at most max_units units when non-zero.
template <typename... Args>
std::u16string FormatMessage(size_t max_units, const char16_t* format,
                             const Args&... args) {
  const LogArg list[] = {LogArg(args)..., LogArg(u"")};
  return FormatArgs(max_units, format, list, sizeof...(Args));
}

// The thread's last-error value as the "%ld" argument of a message.
long LastErrorForLog();

// Reads the last-error value at construction and stores it back at
// destruction, so that clean-up between the two cannot change it.
class LastErrorKeeper {
 public:
  LastErrorKeeper();
  ~LastErrorKeeper();
  LastErrorKeeper(const LastErrorKeeper&) = delete;
  LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
  uint32_t value() const { return value_; }

 private:
  uint32_t value_;
};

}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_DEBUG_LOG_H_
