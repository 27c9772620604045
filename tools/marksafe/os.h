// The few services of the operating system the command-line host needs
// beyond standard C++: terminals, environment variables, the command line in
// UTF-8 and the interrupt key.
#ifndef MARKSAFE_TOOLS_MARKSAFE_OS_H_
#define MARKSAFE_TOOLS_MARKSAFE_OS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marksafe_cli {

bool StderrIsTerminal();
bool StdoutIsTerminal();

std::optional<std::string> GetEnvVar(const std::string& name);
void SetEnvVar(const std::string& name, const std::string& value);
void UnsetEnvVar(const std::string& name);

// True where the library finds the user's data through MARKSAFE_FAVORITES,
// MARKSAFE_APPDATA and MARKSAFE_PROGRAM_FILES (POSIX); on Windows it asks
// the shell for the user's real folders.
bool DataVariablesHonoured();

// Lets every thread allocate from one pool. The library's work runs on a
// thread of its own beside the checks the main thread made first; with a
// pool per thread, the memory those checks freed (a whole Chrome file's
// document) was not reused, and a backup of 100,000 links peaked at 476 MB
// instead of 276 MB.
void UseOneMemoryPool();

// Sets (or removes) a variable and puts the old state back at the end.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const std::string& name,
               const std::optional<std::string>& value);
  ~ScopedEnvVar();
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// The program's arguments in UTF-8, without the program name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// While alive, the interrupt key (Ctrl+C) sets the byte that the library's
// folder copies read as their cancel flag, instead of ending the program.
class InterruptToCancel {
 public:
  InterruptToCancel();
  ~InterruptToCancel();
  InterruptToCancel(const InterruptToCancel&) = delete;
  InterruptToCancel& operator=(const InterruptToCancel&) = delete;
  const volatile uint8_t* flag() const;
  bool interrupted() const;
};

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_OS_H_
