// Helpers for the thin export layer: MS_CHAR (wchar_t on Windows, char16_t
// elsewhere, 16 bits on both) to and from the library's std::u16string, a
// guard that turns any escaping exception into the export's failure value,
// and the failure value of a call that refuses its arguments.
#ifndef MARKSAFE_EXPORTS_EXPORT_UTIL_H_
#define MARKSAFE_EXPORTS_EXPORT_UTIL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/error_codes.h"
#include "base/status.h"
#include "base/text.h"
#include "marksafe/marksafe.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "platform/thread_slot.h"

namespace marksafe {
namespace exports {

static_assert(sizeof(MS_CHAR) == sizeof(char16_t),
              "MS_CHAR must be a 16-bit code unit");

// Output path buffers of the binary interface hold 260 units.
constexpr size_t kPathBufferUnits = 260;

inline const char16_t* AsU16(const MS_CHAR* text) {
  return reinterpret_cast<const char16_t*>(text);
}

inline char16_t* AsU16(MS_CHAR* text) {
  return reinterpret_cast<char16_t*>(text);
}

// The argument as a string; empty for null (callers test null first where
// null means something).
inline std::u16string ToU16(const MS_CHAR* text) {
  return FromPointer(AsU16(text));
}

// Writes text into a caller's buffer of capacity units, cut to capacity - 1
// units and terminated.
inline void CopyOut(const std::u16string& text, MS_CHAR* out,
                    size_t capacity = kPathBufferUnits) {
  CopyToBuffer(text, AsU16(out), capacity);
}

// The code an export returns for status; a failure's code is also left as
// the thread's last error, as the exports that return false leave theirs.
inline int32_t CodeOf(const Status& status) {
  if (!status.ok()) platform::SetLastError(status.code());
  return static_cast<int32_t>(status.code());
}

// True when status is ok; otherwise its code becomes the thread's last
// error (nothing is logged) and false.
inline bool OkElseLastError(const Status& status) {
  return CodeOf(status) == 0;
}

// Runs body and returns its result; any exception gives failure instead.
template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return failure;
  }
}

// Where a call's result becomes a bool and the thread's last error (the
// exports' way of failing): true when status is ok; otherwise its message
// goes to the debug log, its code becomes the last error, and false.
inline bool Succeeded(const Status& status) {
  if (status.ok()) return true;
  DebugLog(u"%s\n", status.message().c_str());
  platform::SetLastError(status.code());
  return false;
}

// The code of an export that reads one store and writes another: read's
// when the read failed; else 0, or kErrorInvalidParameter when the write
// failed (written Succeeded-reported: logged, its code the last error).
inline int32_t ReadThenWritten(const Status& read, const Status& written) {
  if (!read.ok()) return CodeOf(read);
  return Succeeded(written) ? 0 : static_cast<int32_t>(kErrorInvalidParameter);
}

// The result of an export that returns bool for body's Status; false when
// any exception escapes body.
template <typename Body>
bool GuardedStatus(Body&& body) noexcept {
  return Guarded(false, [&] { return Succeeded(std::forward<Body>(body)()); });
}

// The result of an export that returns a code: body's, or
// kErrorInvalidParameter when any exception escapes it.
template <typename Body>
int32_t GuardedCode(Body&& body) noexcept {
  return Guarded<int32_t>(kErrorInvalidParameter, std::forward<Body>(body));
}

// Ends a call that refuses its arguments (a null pointer, a bad value)
// before doing anything: it leaves a report of its own, named operation,
// that says so as the thread's last (a check made inside the call's job
// marks that job's report), and code as the thread's last error. Never
// throws.
void RefuseCall(const char* operation, uint32_t code) noexcept;

// The failure value of an export that refuses its arguments (RefuseCall,
// last error kErrorInvalidParameter).
template <typename Result>
Result Refused(const char* operation, Result failure) noexcept {
  RefuseCall(operation, kErrorInvalidParameter);
  return failure;
}

// The same for an export that returns a code: code, also as last error.
inline int32_t RefusedCode(const char* operation, uint32_t code) noexcept {
  RefuseCall(operation, code);
  return static_cast<int32_t>(code);
}

// The text an export that returns text hands back: make's, kept in slot
// for the calling thread until its next call of that export; fallback (a
// literal) when any exception escapes.
template <typename Make>
const char* TextPerThread(platform::ThreadSlot* slot, const char* fallback,
                          Make&& make) noexcept {
  try {
    std::string& text = platform::PerThread<std::string>(slot);
    text = make();
    return text.c_str();
  } catch (...) {
    return fallback;
  }
}

}  // namespace exports
}  // namespace marksafe

#endif  // MARKSAFE_EXPORTS_EXPORT_UTIL_H_
