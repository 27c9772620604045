// The system's own Env: each operation of platform.h done by the backend
// compiled for this system (posix/ or win32/) defines these members
// itself. The free functions of env.h reach them through CurrentEnv(), so
// that a test can put another Env in between.
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

// How often a wait for a lock held elsewhere tries again.
constexpr int64_t kLockPollMicros = 20000;

class SystemEnv : public Env {
 public:
  // The one instance the library uses by default.
  static SystemEnv* Default();

  Status ListDirectory(const std::u16string& folder,
                       std::vector<DirEntry>* out) override;
  bool PathExists(const std::u16string& path) override;
  bool IsDirectory(const std::u16string& path) override;
  Status CreateDirectoryTree(const std::u16string& path) override;
  Status CopyFile(const std::u16string& from, const std::u16string& to,
                  bool fail_if_exists, std::string* copied) override;
  Status DeleteFile(const std::u16string& path) override;
  Status GetFileSize(const std::u16string& path, uint64_t* size) override;
  Status SetHidden(const std::u16string& path) override;
  Status ReadFile(const std::u16string& path, std::string* bytes) override;
  Status WriteFile(const std::u16string& path,
                   const std::string& bytes) override;
  Status ReplaceFileAtomically(const std::u16string& path,
                               const std::string& bytes) override;
  Status WriteNewFile(const std::u16string& path,
                      const std::string& bytes) override;
  Status AppendFile(const std::u16string& path,
                    const std::string& bytes) override;
  Status MoveFolder(const std::u16string& from,
                    const std::u16string& to) override;
  Status RemoveTree(const std::u16string& path) override;
  void LimitNameToPath(const std::u16string& folder, bool is_folder,
                       size_t* units, size_t* bytes) override;
  std::vector<std::u16string> GetProfileStrings(
      const std::u16string& section, const std::vector<std::u16string>& keys,
      const std::u16string& default_value, size_t size,
      const std::u16string& file) override;
  Status WriteProfileString(const std::u16string& section,
                            const std::u16string& key,
                            const std::u16string& value,
                            const std::u16string& file) override;
  Status GetShellFolder(ShellFolder folder, std::u16string* out) override;
  uint32_t OsMajorVersion() override;
  std::u16string LibraryFolder() override;
  int32_t ImpersonateDesktopUser(
      const std::function<std::u16string()>& read_tray_name) override;
  void RevertToSelf() override;
  bool BrowserIsRunning(Browser browser) override;
  void AskBrowserToClose(Browser browser) override;
  std::vector<BrowserProcess> BrowserProcesses(
      Browser family, const std::vector<std::u16string>& programs) override;
  void AskProcessesToClose(const std::vector<int64_t>& pids) override;
  Status RandomBytes(void* out, size_t size) override;
  bool FirefoxProfileInUse(const std::u16string& profile_folder) override;
  bool FileHeldOpen(const std::u16string& path) override;
  Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                  std::unique_ptr<FileLock>* lock) override;
  Status SyncPath(const std::u16string& path) override;
  Status SyncTree(const std::u16string& folder) override;
  Status ExchangeFolders(const std::u16string& a,
                         const std::u16string& b) override;
  Status GetEntryKind(const std::u16string& path, EntryKind* kind) override;
  std::u16string TempFolder() override;
  std::u16string CanonicalPath(const std::u16string& path) override;
  Status GetLastWriteTime(const std::u16string& path,
                          int64_t* microseconds) override;
  bool ResolvesInside(const std::u16string& path,
                      const std::u16string& folder) override;
  Status ReadProfileFile(const std::u16string& folder,
                         const std::u16string& path, std::string* bytes,
                         size_t max_bytes) override;
  Status OpenDatabaseFile(const std::u16string&, RandomAccessFile*,
                          std::unique_ptr<RandomAccessFile>*) override {
    return Status::Ok();
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
