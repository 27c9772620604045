// A profile held as a running Firefox holds it on POSIX: the "lock" link to
// "<address>:+<pid>" in the profile folder, naming this live process.
#include <gtest/gtest.h>
#include <unistd.h>

#include "firefox/places_fixture.h"

namespace marksafe {
namespace test {

HeldProfile::HeldProfile(const std::string& folder) : lock_(folder + "/lock") {
  const std::string target = ":+" + std::to_string(getpid());
  EXPECT_EQ(symlink(target.c_str(), lock_.c_str()), 0) << lock_;
}

HeldProfile::~HeldProfile() { unlink(lock_.c_str()); }

}  // namespace test
}  // namespace marksafe
