// Shell folders, the system version and the native browser locations, from
// the environment (read at every call, never cached).
#include <dlfcn.h>
#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace posix {

std::string EnvVar(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string HomeFolder() {
  std::string home = EnvVar("HOME");
  if (!home.empty()) return home;
  struct passwd record;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &record, buffer.data(), buffer.size(), &found) ==
          0 &&
      found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return std::string();
}

}  // namespace posix

namespace {

using posix::EnvVar;
using posix::HomeFolder;

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::string StateFolder() {
  std::string state = EnvVar("XDG_STATE_HOME");
  if (!state.empty() && state[0] == '/') return state;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/state";
}

}  // namespace

Status SystemEnv::GetShellFolder(ShellFolder folder, std::u16string* out) {
  if (out == nullptr) {
    return Failed(kErrorInvalidParameter, u"find a shell folder");
  }
  out->clear();
  if (folder == ShellFolder::kLocalState) {
    const std::string state = StateFolder();
    if (state.empty()) {
      return Failed(kErrorFileNotFound, u"find a shell folder");
    }
    *out = FromUtf8(state);
    return Status::Ok();
  }
  const char* name = "MARKSAFE_FAVORITES";
  switch (folder) {
    case ShellFolder::kFavorites:
      name = "MARKSAFE_FAVORITES";
      break;
    case ShellFolder::kRoamingAppData:
      name = "MARKSAFE_APPDATA";
      break;
    case ShellFolder::kProgramFiles:
      name = "MARKSAFE_PROGRAM_FILES";
      break;
    case ShellFolder::kLocalState:
      break;
  }
  std::string value = EnvVar(name);
  if (value.empty()) {
    return Failed(kErrorFileNotFound, u"find a shell folder");
  }
  *out = FromUtf8(value);
  return Status::Ok();
}

uint32_t SystemEnv::OsMajorVersion() {
  std::string text = EnvVar("MARKSAFE_OS_MAJOR");
  if (text.empty() || text.size() > 9) return 10;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 10;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

// Any function of this library: the loader names the file it came from.
void AddressInLibrary() {}

std::u16string SystemEnv::LibraryFolder() {
  std::string path;
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&AddressInLibrary), &info) != 0 &&
      info.dli_fname != nullptr && info.dli_fname[0] != '\0') {
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved) != nullptr) path = resolved;
  }
  if (path.empty()) {
    // The main program, when the loader knows it only by a bare name.
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length > 0) path.assign(buffer, static_cast<size_t>(length));
  }
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return u"./";
  return FromUtf8(path.substr(0, slash + 1));
}

int32_t SystemEnv::ImpersonateDesktopUser(
    const std::function<std::u16string()>& /*read_tray_name*/) {
  // The calling user is the desktop user here: nothing to change.
  return 0;
}

void SystemEnv::RevertToSelf() {}

std::string NativePathUtf8(const std::u16string& path) {
  return posix::NativePath(path);
}

// $TMPDIR, else /tmp.
std::u16string SystemEnv::TempFolder() {
  const char* from_environment = std::getenv("TMPDIR");
  std::string folder = from_environment != nullptr && *from_environment != 0
                           ? from_environment
                           : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return FromUtf8(folder);
}

}  // namespace platform
}  // namespace marksafe
