// Text conversions (code page 65001) and the path forms the API wants.
#include <climits>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {

// Both conversions take explicit lengths, so embedded NULs survive, and no
// "fail on invalid" flag, so the system puts U+FFFD for what it cannot map.
std::string ToUtf8(const std::u16string& text) {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<size_t>(INT_MAX) / 3) return std::string();
  win32::KeepLastError keep;
  const int length = static_cast<int>(text.size());
  int needed = ::WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), length,
                                     nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string out(static_cast<size_t>(needed), '\0');
  int written = ::WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), length,
                                      &out[0], needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

std::u16string FromUtf8(const std::string& text) {
  if (text.empty()) return std::u16string();
  if (text.size() > static_cast<size_t>(INT_MAX)) return std::u16string();
  win32::KeepLastError keep;
  const int length = static_cast<int>(text.size());
  int needed =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::u16string();
  std::vector<wchar_t> out(static_cast<size_t>(needed));
  int written = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length,
                                      out.data(), needed);
  return win32::FromWide(out.data(), written > 0 ? written : 0);
}

std::string NativePathUtf8(const std::u16string& path) {
  return ToUtf8(win32::FromWide(win32::NativePath(path)));
}

// ":" would name a stream or a drive.
const char16_t kNotInAName[] = u"/\\:";

std::u16string SystemEnv::TempFolder() {
  win32::KeepLastError keep;
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH + 1) return std::u16string();
  std::u16string folder =
      win32::FromWide(buffer, static_cast<size_t>(length));
  while (folder.size() > 3 &&
         (folder.back() == u'\\' || folder.back() == u'/')) {
    folder.pop_back();
  }
  return folder;
}

namespace win32 {

std::wstring NativePath(const std::u16string& path) {
  std::wstring out(Wide(path), path.size());
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return out;
}

std::wstring FullPath(const std::u16string& path) {
  std::wstring native = NativePath(path);
  if (native.empty()) return native;
  KeepLastError keep;
  DWORD needed = ::GetFullPathNameW(native.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return native;
  std::vector<wchar_t> buffer(needed + 1);
  DWORD length = ::GetFullPathNameW(native.c_str(), needed + 1, buffer.data(),
                                    nullptr);
  if (length == 0 || length > needed) return native;
  return std::wstring(buffer.data(), length);
}

}  // namespace win32
}  // namespace platform
}  // namespace marksafe
