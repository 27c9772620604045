// Browser detection and closing against real top-level windows that carry
// the browsers' window classes.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

LRESULT CALLBACK FakeBrowserProc(HWND window, UINT message, WPARAM w,
                                 LPARAM l) {
  // A stubborn window ignores the request to close, as a browser showing a
  // "close all tabs?" dialog does.
  if (message == WM_CLOSE && GetWindowLongPtrW(window, GWLP_USERDATA) != 0) {
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

// A top-level window of the given class and title. It belongs to the test's
// thread, so only a request sent (not posted) is handled at once.
class FakeBrowserWindow {
 public:
  FakeBrowserWindow(const wchar_t* window_class, const wchar_t* title,
                    bool stubborn = false) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FakeBrowserProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = window_class;
    RegisterClassW(&wc);  // fails harmlessly when registered already
    window_ =
        CreateWindowExW(0, window_class, title, WS_OVERLAPPEDWINDOW, 0, 0, 100,
                        100, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, stubborn ? 1 : 0);
  }
  ~FakeBrowserWindow() {
    if (alive()) DestroyWindow(window_);
  }
  FakeBrowserWindow(const FakeBrowserWindow&) = delete;
  FakeBrowserWindow& operator=(const FakeBrowserWindow&) = delete;
  bool alive() const { return window_ != nullptr && IsWindow(window_); }

 private:
  HWND window_;
};

const wchar_t kFirefoxClass[] = L"MozillaUIWindowClass";
const wchar_t kChromeClass[] = L"Chrome_WindowImpl_0";
const wchar_t kChromeTitle[] = L"Google - Google Chrome";

class BrowserWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindWindowW(kFirefoxClass, nullptr) != nullptr ||
        FindWindowW(kChromeClass, nullptr) != nullptr) {
      GTEST_SKIP() << "a real browser window is open on this desktop";
    }
  }
};

// Firefox is found by its class whatever its title; Chrome needs both.
TEST_F(BrowserWindowTest, FoundByClassAndForChromeByTitle) {
  AskBrowserToClose(Browser::kFirefox);  // none: nothing to do
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  FakeBrowserWindow chrome_page(kChromeClass, L"Some page - Google Chrome");
  ASSERT_TRUE(chrome_page.alive()) << GetLastError();
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  FakeBrowserWindow firefox(kFirefoxClass, L"Some page - Mozilla Firefox");
  ASSERT_TRUE(firefox.alive());
  EXPECT_TRUE(BrowserIsRunning(Browser::kFirefox));
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
  FakeBrowserWindow chrome(kChromeClass, kChromeTitle);
  EXPECT_TRUE(BrowserIsRunning(Browser::kChrome));
}

TEST_F(BrowserWindowTest, CloseSendsOneRequestAndReturnsWhenHandled) {
  FakeBrowserWindow first(kFirefoxClass, L"one");
  FakeBrowserWindow second(kFirefoxClass, L"two");
  ASSERT_TRUE(first.alive() && second.alive());
  AskBrowserToClose(Browser::kFirefox);
  // The request was handled before the call returned: one window is gone.
  EXPECT_NE(first.alive(), second.alive());
  AskBrowserToClose(Browser::kFirefox);
  EXPECT_FALSE(first.alive() || second.alive());
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  // A window that refuses stays.
  FakeBrowserWindow chrome(kChromeClass, kChromeTitle, true);
  AskBrowserToClose(Browser::kChrome);
  EXPECT_TRUE(chrome.alive());
  EXPECT_TRUE(BrowserIsRunning(Browser::kChrome));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
