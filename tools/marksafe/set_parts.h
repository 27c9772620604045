// The parts a backup set holds: the three slots older readers know
// (Bookmarks/Favorites, Bookmarks/Firefox, Bookmarks/Chrome), each holding
// its family's default profile, and one folder per other browser profile
// backed up into the set ("Bookmarks/Brave - Work"). Each Firefox or Chrome
// part's manifest says whose bookmarks it holds.
#ifndef MARKSAFE_TOOLS_MARKSAFE_SET_PARTS_H_
#define MARKSAFE_TOOLS_MARKSAFE_SET_PARTS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "browsers.h"

namespace marksafe_cli {

struct SetPart {
  Browser family = Browser::kIe;  // the kind of part: Favorites, Firefox, Chrome
  std::string name;               // "Bookmarks/Brave - Work"
  std::filesystem::path folder;
  bool legacy = false;            // one of the three slots
  // As the manifest records them; empty in older sets.
  std::string browser;  // "brave", ...
  std::string profile;  // "Work"
  std::string profile_folder;
};

// Every part under root: the three slots first, then the others by name.
// A folder is a part when it is a slot or holds a position file.
std::vector<SetPart> ListParts(const std::filesystem::path& root);

// "Chrome part Bookmarks/Brave - Work (brave profile "Work")", or for a
// part of an older set "Chrome part Bookmarks/Chrome".
std::string DescribePart(const SetPart& part);

// The part a backup of browser (with the profile data names, if any) goes
// into. The family's default profile, and data named by a file, keep the
// slot; another profile gets a folder of its own, named after its browser
// and profile, that no other profile's part holds.
SetPart BackupPartFor(const std::filesystem::path& root, Browser browser,
                      const DataOptions& data);

// Before a backup of the family's default profile (whose folder is
// writing_folder) goes into the slot: when the slot holds another profile's
// part, that part moves to a folder of its own, so that it is not replaced.
// Returns a line saying so, or "" when nothing moved. Fails (exit 1) when
// the move fails.
std::string KeepSlotOwner(const std::filesystem::path& root, Browser browser,
                          const std::string& writing_folder,
                          const std::string& step);

// The part a restore into target takes: with from (a browser key) the part
// of that browser (and of from_profile, a profile's name or folder name,
// when given); else the part of the target's chosen profile, if the set
// holds one, else the target family's slot. Fails (exit 1, naming the
// parts there are) when none or several match.
SetPart ChooseRestorePart(const std::filesystem::path& root, Browser target,
                          const DataOptions& data, const std::string& from,
                          const std::string& from_profile,
                          const std::string& step);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_SET_PARTS_H_
