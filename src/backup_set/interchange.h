// The interchange folder: bookmark folders as directories, bookmarks as
// Internet Shortcut (.url) files, and the position files that say which
// top-level folder holds which browser root.
#ifndef MARKSAFE_BACKUP_SET_INTERCHANGE_H_
#define MARKSAFE_BACKUP_SET_INTERCHANGE_H_

#include <string>

namespace marksafe {
namespace interchange {

// Reserved names.
inline constexpr char16_t kMarkerName[] = u".Quillbay";
inline constexpr char16_t kImportedFromIe[] = u"Imported from IE";
inline constexpr char16_t kImportedFromFirefox[] = u"Imported from Firefox";
inline constexpr char16_t kImportedFromChrome[] = u"Imported from Chrome";
inline constexpr char16_t kImportedFromChromeLc[] = u"Imported from chrome";

// Internet Shortcut files.
inline constexpr char16_t kShortcutSection[] = u"InternetShortcut";
inline constexpr char16_t kUrlKey[] = u"URL";
inline constexpr char16_t kTitleKey[] = u"Title";
inline constexpr char16_t kUrlExtension[] = u"url";
inline constexpr char16_t kUrlSuffix[] = u".url";

// Position files (their sections and keys: backup_set/part.h).
inline constexpr char16_t kPosIni[] = u"pos.ini";
inline constexpr char16_t kChromePosIni[] = u"chrome_pos.ini";

// The manifest of a Firefox or Chrome part, beside its position file.
inline constexpr char16_t kManifestName[] = u"manifest.json";
// Written last into a part, once everything else of it is written.
inline constexpr char16_t kCompletionMarkName[] = u"complete.mark";

// The bytes of one bookmark's file in the Chrome form: UTF-16LE with FF FE,
// "[InternetShortcut]", "URL" = url and "Title" = title + ".url", each value
// kept to what an INI value can hold (one line, no control characters,
// outer blanks dropped as the INI writer drops them).
std::string ShortcutFileBytes(const std::u16string& title,
                              const std::u16string& url);

// The URL as ShortcutFileBytes writes it into the file (and a reader gets
// it back): what one line of an INI value holds of url.
std::u16string ShortcutUrlValue(const std::u16string& url);

// True when name has a last "." followed by a non-empty text that, cut to
// 18 characters, equals filter cut to 18, case-insensitive.
bool HasExtension(const std::u16string& name, const std::u16string& filter);
// HasExtension with the filter "url".
bool IsShortcutFileName(const std::u16string& name);

// True when the text after the last "." of name (the whole name without a
// dot), cut to 18 characters, equals filter cut to 18, case-insensitive.
bool ExtensionMatches(const std::u16string& name, const std::u16string& filter);

// name less its last four units (".url"); empty when shorter.
std::u16string TitleFromFileName(const std::u16string& name);

// The folder that a position file's value names inside exported_folder:
// exported_folder, "\" and value. A value that is absolute or climbs out
// (contains a ".." component, a drive or a leading separator) is refused:
// false, and *out untouched.
bool ResolvePositionValue(const std::u16string& exported_folder,
                          const std::u16string& value, std::u16string* out);

}  // namespace interchange
}  // namespace marksafe

#endif  // MARKSAFE_BACKUP_SET_INTERCHANGE_H_
