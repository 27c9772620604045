// The Firefox profile in use, as Firefox's own profiles.ini (and
// installs.ini beside it) names it. Firefox 67 and later keep a profile per
// installation and leave an older, unused "*.default" profile beside it, so
// a rule on folder names alone picks the wrong one.
#ifndef MARKSAFE_PROFILES_FIREFOX_PROFILES_H_
#define MARKSAFE_PROFILES_FIREFOX_PROFILES_H_

#include <string>
#include <vector>

namespace marksafe {

// The profile folder named by root\profiles.ini: the Default= of its first
// [Install...] section (then of installs.ini's sections) that names an
// existing folder, else the first [Profile...] with Default=1 whose folder
// exists. A Path is taken relative to root when IsRelative=1 (an Install
// value takes the IsRelative of the profile of the same Path; without one
// it is relative unless it is absolute). Empty when nothing is named or
// nothing named exists. Each file is read once.
std::u16string ProfileFromIni(const std::u16string& root);

// One profile of profiles.ini: its Name, its folder (resolved as above) and
// whether it is the one ProfileFromIni picks.
struct FirefoxProfileEntry {
  std::u16string name;
  std::u16string folder;
  bool is_default = false;
};

// The [Profile...] sections of root\profiles.ini whose folders exist, in
// file order. False (and out empty) when the file is missing, unreadable or
// lists no profile with a Path: the caller then has only the folders.
bool ListProfilesFromIni(const std::u16string& root,
                         std::vector<FirefoxProfileEntry>* out);

}  // namespace marksafe

#endif  // MARKSAFE_PROFILES_FIREFOX_PROFILES_H_
