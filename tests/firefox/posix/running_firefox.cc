// A profile held as a running Firefox holds it on POSIX: the "lock" link to
// "<address>:+<pid>" in the profile folder, naming a Firefox process of the
// test's made-up process list, in force while the object lives.
#include <gtest/gtest.h>
#include <unistd.h>

#include "firefox/places_fixture.h"
#include "support/faulty_env.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {

HeldProfile::HeldProfile(const std::string& folder) : lock_(folder + "/lock") {
  auto* env = new ScopedFaultyEnv;
  handle_ = env;
  const int64_t pid = (*env)->AddBrowserProcess(
      platform::Browser::kFirefox, u"firefox", {u"-profile", U16(folder)});
  const std::string target = ":+" + std::to_string(pid);
  EXPECT_EQ(symlink(target.c_str(), lock_.c_str()), 0) << lock_;
}

HeldProfile::~HeldProfile() {
  unlink(lock_.c_str());
  delete static_cast<ScopedFaultyEnv*>(handle_);
}

}  // namespace test
}  // namespace marksafe
