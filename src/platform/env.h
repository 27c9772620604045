// The replaceable system behind platform.h: the Env interface, the binding
// of an Env to a thread, and the operations that reach the Env in force,
// each with what it does.
#ifndef MARKSAFE_PLATFORM_ENV_H_
#define MARKSAFE_PLATFORM_ENV_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "platform/platform.h"

namespace marksafe {
namespace platform {

// Everything above that touches the system's state goes through one Env:
// the system's own (SystemEnv, in system_env.h) unless a test installed
// another with ScopedEnvOverride. Pure computations (text, upper case,
// last error, digests) stay plain functions. An operation that can fail
// returns a Status that names what failed; its code is also left as the
// thread's last error.
class Env {
 public:
  virtual ~Env() = default;

  virtual Status ListDirectory(const std::u16string& folder,
                               std::vector<DirEntry>* out) = 0;
  [[nodiscard]] virtual bool PathExists(const std::u16string& path) = 0;
  [[nodiscard]] virtual bool IsDirectory(const std::u16string& path) = 0;
  virtual Status CreateDirectoryTree(const std::u16string& path) = 0;
  // copied, when not null, receives the bytes copied.
  virtual Status CopyFile(const std::u16string& from, const std::u16string& to,
                          bool fail_if_exists, std::string* copied) = 0;
  virtual Status DeleteFile(const std::u16string& path) = 0;
  virtual Status GetFileSize(const std::u16string& path, uint64_t* size) = 0;
  virtual Status SetHidden(const std::u16string& path) = 0;
  virtual Status ReadFile(const std::u16string& path, std::string* bytes) = 0;
  virtual Status WriteFile(const std::u16string& path,
                           const std::string& bytes) = 0;
  virtual Status ReplaceFileAtomically(const std::u16string& path,
                                       const std::string& bytes) = 0;
  virtual Status WriteNewFile(const std::u16string& path,
                              const std::string& bytes) = 0;
  virtual Status AppendFile(const std::u16string& path,
                            const std::string& bytes) = 0;
  virtual Status MoveFolder(const std::u16string& from,
                            const std::u16string& to) = 0;
  virtual Status RemoveTree(const std::u16string& path) = 0;
  virtual void LimitNameToPath(const std::u16string& folder, bool is_folder,
                               size_t* units, size_t* bytes) = 0;
  virtual std::vector<std::u16string> GetProfileStrings(
      const std::u16string& section, const std::vector<std::u16string>& keys,
      const std::u16string& default_value, size_t size,
      const std::u16string& file) = 0;
  virtual Status WriteProfileString(const std::u16string& section,
                                    const std::u16string& key,
                                    const std::u16string& value,
                                    const std::u16string& file) = 0;
  virtual Status GetShellFolder(ShellFolder folder, std::u16string* out) = 0;
  virtual uint32_t OsMajorVersion() = 0;
  virtual std::u16string LibraryFolder() = 0;
  virtual int32_t ImpersonateDesktopUser(
      const std::function<std::u16string()>& read_tray_name) = 0;
  virtual void RevertToSelf() = 0;
  [[nodiscard]] virtual bool BrowserIsRunning(Browser browser) = 0;
  virtual void AskBrowserToClose(Browser browser) = 0;
  virtual std::vector<BrowserProcess> BrowserProcesses(
      Browser family, const std::vector<std::u16string>& programs) = 0;
  virtual void AskProcessesToClose(const std::vector<int64_t>& pids) = 0;
  virtual Status RandomBytes(void* out, size_t size) = 0;
  [[nodiscard]] virtual bool FirefoxProfileInUse(const std::u16string& profile_folder) = 0;
  [[nodiscard]] virtual bool FileHeldOpen(const std::u16string& path) = 0;
  virtual Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                          std::unique_ptr<FileLock>* lock) = 0;
  virtual Status SyncPath(const std::u16string& path) = 0;
  virtual Status SyncTree(const std::u16string& folder) = 0;
  virtual Status ExchangeFolders(const std::u16string& a,
                                 const std::u16string& b) = 0;
  // SQLite opened path (a database, its journal or its -wal; UTF-8 from
  // SQLite made UTF-16) as file, valid until *out is destroyed. The file's
  // reads and writes go through *out, or through file itself while *out is
  // left empty, as the system's Env leaves it. A failure fails the open.
  virtual Status OpenDatabaseFile(const std::u16string& path,
                                  RandomAccessFile* file,
                                  std::unique_ptr<RandomAccessFile>* out) = 0;
  // What path itself is (a link is not followed); fails when nothing is
  // there.
  virtual Status GetEntryKind(const std::u16string& path, EntryKind* kind) = 0;
  virtual std::u16string TempFolder() = 0;
  virtual std::u16string CanonicalPath(const std::u16string& path) = 0;
  virtual Status GetLastWriteTime(const std::u16string& path,
                                  int64_t* microseconds) = 0;
  [[nodiscard]] virtual bool ResolvesInside(const std::u16string& path,
                                            const std::u16string& folder) = 0;
  virtual Status ReadProfileFile(const std::u16string& folder,
                                 const std::u16string& path, std::string* bytes,
                                 size_t max_bytes) = 0;
  // The time, in microseconds since 1970 (UTC); waits are measured on it.
  virtual int64_t NowMicros() = 0;
  // Sleeps the calling thread (lock waits poll with it).
  virtual void SleepForMicroseconds(int64_t micros) = 0;
};

// The failure of an operation, for the Envs: the thread's last error as
// code, and "could not <what> <path>" as message. Failed sets the last
// error to code first; OkOr is success when ok.
Status FailedWithLastError(const char16_t* what,
                           const std::u16string& path = {});
Status Failed(uint32_t code, const char16_t* what,
              const std::u16string& path = {});
Status OkOr(bool ok, const char16_t* what, const std::u16string& path = {});

// The Env in force on the calling thread: the one its running call bound
// (ScopedThreadEnv), else an override's, else the system's.
Env* CurrentEnv();

// Binds env to the calling thread until destroyed, then the previous
// binding again. Each library call binds the Env it was started with, so
// that a call on another thread never sees it.
class ScopedThreadEnv {
 public:
  explicit ScopedThreadEnv(Env* env);
  ~ScopedThreadEnv();
  ScopedThreadEnv(const ScopedThreadEnv&) = delete;
  ScopedThreadEnv& operator=(const ScopedThreadEnv&) = delete;

 private:
  Env* previous_;
};

// Puts env in force until destroyed, then the previous one again. For
// tests; overrides nest, and are not meant to change while library calls
// run on other threads.
class ScopedEnvOverride {
 public:
  explicit ScopedEnvOverride(Env* env);
  ~ScopedEnvOverride();
  ScopedEnvOverride(const ScopedEnvOverride&) = delete;
  ScopedEnvOverride& operator=(const ScopedEnvOverride&) = delete;

 private:
  Env* previous_;
};

// Lists the entries of a folder ("." and ".." left out), in NTFS order: by
// name, comparing code units after upper-casing them. Returns false (last
// error set, 2/3/5) when the folder cannot be listed.
inline Status ListDirectory(const std::u16string& folder,
                            std::vector<DirEntry>* out) {
  return CurrentEnv()->ListDirectory(folder, out);
}

// True when an entry of that name exists (PathFileExistsW).
[[nodiscard]] inline bool PathExists(const std::u16string& path) {
  return CurrentEnv()->PathExists(path);
}

// True when path is a folder, or a link to one.
[[nodiscard]] inline bool IsDirectory(const std::u16string& path) {
  return CurrentEnv()->IsDirectory(path);
}

// PathExists (IsDirectory when folder is set) as a Status for a step that
// needs the entry: OK, or "could not find <path>" with the code the failed
// query left as the last error (PathFileExistsW's or GetFileAttributesW's
// own on Windows, the errno's on POSIX). A file where a folder is needed
// leaves no code of its own: it fails as a missing path.
Status FindEntry(const std::u16string& path, bool folder = false);

// Creates a folder with all its missing parents (SHCreateDirectory). Fails
// with 183 when it exists already.
inline Status CreateDirectoryTree(const std::u16string& path) {
  return CurrentEnv()->CreateDirectoryTree(path);
}

// CopyFileW: fails with 80 when the target exists and fail_if_exists is set.
// copied, when given, receives the bytes copied, so that a caller wanting
// them need not open the file again.
inline Status CopyFile(const std::u16string& from, const std::u16string& to,
                       bool fail_if_exists, std::string* copied = nullptr) {
  return CurrentEnv()->CopyFile(from, to, fail_if_exists, copied);
}

inline Status DeleteFile(const std::u16string& path) {
  return CurrentEnv()->DeleteFile(path);
}

// The size of an existing file, opened for READ_CONTROL with no sharing.
inline Status GetFileSize(const std::u16string& path, uint64_t* size) {
  return CurrentEnv()->GetFileSize(path, size);
}

// Adds the hidden attribute (GetFileAttributesW + SetFileAttributesW). On
// POSIX it succeeds for any existing entry without changing it.
inline Status SetHidden(const std::u16string& path) {
  return CurrentEnv()->SetHidden(path);
}

// The largest file read whole into memory: a Chrome file of a million
// links is about 600 MB.
constexpr uint64_t kMaxReadFileBytes = uint64_t{2} << 30;

// Reads a whole file as bytes. Only a regular file (a link to one counts)
// is read: anything else fails with kErrorAccessDenied without waiting for
// a writer, and a file over kMaxReadFileBytes with kErrorNotEnoughMemory.
inline Status ReadFile(const std::u16string& path, std::string* bytes) {
  return CurrentEnv()->ReadFile(path, bytes);
}

// Creates or truncates a file and writes bytes to it (CreateFileW with
// CREATE_ALWAYS, then WriteFile).
inline Status WriteFile(const std::u16string& path, const std::string& bytes) {
  return CurrentEnv()->WriteFile(path, bytes);
}

// Writes bytes beside path and moves them over path in one step, so that a
// reader sees either the old or the whole new file.
inline Status ReplaceFileAtomically(const std::u16string& path,
                                    const std::string& bytes) {
  return CurrentEnv()->ReplaceFileAtomically(path, bytes);
}

// Creates path anew and writes bytes to it; fails with 80 (and changes
// nothing) when an entry of that name exists (CREATE_NEW / O_EXCL). A write
// that fails part-way removes what it made.
inline Status WriteNewFile(const std::u16string& path,
                           const std::string& bytes) {
  return CurrentEnv()->WriteNewFile(path, bytes);
}

// Writes bytes at the end of a file that exists (FILE_APPEND_DATA /
// O_APPEND): a large file is written piece by piece, never held whole.
inline Status AppendFile(const std::u16string& path, const std::string& bytes) {
  return CurrentEnv()->AppendFile(path, bytes);
}

// Clean-up that may fail without harm: a left-over or a half-written file
// removed after a failure that is already being reported.
inline void TryDeleteFile(const std::u16string& path) {
  (void)CurrentEnv()->DeleteFile(path);
}

inline void TryRemoveTree(const std::u16string& path) {
  (void)CurrentEnv()->RemoveTree(path);
}

// Renames the folder (or file) from to to, on one volume; fails with 183 or
// 80 when to exists, never replacing anything.
inline Status MoveFolder(const std::u16string& from, const std::u16string& to) {
  return CurrentEnv()->MoveFolder(from, to);
}

// Removes path with everything below it. Links and junctions below it are
// removed themselves, never followed; a path that is itself a link is
// removed as a link. Iterative, so any depth is fine. False (last error
// set) when something could not be removed; the rest is removed all the
// same.
inline Status RemoveTree(const std::u16string& path) {
  return CurrentEnv()->RemoveTree(path);
}

// How long a name made directly inside folder may be so that the whole
// path stays within what the system's file calls take: on Windows the
// absolute path counted in UTF-16 units (248 units with the terminator for
// a folder, 260 for a file); on POSIX PATH_MAX counted in UTF-8 bytes. The
// room goes to *units and *bytes (the measure the system does not limit is
// left as passed in); 0 when not even one unit fits.
inline void LimitNameToPath(const std::u16string& folder, bool is_folder,
                            size_t* units, size_t* bytes) {
  CurrentEnv()->LimitNameToPath(folder, is_folder, units, bytes);
}

// GetPrivateProfileStringW: section and key matched without regard to case,
// surrounding blanks and one pair of quotes removed. At most size - 1
// characters are returned (size 0 returns ""). A missing file, section or
// key gives default_value (also cut to size - 1).
inline std::u16string GetProfileString(const std::u16string& section,
                                       const std::u16string& key,
                                       const std::u16string& default_value,
                                       size_t size,
                                       const std::u16string& file) {
  return CurrentEnv()->GetProfileStrings(section, {key}, default_value, size,
                                         file)[0];
}

// GetProfileString for each of keys in one section, the file read once (an
// Internet Shortcut's URL and Title, say). The last error is that of the
// last key looked up.
inline std::vector<std::u16string> GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file) {
  return CurrentEnv()->GetProfileStrings(section, keys, default_value, size,
                                         file);
}

// WritePrivateProfileStringW: creates a missing file, replaces only that key
// (or adds it, adding a missing section at the end), keeps everything else.
// A file that starts with FF FE is written as UTF-16LE, any other as 8-bit
// text. Lines end in CR LF.
inline Status WriteProfileString(const std::u16string& section,
                                 const std::u16string& key,
                                 const std::u16string& value,
                                 const std::u16string& file) {
  return CurrentEnv()->WriteProfileString(section, key, value, file);
}

// SHGetSpecialFolderPathW without creating the folder. On POSIX the
// MARKSAFE_* environment variables (for kLocalState the XDG variable
// named at ShellFolder), read at every call. False and an empty out when there
// is none.
inline Status GetShellFolder(ShellFolder folder, std::u16string* out) {
  return CurrentEnv()->GetShellFolder(folder, out);
}

// GetVersionExW's dwMajorVersion (0 when the call fails).
inline uint32_t OsMajorVersion() { return CurrentEnv()->OsMajorVersion(); }

// The folder of the library file itself, with a trailing separator
// (GetModuleFileNameW of the stored module handle).
inline std::u16string LibraryFolder() { return CurrentEnv()->LibraryFolder(); }

// Makes the calling thread carry the token of the desktop user's shell or
// tray process in the active console session. read_tray_name gives the
// configured tray executable name and is called once per process examined.
// Returns 0 on success, 2 (process list), 3 (token), 4 (impersonation).
// On POSIX it changes nothing and returns 0.
inline int32_t ImpersonateDesktopUser(
    const std::function<std::u16string()>& read_tray_name) {
  return CurrentEnv()->ImpersonateDesktopUser(read_tray_name);
}

// Drops any impersonation of the calling thread.
inline void RevertToSelf() { CurrentEnv()->RevertToSelf(); }

// True while the browser runs for the caller. Windows: a process of its
// executable (firefox.exe, chrome.exe) in the caller's session, or a
// top-level window of today's class ("MozillaWindowClass",
// "Chrome_WidgetWin_1") belonging to that executable, or of the class of
// its first releases ("MozillaUIWindowClass", "Chrome_WindowImpl_0").
// POSIX: a main process of the calling user with one of the browser's
// executable names.
[[nodiscard]] inline bool BrowserIsRunning(Browser browser) {
  return CurrentEnv()->BrowserIsRunning(browser);
}

// Asks the browser to end and waits, polling, at most 10 seconds until no
// process of it is left (Windows: in the caller's session; POSIX: no main
// process). Windows: WM_CLOSE posted once to each of those windows that is
// visible and unowned. POSIX: SIGTERM once to each main process.
// Returns at once when none runs.
inline void AskBrowserToClose(Browser browser) {
  CurrentEnv()->AskBrowserToClose(browser);
}

// The main processes of the calling user (Windows: in the caller's
// session) whose executable is one of programs (names without extension),
// or one of the family's own names (see BrowserIsRunning) when programs is
// empty; lowest id first.
inline std::vector<BrowserProcess> BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs) {
  return CurrentEnv()->BrowserProcesses(family, programs);
}

// Asks each of the processes, and only them, to end (POSIX: SIGTERM;
// Windows: WM_CLOSE to their visible, unowned top-level windows) and waits,
// polling, at most 10 seconds until none of them is left.
inline void AskProcessesToClose(const std::vector<int64_t>& pids) {
  CurrentEnv()->AskProcessesToClose(pids);
}

// Fills out with size bytes from the system's cryptographic random
// generator. False (and the buffer unspecified) when none is available.
inline Status RandomBytes(void* out, size_t size) {
  return CurrentEnv()->RandomBytes(out, size);
}

// True when a running Firefox holds the profile folder: on POSIX
// ".parentlock" is locked, or its "lock" symlink names a live main process
// of the Firefox family (a link alone outlives a clean quit, and its pid may
// since belong to any process); on Windows "parent.lock" cannot be opened
// for exclusive use.
[[nodiscard]] inline bool FirefoxProfileInUse(const std::u16string& profile_folder) {
  return CurrentEnv()->FirefoxProfileInUse(profile_folder);
}

// Takes the exclusive advisory lock of lock_path (flock on POSIX, LockFileEx
// on Windows), creating the file when missing. Waits, polling, at most
// timeout_ms while another holder (another process, or another open of the
// same file in this one) has it, then fails with kErrorLockViolation.
// POSIX removes the file when the lock is let go (see posix_env.cc for why
// that is safe); Windows leaves it in place, since a file there cannot be
// removed while another writer holds it open to wait.
inline Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                       std::unique_ptr<FileLock>* lock) {
  return CurrentEnv()->LockFile(lock_path, timeout_ms, lock);
}

// Makes what was written reach the disk. A file: fsync (FlushFileBuffers
// on Windows). A folder on POSIX: everything written on its file system
// (syncfs on Linux, where one call covers a whole new tree of files;
// sync elsewhere), then the folder's own entries. A folder on Windows needs
// nothing: its entries change through MoveFileExW with write-through.
inline Status SyncPath(const std::u16string& path) {
  return CurrentEnv()->SyncPath(path);
}

// Makes a folder just built reach the disk whole, every file below it
// included, before it is moved into place. POSIX: as SyncPath on the
// folder. Windows: FlushFileBuffers on each file below it (no reparse
// point is followed), since Windows has no flush of a whole tree.
inline Status SyncTree(const std::u16string& folder) {
  return CurrentEnv()->SyncTree(folder);
}

// Swaps two folders of one volume in one step, so that no moment exists
// where either name is missing (renameat2 with RENAME_EXCHANGE on Linux).
// Fails with kErrorNotSupported where the system has no such call; the
// caller then moves them one after the other.
inline Status ExchangeFolders(const std::u16string& a,
                              const std::u16string& b) {
  return CurrentEnv()->ExchangeFolders(a, b);
}

inline int64_t NowMicros() { return CurrentEnv()->NowMicros(); }

inline void SleepForMicroseconds(int64_t micros) {
  CurrentEnv()->SleepForMicroseconds(micros);
}

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_ENV_H_
