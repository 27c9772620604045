// Files and folders: existence, creation, copies, sizes and whole-file
// reads and writes, with errno mapped to the Windows codes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace posix {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

namespace {

// Closes a descriptor without disturbing errno.
void CloseKeepingErrno(int fd) {
  int saved = errno;
  close(fd);
  errno = saved;
}

// expected: the size of a regular file when it was opened (0 when unknown
// or not a regular file). Such a file is read in place up to that size, and
// is whole once that many bytes came: a large file read into a string grown
// step by step was copied at every step, and each small file cost one more
// read to see its end.
bool ReadAllFrom(int fd, std::string* bytes, size_t expected = 0) {
  bytes->clear();
  if (expected > 0) {
    bytes->resize(expected);
    size_t have = 0;
    while (have < expected) {
      const ssize_t got = read(fd, &(*bytes)[have], expected - have);
      if (got < 0) {
        if (errno == EINTR) continue;
        bytes->clear();
        return false;
      }
      if (got == 0) break;  // shorter now than when opened
      have += static_cast<size_t>(got);
    }
    bytes->resize(have);
    return true;
  }
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    bytes->append(buffer, static_cast<size_t>(got));
    if (bytes->size() > kMaxReadFileBytes) {
      bytes->clear();
      errno = ENOMEM;
      return false;
    }
  }
}

// Strips trailing separators, keeping a lone "/".
std::string WithoutTrailingSeparators(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  return trimmed;
}

}  // namespace

std::string NativePath(const std::u16string& path) {
  // "\" separates; U+F05C is a listed name's own backslash byte.
  std::u16string mapped = path;
  for (char16_t& c : mapped) {
    if (c == u'\\') c = u'/';
    else if (c == kNameBackslash) c = u'\\';
  }
  return ToUtf8(mapped);
}

std::string ParentOf(const std::string& native_path) {
  std::string trimmed = WithoutTrailingSeparators(native_path);
  size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return trimmed.substr(0, slash);
}

std::string BaseNameOf(const std::string& native_path) {
  std::string trimmed = WithoutTrailingSeparators(native_path);
  size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return trimmed;
  return trimmed.substr(slash + 1);
}

bool ReadAll(const std::string& native_path, std::string* bytes) {
  // Non-blocking, so that opening a FIFO does not wait for a writer.
  int fd = open(native_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    CloseKeepingErrno(fd);
    return false;
  }
  const int refused = S_ISDIR(st.st_mode)    ? EISDIR
                      : !S_ISREG(st.st_mode) ? EACCES
                      : static_cast<uint64_t>(st.st_size) > kMaxReadFileBytes
                          ? ENOMEM
                          : 0;
  if (refused != 0) {
    close(fd);
    errno = refused;
    return false;
  }
  // Files the system fills as they are read (/proc) show a size of 0.
  bool ok = ReadAllFrom(fd, bytes, static_cast<size_t>(st.st_size));
  CloseKeepingErrno(fd);
  return ok;
}

bool ReplaceAtomically(const std::string& native_path, const std::string& bytes,
                       bool durable) {
  static std::atomic<unsigned> counter{0};
  // A link is kept: the file it points to is the one replaced.
  std::string target = native_path;
  struct stat link_st;
  if (lstat(native_path.c_str(), &link_st) == 0 && S_ISLNK(link_st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(native_path.c_str(), resolved) != nullptr) target = resolved;
  }
  std::string parent = ParentOf(target);
  std::string base = BaseNameOf(target);
  if (base.empty() || base == "/") {
    errno = EINVAL;
    return false;
  }
  // Keep the permissions of a file that is replaced.
  mode_t mode = 0666;
  struct stat old_st;
  bool had_old = stat(target.c_str(), &old_st) == 0;
  if (had_old) {
    if (S_ISDIR(old_st.st_mode)) {
      errno = EISDIR;
      return false;
    }
    mode = old_st.st_mode & 07777;
  }
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    // The name is kept short enough for any name the target may have.
    temp = parent + "/." + base.substr(0, 200) + "." +
           std::to_string(getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  if (ok && had_old) ok = fchmod(fd, mode) == 0 || errno == EPERM;
  if (ok && durable) ok = fsync(fd) == 0 || errno == EINVAL;
  if (close(fd) != 0 && ok) ok = false;
  if (ok) ok = rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    int saved = errno;
    unlink(temp.c_str());
    errno = saved;
    return false;
  }
  if (durable) {
    // The rename itself lasts only once the folder's entries reach the disk.
    int dir = open(parent.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }
  return true;
}

}  // namespace posix

using posix::NativePath;
using posix::SetLastErrorFromErrno;

namespace {

// stat (lstat unless follow) of path; false with the last error set when
// there is no such entry.
bool StatPath(const std::u16string& path, bool follow, struct stat* st) {
  const std::string native = NativePath(path);
  if (native.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  if ((follow ? stat(native.c_str(), st) : lstat(native.c_str(), st)) != 0) {
    SetLastErrorFromErrno(errno, native);
    return false;
  }
  return true;
}

}  // namespace

bool SystemEnv::PathExists(const std::u16string& path) {
  struct stat st;
  return StatPath(path, /*follow=*/false, &st);
}

bool SystemEnv::IsDirectory(const std::u16string& path) {
  struct stat st;
  return StatPath(path, /*follow=*/true, &st) && S_ISDIR(st.st_mode);
}

Status SystemEnv::CreateDirectoryTree(const std::u16string& path) {
  std::string native = NativePath(path);
  if (native.empty()) {
    return Failed(kErrorPathNotFound, u"create the folder", path);
  }
  struct stat st;
  if (lstat(native.c_str(), &st) == 0) {
    return Failed(kErrorAlreadyExists, u"create the folder", path);
  }
  // Create every missing component from the top down.
  const std::string target = posix::WithoutTrailingSeparators(native);
  size_t pos = 0;
  for (;;) {
    size_t slash = target.find('/', pos);
    std::string part = target.substr(0, slash);
    pos = slash == std::string::npos ? std::string::npos : slash + 1;
    bool last = slash == std::string::npos;
    if (!part.empty() && (part.size() > 1 || part != "/")) {
      if (mkdir(part.c_str(), 0777) != 0) {
        int err = errno;
        bool exists_as_dir = err == EEXIST && stat(part.c_str(), &st) == 0 &&
                             S_ISDIR(st.st_mode);
        if (!exists_as_dir) {
          if (err == EEXIST && !last) err = ENOTDIR;
          SetLastErrorFromErrno(err, part);
          return FailedWithLastError(u"create the folder", path);
        }
        if (last) {
          // Someone else created it in the meantime.
          return Failed(kErrorAlreadyExists, u"create the folder", path);
        }
      }
    }
    if (last) break;
  }
  return Status::Ok();
}

namespace {

// Writes what in holds into target, created (refused when it exists and
// fail_if_exists) or truncated; a partial copy is not left behind. copied,
// when not null, receives the bytes.
bool WriteCopy(int in, const struct stat& in_st, const std::string& target,
               bool fail_if_exists, std::string* copied) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (fail_if_exists ? O_EXCL : 0);
  // The copy keeps the source's permissions but stays writable for its
  // owner, so that a later copy can replace it.
  int out = open(target.c_str(), flags, (in_st.st_mode & 0777) | S_IWUSR);
  if (out < 0) {
    if (errno == EEXIST) {
      SetLastError(kErrorFileExists);
    } else {
      SetLastErrorFromErrno(errno, target);
    }
    return false;
  }
  bool ok = true;
  // A file made just now (O_EXCL) is empty and no other file; one that was
  // there is checked and emptied first.
  if (!fail_if_exists) {
    struct stat out_st;
    ok = fstat(out, &out_st) == 0;
    if (ok && out_st.st_dev == in_st.st_dev && out_st.st_ino == in_st.st_ino) {
      // Copying a file onto itself would truncate it: refuse, as the
      // system does with a sharing violation.
      close(out);
      SetLastError(kErrorSharingViolation);
      return false;
    }
    if (ok) ok = ftruncate(out, 0) == 0;
  }
  if (copied != nullptr) copied->clear();
  char buffer[65536];
  while (ok) {
    ssize_t got = read(in, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    ok = posix::WriteAll(out, buffer, static_cast<size_t>(got));
    if (ok && copied != nullptr)
      copied->append(buffer, static_cast<size_t>(got));
  }
  int err = ok ? 0 : errno;
  if (close(out) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(target.c_str());
    SetLastErrorFromErrno(err, target);
  }
  return ok;
}

// CopyFile from the open source file in.
bool CopyOpenFile(int in, const std::string& source, const std::string& target,
                  bool fail_if_exists, std::string* copied) {
  struct stat in_st;
  if (fstat(in, &in_st) != 0) {
    SetLastErrorFromErrno(errno, source);
    return false;
  }
  if (!S_ISREG(in_st.st_mode)) {
    // Folders and devices are not files to copy.
    SetLastError(kErrorAccessDenied);
    return false;
  }
  struct stat old_st;
  if (fail_if_exists || stat(target.c_str(), &old_st) != 0 ||
      !S_ISREG(old_st.st_mode)) {
    return WriteCopy(in, in_st, target, fail_if_exists, copied);
  }
  if (old_st.st_dev == in_st.st_dev && old_st.st_ino == in_st.st_ino) {
    // Copying a file onto itself: refused, as the system does.
    SetLastError(kErrorSharingViolation);
    return false;
  }
  // A file that is there is replaced in one step (written beside it,
  // flushed, renamed over it), so that a failure leaves it whole.
  std::string bytes;
  if (!posix::ReadAllFrom(in, &bytes)) {
    SetLastErrorFromErrno(errno, source);
    return false;
  }
  if (!posix::ReplaceAtomically(target, bytes, true)) {
    SetLastErrorFromErrno(errno, target);
    return false;
  }
  if (copied != nullptr) *copied = std::move(bytes);
  return true;
}

}  // namespace

Status SystemEnv::CopyFile(const std::u16string& from, const std::u16string& to,
                           bool fail_if_exists, std::string* copied) {
  std::string source = NativePath(from);
  std::string target = NativePath(to);
  if (source.empty() || target.empty()) {
    return Failed(kErrorPathNotFound, u"copy to", to);
  }
  // Non-blocking, so that opening a FIFO does not wait for a writer (it is
  // then refused as no file to copy).
  int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) {
    SetLastErrorFromErrno(errno, source);
    return FailedWithLastError(u"copy to", to);
  }
  const bool ok = CopyOpenFile(in, source, target, fail_if_exists, copied);
  close(in);
  return OkOr(ok, u"copy to", to);
}

Status SystemEnv::DeleteFile(const std::u16string& path) {
  std::string native = NativePath(path);
  if (native.empty()) {
    return Failed(kErrorFileNotFound, u"delete", path);
  }
  if (unlink(native.c_str()) != 0) {
    SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"delete", path);
  }
  return Status::Ok();
}

Status SystemEnv::GetFileSize(const std::u16string& path, uint64_t* size) {
  if (size == nullptr) {
    return Failed(kErrorInvalidParameter, u"read the size of", path);
  }
  *size = 0;
  std::string native = NativePath(path);
  if (native.empty()) {
    return Failed(kErrorFileNotFound, u"read the size of", path);
  }
  // Opened without asking to read the data, as the size needs no more.
#ifdef O_PATH
  int fd = open(native.c_str(), O_PATH | O_CLOEXEC);
#else
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  if (fd < 0) {
    SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"read the size of", path);
  }
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  int err = ok ? 0 : errno;
  close(fd);
  if (!ok) {
    SetLastErrorFromErrno(err, native);
    return FailedWithLastError(u"read the size of", path);
  }
  // Folders, FIFOs and devices have no size of their own.
  if (!S_ISREG(st.st_mode)) {
    return Failed(kErrorAccessDenied, u"read the size of", path);
  }
  *size = static_cast<uint64_t>(st.st_size);
  return Status::Ok();
}

Status SystemEnv::SetHidden(const std::u16string& path) {
  // A dot-name is hidden already; nothing else can be marked.
  return OkOr(PathExists(path), u"hide", path);
}

Status SystemEnv::ReadFile(const std::u16string& path, std::string* bytes) {
  if (bytes == nullptr) {
    return Failed(kErrorInvalidParameter, u"read", path);
  }
  std::string native = NativePath(path);
  if (!posix::ReadAll(native, bytes)) {
    SetLastErrorFromErrno(errno, native);
    bytes->clear();
    return FailedWithLastError(u"read", path);
  }
  return Status::Ok();
}

Status SystemEnv::WriteFile(const std::u16string& path,
                            const std::string& bytes) {
  std::string native = NativePath(path);
  if (native.empty()) {
    return Failed(kErrorPathNotFound, u"write", path);
  }
  int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"write", path);
  }
  bool ok = posix::WriteAll(fd, bytes.data(), bytes.size());
  int err = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) SetLastErrorFromErrno(err, native);
  return OkOr(ok, u"write", path);
}

Status SystemEnv::ReplaceFileAtomically(const std::u16string& path,
                                        const std::string& bytes) {
  std::string native = NativePath(path);
  if (native.empty()) {
    return Failed(kErrorPathNotFound, u"write", path);
  }
  if (!posix::ReplaceAtomically(native, bytes, true)) {
    SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"write", path);
  }
  return Status::Ok();
}

// A listed name holds its own "\\" bytes as kNameBackslash: a "\\" or "/"
// in a name would be a separator.
const char16_t kNotInAName[] = u"/\\";

}  // namespace platform
}  // namespace marksafe
