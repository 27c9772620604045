// Files and folders through the kernel and shell calls.

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

// The folder without trailing separators (a drive root keeps its "\").
std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 1 && path.back() == L'\\' &&
         !(path.size() == 3 && path[1] == L':')) {
    path.pop_back();
  }
  return path;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(
        std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
      return false;
    }
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += written;
  }
  return true;
}

// Creates or truncates path and writes bytes to it; flush asks for the data
// to reach the disk before the handle is closed.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes,
                    bool flush) {
  win32::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0,
                                         nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  if (!WriteAll(file.get(), bytes)) return false;
  if (flush && !::FlushFileBuffers(file.get())) return false;
  HANDLE h = file.release();
  if (!::CloseHandle(h)) return false;
  return true;
}

}  // namespace

bool SystemEnv::PathExists(const std::u16string& path) {
  return ::PathFileExistsW(win32::NativePath(path).c_str()) != FALSE;
}

bool SystemEnv::IsDirectory(const std::u16string& path) {
  DWORD attributes = ::GetFileAttributesW(win32::NativePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Status SystemEnv::CreateDirectoryTree(const std::u16string& path) {
  if (path.empty()) {
    return Failed(ERROR_BAD_PATHNAME, u"create the folder", path);
  }
  // SHCreateDirectory takes absolute paths only.
  std::wstring full = WithoutTrailingSeparators(win32::FullPath(path));
  int result = ::SHCreateDirectory(nullptr, full.c_str());
  if (result != ERROR_SUCCESS) {
    return Failed(static_cast<DWORD>(result), u"create the folder", path);
  }
  return Status::Ok();
}

namespace {

// True when both paths name one existing file (the same volume and file
// index), however they are spelled.
bool SameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::wstring* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    win32::ScopedHandle file(::CreateFileW(
        paths[i]->c_str(), 0,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info[i])) {
      return false;
    }
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
         info[0].nFileIndexLow == info[1].nFileIndexLow;
}

Status CopyWithoutBytes(const std::u16string& from, const std::u16string& to,
                        bool fail_if_exists) {
  const std::wstring source = win32::NativePath(from);
  const std::wstring target = win32::NativePath(to);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (fail_if_exists || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return OkOr(::CopyFileW(source.c_str(), target.c_str(),
                            fail_if_exists ? TRUE : FALSE) != FALSE,
                u"copy to", to);
  }
  // A file copied onto itself is refused, as CopyFileW refuses it: the
  // copy beside it would otherwise replace it with itself and succeed.
  if (SameFile(source, target)) {
    return Failed(ERROR_SHARING_VIOLATION, u"copy to", to);
  }
  // A file that is there is replaced in one step: the copy is made beside
  // it, flushed, and moved over it, so that a failure leaves it whole.
  const std::wstring staging = target + L".marksafe-new";
  bool ok = ::CopyFileW(source.c_str(), staging.c_str(), FALSE) != FALSE;
  if (ok) {
    win32::ScopedHandle file(::CreateFileW(staging.c_str(), GENERIC_WRITE, 0,
                                           nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file.valid() && ::FlushFileBuffers(file.get());
  }
  if (ok) {
    ok = ::MoveFileExW(staging.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
  }
  if (!ok) {
    win32::KeepLastError keep;
    ::DeleteFileW(staging.c_str());
  }
  return OkOr(ok, u"copy to", to);
}

}  // namespace

Status SystemEnv::CopyFile(const std::u16string& from, const std::u16string& to,
                           bool fail_if_exists, std::string* copied) {
  const Status status = CopyWithoutBytes(from, to, fail_if_exists);
  // The system copies without handing out the bytes: they are read from
  // the copy. A copy that cannot be read back gives none.
  if (status.ok() && copied != nullptr && !ReadFile(to, copied).ok()) {
    copied->clear();
  }
  return status;
}

Status SystemEnv::DeleteFile(const std::u16string& path) {
  return OkOr(::DeleteFileW(win32::NativePath(path).c_str()) != FALSE,
              u"delete", path);
}

Status SystemEnv::GetFileSize(const std::u16string& path, uint64_t* size) {
  if (size == nullptr) {
    return Failed(ERROR_INVALID_PARAMETER, u"read the size of", path);
  }
  *size = 0;
  // Asking only for the security information lets the size be read while a
  // browser holds the file open.
  win32::ScopedHandle file(::CreateFileW(win32::NativePath(path).c_str(),
                                         READ_CONTROL, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return FailedWithLastError(u"read the size of", path);
  LARGE_INTEGER value = {};
  if (!::GetFileSizeEx(file.get(), &value))
    return FailedWithLastError(u"read the size of", path);
  *size = static_cast<uint64_t>(value.QuadPart);
  return Status::Ok();
}

Status SystemEnv::SetHidden(const std::u16string& path) {
  std::wstring native = win32::NativePath(path);
  DWORD attributes = ::GetFileAttributesW(native.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return FailedWithLastError(u"hide", path);
  return OkOr(::SetFileAttributesW(native.c_str(),
                                   attributes | FILE_ATTRIBUTE_HIDDEN) != FALSE,
              u"hide", path);
}

Status SystemEnv::ReadFile(const std::u16string& path, std::string* bytes) {
  if (bytes == nullptr) {
    return Failed(ERROR_INVALID_PARAMETER, u"read", path);
  }
  bytes->clear();
  win32::ScopedHandle file(::CreateFileW(
      win32::NativePath(path).c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return FailedWithLastError(u"read", path);
  // Pipes and devices are not read: a read could wait for a writer.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
    return Failed(kErrorAccessDenied, u"read", path);
  }
  LARGE_INTEGER size = {};
  if (::GetFileSizeEx(file.get(), &size) &&
      static_cast<uint64_t>(size.QuadPart) > kMaxReadFileBytes) {
    return Failed(kErrorNotEnoughMemory, u"read", path);
  }
  std::vector<char> chunk(1 << 16);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()),
                    &read, nullptr)) {
      bytes->clear();
      return FailedWithLastError(u"read", path);
    }
    if (read == 0) break;
    bytes->append(chunk.data(), read);
    if (bytes->size() > kMaxReadFileBytes) {
      bytes->clear();
      return Failed(kErrorNotEnoughMemory, u"read", path);
    }
  }
  return Status::Ok();
}

Status SystemEnv::WriteFile(const std::u16string& path,
                            const std::string& bytes) {
  return OkOr(WriteWholeFile(win32::NativePath(path), bytes, false), u"write",
              path);
}

Status SystemEnv::ReplaceFileAtomically(const std::u16string& path,
                                        const std::string& bytes) {
  std::wstring target = win32::NativePath(path);
  std::wstring staging = target + L".marksafe-new";
  if (!WriteWholeFile(staging, bytes, true)) {
    win32::KeepLastError keep;
    ::DeleteFileW(staging.c_str());
    return FailedWithLastError(u"write", path);
  }
  if (!::MoveFileExW(staging.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    win32::KeepLastError keep;
    ::DeleteFileW(staging.c_str());
    return FailedWithLastError(u"write", path);
  }
  return Status::Ok();
}

}  // namespace platform
}  // namespace marksafe
