#include "os.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
// clang-format off
#include <windows.h>  // first: the other Windows headers build on it
#include <io.h>
#include <shellapi.h>
// clang-format on
#else
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "text.h"

namespace marksafe_cli {
namespace {

volatile uint8_t g_cancel = 0;

extern "C" void OnInterrupt(int) { g_cancel = 1; }

}  // namespace

#if defined(_WIN32)

bool DataVariablesHonoured() { return false; }

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

std::optional<std::string> GetEnvVar(const std::string& name) {
  MsString wide_name = Utf8ToMs(name);
  const wchar_t* value = _wgetenv(wide_name.c_str());
  if (value == nullptr) return std::nullopt;
  return MsToUtf8(value);
}

void SetEnvVar(const std::string& name, const std::string& value) {
  _wputenv_s(Utf8ToMs(name).c_str(), Utf8ToMs(value).c_str());
}

void UnsetEnvVar(const std::string& name) {
  _wputenv_s(Utf8ToMs(name).c_str(), L"");
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
  }
  for (int i = 1; i < count; ++i) args.push_back(MsToUtf8(wide[i]));
  LocalFree(wide);
  return args;
}

#else

bool DataVariablesHonoured() { return true; }

bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }
bool StdoutIsTerminal() { return isatty(fileno(stdout)) != 0; }

std::optional<std::string> GetEnvVar(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SetEnvVar(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnvVar(const std::string& name) { unsetenv(name.c_str()); }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

#endif

void UseOneMemoryPool() {
#if defined(__GLIBC__)
  mallopt(M_ARENA_MAX, 1);
#endif
}

ScopedEnvVar::ScopedEnvVar(const std::string& name,
                           const std::optional<std::string>& value)
    : name_(name), old_(GetEnvVar(name)) {
  if (value) {
    SetEnvVar(name, *value);
  } else {
    UnsetEnvVar(name);
  }
}

ScopedEnvVar::~ScopedEnvVar() {
  if (old_) {
    SetEnvVar(name_, *old_);
  } else {
    UnsetEnvVar(name_);
  }
}

InterruptToCancel::InterruptToCancel() {
  g_cancel = 0;
  std::signal(SIGINT, OnInterrupt);
}

InterruptToCancel::~InterruptToCancel() { std::signal(SIGINT, SIG_DFL); }

const volatile uint8_t* InterruptToCancel::flag() const { return &g_cancel; }

bool InterruptToCancel::interrupted() const { return g_cancel != 0; }

}  // namespace marksafe_cli
