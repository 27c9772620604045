// Stand-ins for a running Firefox on Windows: a top-level window of Firefox's
// class served by a thread of its own, and "parent.lock" in the profile
// folder held open without sharing.
#include <gtest/gtest.h>
#include <windows.h>

#include <future>
#include <thread>

#include "firefox/places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {

FakeFirefox::FakeFirefox(const std::string& /*folder*/) {
  std::promise<HWND> made;
  std::future<HWND> window = made.get_future();
  std::thread([made = std::move(made)]() mutable {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;  // a closed window is destroyed
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MozillaUIWindowClass";
    RegisterClassW(&wc);  // fails harmlessly when registered already
    HWND handle =
        CreateWindowExW(0, wc.lpszClassName, L"Firefox", WS_OVERLAPPEDWINDOW, 0,
                        0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    made.set_value(handle);
    // Serves the window until it is gone (then GetMessage fails).
    MSG message;
    while (handle != nullptr && GetMessageW(&message, handle, 0, 0) > 0) {
      DispatchMessageW(&message);
    }
  }).detach();
  window_ = window.get();
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
