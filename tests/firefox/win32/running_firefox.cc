// A profile held as a running Firefox holds it on Windows: "parent.lock" in
// the profile folder, held open without sharing.
#include <gtest/gtest.h>
#include <windows.h>

#include "firefox/places_fixture.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {

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
