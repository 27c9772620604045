// A stand-in Firefox on Windows: a top-level window of Firefox's window
// class, served by a message loop on a thread of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "firefox/places_fixture.h"

namespace marksafe {
namespace test {
namespace {

const wchar_t kFirefoxClass[] = L"MozillaUIWindowClass";

LRESULT CALLBACK FakeFirefoxProc(HWND window, UINT message, WPARAM w,
                                 LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

struct WindowState {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> ready{false};
};

}  // namespace

FakeFirefox::FakeFirefox(const std::string& /*folder*/) {
  auto state = std::make_shared<WindowState>();
  std::thread([state] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FakeFirefoxProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kFirefoxClass;
    RegisterClassW(&wc);  // fails harmlessly when registered already
    HWND window =
        CreateWindowExW(0, kFirefoxClass, L"Firefox", WS_OVERLAPPEDWINDOW, 0,
                        0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    state->window.store(window);
    state->ready.store(true);
    if (window == nullptr) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      DispatchMessageW(&message);
    }
  }).detach();
  while (!state->ready.load()) std::this_thread::yield();
  window_ = state->window.load();
  EXPECT_NE(window_, nullptr) << "the fake firefox window was not created";
}

FakeFirefox::~FakeFirefox() {
  HWND window = static_cast<HWND>(window_);
  if (window != nullptr && IsWindow(window)) {
    SendMessageW(window, WM_CLOSE, 0, 0);
  }
}

}  // namespace test
}  // namespace marksafe
