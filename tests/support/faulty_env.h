// A test double of the system: the real file system, with chosen calls
// failing, and a made-up list of running browsers and their processes.
#ifndef MARKSAFE_TESTS_SUPPORT_FAULTY_ENV_H_
#define MARKSAFE_TESTS_SUPPORT_FAULTY_ENV_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/system_env.h"

namespace marksafe {
namespace test {

// The kinds of call a fault can be put on.
enum class FaultOp {
  kWrite,      // WriteFile, WriteNewFile, AppendFile, ReplaceFileAtomically,
               // CopyFile, WriteProfileString
  kRename,     // MoveFolder, ExchangeFolders
  kCreateDir,  // CreateDirectoryTree
  kLock,       // LockFile
  kOpen,       // ReadFile, ListDirectory
  kDelete,     // DeleteFile, RemoveTree
  kSync,       // SyncPath, SyncTree
  // A database file's Write, Truncate and Sync (through SQLite); its open
  // counts as kOpen.
  kDatabaseWrite,
};

class FaultyEnv : public platform::SystemEnv {
 public:
  FaultyEnv() = default;

  // Fails calls number n, n + 1, ..., n + times - 1 of op (counted from 1
  // since the last Reset) with error code; the others run as usual.
  void FailNth(FaultOp op, int n, uint32_t code, int times = 1);
  // Forgets the faults and the counts (the process list stays).
  void Reset();
  // How many calls of op were made since the last Reset.
  int Count(FaultOp op) const;

  // What BrowserIsRunning answers (nothing runs until told otherwise).
  // AskBrowserToClose ends the browser unless it is told to stay.
  void SetBrowserRunning(platform::Browser browser, bool running,
                         bool refuses_to_close = false);

  // The calls that only fail or go to the system.
  Status ListDirectory(const std::u16string& folder,
                       std::vector<platform::DirEntry>* out) override {
    return Or(FaultOp::kOpen, u"list", folder,
              [&] { return SystemEnv::ListDirectory(folder, out); });
  }
  Status CreateDirectoryTree(const std::u16string& path) override {
    return Or(FaultOp::kCreateDir, u"create the folder", path,
              [&] { return SystemEnv::CreateDirectoryTree(path); });
  }
  Status CopyFile(const std::u16string& from, const std::u16string& to,
                  bool fail_if_exists, std::string* copied) override {
    return Or(FaultOp::kWrite, u"copy to", to, [&] {
      return SystemEnv::CopyFile(from, to, fail_if_exists, copied);
    });
  }
  Status DeleteFile(const std::u16string& path) override {
    return Or(FaultOp::kDelete, u"delete", path,
              [&] { return SystemEnv::DeleteFile(path); });
  }
  Status ReadFile(const std::u16string& path, std::string* bytes) override {
    return Or(FaultOp::kOpen, u"read", path,
              [&] { return SystemEnv::ReadFile(path, bytes); });
  }
  Status ReplaceFileAtomically(const std::u16string& path,
                               const std::string& bytes) override {
    return Or(FaultOp::kWrite, u"write", path,
              [&] { return SystemEnv::ReplaceFileAtomically(path, bytes); });
  }
  Status AppendFile(const std::u16string& path,
                    const std::string& bytes) override {
    return Or(FaultOp::kWrite, u"write", path,
              [&] { return SystemEnv::AppendFile(path, bytes); });
  }
  Status WriteNewFile(const std::u16string& path,
                      const std::string& bytes) override {
    return Or(FaultOp::kWrite, u"write", path,
              [&] { return SystemEnv::WriteNewFile(path, bytes); });
  }
  Status MoveFolder(const std::u16string& from,
                    const std::u16string& to) override {
    return Or(FaultOp::kRename, u"move", from,
              [&] { return SystemEnv::MoveFolder(from, to); });
  }
  Status RemoveTree(const std::u16string& path) override {
    return Or(FaultOp::kDelete, u"remove", path,
              [&] { return SystemEnv::RemoveTree(path); });
  }
  Status WriteProfileString(const std::u16string& section,
                            const std::u16string& key,
                            const std::u16string& value,
                            const std::u16string& file) override {
    return Or(FaultOp::kWrite, u"write", file, [&] {
      return SystemEnv::WriteProfileString(section, key, value, file);
    });
  }
  Status LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                  std::unique_ptr<platform::FileLock>* lock) override {
    return Or(FaultOp::kLock, u"lock", lock_path,
              [&] { return SystemEnv::LockFile(lock_path, timeout_ms, lock); });
  }
  Status SyncPath(const std::u16string& path) override {
    return Or(FaultOp::kSync, u"flush", path,
              [&] { return SystemEnv::SyncPath(path); });
  }
  Status SyncTree(const std::u16string& folder) override {
    return Or(FaultOp::kSync, u"flush", folder,
              [&] { return SystemEnv::SyncTree(folder); });
  }
  Status ExchangeFolders(const std::u16string& a,
                         const std::u16string& b) override {
    return Or(FaultOp::kRename, u"swap", a,
              [&] { return SystemEnv::ExchangeFolders(a, b); });
  }
  // A write in place that fails leaves what it got to: half the bytes.
  Status WriteFile(const std::u16string& path,
                   const std::string& bytes) override;
  // Adds a made-up main process of a browser: program is its executable's
  // name, args its command line after it. Its id is beyond any real
  // process's, so a "lock" link may name it. It ends when asked to close
  // unless told to stay.
  int64_t AddBrowserProcess(platform::Browser family,
                            const std::u16string& program,
                            std::vector<std::u16string> args,
                            bool refuses_to_close = false);
  // Whether the made-up process is still there.
  bool ProcessRuns(int64_t pid) const;
  // Makes FirefoxProfileInUse answer yes for the profile folder, as if a
  // Firefox held its lock.
  void SetProfileHeld(const std::u16string& profile_folder);
  // Makes FileHeldOpen answer yes for the file, as if another program had
  // it open; no other file is held (the real process list is never read).
  void SetFileHeld(const std::u16string& path);

  bool BrowserIsRunning(platform::Browser browser) override;
  void AskBrowserToClose(platform::Browser browser) override;
  std::vector<platform::BrowserProcess> BrowserProcesses(
      platform::Browser family,
      const std::vector<std::u16string>& programs) override;
  void AskProcessesToClose(const std::vector<int64_t>& pids) override;
  bool FirefoxProfileInUse(const std::u16string& profile_folder) override;
  bool FileHeldOpen(const std::u16string& path) override;
  // From now on the clock stands still but for sleeps, which return at once
  // and move it on: a wait for a lock takes no real time.
  void UseFakeClock();
  int64_t NowMicros() override;
  void SleepForMicroseconds(int64_t micros) override;
  Status OpenDatabaseFile(
      const std::u16string& path, platform::RandomAccessFile* file,
      std::unique_ptr<platform::RandomAccessFile>* out) override;

 private:
  class DatabaseFile;
  struct Fault {
    int first = 0;
    int last = 0;
    uint32_t code = 0;
  };
  // Counts a call of op; true (last error set) when it is to fail.
  bool Fails(FaultOp op);
  // Fails as op's fault says, naming what and path, or makes the call.
  template <typename Call>
  Status Or(FaultOp op, const char16_t* what, const std::u16string& path,
            Call call) {
    return Fails(op) ? platform::FailedWithLastError(what, path) : call();
  }

  mutable std::mutex mutex_;
  std::map<FaultOp, int> counts_;
  std::map<FaultOp, std::vector<Fault>> faults_;
  std::map<platform::Browser, bool> running_;
  std::map<platform::Browser, bool> stubborn_;
  struct FakeProcess {
    platform::Browser family;
    std::u16string program;
    platform::BrowserProcess process;
    bool stubborn = false;
  };
  std::vector<FakeProcess> processes_;
  std::vector<std::u16string> held_profiles_;
  std::vector<std::u16string> held_files_;
  bool fake_clock_ = false;
  int64_t fake_now_ = 0;
};

// Puts a FaultyEnv in force for the life of the object.
class ScopedFaultyEnv {
 public:
  ScopedFaultyEnv() : override_(&env_) {}
  FaultyEnv* operator->() { return &env_; }

 private:
  FaultyEnv env_;
  platform::ScopedEnvOverride override_;
};

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_SUPPORT_FAULTY_ENV_H_
