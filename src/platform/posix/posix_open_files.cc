// Whether another process has a file open: every descriptor in /proc/*/fd
// that this user may read is compared, by device and inode, with the file.
// Processes of other users cannot be seen, nor systems without /proc: the
// answer is then no.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

bool IsNumber(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// Whether one of the process's descriptors (its fd folder, open) is the
// file with the given device and inode. Descriptors that are no path on
// disk (pipes, sockets, anonymous inodes) are passed over unopened.
bool HoldsFile(int fd_folder, dev_t device, ino_t inode) {
  DIR* dir = fdopendir(fd_folder);
  if (dir == nullptr) {
    close(fd_folder);
    return false;
  }
  bool held = false;
  char target[16];
  while (!held) {
    const struct dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    if (!IsNumber(entry->d_name)) continue;
    const ssize_t length =
        readlinkat(dirfd(dir), entry->d_name, target, sizeof(target));
    if (length <= 0 || target[0] != '/') continue;
    struct stat st;
    held = fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 &&
           st.st_dev == device && st.st_ino == inode;
  }
  closedir(dir);
  return held;
}

}  // namespace

bool SystemEnv::FileHeldOpen(const std::u16string& path) {
  const std::string native = posix::NativePath(path);
  struct stat file;
  if (native.empty() || stat(native.c_str(), &file) != 0 ||
      !S_ISREG(file.st_mode)) {
    return false;
  }
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return false;
  const std::string self = std::to_string(getpid());
  bool held = false;
  while (!held) {
    const struct dirent* entry = readdir(proc);
    if (entry == nullptr) break;
    if (!IsNumber(entry->d_name) || self == entry->d_name) continue;
    const std::string fds = std::string(entry->d_name) + "/fd";
    const int fd = openat(dirfd(proc), fds.c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) held = HoldsFile(fd, file.st_dev, file.st_ino);
  }
  closedir(proc);
  return held;
}

}  // namespace platform
}  // namespace marksafe
