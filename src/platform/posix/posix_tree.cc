// Whole folders: exclusive file creation, renaming a folder, removing a
// tree without following links, and the room a path leaves for a name.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {

Status SystemEnv::WriteNewFile(const std::u16string& path,
                               const std::string& bytes) {
  const std::string native = posix::NativePath(path);
  if (native.empty()) {
    return Failed(kErrorPathNotFound, u"write", path);
  }
  int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int err = errno;
    if (err == EEXIST) {
      SetLastError(kErrorFileExists);
    } else {
      posix::SetLastErrorFromErrno(err, native);
    }
    return FailedWithLastError(u"write", path);
  }
  int err = posix::WriteAll(fd, bytes.data(), bytes.size()) ? 0 : errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    unlink(native.c_str());
    posix::SetLastErrorFromErrno(err, native);
    return FailedWithLastError(u"write", path);
  }
  return Status::Ok();
}

Status SystemEnv::AppendFile(const std::u16string& path,
                             const std::string& bytes) {
  const std::string native = posix::NativePath(path);
  if (native.empty()) {
    return Failed(kErrorPathNotFound, u"write", path);
  }
  // Never through a link, never a FIFO that would block.
  int fd = open(native.c_str(),
                O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    posix::SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"write", path);
  }
  struct stat st;
  int err = fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EISDIR;
  if (err == 0 && !posix::WriteAll(fd, bytes.data(), bytes.size())) err = errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    posix::SetLastErrorFromErrno(err, native);
    return FailedWithLastError(u"write", path);
  }
  return Status::Ok();
}

Status SystemEnv::MoveFolder(const std::u16string& from,
                             const std::u16string& to) {
  const std::string source = posix::NativePath(from);
  const std::string target = posix::NativePath(to);
  if (source.empty() || target.empty()) {
    return Failed(kErrorPathNotFound, u"move", from);
  }
  // rename() would replace an empty folder or a file: refuse any entry.
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) {
    return Failed(kErrorAlreadyExists, u"move", from);
  }
  if (rename(source.c_str(), target.c_str()) != 0) {
    posix::SetLastErrorFromErrno(errno, source);
    return FailedWithLastError(u"move", from);
  }
  return Status::Ok();
}

Status SystemEnv::RemoveTree(const std::u16string& path) {
  const std::string top = posix::NativePath(path);
  if (top.empty()) {
    return Failed(kErrorPathNotFound, u"remove", path);
  }
  struct stat st;
  if (lstat(top.c_str(), &st) != 0) {
    posix::SetLastErrorFromErrno(errno, top);
    return FailedWithLastError(u"remove", path);
  }
  if (!S_ISDIR(st.st_mode)) {
    if (unlink(top.c_str()) != 0) {
      posix::SetLastErrorFromErrno(errno, top);
      return FailedWithLastError(u"remove", path);
    }
    return Status::Ok();
  }
  bool ok = true;
  int first_error = 0;
  std::string failed_path;
  auto failed = [&](const std::string& where) {
    if (ok) {
      first_error = errno;
      failed_path = where;
    }
    ok = false;
  };
  // Folders still to empty (second: its entries have been handled).
  std::vector<std::pair<std::string, bool>> stack;
  stack.emplace_back(top, false);
  while (!stack.empty()) {
    if (stack.back().second) {
      if (rmdir(stack.back().first.c_str()) != 0) failed(stack.back().first);
      stack.pop_back();
      continue;
    }
    stack.back().second = true;
    const std::string folder = stack.back().first;
    // Entries are removed relative to the open folder, each by the kind its
    // listing gives: no path walk and no stat per file, which matters for
    // a part of many thousand files.
    const int fd =
        open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (dir == nullptr) {
      failed(folder);
      if (fd >= 0) close(fd);
      continue;
    }
    std::vector<std::string> sub_folders;
    for (;;) {
      errno = 0;
      struct dirent* entry = readdir(dir);
      if (entry == nullptr) break;
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        continue;
      }
      bool is_dir = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat entry_st;
        if (fstatat(fd, name, &entry_st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        is_dir = S_ISDIR(entry_st.st_mode);
      }
      if (is_dir) {
        sub_folders.push_back(folder + "/" + name);
      } else if (unlinkat(fd, name, 0) != 0 && errno != ENOENT) {
        failed(folder + "/" + name);
      }
    }
    closedir(dir);
    for (std::string& sub : sub_folders) stack.emplace_back(std::move(sub), false);
  }
  if (!ok) posix::SetLastErrorFromErrno(first_error, failed_path);
  return OkOr(ok, u"remove", path);
}

void SystemEnv::LimitNameToPath(const std::u16string& folder,
                                bool /*is_folder*/, size_t* /*units*/,
                                size_t* bytes) {
  if (bytes == nullptr) return;
  // The calls take a path of PATH_MAX bytes with its terminator: the
  // folder, a "/" and the name.
  const size_t used = posix::NativePath(folder).size() + 1;
  const size_t limit = PATH_MAX - 1;
  const size_t room = used >= limit ? 0 : limit - used;
  *bytes = std::min(*bytes, room);
}

}  // namespace platform
}  // namespace marksafe
