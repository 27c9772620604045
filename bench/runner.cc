#include "runner.h"

#include <dirent.h>
#include <ftw.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace bench {
namespace {

bool RunCommand(const char* const argv[]) {
  pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[0], const_cast<char* const*>(argv));
    _exit(127);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

uint64_t g_bytes = 0;
int AddBytes(const char*, const struct stat* st, int type, struct FTW*) {
  if (type == FTW_F) g_bytes += static_cast<uint64_t>(st->st_size);
  return 0;
}

}  // namespace

Measure RunInChild(const std::function<bool()>& job, int timeout_seconds) {
  std::fflush(nullptr);
  Measure m;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    alarm(static_cast<unsigned>(timeout_seconds));
    bool ok = job();
    std::fflush(nullptr);
    _exit(ok ? 0 : 1);
  }
  if (pid < 0) return m;
  int status = 0;
  struct rusage usage {};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  m.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  auto seconds_of = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  m.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  m.peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  m.timed_out = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
  return m;
}

bool RemoveTree(const std::string& path) {
  const char* argv[] = {"rm", "-rf", path.c_str(), nullptr};
  return RunCommand(argv);
}

bool CopyTree(const std::string& source, const std::string& destination) {
  const char* argv[] = {"cp", "-r", source.c_str(), destination.c_str(),
                        nullptr};
  return RunCommand(argv);
}

bool CopyFile(const std::string& source, const std::string& destination) {
  const char* argv[] = {"cp", source.c_str(), destination.c_str(), nullptr};
  return RunCommand(argv);
}

bool MakeDirs(const std::string& path) {
  const char* argv[] = {"mkdir", "-p", path.c_str(), nullptr};
  return RunCommand(argv);
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

uint64_t BytesOf(const std::string& path) {
  g_bytes = 0;
  nftw(path.c_str(), AddBytes, 16, FTW_PHYS);
  return g_bytes;
}

bool Selected(const std::string& name, const std::string& only) {
  if (only.empty()) return true;
  size_t begin = 0;
  while (begin <= only.size()) {
    const size_t end = std::min(only.find(',', begin), only.size());
    if (name.find(only.substr(begin, end - begin)) != std::string::npos) {
      return true;
    }
    begin = end + 1;
  }
  return false;
}

}  // namespace bench
