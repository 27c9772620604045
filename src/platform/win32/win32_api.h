// Private helpers of the Win32 backend: the system headers, with the macros
// that would rename functions of platform.h taken away, and the conversions
// between our UTF-16 strings and the API's wchar_t strings.
#ifndef MARKSAFE_PLATFORM_WIN32_WIN32_API_H_
#define MARKSAFE_PLATFORM_WIN32_WIN32_API_H_

#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
// The headers below need <windows.h> first.
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wtsapi32.h>

#include <string>

// <windows.h> maps these names to their W forms; platform.h uses them for
// functions of its own.
#undef CopyFile
#undef DeleteFile
#undef GetProfileString
#undef WriteProfileString

namespace marksafe {
namespace platform {
namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "UTF-16 strings are handed to the API as they are");

inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const std::wstring& text) {
  return FromWide(text.data(), text.size());
}

// The path with every "/" turned into "\".
std::wstring NativePath(const std::u16string& path);

// An absolute form of path (GetFullPathNameW), for the calls that refuse
// relative paths or would resolve them against another folder. The path
// itself when it cannot be made absolute.
std::wstring FullPath(const std::u16string& path);

// Copies the thread's last-error value at construction and stores it back
// at destruction, so that closing handles cannot change it.
class KeepLastError {
 public:
  KeepLastError() : code_(::GetLastError()) {}
  ~KeepLastError() { ::SetLastError(code_); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;

 private:
  DWORD code_;
};

// Closes a kernel handle at the end of a scope, keeping the last error.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) {
      KeepLastError keep;
      ::CloseHandle(handle_);
    }
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
  }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
  }

 private:
  HANDLE handle_;
};

// The module handle the library was loaded with (null in an executable that
// links the backend statically).
HMODULE StoredModuleHandle();
void StoreModuleHandle(HMODULE module);

}  // namespace win32
}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_WIN32_WIN32_API_H_
