// Acting as the desktop user, and the browsers' main windows.

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

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

struct WindowIdentity {
  const wchar_t* window_class;
  const wchar_t* title;
};

WindowIdentity IdentityOf(Browser browser) {
  if (browser == Browser::kChrome) {
    return {L"Chrome_WindowImpl_0", L"Google - Google Chrome"};
  }
  return {L"MozillaUIWindowClass", nullptr};
}

HWND FindBrowserWindow(Browser browser) {
  WindowIdentity identity = IdentityOf(browser);
  return ::FindWindowW(identity.window_class, identity.title);
}

}  // namespace

int32_t ImpersonateDesktopUser(
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

void RevertToSelf() { ::RevertToSelf(); }

bool BrowserIsRunning(Browser browser) {
  return FindBrowserWindow(browser) != nullptr;
}

void AskBrowserToClose(Browser browser) {
  HWND window = FindBrowserWindow(browser);
  if (window != nullptr) ::SendMessageW(window, WM_CLOSE, 0, 0);
}

}  // namespace platform
}  // namespace marksafe
