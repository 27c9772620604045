// Diagnostics: printf-style wide messages handed to the debugger channel
// and to the host's debug sink.
//
// Formats understood: %s (const char16_t*, null prints "(null)"), %d and %ld
// (int and long), %u and %lu, %x, %%. Anything else is copied as it stands.
#ifndef MARKSAFE_COMMON_DEBUG_LOG_H_
#define MARKSAFE_COMMON_DEBUG_LOG_H_

#include <cstdint>
#include <string>

namespace marksafe {

using DebugSink = void (*)(const char16_t* line, void* ctx);

// Installs (or with null removes) the process-wide sink that also receives
// every line.
void SetDebugSink(DebugSink sink, void* ctx);

// Formats into a growable string and emits the line. The thread's last-error
// value is the same afterwards.
void DebugLog(const char16_t* format, ...);

// Formats into a fixed buffer of 512 units, cutting what does not fit
// (511 units and the terminator), and emits it.
void DebugLogFixed(const char16_t* format, ...);

// The formatter itself, for tests: at most max_units units when non-zero.
std::u16string FormatMessage(size_t max_units, const char16_t* format, ...);

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

#endif  // MARKSAFE_COMMON_DEBUG_LOG_H_
