// Removing a large folder tree without making the caller wait: a detached
// process does it. On file systems that discard freed blocks, removing
// thousands of files takes many times as long as writing them.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <climits>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace marksafe {
namespace platform {
namespace {

#if defined(__linux__) && defined(SYS_getdents64)

// Runs in the detached process, which may have been forked from a process
// with other threads: only system calls and static buffers from here on.
constexpr int kMaxLevels = 256;
constexpr long kMaxSteps = 50000000;

struct Level {
  int fd;
  char name[NAME_MAX + 1];  // its name in the level above
};

struct DirEntry64 {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[1];
};

void RemoveBelow(int top) {
  static Level levels[kMaxLevels];
  alignas(8) static char buffer[32768];
  int depth = 0;
  levels[0].fd = top;
  long steps = 0;
  while (depth >= 0 && ++steps < kMaxSteps) {
    const int fd = levels[depth].fd;
    const long n = syscall(SYS_getdents64, fd, buffer, sizeof(buffer));
    if (n <= 0) {
      if (depth == 0) return;
      close(fd);
      --depth;
      unlinkat(levels[depth].fd, levels[depth + 1].name, AT_REMOVEDIR);
      // Entries were removed: the folder above is listed again.
      lseek(levels[depth].fd, 0, SEEK_SET);
      continue;
    }
    for (long offset = 0; offset < n;) {
      const DirEntry64* entry =
          reinterpret_cast<const DirEntry64*>(buffer + offset);
      offset += entry->d_reclen;
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        continue;
      }
      bool is_dir = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st;
        is_dir = fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                 S_ISDIR(st.st_mode);
      }
      if (!is_dir) {
        unlinkat(fd, name, 0);
        continue;
      }
      if (depth + 1 >= kMaxLevels || std::strlen(name) > NAME_MAX) continue;
      const int sub =
          openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub < 0) continue;
      // The rest of this listing is read again when the level comes back.
      ++depth;
      levels[depth].fd = sub;
      std::strcpy(levels[depth].name, name);
      break;
    }
  }
}

// Closes every descriptor but keep: a lock or a pipe the caller holds must
// not stay open in the detached process.
void CloseAllBut(int keep) {
  struct rlimit limit;
  const long last = getrlimit(RLIMIT_NOFILE, &limit) == 0 &&
                            limit.rlim_cur != RLIM_INFINITY &&
                            limit.rlim_cur < 1048576
                        ? static_cast<long>(limit.rlim_cur)
                        : 1048576;
#ifdef SYS_close_range
  if (syscall(SYS_close_range, 0u, static_cast<unsigned>(keep - 1), 0u) == 0 &&
      syscall(SYS_close_range, static_cast<unsigned>(keep + 1), ~0u, 0u) == 0) {
    return;
  }
#endif
  for (long fd = 0; fd < last; ++fd) {
    if (fd != keep) close(static_cast<int>(fd));
  }
}

#endif

}  // namespace

bool RemoveTreeDetached(const std::u16string& path) {
#if defined(__linux__) && defined(SYS_getdents64)
  const std::string native = posix::NativePath(path);
  const int fd = native.empty()
                     ? -1
                     : open(native.c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return RemoveTree(path);
  const char* top = native.c_str();
  const pid_t child = fork();
  if (child < 0) {
    close(fd);
    return RemoveTree(path);
  }
  if (child == 0) {
    // The grandchild is nobody's to wait for: it ends on its own.
    if (fork() == 0) {
      setsid();
      CloseAllBut(fd);
      RemoveBelow(fd);
      close(fd);
      rmdir(top);
    }
    _exit(0);
  }
  close(fd);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
#else
  return RemoveTree(path);
#endif
}

}  // namespace platform
}  // namespace marksafe
