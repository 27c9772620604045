#include "common/firefox_profiles.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/debug_log.h"
#include "common/profile_warnings.h"
#include "common/text.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"

namespace marksafe {
namespace {

struct IniSection {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> keys;

  // The value of key (ASCII case ignored); empty when missing.
  std::u16string Get(const std::u16string& key) const {
    for (const auto& entry : keys) {
      if (EqualsNoCase(entry.first, key)) return entry.second;
    }
    return std::u16string();
  }
};

// Firefox writes a section per profile and per installation: a file with
// more is not one of its own, and the rest of it is left unread so that the
// work stays bounded.
constexpr size_t kMaxSections = 1000;
constexpr size_t kMaxKeys = 64;

// The sections of root's INI file name in file order (UTF-8, as Firefox
// writes them); none when the file cannot be read (see
// platform::ReadProfileFile).
std::vector<IniSection> ReadIni(const std::u16string& root,
                                const char16_t* name) {
  std::vector<IniSection> sections;
  std::string bytes;
  const std::u16string file = JoinPath(root, name);
  if (!platform::ReadProfileFile(root, file, &bytes)) {
    if (platform::PathExists(file)) {
      ProfileWarning(u"%s is not a regular file of at most 16 MiB inside %s: "
                     u"not read\n",
                     file, root);
    }
    return sections;
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  const std::u16string text = platform::FromUtf8(bytes);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string line =
        Trimmed(text.substr(start, end - start), u" \t\r");
    start = end + 1;
    if (line.empty() || line[0] == u';' || line[0] == u'#') continue;
    if (line.front() == u'[' && line.back() == u']') {
      if (sections.size() == kMaxSections) {
        ProfileWarning(
            u"%s holds more than %d sections: the rest is ignored\n", file,
            static_cast<int>(kMaxSections));
        break;
      }
      sections.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    const size_t equals = line.find(u'=');
    if (equals == std::u16string::npos || sections.empty() ||
        sections.back().keys.size() == kMaxKeys) {
      continue;
    }
    sections.back().keys.emplace_back(
        Trimmed(line.substr(0, equals), u" \t\r"),
        Trimmed(line.substr(equals + 1), u" \t\r"));
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
                                   const std::vector<IniSection>& profiles) {
  std::vector<std::u16string> install_defaults;
  // Path -> IsRelative of the first profile with that Path.
  std::unordered_map<std::u16string, bool> relative_of;
  for (const IniSection& section : profiles) {
    if (StartsWith(section.name, u"Install")) {
      install_defaults.push_back(section.Get(u"Default"));
    } else if (StartsWith(section.name, u"Profile")) {
      relative_of.emplace(section.Get(u"Path"),
                          section.Get(u"IsRelative") == u"1");
    }
  }
  for (const IniSection& section : ReadIni(root, u"installs.ini")) {
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
  for (const IniSection& section : profiles) {
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
  const std::vector<IniSection> profiles = ReadIni(root, u"profiles.ini");
  bool listed = false;
  std::unordered_set<std::u16string> seen;
  for (const IniSection& section : profiles) {
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
