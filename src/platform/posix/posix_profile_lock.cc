// Whether a running Firefox holds a profile folder, and which process.
// Firefox on Linux marks a profile it uses twice: an fcntl lock on
// ".parentlock", which ends with its holder, and a "lock" symlink whose
// target names the holder ("IP:+PID", or ":+PID" without a network
// address). The link outlives a clean quit and its pid may since have gone
// to any other process, so it counts only while that pid is a main process
// of the Firefox family.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

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

// The programs of the Firefox family whose processes a "lock" link may
// name.
const std::vector<std::u16string>& FirefoxFamilyPrograms() {
  static const std::vector<std::u16string> kPrograms = {
      u"firefox",   u"firefox-esr", u"firefox-bin",
      u"librewolf", u"waterfox",    u"waterfox-bin"};
  return kPrograms;
}

// The pid the "lock" link names; 0 when there is none.
long long LinkedLockPid(const std::string& folder) {
  std::string link = Join(folder, "lock");
  char buffer[512];
  ssize_t length = readlink(link.c_str(), buffer, sizeof(buffer));
  if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer)) {
    return 0;
  }
  return PidOfLockTarget(std::string(buffer, static_cast<size_t>(length)));
}

bool IsFirefoxMainProcess(long long pid) {
  if (pid <= 0) return false;
  for (const BrowserProcess& process :
       BrowserProcesses(Browser::kFirefox, FirefoxFamilyPrograms())) {
    if (process.pid == pid) return true;
  }
  return false;
}

}  // namespace

namespace posix {

long long ParentLockOwner(const std::string& folder) {
  std::string path = Join(folder, ".parentlock");
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info;
  long long owner = -1;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // F_GETLK reports a lock that would conflict with a write lock over the
    // whole file, and its holder; locks of this process never conflict and
    // are not seen.
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;
    if (fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
      owner = probe.l_pid > 0 ? probe.l_pid : 0;
    }
  }
  close(fd);
  return owner;
}

bool ParentLockIsHeld(const std::string& folder) {
  return ParentLockOwner(folder) >= 0;
}

long long FirefoxLockOwner(const std::string& folder) {
  const long long owner = ParentLockOwner(folder);
  if (owner > 0) return owner;
  const long long linked = LinkedLockPid(folder);
  return IsFirefoxMainProcess(linked) ? linked : 0;
}

}  // namespace posix

bool SystemEnv::FirefoxProfileInUse(const std::u16string& profile_folder) {
  if (profile_folder.empty()) return false;
  std::string folder = posix::NativePath(profile_folder);
  return posix::ParentLockIsHeld(folder) ||
         IsFirefoxMainProcess(LinkedLockPid(folder));
}

}  // namespace platform
}  // namespace marksafe
