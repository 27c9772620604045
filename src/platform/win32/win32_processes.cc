// Acting as the desktop user, and today's browsers as processes and
// windows.

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"
// Needs <windows.h> first.
#include <tlhelp32.h>

namespace marksafe {
namespace platform {
namespace {

constexpr DWORD kNoActiveSession = 0xFFFFFFFF;
constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kNameUnits = 260;

std::u16string CurrentUserName() {
  wchar_t buffer[kNameUnits] = {};
  DWORD length = kNameUnits;
  if (!::GetUserNameW(buffer, &length)) return std::u16string();
  // The returned length counts the terminator.
  if (length > 0) --length;
  if (length >= kNameUnits) length = kNameUnits - 1;
  return win32::FromWide(buffer, length);
}

bool NamesEqual(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  }
  return true;
}

void Log(const std::u16string& line) { DebugOutput(line); }

// The first active session of the local terminal server, or
// kNoActiveSession.
DWORD ActiveSessionId() {
  WTS_SESSION_INFOW* sessions = nullptr;
  DWORD count = 0;
  if (!::WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions,
                               &count)) {
    return kNoActiveSession;
  }
  DWORD active = kNoActiveSession;
  for (DWORD i = 0; i < count; ++i) {
    if (sessions[i].State == WTSActive) {
      active = sessions[i].SessionId;
      break;
    }
  }
  win32::KeepLastError keep;
  ::WTSFreeMemory(sessions);
  return active;
}

// The base name of the process's executable (its first module), or empty.
std::u16string ProcessName(HANDLE process) {
  HMODULE module = nullptr;
  DWORD needed = 0;
  if (!::EnumProcessModules(process, &module, sizeof(module), &needed)) {
    return std::u16string();
  }
  wchar_t name[kNameUnits] = {};
  DWORD length = ::GetModuleBaseNameW(process, module, name, kNameUnits);
  if (length >= kNameUnits) length = kNameUnits - 1;
  return win32::FromWide(name, length);
}

// Walks the processes for one of the desktop user's in the active session.
// Returns its handle (the caller closes it), or null when none matched.
// *listed is false when the process list could not be read.
HANDLE FindUserProcess(DWORD active_session,
                       const std::function<std::u16string()>& read_tray_name,
                       bool* listed) {
  std::vector<DWORD> ids(kMaxProcesses);
  DWORD bytes = 0;
  *listed = ::EnumProcesses(ids.data(), kMaxProcesses * sizeof(DWORD),
                            &bytes) != FALSE;
  if (!*listed) return nullptr;
  const DWORD count = bytes / sizeof(DWORD);
  for (DWORD i = 0; i < count; ++i) {
    HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, ids[i]);
    if (process == nullptr) continue;
    // Read anew for every process, as the settings file may change.
    std::u16string tray = read_tray_name ? read_tray_name() : std::u16string();
    std::u16string name = ProcessName(process);
    if (!name.empty() &&
        (NamesEqual(name, u"EXPLORER.EXE") ||
         NamesEqual(name, u"Quillbaytray.exe") ||
         (!tray.empty() && NamesEqual(name, tray)))) {
      DWORD session = 0;
      if (::ProcessIdToSessionId(ids[i], &session) &&
          session == active_session) {
        return process;
      }
    }
    ::CloseHandle(process);
  }
  return nullptr;
}

// What makes a process or a window one of a browser's: its executable, the
// class of its main windows today (Firefox since 4, Chrome since its views
// frame), and that of its first releases.
struct BrowserIdentity {
  std::vector<std::u16string> executables;
  const wchar_t* window_class;
  const wchar_t* old_window_class;  // null for the family's other browsers
};

const BrowserIdentity& IdentityOf(Browser browser) {
  static const BrowserIdentity kFirefox = {
      {u"firefox.exe"}, L"MozillaWindowClass", L"MozillaUIWindowClass"};
  static const BrowserIdentity kChrome = {
      {u"chrome.exe"}, L"Chrome_WidgetWin_1", L"Chrome_WindowImpl_0"};
  return browser == Browser::kFirefox ? kFirefox : kChrome;
}

constexpr ULONGLONG kCloseWaitMs = 10000;
constexpr DWORD kPollMs = 100;

DWORD OwnSessionId() {
  DWORD session = 0;
  if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) {
    return kNoActiveSession;
  }
  return session;
}

// The part of a path after its last separator.
std::u16string BaseName(const std::u16string& path) {
  size_t separator = path.find_last_of(u"\\/");
  return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

bool IsOneOf(const std::u16string& executable,
             const std::vector<std::u16string>& executables) {
  for (const std::u16string& each : executables) {
    if (NamesEqual(executable, each)) return true;
  }
  return false;
}

// A process that has ended may still be listed while someone holds a
// handle to it. One that cannot be opened is taken to run.
bool HasEnded(DWORD process_id) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, process_id);
  if (process == nullptr) return false;
  win32::ScopedHandle process_handle(process);
  return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// Calls visit with the id of each live process of the caller's session
// whose executable is one of executables, until visit returns false.
template <typename Visit>
void ForEachLiveProcess(const std::vector<std::u16string>& executables,
                        Visit visit) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  win32::ScopedHandle snapshot_handle(snapshot);
  const DWORD own_session = OwnSessionId();
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry)) {
    if (!IsOneOf(BaseName(win32::FromWide(std::wstring(entry.szExeFile))),
                 executables)) {
      continue;
    }
    DWORD session = 0;
    if (!::ProcessIdToSessionId(entry.th32ProcessID, &session) ||
        session != own_session || HasEnded(entry.th32ProcessID)) {
      continue;
    }
    if (!visit(entry.th32ProcessID)) return;
  }
}

// True when a process of the browser's executables runs in the caller's
// session. Helpers (renderers, content processes) carry the same executable
// and count as well: the browser has not ended while one of them runs.
bool BrowserProcessRuns(const BrowserIdentity& identity) {
  win32::KeepLastError keep;
  bool runs = false;
  ForEachLiveProcess(identity.executables, [&](DWORD) {
    runs = true;
    return false;
  });
  return runs;
}

// The file name of a process's executable, or empty when it cannot be
// opened (ended, or another account's).
std::u16string ExecutableOf(DWORD process_id) {
  HANDLE process =
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return std::u16string();
  win32::ScopedHandle process_handle(process);
  wchar_t path[MAX_PATH * 4] = {};
  DWORD length = MAX_PATH * 4;
  if (!::QueryFullProcessImageNameW(process, 0, path, &length)) {
    return std::u16string();
  }
  return BaseName(win32::FromWide(path, length));
}

struct BrowserWindow {
  HWND window;
  bool main;  // visible and owned by no other window: a frame the user sees
};

struct WindowSearch {
  const BrowserIdentity* identity;
  std::vector<BrowserWindow> found;
};

BOOL CALLBACK CollectBrowserWindow(HWND window, LPARAM search_address) {
  auto* search = reinterpret_cast<WindowSearch*>(search_address);
  wchar_t class_name[256] = {};
  int length = ::GetClassNameW(window, class_name, 256);
  if (length <= 0) return TRUE;
  const BrowserIdentity& identity = *search->identity;
  if (identity.old_window_class == nullptr ||
      std::wcscmp(class_name, identity.old_window_class) != 0) {
    if (std::wcscmp(class_name, identity.window_class) != 0) return TRUE;
    // Other programs use today's classes too: Electron applications and
    // Edge that of Chrome, Thunderbird and Firefox's forks that of Firefox.
    // Only the browser's own executables count. The old classes were the
    // browsers' own.
    DWORD process_id = 0;
    ::GetWindowThreadProcessId(window, &process_id);
    if (!IsOneOf(ExecutableOf(process_id), identity.executables)) return TRUE;
  }
  const bool main = ::IsWindowVisible(window) &&
                    ::GetWindow(window, GW_OWNER) == nullptr;
  search->found.push_back({window, main});
  return TRUE;
}

// The top-level windows of the browser: of its old class, or of today's
// class and belonging to its executable; in the window manager's order.
std::vector<BrowserWindow> BrowserWindows(const BrowserIdentity& identity) {
  win32::KeepLastError keep;
  WindowSearch search{&identity, {}};
  ::EnumWindows(CollectBrowserWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Every main window of the browser is asked once to close (posted, so that
// a browser that hangs or shows a dialog cannot hold the caller); then the
// call waits, polling, until no process of the browser is left in the
// session or ten seconds have passed. Windows that appear meanwhile (a
// second frame restored late) are asked too.
void CloseAndWait(const BrowserIdentity& identity) {
  const ULONGLONG deadline = ::GetTickCount64() + kCloseWaitMs;
  std::vector<HWND> asked;
  while (true) {
    const std::vector<BrowserWindow> windows = BrowserWindows(identity);
    if (windows.empty() && !BrowserProcessRuns(identity)) return;
    for (const BrowserWindow& window : windows) {
      if (!window.main || std::find(asked.begin(), asked.end(),
                                    window.window) != asked.end()) {
        continue;
      }
      asked.push_back(window.window);
      // Fails only for a window that has gone meanwhile.
      ::PostMessageW(window.window, WM_CLOSE, 0, 0);
    }
    if (::GetTickCount64() >= deadline) return;
    ::Sleep(kPollMs);
  }
}

// The executables a family's processes are known by: programs with ".exe",
// or the family's own when programs is empty.
std::vector<std::u16string> ExecutablesOf(
    Browser family, const std::vector<std::u16string>& programs) {
  if (programs.empty()) return IdentityOf(family).executables;
  std::vector<std::u16string> executables;
  for (const std::u16string& program : programs) {
    executables.push_back(program + u".exe");
  }
  return executables;
}

// The command line of a process, split as the C runtime splits it; empty
// when it cannot be read (another account's process, or a system before
// Windows 8.1, which cannot tell it).
std::vector<std::u16string> CommandLineOf(DWORD process_id) {
  struct CommandLineText {  // UNICODE_STRING
    USHORT length;
    USHORT maximum_length;
    PWSTR buffer;
  };
  using QueryProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kProcessCommandLineInformation = 60;
  std::vector<std::u16string> args;
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return args;
  auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      ::GetProcAddress(ntdll, "NtQueryInformationProcess")));
  HANDLE process =
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (query == nullptr || process == nullptr) return args;
  win32::ScopedHandle process_handle(process);
  ULONG size = 0;
  query(process, kProcessCommandLineInformation, nullptr, 0, &size);
  if (size < sizeof(CommandLineText) || size > (1u << 20)) return args;
  std::vector<unsigned char> bytes(size);
  if (query(process, kProcessCommandLineInformation, bytes.data(), size,
            &size) < 0) {
    return args;
  }
  const auto* text = reinterpret_cast<const CommandLineText*>(bytes.data());
  if (text->buffer == nullptr || text->length == 0) return args;
  const std::wstring line(text->buffer, text->length / sizeof(wchar_t));
  int count = 0;
  LPWSTR* split = ::CommandLineToArgvW(line.c_str(), &count);
  if (split == nullptr) return args;
  for (int i = 0; i < count; ++i) {
    args.push_back(win32::FromWide(split[i], wcslen(split[i])));
  }
  ::LocalFree(split);
  return args;
}

// Renderers and the like run with "--type=..."; Firefox content processes
// with "-contentproc".
bool IsHelper(const std::vector<std::u16string>& args) {
  for (const std::u16string& arg : args) {
    if (arg.compare(0, 7, u"--type=") == 0 || arg == u"-contentproc") {
      return true;
    }
  }
  return false;
}

struct ProcessWindows {
  const std::vector<DWORD>* pids;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM search_address) {
  auto* search = reinterpret_cast<ProcessWindows*>(search_address);
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  if (std::find(search->pids->begin(), search->pids->end(), process_id) !=
          search->pids->end() &&
      ::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == nullptr) {
    search->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<BrowserProcess> SystemEnv::BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs) {
  win32::KeepLastError keep;
  std::vector<BrowserProcess> found;
  const std::vector<std::u16string> executables =
      ExecutablesOf(family, programs);
  ForEachLiveProcess(executables, [&](DWORD id) {
    std::vector<std::u16string> args = CommandLineOf(id);
    if (IsHelper(args)) return true;
    BrowserProcess process;
    process.pid = id;
    if (!args.empty()) process.args.assign(args.begin() + 1, args.end());
    found.push_back(std::move(process));
    return true;
  });
  std::sort(found.begin(), found.end(),
            [](const BrowserProcess& a, const BrowserProcess& b) {
              return a.pid < b.pid;
            });
  return found;
}

// The processes are held open from the start, so that an id taken over by
// a new process meanwhile is not waited for. Windows that appear during the
// wait (a frame restored late) are asked too, each once.
void SystemEnv::AskProcessesToClose(const std::vector<int64_t>& pids) {
  win32::KeepLastError keep;
  std::vector<DWORD> ids;
  std::vector<std::unique_ptr<win32::ScopedHandle>> handles;
  for (int64_t pid : pids) {
    if (pid <= 0 || pid > 0xFFFFFFFFLL) continue;
    HANDLE process =
        ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) continue;
    ids.push_back(static_cast<DWORD>(pid));
    handles.push_back(std::make_unique<win32::ScopedHandle>(process));
  }
  const ULONGLONG deadline = ::GetTickCount64() + kCloseWaitMs;
  std::vector<HWND> asked;
  while (true) {
    bool left = false;
    for (const auto& handle : handles) {
      left = left || ::WaitForSingleObject(handle->get(), 0) != WAIT_OBJECT_0;
    }
    if (!left || ::GetTickCount64() >= deadline) return;
    ProcessWindows search{&ids, {}};
    ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.found) {
      if (std::find(asked.begin(), asked.end(), window) != asked.end()) {
        continue;
      }
      asked.push_back(window);
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    ::Sleep(kPollMs);
  }
}

int32_t SystemEnv::ImpersonateDesktopUser(
    const std::function<std::u16string()>& read_tray_name) {
  std::u16string user = CurrentUserName();
  // The search runs under the process's own account; this also drops an
  // earlier impersonation of this thread.
  if (!NamesEqual(user, u"SYSTEM")) ::RevertToSelf();
  Log(u"[ImpersonateAsUser] LogOnSystem usrer=" + user + u" pass= \n");

  const DWORD active_session = ActiveSessionId();
  bool listed = false;
  HANDLE process = FindUserProcess(active_session, read_tray_name, &listed);
  if (!listed) {
    Log(u"[ImpersonateAsUser] EnumProcesses fail!\n");
    return 2;
  }
  // Nobody at the desktop: our own process stands in (a pseudo handle that
  // needs no closing).
  const bool own_process = process == nullptr;
  if (own_process) process = ::GetCurrentProcess();

  HANDLE token = nullptr;
  BOOL opened = ::OpenProcessToken(process, TOKEN_ALL_ACCESS, &token);
  if (!own_process) {
    win32::KeepLastError keep;
    ::CloseHandle(process);
  }
  if (!opened) {
    Log(u"[ImpersonateAsUser] OpenProcessToken fail!\n");
    return 3;
  }
  win32::ScopedHandle token_handle(token);
  if (!::ImpersonateLoggedOnUser(token)) {
    Log(u"[ImpersonateAsUser] ImpersonateLoggedOnUser fail!\n");
    return 4;
  }
  CurrentUserName();  // now the desktop user's; read as the routine always has
  return 0;
}

void SystemEnv::RevertToSelf() { ::RevertToSelf(); }

// Running: a process of the browser in the caller's session, or one of its
// windows on the caller's desktop (which also finds it when no process list
// can be taken, and a browser of the first releases under another name).
bool SystemEnv::BrowserIsRunning(Browser browser) {
  const BrowserIdentity& identity = IdentityOf(browser);
  return BrowserProcessRuns(identity) || !BrowserWindows(identity).empty();
}

void SystemEnv::AskBrowserToClose(Browser browser) {
  CloseAndWait(IdentityOf(browser));
}

}  // namespace platform
}  // namespace marksafe
