// Folder listings through FindFirstFileW/FindNextFileW, sorted by name
// after upper-casing, as NTFS hands them out. Other file systems (FAT, and
// the host folders Wine shows) give no order of their own, so the sort
// makes the order the same everywhere.
#include <algorithm>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      win32::KeepLastError keep;
      ::FindClose(handle_);
    }
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' &&
         (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool NtfsLess(const DirEntry& a, const DirEntry& b) {
  const size_t n = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = UpperCase(a.name[i]);
    char16_t y = UpperCase(b.name[i]);
    if (x != y) return x < y;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.name < b.name;  // names that differ only in case: a fixed order
}

EntryKind KindOf(DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryKind::kLink;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return EntryKind::kDirectory;
  }
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return EntryKind::kOther;
  return EntryKind::kRegular;
}

}  // namespace

Status SystemEnv::GetEntryKind(const std::u16string& path, EntryKind* kind) {
  if (kind == nullptr || path.empty()) {
    return Failed(ERROR_INVALID_PARAMETER, u"look at", path);
  }
  const DWORD attributes =
      ::GetFileAttributesW(win32::NativePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return FailedWithLastError(u"look at", path);
  }
  *kind = KindOf(attributes);
  return Status::Ok();
}

Status SystemEnv::ListDirectory(const std::u16string& folder,
                                std::vector<DirEntry>* out) {
  if (out == nullptr) {
    return Failed(ERROR_INVALID_PARAMETER, u"list", folder);
  }
  out->clear();
  std::wstring pattern = win32::NativePath(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
  pattern.push_back(L'*');

  WIN32_FIND_DATAW data;
  FindHandle find(::FindFirstFileW(pattern.c_str(), &data));
  if (find.get() == INVALID_HANDLE_VALUE) {
    // A drive root has no "." entry, so an empty one reports "no file".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND && IsDirectory(folder)) {
      return Status::Ok();
    }
    return FailedWithLastError(u"list", folder);
  }
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    DirEntry entry;
    entry.name = win32::FromWide(data.cFileName, wcslen(data.cFileName));
    entry.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.is_reparse_point =
        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.is_hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.kind = KindOf(data.dwFileAttributes);
    out->push_back(std::move(entry));
  } while (::FindNextFileW(find.get(), &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) {
    out->clear();
    return FailedWithLastError(u"list", folder);
  }
  std::sort(out->begin(), out->end(), NtfsLess);
  return Status::Ok();
}

}  // namespace platform
}  // namespace marksafe
