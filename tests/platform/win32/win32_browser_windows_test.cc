// Browser detection and closing against fake browsers: copies of this test
// program, started under a browser's executable name, that open one
// top-level window of a given class in a process of their own.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

// "<program> --fake-browser <class> <behaviour>" makes this program a fake
// browser; behaviour "closes" ends on WM_CLOSE, "hangs" stops handling
// messages once its window is up, as a browser stuck in a long task does.
constexpr wchar_t kFakeSwitch[] = L" --fake-browser ";

LRESULT CALLBACK FakeBrowserProc(HWND window, UINT message, WPARAM w,
                                 LPARAM l) {
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, w, l);
}

int RunFakeBrowser(const std::wstring& window_class, bool hangs) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = FakeBrowserProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = window_class.c_str();
  if (!::RegisterClassW(&wc)) return 2;
  HWND window = ::CreateWindowExW(
      0, window_class.c_str(), L"Fake browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
      0, 0, 200, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (window == nullptr) return 3;
  if (hangs) ::Sleep(INFINITE);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

// Runs before the tests are set up: a fake browser never reaches them.
const bool kIsFakeBrowser = [] {
  const wchar_t* found = std::wcsstr(::GetCommandLineW(), kFakeSwitch);
  if (found == nullptr) return false;
  std::wstring rest = found + std::wcslen(kFakeSwitch);
  const size_t blank = rest.find(L' ');
  const std::wstring window_class = rest.substr(0, blank);
  const bool hangs = blank != std::wstring::npos &&
                     rest.compare(blank + 1, std::wstring::npos, L"hangs") == 0;
  ::ExitProcess(static_cast<UINT>(RunFakeBrowser(window_class, hangs)));
  return true;
}();

// The first top-level window of the class that belongs to the process.
HWND WindowOf(DWORD process_id, const wchar_t* window_class) {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, window_class, nullptr))) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == process_id) return window;
  }
  return nullptr;
}

class FakeBrowser {
 public:
  // Copies this program to folder\executable and starts it there; waits
  // (at most 20 seconds) until its window is up.
  FakeBrowser(const std::wstring& folder, const wchar_t* executable,
              const wchar_t* window_class, bool hangs = false) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = folder + L"\\" + executable;
    ::CopyFileW(self, path.c_str(), TRUE);  // kept from an earlier start
    std::wstring command = L"\"" + path + L"\"" + kFakeSwitch + window_class +
                           (hangs ? L" hangs" : L" closes");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE,
                          0, nullptr, folder.c_str(), &startup, &info)) {
      return;
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    for (int i = 0; i < 200 && !WindowOf(info.dwProcessId, window_class); ++i) {
      if (!runs()) return;
      ::Sleep(100);
    }
    window_up_ = WindowOf(info.dwProcessId, window_class) != nullptr;
  }
  ~FakeBrowser() {
    if (process_ == nullptr) return;
    if (runs()) {
      ::TerminateProcess(process_, 9);
      ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
  }
  FakeBrowser(const FakeBrowser&) = delete;
  FakeBrowser& operator=(const FakeBrowser&) = delete;

  bool window_up() const { return window_up_; }
  bool runs() const {
    return process_ != nullptr &&
           ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
  }

 private:
  HANDLE process_ = nullptr;
  bool window_up_ = false;
};

class BrowserWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (BrowserIsRunning(Browser::kFirefox) ||
        BrowserIsRunning(Browser::kChrome)) {
      GTEST_SKIP() << "a browser runs in this session";
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"marksafe-fake-browsers-" +
              std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const wchar_t* name :
         {L"firefox.exe", L"chrome.exe", L"browser.exe", L"thunderbird.exe",
          L"electron.exe"}) {
      ::DeleteFileW((folder_ + L"\\" + name).c_str());
    }
    ::RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder_;
};

struct Case {
  Browser browser;
  const wchar_t* executable;
  const wchar_t* window_class;
};

// The browser's process with a window of today's class counts, and so does
// a window of the class of its first releases in any process; closing
// returns once the process has ended.
TEST_F(BrowserWindowTest, BrowserWindowCountsAndClosesWithItsProcess) {
  const Case cases[] = {
      {Browser::kFirefox, L"firefox.exe", L"MozillaWindowClass"},
      {Browser::kChrome, L"chrome.exe", L"Chrome_WidgetWin_1"},
      {Browser::kFirefox, L"browser.exe", L"MozillaUIWindowClass"},
      {Browser::kChrome, L"browser.exe", L"Chrome_WindowImpl_0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.window_class);
    const Browser other =
        c.browser == Browser::kFirefox ? Browser::kChrome : Browser::kFirefox;
    FakeBrowser fake(folder_, c.executable, c.window_class);
    ASSERT_TRUE(fake.window_up());
    EXPECT_TRUE(BrowserIsRunning(c.browser));
    EXPECT_FALSE(BrowserIsRunning(other));
    AskBrowserToClose(other);  // not this one's business
    EXPECT_TRUE(fake.runs());
    AskBrowserToClose(c.browser);
    EXPECT_FALSE(fake.runs());  // gone when the call returns
    EXPECT_FALSE(BrowserIsRunning(c.browser));
  }
}

// Electron applications and Edge share Chrome's class, Thunderbird shares
// Firefox's: their windows neither count nor get asked to close. Edge is
// closed when asked for by its own program's name, and only Edge.
TEST_F(BrowserWindowTest, OtherProgramsWithTheBrowsersClassesDoNotCount) {
  FakeBrowser electron(folder_, L"electron.exe", L"Chrome_WidgetWin_1");
  FakeBrowser thunderbird(folder_, L"thunderbird.exe", L"MozillaWindowClass");
  FakeBrowser edge(folder_, L"msedge.exe", L"Chrome_WidgetWin_1");
  ASSERT_TRUE(electron.window_up() && thunderbird.window_up() &&
              edge.window_up());
  for (Browser browser : {Browser::kChrome, Browser::kFirefox}) {
    EXPECT_FALSE(BrowserIsRunning(browser));
    const ULONGLONG start = ::GetTickCount64();
    AskBrowserToClose(browser);
    EXPECT_LT(::GetTickCount64() - start, 2000u);
  }
  EXPECT_TRUE(edge.runs() && electron.runs() && thunderbird.runs());
}

// A browser that stops answering keeps running but cannot hold the caller
// beyond the bounded wait.
TEST_F(BrowserWindowTest, HangingBrowserIsWaitedForAtMostTenSeconds) {
  FakeBrowser fake(folder_, L"firefox.exe", L"MozillaWindowClass", true);
  ASSERT_TRUE(fake.window_up());
  const ULONGLONG start = ::GetTickCount64();
  AskBrowserToClose(Browser::kFirefox);
  const ULONGLONG waited = ::GetTickCount64() - start;
  EXPECT_GE(waited, 9000u);
  EXPECT_LT(waited, 15000u);
  EXPECT_TRUE(fake.runs());
  EXPECT_TRUE(BrowserIsRunning(Browser::kFirefox));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
