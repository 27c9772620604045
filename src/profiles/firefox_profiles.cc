#include "profiles/firefox_profiles.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/text.h"
#include "platform/debug_log.h"
#include "platform/ini_file.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "profiles/profile_warnings.h"

namespace marksafe {
namespace {

using platform::ini::Section;

// Firefox writes a section per profile and per installation: a file with
// more is not one of its own, and the rest of it is left unread so that the
// work stays bounded.
constexpr size_t kMaxSections = 1000;
constexpr size_t kMaxKeys = 64;

// The sections of root's INI file name in file order (UTF-8, as Firefox
// writes them); none when the file cannot be read (see
// platform::ReadProfileFile).
std::vector<Section> ReadIni(const std::u16string& root, const char16_t* name) {
  std::string bytes;
  const std::u16string file = JoinPath(root, name);
  if (!platform::ReadProfileFile(root, file, &bytes).ok()) {
    if (platform::PathExists(file)) {
      ProfileWarning(u"%s is not a regular file of at most 16 MiB inside %s: "
                     u"not read\n",
                     file, root);
    }
    return {};
  }
  bool cut = false;
  std::vector<Section> sections = platform::ini::Sections(
      platform::ini::Parse(bytes), kMaxSections, kMaxKeys, &cut);
  if (cut) {
    ProfileWarning(u"%s holds more than %d sections: the rest is ignored\n",
                   file, static_cast<int>(kMaxSections));
  }
  return sections;
}

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsAbsolute(const std::u16string& path) {
  return (!path.empty() && (path[0] == u'/' || path[0] == u'\\')) ||
         (path.size() > 1 && path[1] == u':');
}

// The folder a Path value names: below root when relative.
std::u16string ResolvePath(const std::u16string& root,
                           const std::u16string& path, bool relative) {
  if (!relative) return path;
  std::u16string inner = path;
  for (char16_t& c : inner) {
    if (c == u'/') c = u'\\';
  }
  return JoinPath(root, inner);
}

// Whether a profile folder named by the INI files can be used: it exists and
// lies inside root. A path that leads elsewhere ("..", an absolute path, a
// link) would make every write meant for the profile land outside the
// browser's folder: it is skipped, with a diagnostic line.
bool UsableFolder(const std::u16string& root, const std::u16string& folder) {
  if (!platform::IsDirectory(folder)) return false;
  if (platform::ResolvesInside(folder, root)) return true;
  ProfileWarning(u"the profile folder %s lies outside %s: skipped\n", folder,
                 root);
  return false;
}

// The default profile folder among the sections of root's profiles.ini:
// see ProfileFromIni.
std::u16string DefaultFromSections(const std::u16string& root,
                                   const std::vector<Section>& profiles) {
  std::vector<std::u16string> install_defaults;
  // Path -> IsRelative of the first profile with that Path.
  std::unordered_map<std::u16string, bool> relative_of;
  for (const Section& section : profiles) {
    if (StartsWith(section.name, u"Install")) {
      install_defaults.push_back(section.Get(u"Default"));
    } else if (StartsWith(section.name, u"Profile")) {
      relative_of.emplace(section.Get(u"Path"),
                          section.Get(u"IsRelative") == u"1");
    }
  }
  for (const Section& section : ReadIni(root, u"installs.ini")) {
    install_defaults.push_back(section.Get(u"Default"));
  }
  for (const std::u16string& value : install_defaults) {
    if (value.empty()) continue;
    const auto known = relative_of.find(value);
    const bool relative =
        known != relative_of.end() ? known->second : !IsAbsolute(value);
    const std::u16string folder = ResolvePath(root, value, relative);
    if (UsableFolder(root, folder)) return folder;
  }
  for (const Section& section : profiles) {
    if (!StartsWith(section.name, u"Profile") ||
        section.Get(u"Default") != u"1") {
      continue;
    }
    const std::u16string path = section.Get(u"Path");
    if (path.empty()) continue;
    const std::u16string folder =
        ResolvePath(root, path, section.Get(u"IsRelative") == u"1");
    if (UsableFolder(root, folder)) return folder;
  }
  return std::u16string();
}

}  // namespace

std::u16string ProfileFromIni(const std::u16string& root) {
  return DefaultFromSections(root, ReadIni(root, u"profiles.ini"));
}

bool ListProfilesFromIni(const std::u16string& root,
                         std::vector<FirefoxProfileEntry>* out) {
  out->clear();
  const std::vector<Section> profiles = ReadIni(root, u"profiles.ini");
  bool listed = false;
  std::unordered_set<std::u16string> seen;
  for (const Section& section : profiles) {
    if (!StartsWith(section.name, u"Profile")) continue;
    const std::u16string path = section.Get(u"Path");
    if (path.empty()) continue;
    listed = true;
    FirefoxProfileEntry entry;
    entry.folder = ResolvePath(root, path, section.Get(u"IsRelative") == u"1");
    // A folder named twice is one profile.
    if (!seen.insert(entry.folder).second) continue;
    if (!UsableFolder(root, entry.folder)) continue;
    entry.name = section.Get(u"Name");
    out->push_back(std::move(entry));
  }
  if (!listed) return false;
  const std::u16string chosen = DefaultFromSections(root, profiles);
  for (FirefoxProfileEntry& entry : *out) {
    entry.is_default = !chosen.empty() && entry.folder == chosen;
  }
  if (chosen.empty()) {
    // Nothing marked: the old rule, the first whose name holds ".default".
    for (FirefoxProfileEntry& entry : *out) {
      const size_t cut = entry.folder.find_last_of(u"\\/");
      const size_t name = cut == std::u16string::npos ? 0 : cut + 1;
      if (entry.folder.find(u".default", name) != std::u16string::npos) {
        entry.is_default = true;
        break;
      }
    }
  }
  return true;
}

}  // namespace marksafe
