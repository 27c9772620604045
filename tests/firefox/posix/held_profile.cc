// A running Firefox on POSIX leaves a "lock" link to "<address>:+<pid>" in
// its profile folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

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
