#include "support/posix/program_copy.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/test_support.h"

namespace marksafe {
namespace test {

pid_t StartProgramCopy(const std::string& folder, const char* program,
                       std::vector<std::string> args, uid_t uid) {
  namespace fs = std::filesystem;
  const std::string path = folder + "/" + args[0];
  std::error_code error;
  // A copy that runs already cannot be written over.
  fs::copy_file(program, path, fs::copy_options::skip_existing, error);
  chmod(path.c_str(), 0755);
  chmod(folder.c_str(), 0755);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    if (uid == 0 || (setgid(uid) == 0 && setuid(uid) == 0)) {
      execv(path.c_str(), argv.data());
    }
    _exit(127);
  }
  // Seen as the copy once it has replaced the forked copy of the test.
  const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
  auto runs = [&] { return fs::read_symlink(exe, error) == path; };
  if (pid <= 0 || WaitFor(runs)) return pid;
  kill(pid, SIGKILL);  // not started in time: no stray copy is left
  waitpid(pid, nullptr, 0);
  return -1;
}

}  // namespace test
}  // namespace marksafe
