// The system's own Env: each operation of platform.h done by the backend
// compiled for this system (posix/ or win32/). The backend's functions live
// in platform::sys; the free functions of platform.h reach them through
// CurrentEnv(), so that a test can put another Env in between.
#ifndef MARKSAFE_PLATFORM_SYSTEM_ENV_H_
#define MARKSAFE_PLATFORM_SYSTEM_ENV_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace sys {

bool ListDirectory(const std::u16string& folder, std::vector<DirEntry>* out);
bool PathExists(const std::u16string& path);
bool IsDirectory(const std::u16string& path);
bool CreateDirectoryTree(const std::u16string& path);
bool CopyFile(const std::u16string& from, const std::u16string& to,
              bool fail_if_exists);
bool ShellCopyFile(const std::u16string& from, const std::u16string& to);
bool DeleteFile(const std::u16string& path);
bool GetFileSize(const std::u16string& path, uint64_t* size);
bool SetHidden(const std::u16string& path);
bool ReadFile(const std::u16string& path, std::string* bytes);
bool WriteFile(const std::u16string& path, const std::string& bytes);
bool ReplaceFileAtomically(const std::u16string& path,
                           const std::string& bytes);
bool WriteNewFile(const std::u16string& path, const std::string& bytes);
bool MoveFolder(const std::u16string& from, const std::u16string& to);
bool RemoveTree(const std::u16string& path);
void LimitNameToPath(const std::u16string& folder, bool is_folder,
                     size_t* units, size_t* bytes);
std::u16string GetProfileString(const std::u16string& section,
                                const std::u16string& key,
                                const std::u16string& default_value,
                                size_t size, const std::u16string& file);
std::vector<std::u16string> GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file);
bool WriteProfileString(const std::u16string& section,
                        const std::u16string& key, const std::u16string& value,
                        const std::u16string& file);
bool GetShellFolder(ShellFolder folder, std::u16string* out);
uint32_t OsMajorVersion();
std::vector<std::u16string> NativeFirefoxProfileRoots();
std::vector<std::u16string> NativeChromeBookmarkFiles();
std::u16string LibraryFolder();
int32_t ImpersonateDesktopUser(
    const std::function<std::u16string()>& read_tray_name);
void RevertToSelf();
bool BrowserIsRunning(Browser browser);
void AskBrowserToClose(Browser browser);
void AskProgramsToClose(Browser family,
                        const std::vector<std::u16string>& programs);
std::vector<BrowserProcess> BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs);
void AskProcessesToClose(const std::vector<int64_t>& pids);
bool RandomBytes(void* out, size_t size);
bool FirefoxProfileInUse(const std::u16string& profile_folder);
bool FileHeldOpen(const std::u16string& path);
bool LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
              std::unique_ptr<FileLock>* lock);
bool SyncPath(const std::u16string& path);
bool SyncTree(const std::u16string& folder);
bool ExchangeFolders(const std::u16string& a, const std::u16string& b);

}  // namespace sys

// How often a wait for a lock held elsewhere tries again.
constexpr int64_t kLockPollMicros = 20000;

class SystemEnv : public Env {
 public:
  // The one instance the library uses by default.
  static SystemEnv* Default();

  bool ListDirectory(const std::u16string& folder,
                     std::vector<DirEntry>* out) override {
    return sys::ListDirectory(folder, out);
  }
  bool PathExists(const std::u16string& path) override {
    return sys::PathExists(path);
  }
  bool IsDirectory(const std::u16string& path) override {
    return sys::IsDirectory(path);
  }
  bool CreateDirectoryTree(const std::u16string& path) override {
    return sys::CreateDirectoryTree(path);
  }
  bool CopyFile(const std::u16string& from, const std::u16string& to,
                bool fail_if_exists) override {
    return sys::CopyFile(from, to, fail_if_exists);
  }
  bool ShellCopyFile(const std::u16string& from,
                     const std::u16string& to) override {
    return sys::ShellCopyFile(from, to);
  }
  bool DeleteFile(const std::u16string& path) override {
    return sys::DeleteFile(path);
  }
  bool GetFileSize(const std::u16string& path, uint64_t* size) override {
    return sys::GetFileSize(path, size);
  }
  bool SetHidden(const std::u16string& path) override {
    return sys::SetHidden(path);
  }
  bool ReadFile(const std::u16string& path, std::string* bytes) override {
    return sys::ReadFile(path, bytes);
  }
  bool WriteFile(const std::u16string& path,
                 const std::string& bytes) override {
    return sys::WriteFile(path, bytes);
  }
  bool ReplaceFileAtomically(const std::u16string& path,
                             const std::string& bytes) override {
    return sys::ReplaceFileAtomically(path, bytes);
  }
  bool WriteNewFile(const std::u16string& path,
                    const std::string& bytes) override {
    return sys::WriteNewFile(path, bytes);
  }
  bool MoveFolder(const std::u16string& from,
                  const std::u16string& to) override {
    return sys::MoveFolder(from, to);
  }
  bool RemoveTree(const std::u16string& path) override {
    return sys::RemoveTree(path);
  }
  void LimitNameToPath(const std::u16string& folder, bool is_folder,
                       size_t* units, size_t* bytes) override {
    sys::LimitNameToPath(folder, is_folder, units, bytes);
  }
  std::u16string GetProfileString(const std::u16string& section,
                                  const std::u16string& key,
                                  const std::u16string& default_value,
                                  size_t size,
                                  const std::u16string& file) override {
    return sys::GetProfileString(section, key, default_value, size, file);
  }
  std::vector<std::u16string> GetProfileStrings(
      const std::u16string& section, const std::vector<std::u16string>& keys,
      const std::u16string& default_value, size_t size,
      const std::u16string& file) override {
    return sys::GetProfileStrings(section, keys, default_value, size, file);
  }
  bool WriteProfileString(const std::u16string& section,
                          const std::u16string& key,
                          const std::u16string& value,
                          const std::u16string& file) override {
    return sys::WriteProfileString(section, key, value, file);
  }
  bool GetShellFolder(ShellFolder folder, std::u16string* out) override {
    return sys::GetShellFolder(folder, out);
  }
  uint32_t OsMajorVersion() override { return sys::OsMajorVersion(); }
  std::vector<std::u16string> NativeFirefoxProfileRoots() override {
    return sys::NativeFirefoxProfileRoots();
  }
  std::vector<std::u16string> NativeChromeBookmarkFiles() override {
    return sys::NativeChromeBookmarkFiles();
  }
  std::u16string LibraryFolder() override { return sys::LibraryFolder(); }
  int32_t ImpersonateDesktopUser(
      const std::function<std::u16string()>& read_tray_name) override {
    return sys::ImpersonateDesktopUser(read_tray_name);
  }
  void RevertToSelf() override { sys::RevertToSelf(); }
  bool BrowserIsRunning(Browser browser) override {
    return sys::BrowserIsRunning(browser);
  }
  void AskBrowserToClose(Browser browser) override {
    sys::AskBrowserToClose(browser);
  }
  void AskProgramsToClose(
      Browser family, const std::vector<std::u16string>& programs) override {
    sys::AskProgramsToClose(family, programs);
  }
  std::vector<BrowserProcess> BrowserProcesses(
      Browser family, const std::vector<std::u16string>& programs) override {
    return sys::BrowserProcesses(family, programs);
  }
  void AskProcessesToClose(const std::vector<int64_t>& pids) override {
    sys::AskProcessesToClose(pids);
  }
  bool RandomBytes(void* out, size_t size) override {
    return sys::RandomBytes(out, size);
  }
  bool FirefoxProfileInUse(const std::u16string& profile_folder) override {
    return sys::FirefoxProfileInUse(profile_folder);
  }
  bool FileHeldOpen(const std::u16string& path) override {
    return sys::FileHeldOpen(path);
  }
  bool LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                std::unique_ptr<FileLock>* lock) override {
    return sys::LockFile(lock_path, timeout_ms, lock);
  }
  bool SyncPath(const std::u16string& path) override {
    return sys::SyncPath(path);
  }
  bool SyncTree(const std::u16string& folder) override {
    return sys::SyncTree(folder);
  }
  bool ExchangeFolders(const std::u16string& a,
                       const std::u16string& b) override {
    return sys::ExchangeFolders(a, b);
  }
  bool OpenDatabaseFile(const std::u16string&, RandomAccessFile*,
                        std::unique_ptr<RandomAccessFile>*) override {
    return true;
  }
  int64_t NowMicros() override {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
  void SleepForMicroseconds(int64_t micros) override {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
  }
};

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_SYSTEM_ENV_H_
