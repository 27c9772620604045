// Picking one profile among those found: by browser, by name or folder,
// or the default of the installation used last.
#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/text.h"
#include "platform/file_names.h"
#include "profiles/browser_profiles.h"

namespace marksafe {
namespace {

std::u16string ListOf(const std::vector<const BrowserProfile*>& profiles) {
  std::u16string text;
  for (const BrowserProfile* profile : profiles) {
    text += u"\n  " + DescribeProfile(*profile);
  }
  return text;
}

std::u16string BrowserLabel(const std::u16string& browser) {
  return browser.empty() ? std::u16string(u"browser") : browser;
}

bool SamePath(std::u16string a, std::u16string b) {
  for (std::u16string* path : {&a, &b}) {
    for (char16_t& c : *path) {
      if (c == u'\\') c = u'/';
    }
    while (path->size() > 1 && path->back() == u'/') path->pop_back();
  }
  return a == b;
}

// The default profile of the installation used last among candidates.
const BrowserProfile* LatestDefault(
    const std::vector<const BrowserProfile*>& candidates) {
  const BrowserProfile* best = nullptr;
  for (const BrowserProfile* profile : candidates) {
    if (!profile->is_default) continue;
    if (best == nullptr || profile->last_used > best->last_used) best = profile;
  }
  return best;
}

Status PickDefault(const std::vector<const BrowserProfile*>& candidates,
                   const std::u16string& label, BrowserProfile* out) {
  const BrowserProfile* best = LatestDefault(candidates);
  if (best == nullptr) {
    return Status::Error(kErrorFileNotFound,
                         candidates.empty() ? u"no " + label + u" profile found"
                                            : u"no " + label +
                                                  u" profile is marked as the "
                                                  u"default; name one of:" +
                                                  ListOf(candidates));
  }
  *out = *best;
  return Status::Ok();
}

}  // namespace

Status PickProfile(const std::vector<BrowserProfile>& profiles,
                   const std::u16string& browser, const std::u16string& wanted,
                   BrowserProfile* out) {
  std::u16string key;
  if (!browser.empty()) {
    const BrowserInfo* info = FindBrowser(browser);
    if (info == nullptr) {
      std::u16string known;
      for (const BrowserInfo& each : KnownBrowsers()) {
        known += (known.empty() ? u"" : u", ") + std::u16string(each.key);
      }
      return Status::Error(
          kErrorInvalidParameter,
          u"unknown browser \"" + browser + u"\"; known: " + known);
    }
    key = info->key;
  }
  std::vector<const BrowserProfile*> candidates;
  for (const BrowserProfile& profile : profiles) {
    if (key.empty() || profile.browser == key) candidates.push_back(&profile);
  }
  const std::u16string label = BrowserLabel(key);
  if (wanted.empty()) {
    if (!key.empty()) return PickDefault(candidates, label, out);
    // Any browser: only when every installation found is of one family is
    // "the one used last" a meaningful choice.
    for (const BrowserProfile* profile : candidates) {
      if (profile->family != candidates.front()->family) {
        return Status::Error(
            kErrorInvalidParameter,
            u"profiles of several browsers found; name a browser "
            u"or a profile of:" +
                ListOf(candidates));
      }
    }
    return PickDefault(candidates, label, out);
  }
  const bool is_path = wanted.find_first_of(u"\\/") != std::u16string::npos;
  std::vector<const BrowserProfile*> exact;
  std::vector<const BrowserProfile*> loose;
  for (const BrowserProfile* profile : candidates) {
    if (is_path) {
      if (SamePath(wanted, profile->folder) ||
          SamePath(wanted, profile->store)) {
        exact.push_back(profile);
      }
    } else if (wanted == profile->name || wanted == profile->folder_name) {
      exact.push_back(profile);
    } else if (EqualsNoCase(wanted, profile->name) ||
               EqualsNoCase(wanted, profile->folder_name)) {
      loose.push_back(profile);
    }
  }
  const std::vector<const BrowserProfile*>& matches =
      exact.empty() ? loose : exact;
  if (matches.empty() && is_path &&
      ProfileAtFolder(wanted, key.empty() ? nullptr : FindBrowser(key), out)) {
    return Status::Ok();
  }
  if (matches.size() == 1) {
    *out = *matches.front();
    return Status::Ok();
  }
  if (matches.empty()) {
    return Status::Error(kErrorFileNotFound,
                         candidates.empty()
                             ? u"no " + label + u" profile found"
                             : u"no " + label + u" profile \"" + wanted +
                                   u"\"; found:" + ListOf(candidates));
  }
  return Status::Error(kErrorInvalidParameter,
                       u"several " + label + u" profiles match \"" + wanted +
                           u"\"; name one by its folder:" + ListOf(matches));
}

Status PickFamilyDefault(const std::vector<BrowserProfile>& profiles,
                         BrowserFamily family, BrowserProfile* out) {
  std::vector<const BrowserProfile*> candidates;
  for (const BrowserProfile& profile : profiles) {
    if (profile.family == family) candidates.push_back(&profile);
  }
  return PickDefault(candidates,
                     family == BrowserFamily::kChromium ? u"Chromium-family"
                                                        : u"Firefox-family",
                     out);
}

Status FindProfile(const std::u16string& browser, const std::u16string& wanted,
                   BrowserProfile* out) {
  return PickProfile(FindProfiles(), browser, wanted, out);
}

}  // namespace marksafe
