// File and folder names for the items of one folder in a .url tree: unique
// within the folder ("Title.url", "Title (2).url", ...), free of the
// characters no file system takes, never ".", ".." or empty, and cut at a
// character boundary so that the name fits the file system's limit
// (255 UTF-16 units on NTFS, 255 UTF-8 bytes on ext4: both are kept, so a
// backup set can move between the systems).
#ifndef MARKSAFE_MODEL_NAMES_H_
#define MARKSAFE_MODEL_NAMES_H_

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace marksafe {
namespace model {

// The longest name in UTF-16 units and in UTF-8 bytes.
constexpr size_t kMaxNameUnits = 255;
constexpr size_t kMaxNameBytes = 255;

// How long one name may be; a folder deep in a tree may allow less than
// the file system's name limit (see platform::LimitNameToPath).
struct NameLimit {
  size_t units = kMaxNameUnits;
  size_t bytes = kMaxNameBytes;
};

class NameAllocator {
 public:
  // Names already taken in the folder (those on disk), compared without
  // regard to case.
  void Reserve(const std::u16string& name);

  // A new name for a folder (suffix empty) or a link (suffix ".url") titled
  // title, different from every name reserved or handed out before, within
  // limit (suffix and " (N)" included). Empty when the limit leaves no room
  // for even one character of the title.
  std::u16string Allocate(const std::u16string& title,
                          const std::u16string& suffix,
                          NameLimit limit = NameLimit());

 private:
  bool Taken(const std::u16string& name) const;
  std::unordered_set<std::u16string> taken_;  // upper-cased
  // Upper-cased stem and suffix -> the first number not yet tried, so that
  // many items of one title cost no search from 2 each.
  std::unordered_map<std::u16string, unsigned> next_number_;
};

// The title as a name stem: characters no file system takes (":" "\" "/"
// "?" "*" "|" ">" "<" '"', control characters and unpaired surrogates)
// become "_", outer blanks and trailing dots are removed, a stem of only
// dots or an empty one becomes "_", a device name of Windows ("CON",
// "LPT1", ...) gets a "_" in front, and the stem is cut at a character
// boundary to leave room for room_units more units / room_bytes more bytes
// within kMaxNameUnits / kMaxNameBytes.
std::u16string NameStem(const std::u16string& title, size_t room_units,
                        size_t room_bytes);

// The longest start of text (cut between characters, never inside a
// surrogate pair) that takes at most max_units UTF-16 units and max_bytes
// UTF-8 bytes.
std::u16string CutToFit(const std::u16string& text, size_t max_units,
                        size_t max_bytes);

// UTF-8 bytes of text (an unpaired surrogate counts as the 3 bytes of the
// replacement character it becomes).
size_t Utf8Length(const std::u16string& text);

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_NAMES_H_
