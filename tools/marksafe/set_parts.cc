#include "set_parts.h"

#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <system_error>

#include "backup_set_layout.h"
#include "errors.h"
#include "json_answer.h"
#include "profiles.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

// The manifest's keys are written in name order, the long list of records
// after the keys read here: only the head of the file is read.
constexpr std::streamsize kManifestHead = 64 * 1024;

bool IsRealFolder(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  return !ec && fs::is_directory(status);
}

bool IsRegularFile(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  return !ec && fs::is_regular_file(status);
}

std::string Member(const Json::Value& document, const char* key) {
  const Json::Value& value = document[key];
  return value.isString() ? value.asString() : std::string();
}

// Whose bookmarks the part holds, from the head of its manifest.
void ReadSource(SetPart* part) {
  const fs::path manifest = part->folder / "manifest.json";
  if (!IsRegularFile(manifest)) return;
  std::ifstream in(manifest, std::ios::binary);
  std::string head(static_cast<size_t>(kManifestHead), '\0');
  in.read(&head[0], kManifestHead);
  head.resize(static_cast<size_t>(in.gcount()));
  const size_t records = head.find(",\"records\":");
  if (records == std::string::npos) return;
  head.resize(records);
  head += "}";
  Json::Value document;
  if (!ParseObject(head, &document)) return;
  part->browser = Member(document, "browser");
  part->profile = Member(document, "profile");
  part->profile_folder = Member(document, "profile_folder");
}

std::string Leaf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  if (fs::equivalent(PathFromUtf8(a), PathFromUtf8(b), ec)) return true;
  return PathFromUtf8(a).lexically_normal() ==
         PathFromUtf8(b).lexically_normal();
}

// A folder name from a browser's and a profile's names: what no file
// system takes becomes "_".
std::string FolderName(const std::string& browser, const std::string& profile) {
  std::string name = profile.empty() ? browser : browser + " - " + profile;
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string("<>:\"/\\|?*").find(c) != std::string::npos) {
      c = '_';
    }
  }
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
    name.pop_back();
  }
  constexpr size_t kLongestName = 100;  // bytes of UTF-8
  if (name.size() > kLongestName) {
    size_t cut = kLongestName;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
      --cut;
    }
    name.resize(cut);
  }
  return name;
}

SetPart MakePart(const fs::path& root, const std::string& leaf,
                 Browser family, bool legacy) {
  SetPart part;
  part.family = family;
  part.name = "Bookmarks/" + leaf;
  part.folder = root / "Bookmarks" / PathFromUtf8(leaf);
  part.legacy = legacy;
  if (family != Browser::kIe) ReadSource(&part);
  return part;
}

SetPart Slot(const fs::path& root, Browser browser) {
  SetPart part = MakePart(root, PathToUtf8(PartFolder(root, browser).filename()),
                          browser, true);
  return part;
}

std::string ListNames(const std::vector<SetPart>& parts) {
  std::string names;
  for (const SetPart& part : parts) {
    names += (names.empty() ? "" : ", ") + DescribePart(part);
  }
  return names.empty() ? "no part" : names;
}

// The folder of a profile's own part: named after the browser and the
// profile; another profile of the same names (another installation) gets
// the next free "(2)", "(3)", ...; with fresh, a folder of the profile's own
// is passed over too.
SetPart OwnPart(const fs::path& root, Browser family, const std::string& browser,
                const std::string& browser_name, const std::string& profile,
                const std::string& profile_folder, bool fresh) {
  // A part of a file named by hand records no browser: it goes by its
  // family's name.
  std::string shown = browser_name.empty() ? browser : browser_name;
  if (shown.empty()) shown = DisplayName(family);
  const std::string base = FolderName(shown, profile);
  for (int n = 1;; ++n) {
    const std::string leaf =
        n == 1 ? base : base + " (" + std::to_string(n) + ")";
    SetPart part = MakePart(root, leaf, family, false);
    std::error_code ec;
    const bool exists = fs::exists(fs::symlink_status(part.folder, ec));
    const bool ours = !fresh && IsRealFolder(part.folder) &&
                      (part.profile_folder.empty() ||
                       SameFolder(part.profile_folder, profile_folder));
    if (!exists || ours) {
      part.browser = browser;
      part.profile = profile;
      part.profile_folder = profile_folder;
      return part;
    }
  }
}

}  // namespace

std::vector<SetPart> ListParts(const fs::path& root) {
  std::vector<SetPart> parts;
  for (Browser browser : kAllBrowsers) {
    if (IsRealFolder(PartFolder(root, browser))) {
      parts.push_back(Slot(root, browser));
    }
  }
  std::vector<SetPart> others;
  std::error_code ec;
  for (fs::directory_iterator it(root / "Bookmarks", ec), end;
       !ec && it != end; it.increment(ec)) {
    const fs::path folder = it->path();
    const std::string leaf = PathToUtf8(folder.filename());
    if (leaf == "Favorites" || leaf == "Firefox" || leaf == "Chrome" ||
        !IsRealFolder(folder) || leaf.find(".marksafe-") != std::string::npos) {
      continue;
    }
    if (IsRegularFile(folder / "pos.ini")) {
      others.push_back(MakePart(root, leaf, Browser::kFirefox, false));
    } else if (IsRegularFile(folder / "chrome_pos.ini")) {
      others.push_back(MakePart(root, leaf, Browser::kChrome, false));
    }
  }
  std::sort(others.begin(), others.end(),
            [](const SetPart& a, const SetPart& b) { return a.name < b.name; });
  parts.insert(parts.end(), others.begin(), others.end());
  return parts;
}

std::string DescribePart(const SetPart& part) {
  std::string text =
      std::string(DisplayName(part.family)) + " part " + part.name;
  if (part.browser.empty() && part.profile.empty()) return text;
  return text + " (" + (part.browser.empty() ? "" : part.browser + " ") +
         "profile \"" + part.profile + "\")";
}

SetPart BackupPartFor(const fs::path& root, Browser browser,
                      const DataOptions& data) {
  if (browser == Browser::kIe || data.profile_folder.empty()) {
    return Slot(root, browser);
  }
  const Location chosen = Locate(browser, data);
  const Location family_default = Locate(browser, DataOptions{});
  std::error_code ec;
  if (family_default.found &&
      (fs::equivalent(chosen.path, family_default.path, ec) ||
       chosen.path == family_default.path)) {
    return Slot(root, browser);
  }
  return OwnPart(root, browser, data.profile_browser, data.profile_browser_name,
                 data.profile_name, data.profile_folder, false);
}

std::string KeepSlotOwner(const fs::path& root, Browser browser,
                          const std::string& writing_folder,
                          const std::string& step) {
  if (browser == Browser::kIe) return "";
  const SetPart slot = Slot(root, browser);
  if (!IsRealFolder(slot.folder) || slot.profile_folder.empty() ||
      writing_folder.empty() || SameFolder(slot.profile_folder, writing_folder)) {
    return "";
  }
  std::string browser_name;
  for (const ProfileInfo& info :
       FindProfiles(slot.browser, "", false, false, step)) {
    if (info.browser == slot.browser) browser_name = info.browser_name;
  }
  const SetPart own =
      OwnPart(root, browser, slot.browser, browser_name, slot.profile,
              slot.profile_folder, true);
  std::error_code ec;
  fs::rename(slot.folder, own.folder, ec);
  if (ec) {
    Fail(step, "cannot move " + DescribePart(slot) + " to " + own.name +
                   " before the new backup takes its place: " + ec.message());
  }
  return DescribePart(slot) + " now in " + own.name;
}


SetPart ChooseRestorePart(const fs::path& root, Browser target,
                          const DataOptions& data, const std::string& from,
                          const std::string& from_profile,
                          const std::string& step) {
  const std::vector<SetPart> parts = ListParts(root);
  std::vector<SetPart> matches;
  if (from.empty()) {
    for (const SetPart& part : parts) {
      if (part.family == target &&
          SameFolder(part.profile_folder, data.profile_folder)) {
        return part;
      }
    }
    for (const SetPart& part : parts) {
      if (part.legacy && part.family == target) return part;
    }
    Fail(step, "the backup set in " + PathToUtf8(root) + " has no " +
                   DisplayName(target) + " part (" + PartName(target) +
                   "); it holds " + ListNames(parts) +
                   ": name one with --from, or bring one over with marksafe "
                   "convert");
  }
  for (const SetPart& part : parts) {
    if (part.browser != from) continue;
    if (!from_profile.empty() && part.profile != from_profile &&
        Leaf(part.profile_folder) != from_profile) {
      continue;
    }
    matches.push_back(part);
  }
  const Browser family = FamilyOf(from);
  const bool family_key = from == "ie" || from == "firefox" || from == "chrome";
  if (matches.empty() && from_profile.empty() && family_key) {
    for (const SetPart& part : parts) {
      if (part.legacy && part.family == family) matches.push_back(part);
    }
  }
  if (matches.size() > 1) {
    // A profile named so outranks one whose folder is named so (two
    // Chromium installs each have a "Default" folder); without a name the
    // legacy slot, the family's default, is taken.
    std::vector<SetPart> preferred;
    for (const SetPart& part : matches) {
      if (from_profile.empty() ? part.legacy : part.profile == from_profile) {
        preferred.push_back(part);
      }
    }
    if (preferred.size() == 1) matches = preferred;
  }
  if (matches.empty()) {
    Fail(step, "the backup set in " + PathToUtf8(root) + " has no part of " +
                   from + (from_profile.empty() ? "" : " profile \"" +
                                                           from_profile + "\"") +
                   " (it holds " + ListNames(parts) + ")");
  }
  if (matches.size() > 1) {
    Fail(step, std::string("several parts match") +
                   (from_profile.empty()
                        ? "; name one with --from-profile: "
                        : " --from-profile " + from_profile + ": ") +
                   ListNames(matches));
  }
  if (matches.front().family != target) {
    Fail(step, DescribePart(matches.front()) + " is a " +
                   DisplayName(matches.front().family) + " part; to bring it "
                   "into " + DisplayName(target) + " use marksafe convert");
  }
  return matches.front();
}

}  // namespace marksafe_cli
