// The INI file format as the Windows profile API reads it, on bytes: lines
// ending in CR LF, LF or a lone CR; "[name]" opens a section, "name=value"
// is a key, ";" starts a comment line; names are matched without regard to
// case and names and values lose their outer blanks. A file that starts
// with FF FE is UTF-16LE, every other file 8-bit (UTF-8) text with an
// optional UTF-8 byte-order mark. Each line keeps its bytes, so that a
// writer can change one line and keep every other byte of the file.
//
// The POSIX profile API (posix_ini.cc) reads and writes .url and position
// files through it; the browsers' profile lists (profiles.ini,
// installs.ini) are read through Sections on every system.
#ifndef MARKSAFE_PLATFORM_INI_FILE_H_
#define MARKSAFE_PLATFORM_INI_FILE_H_

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace marksafe {
namespace platform {
namespace ini {

enum class Encoding { kEightBit, kUtf16le };

struct Line {
  std::string raw;      // the line's bytes in the file, with its end
  std::u16string text;  // the line decoded, without its end
  bool has_end = false;
};

struct File {
  Encoding encoding = Encoding::kEightBit;
  std::string prefix;  // byte-order mark, kept as found
  std::vector<Line> lines;
  std::string trailer;  // an odd last byte of a UTF-16 file
};

enum class LineKind { kOther, kSection, kKey };

struct Parsed {
  LineKind kind = LineKind::kOther;
  std::u16string name;   // section or key name, trimmed
  std::u16string value;  // key value, trimmed
};

// The blanks around a line's name and value.
constexpr char16_t kBlanks[] = u" \t\v\f";

bool IsBlank(char16_t c);
// Names compared as the profile API compares them (case ignored).
bool SameName(const std::u16string& a, const std::u16string& b);

Parsed ParseLine(const std::u16string& text);
File Parse(const std::string& bytes);
std::string Serialize(const File& file);
// text in the file's encoding.
std::string Encode(Encoding encoding, const std::u16string& text);

// The index of the header line of the first section called name, or -1.
long FindSection(const File& file, const std::u16string& name);
// The index just past the last line of the section whose header is at
// header.
size_t SectionEnd(const File& file, size_t header);

// One section and its keys in file order, values as written (trimmed).
struct Section {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> keys;

  // The value of the first key of that name (case ignored); empty when
  // there is none.
  std::u16string Get(const std::u16string& key) const;
};

// The sections of file in file order, for a file whose sections are not
// known in advance. At most max_sections are taken (*cut set when there
// were more) and at most max_keys keys of each; keys before the first
// section belong to none and are left out.
std::vector<Section> Sections(const File& file, size_t max_sections,
                              size_t max_keys, bool* cut);

}  // namespace ini
}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_INI_FILE_H_
