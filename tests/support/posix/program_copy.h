// Stand-ins for running programs on POSIX systems: a copy of a system
// program under another name (a browser's), started as a process of its
// own.
#ifndef MARKSAFE_TESTS_SUPPORT_POSIX_PROGRAM_COPY_H_
#define MARKSAFE_TESTS_SUPPORT_POSIX_PROGRAM_COPY_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace marksafe {
namespace test {

// Copies program into folder as args[0] (unless a copy is there already)
// and starts it with args, in a process group of its own and as user uid
// when not 0; waits until the copy runs. -1 when it does not.
pid_t StartProgramCopy(const std::string& folder, const char* program,
                       std::vector<std::string> args, uid_t uid = 0);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_SUPPORT_POSIX_PROGRAM_COPY_H_
