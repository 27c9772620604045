// Starts the program with posix_spawn and collects its two output streams.
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "cli/cli_harness.h"

extern char** environ;

namespace marksafe {
namespace test {
namespace {

// Drains both pipes together so that neither can fill up and stall the
// child.
void ReadBoth(int out_fd, int err_fd, std::string* out, std::string* err) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {out, err};
  int open_count = 2;
  char buffer[4096];
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}


}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env) {
  std::vector<std::string> env_strings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    // The child sees only the library variables the test gives it.
    if (text.rfind("MARKSAFE_", 0) == 0) continue;
    env_strings.push_back(text);
  }
  for (const auto& [name, value] : env) {
    if (!value.empty()) env_strings.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& text : env_strings) envp.push_back(text.data());
  envp.push_back(nullptr);

  std::vector<std::string> argv_strings = {MARKSAFE_CLI_PATH};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& text : argv_strings) argv.push_back(text.data());
  argv.push_back(nullptr);

  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    throw std::runtime_error("pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
  posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(),
                             envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  close(err_pipe[1]);
  CliResult result;
  if (rc != 0) {
    close(out_pipe[0]);
    close(err_pipe[0]);
    throw std::runtime_error(std::string("spawn: ") + std::strerror(rc));
  }
  ReadBoth(out_pipe[0], err_pipe[0], &result.out, &result.err);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  return result;
}

}  // namespace test
}  // namespace marksafe
