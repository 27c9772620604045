// Finding the desktop user's browser data, and acting as that user while a
// shell folder is looked up. Nothing is cached: every call locates afresh.
#ifndef MARKSAFE_PROFILES_LOCATORS_H_
#define MARKSAFE_PROFILES_LOCATORS_H_

#include <cstdint>
#include <string>

#include "base/status.h"

namespace marksafe {

// Makes the calling thread act as the desktop user (0 on success, 2, 3 or 4;
// always 0 on POSIX). Undo with platform::RevertToSelf().
int32_t ImpersonateAsUser();

// path without its trailing separators and its last component.
std::u16string ParentFolder(std::u16string path);

// The configured tray executable: key "name" of section "TRAY" of
// "Tembrel.ini" beside the library; empty when missing. False only for null.
bool ReadTrayName(std::u16string* out);

// Fills out with the Favorites folder (empty when the look-up fails);
// fails when it cannot be found or Internet Explorer is not installed.
[[nodiscard]] Status LocateFavorites(std::u16string* out);

// Fills out with the Firefox profile folder in use, without a trailing
// separator (empty when none is found); fails when there is none, or only
// a path too short to name one.
[[nodiscard]] Status LocateFirefoxProfile(std::u16string* out);

// Finds Chrome's Bookmarks file. When found and longer than 8 characters,
// out (if not null) receives it cut to 258 characters. False when missing.
bool LocateChromeFile(std::u16string* out);

bool IsInstalledIe();
// Favorites folder cut to 259 characters, when IE is installed.
[[nodiscard]] Status GetIePath(std::u16string* out);
// The profile's places.sqlite cut to 259 characters, when it exists.
bool IsInstalledFirefox(std::u16string* out);
bool IsInstalledChrome(std::u16string* out);
bool IsBrowserRunningFirefox();
bool IsBrowserRunningChrome();
bool CloseFirefox();
bool CloseChrome();

}  // namespace marksafe

#endif  // MARKSAFE_PROFILES_LOCATORS_H_
