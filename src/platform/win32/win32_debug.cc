// Diagnostic lines go to the debugger channel; with MARKSAFE_DEBUG set to a
// non-empty value they are also written to standard error as UTF-8, which
// is what one sees when running under Wine or from a console.
#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

bool EchoToStderr() {
  wchar_t value[2] = {0, 0};
  DWORD n = ::GetEnvironmentVariableW(L"MARKSAFE_DEBUG", value, 2);
  return n > 0;
}

}  // namespace

void DebugOutput(const std::u16string& line) {
  win32::KeepLastError keep;
  ::OutputDebugStringW(win32::Wide(line));
  if (EchoToStderr()) {
    std::string text = ToUtf8(line);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
}

}  // namespace platform
}  // namespace marksafe
