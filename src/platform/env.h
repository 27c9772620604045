// The replaceable system behind platform.h: the Env interface, the binding
// of an Env to a thread, and the free functions of platform.h that reach
// the Env in force.
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
  virtual Status CopyFile(const std::u16string& from, const std::u16string& to,
                          bool fail_if_exists) = 0;
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
  // left empty, as the system's Env leaves it. False fails the open.
  [[nodiscard]] virtual bool OpenDatabaseFile(const std::u16string& path,
                                RandomAccessFile* file,
                                std::unique_ptr<RandomAccessFile>* out) = 0;
  // What path itself is (a link is not followed); false when nothing is
  // there.
  [[nodiscard]] virtual bool GetEntryKind(const std::u16string& path,
                                          EntryKind* kind) = 0;
  virtual std::u16string TempFolder() = 0;
  virtual std::u16string CanonicalPath(const std::u16string& path) = 0;
  [[nodiscard]] virtual bool GetLastWriteTime(const std::u16string& path,
                                              int64_t* microseconds) = 0;
  [[nodiscard]] virtual bool ResolvesInside(const std::u16string& path,
                                            const std::u16string& folder) = 0;
  [[nodiscard]] virtual bool ReadProfileFile(const std::u16string& folder,
                                             const std::u16string& path,
                                             std::string* bytes,
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

inline Status ListDirectory(const std::u16string& folder,
                            std::vector<DirEntry>* out) {
  return CurrentEnv()->ListDirectory(folder, out);
}
[[nodiscard]] inline bool PathExists(const std::u16string& path) {
  return CurrentEnv()->PathExists(path);
}
[[nodiscard]] inline bool IsDirectory(const std::u16string& path) {
  return CurrentEnv()->IsDirectory(path);
}
inline Status CreateDirectoryTree(const std::u16string& path) {
  return CurrentEnv()->CreateDirectoryTree(path);
}
inline Status CopyFile(const std::u16string& from, const std::u16string& to,
                       bool fail_if_exists) {
  return CurrentEnv()->CopyFile(from, to, fail_if_exists);
}
inline Status DeleteFile(const std::u16string& path) {
  return CurrentEnv()->DeleteFile(path);
}
inline Status GetFileSize(const std::u16string& path, uint64_t* size) {
  return CurrentEnv()->GetFileSize(path, size);
}
inline Status SetHidden(const std::u16string& path) {
  return CurrentEnv()->SetHidden(path);
}
inline Status ReadFile(const std::u16string& path, std::string* bytes) {
  return CurrentEnv()->ReadFile(path, bytes);
}
inline Status WriteFile(const std::u16string& path, const std::string& bytes) {
  return CurrentEnv()->WriteFile(path, bytes);
}
inline Status ReplaceFileAtomically(const std::u16string& path,
                                    const std::string& bytes) {
  return CurrentEnv()->ReplaceFileAtomically(path, bytes);
}
inline Status WriteNewFile(const std::u16string& path,
                           const std::string& bytes) {
  return CurrentEnv()->WriteNewFile(path, bytes);
}
// Clean-up that may fail without harm: a left-over or a half-written file
// removed after a failure that is already being reported.
inline void TryDeleteFile(const std::u16string& path) {
  (void)CurrentEnv()->DeleteFile(path);
}
inline void TryRemoveTree(const std::u16string& path) {
  (void)CurrentEnv()->RemoveTree(path);
}
inline Status MoveFolder(const std::u16string& from, const std::u16string& to) {
  return CurrentEnv()->MoveFolder(from, to);
}
inline Status RemoveTree(const std::u16string& path) {
  return CurrentEnv()->RemoveTree(path);
}
inline void LimitNameToPath(const std::u16string& folder, bool is_folder,
                            size_t* units, size_t* bytes) {
  CurrentEnv()->LimitNameToPath(folder, is_folder, units, bytes);
}
inline std::u16string GetProfileString(const std::u16string& section,
                                       const std::u16string& key,
                                       const std::u16string& default_value,
                                       size_t size,
                                       const std::u16string& file) {
  return CurrentEnv()->GetProfileStrings(section, {key}, default_value, size,
                                         file)[0];
}
inline std::vector<std::u16string> GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file) {
  return CurrentEnv()->GetProfileStrings(section, keys, default_value, size,
                                         file);
}
inline Status WriteProfileString(const std::u16string& section,
                                 const std::u16string& key,
                                 const std::u16string& value,
                                 const std::u16string& file) {
  return CurrentEnv()->WriteProfileString(section, key, value, file);
}
inline Status GetShellFolder(ShellFolder folder, std::u16string* out) {
  return CurrentEnv()->GetShellFolder(folder, out);
}
inline uint32_t OsMajorVersion() { return CurrentEnv()->OsMajorVersion(); }
inline std::u16string LibraryFolder() { return CurrentEnv()->LibraryFolder(); }
inline int32_t ImpersonateDesktopUser(
    const std::function<std::u16string()>& read_tray_name) {
  return CurrentEnv()->ImpersonateDesktopUser(read_tray_name);
}
inline void RevertToSelf() { CurrentEnv()->RevertToSelf(); }
[[nodiscard]] inline bool BrowserIsRunning(Browser browser) {
  return CurrentEnv()->BrowserIsRunning(browser);
}
inline void AskBrowserToClose(Browser browser) {
  CurrentEnv()->AskBrowserToClose(browser);
}
inline std::vector<BrowserProcess> BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs) {
  return CurrentEnv()->BrowserProcesses(family, programs);
}
inline void AskProcessesToClose(const std::vector<int64_t>& pids) {
  CurrentEnv()->AskProcessesToClose(pids);
}
inline Status RandomBytes(void* out, size_t size) {
  return CurrentEnv()->RandomBytes(out, size);
}
[[nodiscard]] inline bool FirefoxProfileInUse(const std::u16string& profile_folder) {
  return CurrentEnv()->FirefoxProfileInUse(profile_folder);
}
inline Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                       std::unique_ptr<FileLock>* lock) {
  return CurrentEnv()->LockFile(lock_path, timeout_ms, lock);
}
inline Status SyncPath(const std::u16string& path) {
  return CurrentEnv()->SyncPath(path);
}
inline Status SyncTree(const std::u16string& folder) {
  return CurrentEnv()->SyncTree(folder);
}
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
