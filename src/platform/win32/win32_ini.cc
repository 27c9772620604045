// INI files through the profile API.
//
// Paths are made absolute first: given a bare file name the API would look
// in the Windows folder instead of the current one.
#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

// Beyond any value the library stores (a Chrome URL may have 2 Mi units);
// keeps a huge size argument from turning into a huge allocation.
constexpr size_t kMaxProfileValue = size_t{4} << 20;

std::u16string ProfileValue(const std::u16string& section,
                            const std::u16string& key,
                            const std::u16string& default_value, size_t size,
                            const std::u16string& file) {
  if (size == 0) return std::u16string();
  const size_t capacity = std::min(size, kMaxProfileValue);
  std::vector<wchar_t> buffer(capacity, L'\0');
  std::wstring path = win32::FullPath(file);
  DWORD length = ::GetPrivateProfileStringW(
      win32::Wide(section), win32::Wide(key), win32::Wide(default_value),
      buffer.data(), static_cast<DWORD>(capacity), path.c_str());
  length = std::min<DWORD>(length, static_cast<DWORD>(capacity - 1));
  return win32::FromWide(buffer.data(), length);
}

}  // namespace

std::vector<std::u16string> SystemEnv::GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file) {
  // The profile API has no call that returns several values by the rules of
  // GetPrivateProfileStringW (GetPrivateProfileSectionW gives raw lines), so
  // each key is asked for in turn.
  std::vector<std::u16string> values;
  for (const std::u16string& key : keys) {
    values.push_back(ProfileValue(section, key, default_value, size, file));
  }
  return values;
}

Status SystemEnv::WriteProfileString(const std::u16string& section,
                                     const std::u16string& key,
                                     const std::u16string& value,
                                     const std::u16string& file) {
  std::wstring path = win32::FullPath(file);
  return OkOr(
      ::WritePrivateProfileStringW(win32::Wide(section), win32::Wide(key),
                                   win32::Wide(value), path.c_str()) != FALSE,
      u"write", file);
}

}  // namespace platform
}  // namespace marksafe
