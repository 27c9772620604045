#include "jobs/profile_jobs.h"

#include "base/error_codes.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"

namespace marksafe {
namespace jobs {
namespace {

bool SameProfile(const BrowserProfile& a, const BrowserProfile& b) {
  return a.browser == b.browser && a.data_folder == b.data_folder &&
         a.folder == b.folder;
}

ListedProfile Listed(const BrowserProfile& profile, bool count) {
  ListedProfile listed;
  listed.profile = profile;
  listed.store_exists = platform::PathExists(profile.store);
  listed.running = ProfileInUse(profile);
  if (count) {
    listed.counted = CountStore(profile.family == BrowserFamily::kChromium
                                    ? MARKSAFE_STORE_CHROME
                                    : MARKSAFE_STORE_PLACES,
                                profile.store, &listed.counts)
                         .ok();
    if (!listed.counted) listed.counts = model::Counts();
  }
  return listed;
}

}  // namespace

Status ListProfiles(bool pick, const std::u16string& browser,
                    const std::u16string& wanted, bool count,
                    std::vector<ListedProfile>* out) {
  const std::vector<BrowserProfile> profiles = FindProfiles();
  if (pick) {
    BrowserProfile picked;
    const Status status = PickProfile(profiles, browser, wanted, &picked);
    if (status.ok()) out->push_back(Listed(picked, count));
    return status;
  }
  // Each family's default: what a command takes when nothing is named.
  std::vector<BrowserProfile> defaults(2);
  const bool has_default[] = {
      PickFamilyDefault(profiles, BrowserFamily::kFirefox, &defaults[0]).ok(),
      PickFamilyDefault(profiles, BrowserFamily::kChromium, &defaults[1]).ok()};
  for (const BrowserProfile& each : profiles) {
    out->push_back(Listed(each, count));
    const size_t family = each.family == BrowserFamily::kFirefox ? 0 : 1;
    out->back().family_default =
        has_default[family] && SameProfile(each, defaults[family]);
  }
  return Status::Ok();
}

Status CloseProfile(const std::u16string& browser,
                    const std::u16string& wanted) {
  BrowserProfile picked;
  const Status status = FindProfile(browser, wanted, &picked);
  if (!status.ok()) return status;
  if (CloseProfileHolder(picked)) return Status::Ok();
  return Status::Error(kErrorBusy, DescribeProfile(picked) + u" is still held");
}

}  // namespace jobs
}  // namespace marksafe
