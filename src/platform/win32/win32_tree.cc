// Whole folders through the kernel calls: exclusive file creation,
// renaming a folder, removing a tree without following junctions or links,
// and the room MAX_PATH leaves for a name.
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {

namespace {

// Writes all of bytes to file and closes it (whatever happens); false, with
// the system's last error, when a write or the close fails.
bool WriteAllAndClose(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    const DWORD chunk =
        static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    ok = ::WriteFile(file, bytes.data() + done, chunk, &written,
                     nullptr) != FALSE &&
         written != 0;
    done += written;
  }
  if (!::CloseHandle(file)) ok = false;
  return ok;
}

}  // namespace

Status SystemEnv::WriteNewFile(const std::u16string& path,
                               const std::string& bytes) {
  const std::wstring native = win32::NativePath(path);
  win32::ScopedHandle file(::CreateFileW(native.c_str(), GENERIC_WRITE, 0,
                                         nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return FailedWithLastError(u"write", path);
  const bool ok = WriteAllAndClose(file.release(), bytes);
  if (!ok) {
    win32::KeepLastError keep;
    ::DeleteFileW(native.c_str());
  }
  return OkOr(ok, u"write", path);
}

Status SystemEnv::AppendFile(const std::u16string& path,
                             const std::string& bytes) {
  win32::ScopedHandle file(::CreateFileW(
      win32::NativePath(path).c_str(), FILE_APPEND_DATA, 0, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return FailedWithLastError(u"write", path);
  return OkOr(WriteAllAndClose(file.release(), bytes), u"write", path);
}

Status SystemEnv::MoveFolder(const std::u16string& from,
                             const std::u16string& to) {
  // Without MOVEFILE_REPLACE_EXISTING nothing there is ever replaced.
  return OkOr(::MoveFileExW(win32::NativePath(from).c_str(),
                            win32::NativePath(to).c_str(), 0) != FALSE,
              u"move", from);
}

namespace {

// Removes one entry that is not a folder to walk into: a file, or a link
// or junction (a folder link is removed as a folder, without its target).
bool RemoveEntry(const std::wstring& path, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
  }
  return ::DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

Status SystemEnv::RemoveTree(const std::u16string& path) {
  const std::wstring top = win32::NativePath(path);
  const DWORD top_attributes = ::GetFileAttributesW(top.c_str());
  if (top_attributes == INVALID_FILE_ATTRIBUTES)
    return FailedWithLastError(u"remove", path);
  if ((top_attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (top_attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return OkOr(RemoveEntry(top, top_attributes), u"remove", path);
  }
  bool ok = true;
  DWORD first_error = 0;
  auto failed = [&] {
    if (ok) first_error = ::GetLastError();
    ok = false;
  };
  std::vector<std::pair<std::wstring, bool>> stack;
  stack.emplace_back(top, false);
  while (!stack.empty()) {
    if (stack.back().second) {
      if (!::RemoveDirectoryW(stack.back().first.c_str())) failed();
      stack.pop_back();
      continue;
    }
    stack.back().second = true;
    const std::wstring folder = stack.back().first;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      failed();
      continue;
    }
    std::vector<std::wstring> sub_folders;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = folder + L"\\" + name;
      const DWORD attributes = data.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        sub_folders.push_back(full);
      } else if (!RemoveEntry(full, attributes)) {
        failed();
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    for (std::wstring& sub : sub_folders) {
      stack.emplace_back(std::move(sub), false);
    }
  }
  if (!ok) ::SetLastError(first_error);
  return OkOr(ok, u"remove", path);
}

void SystemEnv::LimitNameToPath(const std::u16string& folder, bool is_folder,
                                size_t* units, size_t* /*bytes*/) {
  if (units == nullptr) return;
  // MAX_PATH with its terminator; a folder must leave room for an 8.3 name
  // inside it (CreateDirectoryW refuses more than 248).
  const size_t limit = is_folder ? 247 : 259;
  const size_t used = win32::FullPath(folder).size() + 1;
  const size_t room = used >= limit ? 0 : limit - used;
  *units = std::min(*units, room);
}

}  // namespace platform
}  // namespace marksafe
