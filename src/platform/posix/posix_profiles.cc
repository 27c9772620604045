// The user's browser data folders from the environment, file times, and the
// locks Chromium-family browsers and Firefox leave in a profile they hold.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

using posix::EnvVar;
using posix::HomeFolder;

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The decimal number text holds entirely; -1 when it holds anything else.
long long ParseNumber(const std::string& text) {
  if (text.empty() || text.size() > 10) return -1;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The target of a symbolic link; false when path is no link.
bool ReadLink(const std::string& path, std::string* target) {
  char buffer[1024];
  ssize_t length = readlink(path.c_str(), buffer, sizeof(buffer));
  if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer)) {
    return false;
  }
  target->assign(buffer, static_cast<size_t>(length));
  return true;
}

// Whether an instance of the Flatpak application runs: each instance has a
// folder in $XDG_RUNTIME_DIR/.flatpak whose "info" names the application
// and whose "bwrapinfo.json" gives the sandbox's pid as seen here. An
// instance whose pid cannot be read counts as running.
bool FlatpakAppRunning(const std::string& app) {
  std::string runtime = EnvVar("XDG_RUNTIME_DIR");
  if (runtime.empty()) runtime = "/run/user/" + std::to_string(getuid());
  const std::string instances = Join(runtime, ".flatpak");
  DIR* dir = opendir(instances.c_str());
  if (dir == nullptr) return false;
  bool running = false;
  while (!running) {
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string folder = Join(instances, name);
    const std::u16string inside = FromUtf8(folder);
    std::string info;
    if (!ReadProfileFile(inside, FromUtf8(Join(folder, "info")), &info).ok()) {
      continue;
    }
    if (("\n" + info + "\n").find("\nname=" + app + "\n") ==
        std::string::npos) {
      continue;
    }
    std::string bwrap;
    const std::u16string bwrap_file = FromUtf8(Join(folder, "bwrapinfo.json"));
    if (!ReadProfileFile(inside, bwrap_file, &bwrap).ok()) {
      running = true;
      break;
    }
    const size_t key = bwrap.find("\"child-pid\"");
    if (key == std::string::npos) {
      running = true;
      break;
    }
    size_t pos = bwrap.find(':', key);
    if (pos == std::string::npos) continue;
    ++pos;
    while (pos < bwrap.size() && (bwrap[pos] == ' ' || bwrap[pos] == '\t')) {
      ++pos;
    }
    size_t end = pos;
    while (end < bwrap.size() && bwrap[end] >= '0' && bwrap[end] <= '9') ++end;
    running =
        posix::ProcessIsAlive(ParseNumber(bwrap.substr(pos, end - pos)));
  }
  closedir(dir);
  return running;
}

// The native path with every link followed; empty when it does not exist.
std::string RealPath(const std::string& native) {
  char* resolved = native.empty() ? nullptr : realpath(native.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string out = resolved;
  free(resolved);
  return out;
}

}  // namespace

std::u16string SystemEnv::CanonicalPath(const std::u16string& path) {
  std::string native = posix::NativePath(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  std::string out = RealPath(posix::ParentOf(native));
  if (out.empty()) return FromUtf8(native);
  const std::string name = posix::BaseNameOf(native);
  if (name.empty() || name == ".") return FromUtf8(out);
  if (out.back() != '/') out += '/';
  return FromUtf8(out + name);
}

bool SystemEnv::ResolvesInside(const std::u16string& path,
                               const std::u16string& folder) {
  const std::string inner = RealPath(posix::NativePath(path));
  const std::string outer = RealPath(posix::NativePath(folder));
  if (inner.empty() || outer.empty()) return false;
  if (inner == outer) return true;
  const std::string prefix = outer == "/" ? outer : outer + "/";
  return inner.compare(0, prefix.size(), prefix) == 0;
}

Status SystemEnv::ReadProfileFile(const std::u16string& folder,
                                  const std::u16string& path,
                                  std::string* bytes, size_t max_bytes) {
  bytes->clear();
  // Non-blocking, so that opening a FIFO cannot wait for a writer.
  const int fd = ResolvesInside(path, folder)
                     ? open(posix::NativePath(path).c_str(),
                            O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)
                     : -1;
  struct stat info;
  bool ok = fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<uint64_t>(info.st_size) <= max_bytes;
  if (ok) {
    // The file may grow while it is read: the cap holds all the same.
    char buffer[65536];
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof(buffer));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        ok = got == 0;
        break;
      }
      bytes->append(buffer, static_cast<size_t>(got));
      if (bytes->size() > max_bytes) {
        ok = false;
        break;
      }
    }
  }
  if (fd >= 0) close(fd);
  if (ok) return Status::Ok();
  bytes->clear();
  // The last error is left as it was: such a file is passed over.
  return Status::Error(kErrorInvalidData, u"could not read " + path);
}

BrowserDataFolders GetBrowserDataFolders() {
  BrowserDataFolders folders;
  const std::string roaming = EnvVar("MARKSAFE_APPDATA");
  if (!roaming.empty()) {
    // A Windows user profile: the local folder lies beside the roaming one.
    folders.windows_layout = true;
    folders.roaming_app_data = FromUtf8(roaming);
    const std::string parent =
        posix::ParentOf(posix::NativePath(folders.roaming_app_data));
    folders.local_app_data = FromUtf8(
        Join(parent, OsMajorVersion() == 5 ? "Local Settings/Application Data"
                                           : "Local"));
    return folders;
  }
  const std::string home = HomeFolder();
  folders.home = FromUtf8(home);
  const std::string config = EnvVar("XDG_CONFIG_HOME");
  if (!config.empty() && config[0] == '/') {
    folders.config = FromUtf8(config);
  } else if (!home.empty()) {
    folders.config = FromUtf8(Join(home, ".config"));
  }
  return folders;
}

Status SystemEnv::GetLastWriteTime(const std::u16string& path,
                                   int64_t* microseconds) {
  struct stat info;
  if (stat(posix::NativePath(path).c_str(), &info) != 0) {
    // The last error is left as it was.
    return Status::Error(posix::WindowsErrorFor(errno),
                         u"could not read the time of " + path);
  }
  *microseconds = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000 +
                  info.st_mtim.tv_nsec / 1000;
  return Status::Ok();
}

// What "SingletonLock" says: "<host>-<pid>" (a host name may itself hold
// "-"). False when there is no such link or it has another form.
bool ReadSingletonLock(const std::u16string& user_data_folder, bool* this_host,
                       long long* pid) {
  std::string target;
  if (user_data_folder.empty() ||
      !ReadLink(Join(posix::NativePath(user_data_folder), "SingletonLock"),
                &target)) {
    return false;
  }
  const size_t dash = target.rfind('-');
  if (dash == std::string::npos) return false;
  *pid = ParseNumber(target.substr(dash + 1));
  char host[HOST_NAME_MAX + 1] = {};
  *this_host = gethostname(host, sizeof(host) - 1) != 0 ||
               target.compare(0, dash, host) == 0;
  return true;
}

bool ChromiumUserDataInUse(const std::u16string& user_data_folder,
                           const std::u16string& flatpak_app) {
  bool this_host = true;
  long long pid = 0;
  if (!ReadSingletonLock(user_data_folder, &this_host, &pid)) return false;
  if (!flatpak_app.empty()) return FlatpakAppRunning(ToUtf8(flatpak_app));
  if (pid <= 0) return false;
  // Another host's browser: this one cannot tell, and the browser itself
  // refuses the folder.
  return !this_host || posix::ProcessIsAlive(pid);
}

int64_t ProfileLockOwner(const std::u16string& folder, bool chromium) {
  if (folder.empty()) return 0;
  if (!chromium) return posix::FirefoxLockOwner(posix::NativePath(folder));
  bool this_host = true;
  long long pid = 0;
  if (!ReadSingletonLock(folder, &this_host, &pid) || !this_host) return 0;
  return pid > 0 && posix::ProcessIsAlive(pid) ? pid : 0;
}

bool FirefoxProfileInUseBy(const std::u16string& profile_folder,
                           const std::u16string& flatpak_app) {
  if (flatpak_app.empty()) return FirefoxProfileInUse(profile_folder);
  if (profile_folder.empty()) return false;
  const std::string folder = posix::NativePath(profile_folder);
  if (posix::ParentLockIsHeld(folder)) return true;
  std::string target;
  return ReadLink(Join(folder, "lock"), &target) &&
         FlatpakAppRunning(ToUtf8(flatpak_app));
}

}  // namespace platform
}  // namespace marksafe
