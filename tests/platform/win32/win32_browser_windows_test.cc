// Browser detection and closing against real top-level windows that carry
// the browsers' window classes, each served by its own message loop.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

constexpr UINT kStayOpen = WM_APP + 1;
constexpr UINT kDestroyNow = WM_APP + 2;

LRESULT CALLBACK FakeBrowserProc(HWND window, UINT message, WPARAM w,
                                 LPARAM l) {
  switch (message) {
    case WM_CLOSE:
      // A window marked stubborn ignores the request, as a browser showing a
      // "close all tabs?" dialog does.
      if (GetPropW(window, L"stubborn") != nullptr) return 0;
      break;
    case kStayOpen:
      SetPropW(window, L"stubborn", reinterpret_cast<HANDLE>(1));
      return 0;
    case kDestroyNow:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      RemovePropW(window, L"stubborn");
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

// A top-level window of the given class and title with a message loop on a
// thread of its own, as a browser's main window has.
class FakeBrowserWindow {
 public:
  FakeBrowserWindow(const wchar_t* window_class, const wchar_t* title) {
    thread_ = std::thread([this, window_class, title] {
      WNDCLASSW wc = {};
      wc.lpfnWndProc = FakeBrowserProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = window_class;
      RegisterClassW(&wc);  // fails harmlessly when registered already
      HWND window = CreateWindowExW(0, window_class, title,
                                    WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, wc.hInstance, nullptr);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = window;
        ready_ = true;
      }
      ready_signal_.notify_all();
      if (window == nullptr) return;
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
      }
    });
    std::unique_lock<std::mutex> lock(mutex_);
    ready_signal_.wait(lock, [this] { return ready_; });
  }

  ~FakeBrowserWindow() {
    // Only the owning thread may destroy the window; its loop then ends.
    if (window_ != nullptr && IsWindow(window_)) {
      SendMessageW(window_, kDestroyNow, 0, 0);
    }
    thread_.join();
  }

  FakeBrowserWindow(const FakeBrowserWindow&) = delete;
  FakeBrowserWindow& operator=(const FakeBrowserWindow&) = delete;

  HWND window() const { return window_; }
  bool alive() const { return IsWindow(window_) != FALSE; }
  void IgnoreCloseRequests() { SendMessageW(window_, kStayOpen, 0, 0); }

 private:
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_signal_;
  bool ready_ = false;
  HWND window_ = nullptr;
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

TEST_F(BrowserWindowTest, FirefoxIsFoundByClassWhateverItsTitle) {
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  FakeBrowserWindow firefox(kFirefoxClass, L"Some page - Mozilla Firefox");
  ASSERT_NE(firefox.window(), nullptr) << GetLastError();
  EXPECT_TRUE(BrowserIsRunning(Browser::kFirefox));
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
}

TEST_F(BrowserWindowTest, ChromeNeedsItsClassAndItsTitle) {
  FakeBrowserWindow other_title(kChromeClass, L"Some page - Google Chrome");
  ASSERT_NE(other_title.window(), nullptr);
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
  FakeBrowserWindow chrome(kChromeClass, kChromeTitle);
  ASSERT_NE(chrome.window(), nullptr);
  EXPECT_TRUE(BrowserIsRunning(Browser::kChrome));
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
}

TEST_F(BrowserWindowTest, CloseSendsOneRequestAndReturnsWhenHandled) {
  FakeBrowserWindow first(kFirefoxClass, L"one");
  FakeBrowserWindow second(kFirefoxClass, L"two");
  ASSERT_TRUE(first.alive() && second.alive());
  AskBrowserToClose(Browser::kFirefox);
  // WM_CLOSE went through SendMessageW: one window is gone already.
  EXPECT_NE(first.alive(), second.alive());
  EXPECT_TRUE(BrowserIsRunning(Browser::kFirefox));
  AskBrowserToClose(Browser::kFirefox);
  EXPECT_FALSE(first.alive() || second.alive());
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
}

TEST_F(BrowserWindowTest, CloseLeavesAWindowThatRefuses) {
  FakeBrowserWindow chrome(kChromeClass, kChromeTitle);
  ASSERT_NE(chrome.window(), nullptr);
  chrome.IgnoreCloseRequests();
  AskBrowserToClose(Browser::kChrome);
  EXPECT_TRUE(chrome.alive());
  EXPECT_TRUE(BrowserIsRunning(Browser::kChrome));
}

TEST_F(BrowserWindowTest, CloseWithoutAWindowDoesNothing) {
  AskBrowserToClose(Browser::kFirefox);
  AskBrowserToClose(Browser::kChrome);
  EXPECT_FALSE(BrowserIsRunning(Browser::kFirefox));
  EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
