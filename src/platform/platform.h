// The one seam between marksafe and the operating system.
//
// Everything above this header (common/, firefox/, chrome/, ie/, exports/)
// reaches files, folders, INI files, shell folders, browser processes, the
// thread's last-error value and the debugger channel only through these
// functions. CMake compiles exactly one backend: win32/ (the real API) or
// posix/ (our own implementation of the same behaviour).
//
// Paths are UTF-16 and may use "\" or "/" as separators on every system.
// Every function that fails leaves a Windows error code in the thread's
// last-error value (2 file not found, 3 path not found, 5 access denied,
// 80 file exists, 183 already exists, 87 invalid parameter, ...).
#ifndef MARKSAFE_PLATFORM_PLATFORM_H_
#define MARKSAFE_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace marksafe {
namespace platform {

// ---- Last error and diagnostics -----------------------------------------

uint32_t GetLastError();
void SetLastError(uint32_t code);

// Hands one finished diagnostic line to the system's debugger channel
// (OutputDebugStringW; on POSIX stderr as UTF-8 when MARKSAFE_DEBUG is set).
void DebugOutput(const std::u16string& line);

// ---- Text ----------------------------------------------------------------

// UTF-16 <-> UTF-8. Invalid input is replaced by U+FFFD, never rejected.
std::string ToUtf8(const std::u16string& text);
std::u16string FromUtf8(const std::string& text);

// Upper-cases one UTF-16 code unit the way the file system compares names.
char16_t UpperCase(char16_t c);

// The line end of a text file written in text mode: "\r\n" on Windows,
// "\n" elsewhere. Writers of text files build their text with "\n" and
// turn each into this.
const char* TextLineEnd();

// ---- Files and folders ----------------------------------------------------

struct DirEntry {
  std::u16string name;
  bool is_directory = false;
  bool is_reparse_point = false;  // symlinks on POSIX
  bool is_hidden = false;         // dot-names on POSIX
};

// Lists the entries of a folder ("." and ".." left out), in NTFS order: by
// name, comparing code units after upper-casing them. Returns false (last
// error set, 2/3/5) when the folder cannot be listed.
bool ListDirectory(const std::u16string& folder, std::vector<DirEntry>* out);

bool PathExists(const std::u16string& path);  // PathFileExistsW
bool IsDirectory(const std::u16string& path);

// Creates a folder with all its missing parents (SHCreateDirectory). Fails
// with 183 when it exists already.
bool CreateDirectoryTree(const std::u16string& path);

// CopyFileW: fails with 80 when the target exists and fail_if_exists is set.
bool CopyFile(const std::u16string& from, const std::u16string& to,
              bool fail_if_exists);

// The shell's silent copy (SHFileOperationW, FO_COPY, no UI): replaces the
// target.
bool ShellCopyFile(const std::u16string& from, const std::u16string& to);

bool DeleteFile(const std::u16string& path);

// The size of an existing file, opened for READ_CONTROL with no sharing.
bool GetFileSize(const std::u16string& path, uint64_t* size);

// Adds the hidden attribute (GetFileAttributesW + SetFileAttributesW). On
// POSIX it succeeds for any existing entry without changing it.
bool SetHidden(const std::u16string& path);

// Reads a whole file as bytes.
bool ReadFile(const std::u16string& path, std::string* bytes);

// Creates or truncates a file and writes bytes to it (CreateFileW with
// CREATE_ALWAYS, then WriteFile).
bool WriteFile(const std::u16string& path, const std::string& bytes);

// Writes bytes beside path and moves them over path in one step, so that a
// reader sees either the old or the whole new file.
bool ReplaceFileAtomically(const std::u16string& path,
                           const std::string& bytes);

// Creates path anew and writes bytes to it; fails with 80 (and changes
// nothing) when an entry of that name exists (CREATE_NEW / O_EXCL). A write
// that fails part-way removes what it made.
bool WriteNewFile(const std::u16string& path, const std::string& bytes);

// Renames the folder (or file) from to to, on one volume; fails with 183 or
// 80 when to exists, never replacing anything.
bool MoveFolder(const std::u16string& from, const std::u16string& to);

// Removes path with everything below it. Links and junctions below it are
// removed themselves, never followed; a path that is itself a link is
// removed as a link. Iterative, so any depth is fine. False (last error
// set) when something could not be removed; the rest is removed all the
// same.
bool RemoveTree(const std::u16string& path);

// How long a name made directly inside folder may be so that the whole
// path stays within what the system's file calls take: on Windows the
// absolute path counted in UTF-16 units (248 units with the terminator for
// a folder, 260 for a file); on POSIX PATH_MAX counted in UTF-8 bytes. The
// room goes to *units and *bytes (the measure the system does not limit is
// left as passed in); 0 when not even one unit fits.
void LimitNameToPath(const std::u16string& folder, bool is_folder,
                     size_t* units, size_t* bytes);

// The path in the form the system's C APIs take it, UTF-8 ("/" separators
// on POSIX). For SQLite's open call.
std::string NativePathUtf8(const std::u16string& path);

// ---- INI files (the profile API) ------------------------------------------

// GetPrivateProfileStringW: section and key matched without regard to case,
// surrounding blanks and one pair of quotes removed. At most size - 1
// characters are returned (size 0 returns ""). A missing file, section or
// key gives default_value (also cut to size - 1).
std::u16string GetProfileString(const std::u16string& section,
                                const std::u16string& key,
                                const std::u16string& default_value,
                                size_t size, const std::u16string& file);

// GetProfileString for each of keys in one section, the file read once (an
// Internet Shortcut's URL and Title, say). The last error is that of the
// last key looked up.
std::vector<std::u16string> GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file);

// WritePrivateProfileStringW: creates a missing file, replaces only that key
// (or adds it, adding a missing section at the end), keeps everything else.
// A file that starts with FF FE is written as UTF-16LE, any other as 8-bit
// text. Lines end in CR LF.
bool WriteProfileString(const std::u16string& section,
                        const std::u16string& key,
                        const std::u16string& value,
                        const std::u16string& file);

// ---- Shell folders and the system -----------------------------------------

enum class ShellFolder { kFavorites, kRoamingAppData, kProgramFiles };

// SHGetSpecialFolderPathW without creating the folder. On POSIX the
// MARKSAFE_* environment variables, read at every call. False and an empty
// out when there is none.
bool GetShellFolder(ShellFolder folder, std::u16string* out);

// GetVersionExW's dwMajorVersion (0 when the call fails).
uint32_t OsMajorVersion();

// Where a browser keeps its data natively when the Windows layout under the
// roaming application-data folder does not apply (POSIX without
// MARKSAFE_APPDATA). Firefox: folders that hold profile folders and
// profiles.ini, best first. Chrome: candidate Bookmarks files, best first.
// Empty means: use the Windows layout.
std::vector<std::u16string> NativeFirefoxProfileRoots();
std::vector<std::u16string> NativeChromeBookmarkFiles();

// The folder of the library file itself, with a trailing separator
// (GetModuleFileNameW of the stored module handle).
std::u16string LibraryFolder();

// ---- Acting as the desktop user -------------------------------------------

// Makes the calling thread carry the token of the desktop user's shell or
// tray process in the active console session. read_tray_name gives the
// configured tray executable name and is called once per process examined.
// Returns 0 on success, 2 (process list), 3 (token), 4 (impersonation).
// On POSIX it changes nothing and returns 0.
int32_t ImpersonateDesktopUser(
    const std::function<std::u16string()>& read_tray_name);

// Drops any impersonation of the calling thread.
void RevertToSelf();

// ---- Browser windows --------------------------------------------------------

enum class Browser { kFirefox, kChrome };

// True while the browser runs for the caller. Windows: a process of its
// executable (firefox.exe, chrome.exe) in the caller's session, or a
// top-level window of today's class ("MozillaWindowClass",
// "Chrome_WidgetWin_1") belonging to that executable, or of the class of
// its first releases ("MozillaUIWindowClass", "Chrome_WindowImpl_0").
// POSIX: a main process of the calling user with one of the browser's
// executable names.
bool BrowserIsRunning(Browser browser);

// Asks the browser to end and waits, polling, at most 10 seconds until no
// process of it is left (Windows: in the caller's session; POSIX: no main
// process). Windows: WM_CLOSE posted once to each of those windows that is
// visible and unowned. POSIX: SIGTERM once to each main process.
// Returns at once when none runs.
void AskBrowserToClose(Browser browser);

// ---- Services for today's browser stores ---------------------------------

// Fills out with size bytes from the system's cryptographic random
// generator. False (and the buffer unspecified) when none is available.
bool RandomBytes(void* out, size_t size);

// The MD5 digest of data (16 bytes) from the system's cryptography library
// (libcrypto on POSIX, the CNG API on Windows). False when unavailable.
bool Md5Digest(const std::string& data, unsigned char digest[16]);

// An international host name in its ASCII form (UTS #46 processing,
// punycode labels), as URL parsers store it. False when the name is not
// valid; out is then untouched.
bool IdnToAscii(const std::u16string& host, std::u16string* out);

// True when a running Firefox holds the profile folder: on POSIX its "lock"
// symlink points at a live process or ".parentlock" is locked; on Windows
// "parent.lock" cannot be opened for exclusive use.
bool FirefoxProfileInUse(const std::u16string& profile_folder);

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_PLATFORM_H_
