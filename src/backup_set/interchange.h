// The interchange folder: bookmark folders as directories, bookmarks as
// Internet Shortcut (.url) files, and the position files that say which
// top-level folder holds which browser root.
#ifndef MARKSAFE_BACKUP_SET_INTERCHANGE_H_
#define MARKSAFE_BACKUP_SET_INTERCHANGE_H_

#include <string>

namespace marksafe {
namespace interchange {

// Reserved names.
extern const char16_t kMarkerName[];            // ".Quillbay"
inline constexpr char16_t kImportedFromIe[] = u"Imported from IE";
inline constexpr char16_t kImportedFromFirefox[] = u"Imported from Firefox";
inline constexpr char16_t kImportedFromChrome[] = u"Imported from Chrome";
inline constexpr char16_t kImportedFromChromeLc[] = u"Imported from chrome";

// Internet Shortcut files.
extern const char16_t kShortcutSection[];  // "InternetShortcut"
extern const char16_t kUrlKey[];           // "URL"
extern const char16_t kTitleKey[];         // "Title"
extern const char16_t kUrlExtension[];     // "url" (the filter)
extern const char16_t kUrlSuffix[];        // ".url"

// Position files.
inline constexpr char16_t kPosIni[] = u"pos.ini";
extern const char16_t kPosSection[];         // "Menu"
extern const char16_t kPosMainKey[];         // "Main"
extern const char16_t kPosOthersKey[];       // "Others"
extern const char16_t kPosMainValue[];       // "Bookmarks Menu"
extern const char16_t kPosOthersValue[];     // "Unsorted Bookmarks"
inline constexpr char16_t kChromePosIni[] = u"chrome_pos.ini";
extern const char16_t kChromePosSection[];   // "Chrome_menu"
extern const char16_t kChromePosBarKey[];    // "Bar"
extern const char16_t kChromePosOtherKey[];  // "other"
extern const char16_t kChromePosBarValue[];  // "Bookmarks bar"
extern const char16_t kChromePosOtherValue[];  // "Other bookmarks"
// The roots older backup sets did not hold.
extern const char16_t kPosToolbarKey[];          // "Toolbar"
extern const char16_t kPosToolbarValue[];        // "Bookmarks Toolbar"
extern const char16_t kPosMobileKey[];           // "Mobile"
extern const char16_t kPosMobileValue[];         // "Mobile Bookmarks"
extern const char16_t kChromePosSyncedKey[];     // "synced"
extern const char16_t kChromePosSyncedValue[];   // "Mobile bookmarks"

// The manifest of a Firefox or Chrome part, beside its position file.
extern const char16_t kManifestName[];  // "manifest.json"
// Written last into a part, once everything else of it is written.
extern const char16_t kCompletionMarkName[];  // "complete.mark"

// The bytes of one bookmark's file in the Chrome form: UTF-16LE with FF FE,
// "[InternetShortcut]", "URL" = url and "Title" = title + ".url", each value
// kept to what an INI value can hold (one line, no control characters,
// outer blanks dropped as the INI writer drops them).
std::string ShortcutFileBytes(const std::u16string& title,
                              const std::u16string& url);

// The URL as ShortcutFileBytes writes it into the file (and a reader gets
// it back): what one line of an INI value holds of url.
std::u16string ShortcutUrlValue(const std::u16string& url);

// True when name has a last "." followed by a non-empty text equal to "url"
// (case-insensitive, at most 18 characters compared).
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
