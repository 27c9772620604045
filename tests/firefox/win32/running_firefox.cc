// Stand-ins for a running Firefox on Windows: a top-level window of Firefox's
// class served by a thread of its own, and "parent.lock" in the profile
// folder held open without sharing.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "firefox/places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

const wchar_t kFirefoxClass[] = L"MozillaUIWindowClass";

LRESULT CALLBACK FakeFirefoxProc(HWND window, UINT message, WPARAM w,
                                 LPARAM l) {
  if (message != WM_DESTROY) return DefWindowProcW(window, message, w, l);
  PostQuitMessage(0);
  return 0;
}

}  // namespace

FakeFirefox::FakeFirefox(const std::string& /*folder*/) {
  struct State {
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> ready{false};
  };
  auto state = std::make_shared<State>();
  std::thread([state] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FakeFirefoxProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kFirefoxClass;
    RegisterClassW(&wc);  // fails harmlessly when registered already
    HWND window =
        CreateWindowExW(0, kFirefoxClass, L"Firefox", WS_OVERLAPPEDWINDOW, 0, 0,
                        100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    state->window.store(window);
    state->ready.store(true);
    MSG message;
    while (window != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
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

HeldProfile::HeldProfile(const std::string& folder)
    : lock_(folder + "/parent.lock") {
  const std::u16string path = U16(lock_);
  HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << lock_;
  if (file != INVALID_HANDLE_VALUE) handle_ = file;
}

HeldProfile::~HeldProfile() {
  if (handle_ != nullptr) ::CloseHandle(static_cast<HANDLE>(handle_));
}

}  // namespace test
}  // namespace marksafe
