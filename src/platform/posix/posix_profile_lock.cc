// Whether a running Firefox holds a profile folder. Firefox on Linux marks
// a profile it uses twice: a "lock" symlink whose target names the holder
// ("IP:+PID", or ":+PID" without a network address), and an fcntl lock on
// ".parentlock". Either sign from a live holder means the profile is in use.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/posix/posix_internal.h"

namespace marksafe {
namespace platform {
namespace {

std::string Join(const std::string& folder, const char* name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The PID of a lock target "IP:+PID" or ":+PID"; 0 when the text does not
// have that form.
pid_t PidOfLockTarget(const std::string& target) {
  size_t marker = target.rfind(":+");
  if (marker == std::string::npos) return 0;
  size_t pos = marker + 2;
  if (pos >= target.size()) return 0;
  long long pid = 0;
  for (; pos < target.size(); ++pos) {
    char c = target[pos];
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + (c - '0');
    if (pid > INT_MAX) return 0;
  }
  return static_cast<pid_t>(pid);
}

bool SymlinkLockIsHeld(const std::string& folder) {
  std::string link = Join(folder, "lock");
  char buffer[512];
  ssize_t length = readlink(link.c_str(), buffer, sizeof(buffer));
  if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer)) {
    return false;
  }
  return posix::ProcessIsAlive(
      PidOfLockTarget(std::string(buffer, static_cast<size_t>(length))));
}

}  // namespace

namespace posix {

bool ParentLockIsHeld(const std::string& folder) {
  std::string path = Join(folder, ".parentlock");
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info;
  bool held = false;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // F_GETLK reports a lock that would conflict with a write lock over the
    // whole file; locks of this process never conflict and are not seen.
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;
    held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  }
  close(fd);
  return held;
}

}  // namespace posix

namespace sys {

bool FirefoxProfileInUse(const std::u16string& profile_folder) {
  if (profile_folder.empty()) return false;
  std::string folder = posix::NativePath(profile_folder);
  return SymlinkLockIsHeld(folder) || posix::ParentLockIsHeld(folder);
}

}  // namespace sys
}  // namespace platform
}  // namespace marksafe
