// What profile discovery needs from the system: the folders browsers keep
// their data below, file times, and whether a browser holds a profile.
// Part of the platform seam (see platform.h): one backend is compiled,
// posix/posix_profiles.cc or win32/win32_profiles.cc.
#ifndef MARKSAFE_PLATFORM_PLATFORM_PROFILES_H_
#define MARKSAFE_PLATFORM_PLATFORM_PROFILES_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/status.h"

namespace marksafe {
namespace platform {

// The calling user's folders, looked up afresh at every call. Either the
// Windows layout applies (Windows itself, or POSIX with MARKSAFE_APPDATA
// naming a Windows user profile's roaming folder) and the two application
// data folders are set, or the native POSIX layout applies and home and
// config are set. A folder that cannot be found is empty.
struct BrowserDataFolders {
  bool windows_layout = false;
  std::u16string home;    // POSIX: $HOME, else the password entry
  std::u16string config;  // $XDG_CONFIG_HOME if absolute, else ~/.config
  std::u16string local_app_data;    // %LOCALAPPDATA%
  std::u16string roaming_app_data;  // %APPDATA%
};

BrowserDataFolders GetBrowserDataFolders();

// The last time the file or folder was written, in microseconds since
// 1970. Fails when it does not exist.
[[nodiscard]] Status GetLastWriteTime(const std::u16string& path,
                                      int64_t* microseconds);

// The largest file read to find a browser's profiles (profiles.ini,
// installs.ini, Local State): such files are a few kilobytes.
constexpr size_t kMaxProfileFileBytes = size_t{16} << 20;

// True when path exists and, once every link in it is followed, lies in
// folder (or is folder itself). A path leaving the folder by "..", by an
// absolute target or by a link is not in it.
bool ResolvesInside(const std::u16string& path, const std::u16string& folder);

// Reads a file a browser wrote about its profiles, which anyone could have
// replaced: only a regular file (never a FIFO, device or folder), of at most
// max_bytes, that ResolvesInside folder. Fails (bytes empty) otherwise,
// without waiting on the file. Other untrusted files a browser keeps (its
// bookmark backups) are read the same way with a cap of their own.
[[nodiscard]] Status ReadProfileFile(const std::u16string& folder,
                                     const std::u16string& path,
                                     std::string* bytes,
                                     size_t max_bytes = kMaxProfileFileBytes);

// True when a running Chromium-family browser holds the user-data folder.
// POSIX: the "SingletonLock" symlink names "<host>-<pid>"; it counts when
// that process is alive on this host, or when it names another host (the
// browser itself then refuses the folder). flatpak_app, when not empty, is
// the Flatpak application the folder belongs to: its pid lives in the
// sandbox's own pid space and says nothing here, so the lock counts when an
// instance of that application runs. Windows: "lockfile" in the folder is
// held open by the browser.
bool ChromiumUserDataInUse(const std::u16string& user_data_folder,
                           const std::u16string& flatpak_app);

// FirefoxProfileInUse (platform.h) for a profile that may belong to a
// Flatpak application (see above): then only the ".parentlock" lock, or a
// "lock" symlink while an instance of the application runs, counts.
bool FirefoxProfileInUseBy(const std::u16string& profile_folder,
                           const std::u16string& flatpak_app);

// True when another program has the file open, for a store named by its
// path with no profile lock around it. POSIX: a descriptor of another
// process of this user is that file (/proc/*/fd, compared by device and
// inode; false without /proc). Windows: the file cannot be opened with no
// sharing (ERROR_SHARING_VIOLATION), which any open handle causes. False
// for a missing file.
bool FileHeldOpen(const std::u16string& path);

// The process that holds a profile's lock, as the system names it; 0 when
// none is held or the holder cannot be told. Chromium family (folder is the
// user-data folder): the pid "SingletonLock" names when it names this
// host. Firefox (folder is the profile folder): the holder of the fcntl
// lock on ".parentlock", else the Firefox-family process the "lock" link
// names. Windows names no holder.
int64_t ProfileLockOwner(const std::u16string& folder, bool chromium);

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_PLATFORM_PROFILES_H_
