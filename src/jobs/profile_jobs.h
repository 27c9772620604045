// The browser profiles a host works with: each one listed with what its
// store holds and whether a browser holds it, and the browser that holds
// one closed.
#ifndef MARKSAFE_JOBS_PROFILE_JOBS_H_
#define MARKSAFE_JOBS_PROFILE_JOBS_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "model/bookmark_tree.h"
#include "profiles/browser_profiles.h"

namespace marksafe {
namespace jobs {

struct ListedProfile {
  BrowserProfile profile;
  bool store_exists = false;
  bool running = false;  // ProfileInUse
  // What a command takes for the profile's family when nothing is named
  // (not set for a profile picked).
  bool family_default = false;
  // With count: whether the store was read; counts holds its folders and
  // links then (model::UserCounts), else nothing.
  bool counted = false;
  model::Counts counts;
};

// Every profile FindProfiles finds, in its order; with pick only the one
// PickProfile picks among them (browser, wanted). count: each store counted
// (a store that cannot be read is reported on the current job). Fails as
// PickProfile.
[[nodiscard]] Status ListProfiles(bool pick, const std::u16string& browser,
                                  const std::u16string& wanted, bool count,
                                  std::vector<ListedProfile>* out);

// Closes the browser that holds the profile FindProfile picks
// (CloseProfileHolder). Fails as FindProfile, or with kErrorBusy when the
// profile is still held.
[[nodiscard]] Status CloseProfile(const std::u16string& browser,
                                  const std::u16string& wanted);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_PROFILE_JOBS_H_
