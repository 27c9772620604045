// An Env whose files and folders live in memory, for fast tests and for
// proving that a job reaches the disk only through the Env: a path it
// names that the test did not make is not there. It holds what a backup
// set's parts use: files, folders, locks and INI files; databases, profile
// files, processes, browsers, the clock and random bytes are the system's.
//
// Paths take "\" or "/" alike and are matched as written (case counts);
// "/" alone is the root, which always exists. Links do not exist here, so
// every path resolves to itself. Locks are held per path within this Env.
#ifndef MARKSAFE_TESTS_SUPPORT_MEMORY_ENV_H_
#define MARKSAFE_TESTS_SUPPORT_MEMORY_ENV_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/system_env.h"

namespace marksafe {
namespace platform {

class MemoryEnv : public SystemEnv {
 public:
  MemoryEnv() = default;

  Status ListDirectory(const std::u16string& folder,
                       std::vector<DirEntry>* out) override;
  bool PathExists(const std::u16string& path) override;
  bool IsDirectory(const std::u16string& path) override;
  Status GetEntryKind(const std::u16string& path, EntryKind* kind) override;
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
  Status ExchangeFolders(const std::u16string& a,
                         const std::u16string& b) override;
  Status SyncPath(const std::u16string& path) override;
  Status SyncTree(const std::u16string& folder) override;
  Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                  std::unique_ptr<FileLock>* lock) override;
  std::vector<std::u16string> GetProfileStrings(
      const std::u16string& section, const std::vector<std::u16string>& keys,
      const std::u16string& default_value, size_t size,
      const std::u16string& file) override;
  Status WriteProfileString(const std::u16string& section,
                            const std::u16string& key,
                            const std::u16string& value,
                            const std::u16string& file) override;
  Status GetShellFolder(ShellFolder folder, std::u16string* out) override;
  std::u16string CanonicalPath(const std::u16string& path) override;

 private:
  struct Node {
    bool folder = false;
    std::string bytes;
  };
  class Lock;

  // The map's key for path: "/" separators, no doubled or trailing one.
  static std::u16string Key(const std::u16string& path);
  static std::u16string ParentKey(const std::u16string& key);
  // Fails as the system does for a missing entry: 2 when its folder
  // exists, 3 when not. Callers hold mutex_.
  Status Missing(const std::u16string& key, const char16_t* what);
  Node* Find(const std::u16string& key);
  Status PutFile(const std::u16string& path, const std::string& bytes,
                 bool fail_if_exists);
  // Moves every key at or below from to the same place below to.
  void MoveKeys(const std::u16string& from, const std::u16string& to);

  mutable std::mutex mutex_;
  std::map<std::u16string, Node> nodes_;
  std::set<std::u16string> locked_;
};

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_SUPPORT_MEMORY_ENV_H_
