// Browsers as processes: a browser runs when a main process of the calling
// user carries one of its executable names. Helper processes (renderers,
// zygotes, content processes) are not main processes.
#include <dirent.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

constexpr auto kCloseWait = std::chrono::seconds(10);
constexpr auto kPollInterval = std::chrono::milliseconds(50);

const std::vector<std::string>& NamesOf(Browser browser) {
  static const std::vector<std::string> kFirefox = {"firefox", "firefox-esr",
                                                    "firefox-bin"};
  static const std::vector<std::string> kChrome = {
      "chrome", "google-chrome", "chromium", "chromium-browser"};
  return browser == Browser::kFirefox ? kFirefox : kChrome;
}

std::string ProcFile(pid_t pid, const char* name) {
  std::string bytes;
  std::string path = "/proc/" + std::to_string(pid) + "/" + name;
  if (!posix::ReadAll(path, &bytes)) return std::string();
  return bytes;
}

// The value of a "Name:\tvalue" line of /proc/<pid>/status.
std::string StatusField(const std::string& status, const std::string& field) {
  std::string prefix = field + ":";
  size_t pos = 0;
  while (pos < status.size()) {
    size_t end = status.find('\n', pos);
    if (end == std::string::npos) end = status.size();
    if (status.compare(pos, prefix.size(), prefix) == 0) {
      size_t start = pos + prefix.size();
      while (start < end && (status[start] == '\t' || status[start] == ' ')) {
        ++start;
      }
      return status.substr(start, end - start);
    }
    pos = end + 1;
  }
  return std::string();
}

// Alive: present and neither a zombie nor dead.
bool IsAlive(const std::string& status) {
  if (status.empty()) return false;
  std::string state = StatusField(status, "State");
  return !state.empty() && state[0] != 'Z' && state[0] != 'X';
}

bool OwnedByCaller(const std::string& status) {
  std::string uids = StatusField(status, "Uid");
  if (uids.empty()) return false;
  char* end = nullptr;
  unsigned long real = std::strtoul(uids.c_str(), &end, 10);
  return end != uids.c_str() && real == static_cast<unsigned long>(getuid());
}

std::string LastComponent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool NameMatches(const std::string& candidate,
                 const std::vector<std::string>& names) {
  if (candidate.empty()) return false;
  return std::find(names.begin(), names.end(), candidate) != names.end();
}

// The names a process is known by: its command name (which the kernel cuts
// to 15 bytes), its executable's file name and its argv[0].
bool HasBrowserName(pid_t pid, const std::vector<std::string>& names) {
  std::string comm = ProcFile(pid, "comm");
  while (!comm.empty() && comm.back() == '\n') comm.pop_back();
  if (NameMatches(comm, names)) return true;
  if (comm.size() == 15) {
    for (const std::string& name : names) {
      if (name.size() > 15 && name.compare(0, 15, comm) == 0) return true;
    }
  }
  char buffer[4096];
  std::string exe_link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t length = readlink(exe_link.c_str(), buffer, sizeof(buffer) - 1);
  if (length > 0) {
    std::string exe(buffer, static_cast<size_t>(length));
    const std::string kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() &&
        exe.compare(exe.size() - kDeleted.size(), kDeleted.size(), kDeleted) ==
            0) {
      exe.resize(exe.size() - kDeleted.size());
    }
    if (NameMatches(LastComponent(exe), names)) return true;
  }
  std::string cmdline = ProcFile(pid, "cmdline");
  std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
  return NameMatches(LastComponent(argv0), names);
}

// The arguments of a process's command line, argv[0] included.
std::vector<std::string> CommandLine(pid_t pid) {
  std::vector<std::string> args;
  const std::string cmdline = ProcFile(pid, "cmdline");
  size_t pos = 0;
  while (pos < cmdline.size()) {
    size_t end = cmdline.find('\0', pos);
    if (end == std::string::npos) end = cmdline.size();
    args.push_back(cmdline.substr(pos, end - pos));
    pos = end + 1;
  }
  return args;
}

// Renderers, zygotes and the like run with "--type=..."; Firefox content
// processes with "-contentproc".
bool IsHelper(pid_t pid) {
  const std::vector<std::string> args = CommandLine(pid);
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg.compare(0, 7, "--type=") == 0 || arg == "-contentproc";
  });
}

bool IsMainProcess(pid_t pid, const std::vector<std::string>& names) {
  std::string status = ProcFile(pid, "status");
  return IsAlive(status) && OwnedByCaller(status) &&
         HasBrowserName(pid, names) && !IsHelper(pid);
}

// Main processes with one of the names, lowest id first.
std::vector<pid_t> MainProcesses(const std::vector<std::string>& names) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return found;
  while (struct dirent* entry = readdir(proc)) {
    const char* name = entry->d_name;
    if (name[0] < '1' || name[0] > '9') continue;
    char* end = nullptr;
    long pid = std::strtol(name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    if (IsMainProcess(static_cast<pid_t>(pid), names)) {
      found.push_back(static_cast<pid_t>(pid));
    }
  }
  closedir(proc);
  std::sort(found.begin(), found.end());
  return found;
}

// A browser ends in stages: after SIGTERM its main process saves its state
// and ends, its helpers end after it (and one on its way out has lost its
// command line, so it looks like a main process for a moment), and a
// second main process (another instance, a restart) may be there too. So
// the wait is over only when no main process of the browser is left, not
// when the one signalled has gone. Main processes that show up during the
// wait get the same request, each once.
void AskNamedToClose(const std::vector<std::string>& names) {
  std::vector<pid_t> mains = MainProcesses(names);
  if (mains.empty()) return;
  std::set<pid_t> asked;
  const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
  while (true) {
    for (pid_t pid : mains) {
      if (!asked.insert(pid).second) continue;
      // ESRCH: it ended on its own in the meantime.
      if (kill(pid, SIGTERM) != 0 && errno != ESRCH) {
        SetLastError(posix::WindowsErrorFor(errno));
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(kPollInterval);
    mains = MainProcesses(names);
    if (mains.empty()) return;
  }
}

std::vector<std::string> NamesOf(Browser family,
                                 const std::vector<std::u16string>& programs) {
  if (programs.empty()) return NamesOf(family);
  std::vector<std::string> names;
  for (const std::u16string& program : programs) {
    names.push_back(ToUtf8(program));
  }
  return names;
}

}  // namespace

std::vector<BrowserProcess> SystemEnv::BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs) {
  std::vector<BrowserProcess> found;
  for (pid_t pid : MainProcesses(NamesOf(family, programs))) {
    BrowserProcess process;
    process.pid = pid;
    const std::vector<std::string> args = CommandLine(pid);
    for (size_t i = 1; i < args.size(); ++i) {
      process.args.push_back(FromUtf8(args[i]));
    }
    found.push_back(std::move(process));
  }
  return found;
}

// Each process is asked once; the wait ends when all of them are gone (a
// zombie has gone: it holds nothing any more).
void SystemEnv::AskProcessesToClose(const std::vector<int64_t>& pids) {
  std::vector<pid_t> left;
  for (int64_t pid : pids) {
    if (!posix::ProcessIsAlive(pid)) continue;
    const pid_t id = static_cast<pid_t>(pid);
    if (kill(id, SIGTERM) != 0 && errno != ESRCH) {
      SetLastError(posix::WindowsErrorFor(errno));
      continue;
    }
    left.push_back(id);
  }
  const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
  while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kPollInterval);
    left.erase(std::remove_if(left.begin(), left.end(),
                              [](pid_t pid) {
                                return !posix::ProcessIsAlive(pid);
                              }),
               left.end());
  }
}

bool SystemEnv::BrowserIsRunning(Browser browser) {
  return !MainProcesses(NamesOf(browser)).empty();
}

void SystemEnv::AskBrowserToClose(Browser browser) {
  AskNamedToClose(NamesOf(browser));
}

namespace posix {

bool ProcessIsAlive(long long pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  const pid_t id = static_cast<pid_t>(pid);
  if (kill(id, 0) != 0 && errno != EPERM) return false;  // EPERM: not ours
  // Where /proc cannot be read the process counts as alive.
  const std::string status = ProcFile(id, "status");
  return status.empty() || IsAlive(status);
}

}  // namespace posix
}  // namespace platform
}  // namespace marksafe
