// The one seam between marksafe and the operating system.
//
// Everything above this header reaches files, folders, INI files, shell
// folders, browser processes, the thread's last-error value and the debugger
// channel only through these functions. CMake compiles exactly one backend:
// win32/ (the real API) or posix/ (our own implementation of the same
// behaviour).
//
// Paths are UTF-16 and may use "\" or "/" as separators on every system.
// On POSIX a "\" byte inside a name on disk is listed as U+F05C (as Cygwin
// does) and U+F05C in a path is that byte again, so that such a name never
// splits into two components.
// Every function that fails leaves a Windows error code in the thread's
// last-error value (2 file not found, 3 path not found, 5 access denied,
// 80 file exists, 183 already exists, 87 invalid parameter, ...). Those
// that change or read files and folders return a Status that carries the
// same code and names what failed; "false" below means a failed Status.
#ifndef MARKSAFE_PLATFORM_PLATFORM_H_
#define MARKSAFE_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/status.h"
#include "platform/database_file.h"

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

// Text in a legacy character set, named by its usual label ("windows-1252",
// "iso-8859-2", "koi8-r", "shift_jis", ...; letter case ignored), as
// UTF-16. A byte sequence the set does not map becomes U+FFFD. False, with
// *out empty, when the system knows no such set.
bool DecodeCharset(const std::string& bytes, const std::string& charset,
                   std::u16string* out);

// Upper-cases one UTF-16 code unit the way the file system compares names.
char16_t UpperCase(char16_t c);

// The line end of a text file written in text mode: "\r\n" on Windows,
// "\n" elsewhere. Writers of text files build their text with "\n" and
// turn each into this.
const char* TextLineEnd();

// ---- Files and folders ----------------------------------------------------

// What a folder entry itself is; a link is never followed to find out.
// kOther: FIFOs, devices, sockets (nothing a reader opens).
enum class EntryKind { kRegular, kDirectory, kLink, kOther };

struct DirEntry {
  std::u16string name;
  bool is_directory = false;
  bool is_reparse_point = false;  // symlinks on POSIX
  bool is_hidden = false;         // dot-names on POSIX
  EntryKind kind = EntryKind::kOther;
  // False when the name on disk is no valid text (POSIX: not UTF-8): name
  // then holds replacement characters and does not reach the entry.
  bool name_valid = true;
};

// Lists the entries of a folder ("." and ".." left out), in NTFS order: by
// name, comparing code units after upper-casing them. Returns false (last
// error set, 2/3/5) when the folder cannot be listed.
Status ListDirectory(const std::u16string& folder, std::vector<DirEntry>* out);

inline bool PathExists(const std::u16string& path);  // PathFileExistsW

// What path itself is, without following a link or reparse point in its
// last component (lstat; GetFileAttributesW). False (last error set) when
// there is no such entry.
bool GetEntryKind(const std::u16string& path, EntryKind* kind);
inline bool IsDirectory(const std::u16string& path);

// Creates a folder with all its missing parents (SHCreateDirectory). Fails
// with 183 when it exists already.
Status CreateDirectoryTree(const std::u16string& path);

// CopyFileW: fails with 80 when the target exists and fail_if_exists is set.
Status CopyFile(const std::u16string& from, const std::u16string& to,
                bool fail_if_exists);

Status DeleteFile(const std::u16string& path);

// The size of an existing file, opened for READ_CONTROL with no sharing.
Status GetFileSize(const std::u16string& path, uint64_t* size);

// Adds the hidden attribute (GetFileAttributesW + SetFileAttributesW). On
// POSIX it succeeds for any existing entry without changing it.
Status SetHidden(const std::u16string& path);

// Reads a whole file as bytes.
Status ReadFile(const std::u16string& path, std::string* bytes);

// Creates or truncates a file and writes bytes to it (CreateFileW with
// CREATE_ALWAYS, then WriteFile).
Status WriteFile(const std::u16string& path, const std::string& bytes);

// Writes bytes beside path and moves them over path in one step, so that a
// reader sees either the old or the whole new file.
Status ReplaceFileAtomically(const std::u16string& path,
                             const std::string& bytes);

// Creates path anew and writes bytes to it; fails with 80 (and changes
// nothing) when an entry of that name exists (CREATE_NEW / O_EXCL). A write
// that fails part-way removes what it made.
Status WriteNewFile(const std::u16string& path, const std::string& bytes);

// Renames the folder (or file) from to to, on one volume; fails with 183 or
// 80 when to exists, never replacing anything.
Status MoveFolder(const std::u16string& from, const std::u16string& to);

// Removes path with everything below it. Links and junctions below it are
// removed themselves, never followed; a path that is itself a link is
// removed as a link. Iterative, so any depth is fine. False (last error
// set) when something could not be removed; the rest is removed all the
// same.
Status RemoveTree(const std::u16string& path);

// How long a name made directly inside folder may be so that the whole
// path stays within what the system's file calls take: on Windows the
// absolute path counted in UTF-16 units (248 units with the terminator for
// a folder, 260 for a file); on POSIX PATH_MAX counted in UTF-8 bytes. The
// room goes to *units and *bytes (the measure the system does not limit is
// left as passed in); 0 when not even one unit fits.
inline void LimitNameToPath(const std::u16string& folder, bool is_folder,
                            size_t* units, size_t* bytes);

// The path in the form the system's C APIs take it, UTF-8 ("/" separators
// on POSIX). For SQLite's open call.
std::string NativePathUtf8(const std::u16string& path);

// The system's folder for temporary files (POSIX: $TMPDIR, else /tmp;
// Windows: GetTempPathW), without a trailing separator; empty when the
// system names none.
std::u16string TempFolder();

// The path of the entry named name inside folder: folder, a separator
// unless folder ends with one, and name. Every name read from a listing is
// joined through here and nowhere else. False (*out untouched, last error
// 123) for a name that is no single entry of folder: empty, "." or "..",
// or holding a separator of this system ("/" or "\\"; on Windows also ":"
// which would name a stream or a drive).
// The characters no single name holds on this system.
extern const char16_t kNotInAName[];
[[nodiscard]] bool ChildPath(const std::u16string& folder,
                             const std::u16string& name, std::u16string* out);

// ---- INI files (the profile API) ------------------------------------------

// GetPrivateProfileStringW: section and key matched without regard to case,
// surrounding blanks and one pair of quotes removed. At most size - 1
// characters are returned (size 0 returns ""). A missing file, section or
// key gives default_value (also cut to size - 1).
inline std::u16string GetProfileString(const std::u16string& section,
                                       const std::u16string& key,
                                       const std::u16string& default_value,
                                       size_t size, const std::u16string& file);

// GetProfileString for each of keys in one section, the file read once (an
// Internet Shortcut's URL and Title, say). The last error is that of the
// last key looked up.
inline std::vector<std::u16string> GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file);

// WritePrivateProfileStringW: creates a missing file, replaces only that key
// (or adds it, adding a missing section at the end), keeps everything else.
// A file that starts with FF FE is written as UTF-16LE, any other as 8-bit
// text. Lines end in CR LF.
Status WriteProfileString(const std::u16string& section,
                          const std::u16string& key,
                          const std::u16string& value,
                          const std::u16string& file);

// ---- Shell folders and the system -----------------------------------------

// kLocalState: where a program keeps the state of the user's own runs
// (Windows: %LOCALAPPDATA%; POSIX: $XDG_STATE_HOME when absolute, else
// ~/.local/state).
enum class ShellFolder { kFavorites, kRoamingAppData, kProgramFiles,
                         kLocalState };

// SHGetSpecialFolderPathW without creating the folder. On POSIX the
// MARKSAFE_* environment variables (for kLocalState the XDG variable
// above), read at every call. False and an empty out when there is none.
Status GetShellFolder(ShellFolder folder, std::u16string* out);

// GetVersionExW's dwMajorVersion (0 when the call fails).
inline uint32_t OsMajorVersion();

// The folder of the library file itself, with a trailing separator
// (GetModuleFileNameW of the stored module handle).
inline std::u16string LibraryFolder();

// ---- Acting as the desktop user -------------------------------------------

// Makes the calling thread carry the token of the desktop user's shell or
// tray process in the active console session. read_tray_name gives the
// configured tray executable name and is called once per process examined.
// Returns 0 on success, 2 (process list), 3 (token), 4 (impersonation).
// On POSIX it changes nothing and returns 0.
inline int32_t ImpersonateDesktopUser(
    const std::function<std::u16string()>& read_tray_name);

// Drops any impersonation of the calling thread.
inline void RevertToSelf();

// ---- Browser windows --------------------------------------------------------

enum class Browser { kFirefox, kChrome };

// True while the browser runs for the caller. Windows: a process of its
// executable (firefox.exe, chrome.exe) in the caller's session, or a
// top-level window of today's class ("MozillaWindowClass",
// "Chrome_WidgetWin_1") belonging to that executable, or of the class of
// its first releases ("MozillaUIWindowClass", "Chrome_WindowImpl_0").
// POSIX: a main process of the calling user with one of the browser's
// executable names.
inline bool BrowserIsRunning(Browser browser);

// Asks the browser to end and waits, polling, at most 10 seconds until no
// process of it is left (Windows: in the caller's session; POSIX: no main
// process). Windows: WM_CLOSE posted once to each of those windows that is
// visible and unowned. POSIX: SIGTERM once to each main process.
// Returns at once when none runs.
inline void AskBrowserToClose(Browser browser);

// A browser's main process (not a renderer or content process): its id and
// the arguments of its command line after the program (empty when they
// cannot be read).
struct BrowserProcess {
  int64_t pid = 0;
  std::vector<std::u16string> args;
};

// The main processes of the calling user (Windows: in the caller's
// session) whose executable is one of programs (names without extension),
// or one of the family's own names (see BrowserIsRunning) when programs is
// empty; lowest id first.
inline std::vector<BrowserProcess> BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs);

// Asks each of the processes, and only them, to end (POSIX: SIGTERM;
// Windows: WM_CLOSE to their visible, unowned top-level windows) and waits,
// polling, at most 10 seconds until none of them is left.
inline void AskProcessesToClose(const std::vector<int64_t>& pids);

// ---- Services for today's browser stores ---------------------------------

// Fills out with size bytes from the system's cryptographic random
// generator. False (and the buffer unspecified) when none is available.
Status RandomBytes(void* out, size_t size);

// The MD5 digest of data (16 bytes) from the system's cryptography library
// (libcrypto on POSIX, the CNG API on Windows). False when unavailable.
bool Md5Digest(const std::string& data, unsigned char digest[16]);

// An international host name in its ASCII form (UTS #46 processing,
// punycode labels), as URL parsers store it. False when the name is not
// valid; out is then untouched.
bool IdnToAscii(const std::u16string& host, std::u16string* out);

// True when a running Firefox holds the profile folder: on POSIX
// ".parentlock" is locked, or its "lock" symlink names a live main process
// of the Firefox family (a link alone outlives a clean quit, and its pid may
// since belong to any process); on Windows "parent.lock" cannot be opened
// for exclusive use.
inline bool FirefoxProfileInUse(const std::u16string& profile_folder);

// ---- Locks and durable writes ---------------------------------------------

// One spelling per file, for telling whether two paths name the same one:
// absolute, the folder's links followed (the last name is kept as written,
// so the file need not exist), compared as the file system compares names.
std::u16string CanonicalPath(const std::u16string& path);

// An advisory lock held on a lock file until the object is destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Takes the exclusive advisory lock of lock_path (flock on POSIX, LockFileEx
// on Windows), creating the file when missing. Waits, polling, at most
// timeout_ms while another holder (another process, or another open of the
// same file in this one) has it, then fails with kErrorLockViolation.
// POSIX removes the file when the lock is let go (see posix_env.cc for why
// that is safe); Windows leaves it in place, since a file there cannot be
// removed while another writer holds it open to wait.
Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                std::unique_ptr<FileLock>* lock);

// Makes what was written reach the disk. A file: fsync (FlushFileBuffers
// on Windows). A folder on POSIX: everything written on its file system
// (syncfs on Linux, where one call covers a whole new tree of files;
// sync elsewhere), then the folder's own entries. A folder on Windows needs
// nothing: its entries change through MoveFileExW with write-through.
Status SyncPath(const std::u16string& path);

// Makes a folder just built reach the disk whole, every file below it
// included, before it is moved into place. POSIX: as SyncPath on the
// folder. Windows: FlushFileBuffers on each file below it (no reparse
// point is followed), since Windows has no flush of a whole tree.
Status SyncTree(const std::u16string& folder);

// Swaps two folders of one volume in one step, so that no moment exists
// where either name is missing (renameat2 with RENAME_EXCHANGE on Linux).
// Fails with kErrorNotSupported where the system has no such call; the
// caller then moves them one after the other.
Status ExchangeFolders(const std::u16string& a, const std::u16string& b);

}  // namespace platform
}  // namespace marksafe

// The Env and the definitions of the inline functions above.
#include "platform/env.h"

#endif  // MARKSAFE_PLATFORM_PLATFORM_H_
