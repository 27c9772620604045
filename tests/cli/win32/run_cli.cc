// Starts the program with CreateProcessW and collects its two output
// streams.
#include <windows.h>

#include <stdexcept>
#include <thread>

#include "cli/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = U16(utf8);
  return std::wstring(text.begin(), text.end());
}

// Quotes one argument the way CommandLineToArgvW takes it apart again.
std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

void Drain(HANDLE pipe, std::string* sink) {
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    sink->append(buffer, got);
  }
  CloseHandle(pipe);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env) {
  std::wstring block;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      // The child sees only the library variables the test gives it.
      if (_wcsnicmp(entry, L"MARKSAFE_", 9) == 0) continue;
      block += entry;
      block.push_back(L'\0');
    }
    FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : env) {
    if (value.empty()) continue;
    block += Wide(name + "=" + value);
    block.push_back(L'\0');
  }
  block.push_back(L'\0');

  std::wstring command = Quote(Wide(MARKSAFE_CLI_PATH));
  for (const std::string& arg : args) command += L" " + Quote(Wide(arg));

  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE out_read, out_write, err_read, err_write;
  if (!CreatePipe(&out_read, &out_write, &inherit, 0) ||
      !CreatePipe(&err_read, &err_write, &inherit, 0)) {
    throw std::runtime_error("CreatePipe");
  }
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(
      nullptr, command.data(), nullptr, nullptr, TRUE,
      CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process);
  CloseHandle(out_write);
  CloseHandle(err_write);
  CliResult result;
  if (!started) {
    CloseHandle(out_read);
    CloseHandle(err_read);
    throw std::runtime_error("CreateProcessW failed");
  }
  std::thread err_reader(Drain, err_read, &result.err);
  Drain(out_read, &result.out);
  err_reader.join();
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.exit_code = static_cast<int>(code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}

}  // namespace test
}  // namespace marksafe
