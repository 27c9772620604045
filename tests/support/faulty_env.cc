#include "support/faulty_env.h"

namespace marksafe {
namespace test {

using platform::Browser;
using platform::SystemEnv;

void FaultyEnv::FailNth(FaultOp op, int n, uint32_t code, int times) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[op].push_back(Fault{n, n + times - 1, code});
}

void FaultyEnv::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  counts_.clear();
  faults_.clear();
}

int FaultyEnv::Count(FaultOp op) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = counts_.find(op);
  return it == counts_.end() ? 0 : it->second;
}

void FaultyEnv::SetBrowserRunning(Browser browser, bool running,
                                  bool refuses_to_close) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_[browser] = running;
  stubborn_[browser] = refuses_to_close;
}

bool FaultyEnv::Fails(FaultOp op) {
  std::lock_guard<std::mutex> lock(mutex_);
  int call = ++counts_[op];
  for (const Fault& fault : faults_[op]) {
    if (call >= fault.first && call <= fault.last) {
      platform::SetLastError(fault.code);
      return true;
    }
  }
  return false;
}

bool FaultyEnv::ListDirectory(const std::u16string& folder,
                              std::vector<platform::DirEntry>* out) {
  return !Fails(FaultOp::kOpen) && SystemEnv::ListDirectory(folder, out);
}

bool FaultyEnv::CreateDirectoryTree(const std::u16string& path) {
  return !Fails(FaultOp::kCreateDir) && SystemEnv::CreateDirectoryTree(path);
}

bool FaultyEnv::CopyFile(const std::u16string& from, const std::u16string& to,
                         bool fail_if_exists) {
  return !Fails(FaultOp::kWrite) &&
         SystemEnv::CopyFile(from, to, fail_if_exists);
}

bool FaultyEnv::ShellCopyFile(const std::u16string& from,
                              const std::u16string& to) {
  return !Fails(FaultOp::kWrite) && SystemEnv::ShellCopyFile(from, to);
}

bool FaultyEnv::DeleteFile(const std::u16string& path) {
  return !Fails(FaultOp::kDelete) && SystemEnv::DeleteFile(path);
}

bool FaultyEnv::ReadFile(const std::u16string& path, std::string* bytes) {
  return !Fails(FaultOp::kOpen) && SystemEnv::ReadFile(path, bytes);
}

bool FaultyEnv::WriteFile(const std::u16string& path,
                          const std::string& bytes) {
  if (Fails(FaultOp::kWrite)) {
    // A write in place that fails leaves what it got to: half the bytes.
    uint32_t code = platform::GetLastError();
    (void)SystemEnv::WriteFile(path, bytes.substr(0, bytes.size() / 2));
    platform::SetLastError(code);
    return false;
  }
  return SystemEnv::WriteFile(path, bytes);
}

bool FaultyEnv::ReplaceFileAtomically(const std::u16string& path,
                                      const std::string& bytes) {
  return !Fails(FaultOp::kWrite) &&
         SystemEnv::ReplaceFileAtomically(path, bytes);
}

bool FaultyEnv::WriteNewFile(const std::u16string& path,
                             const std::string& bytes) {
  return !Fails(FaultOp::kWrite) && SystemEnv::WriteNewFile(path, bytes);
}

bool FaultyEnv::MoveFolder(const std::u16string& from,
                           const std::u16string& to) {
  return !Fails(FaultOp::kRename) && SystemEnv::MoveFolder(from, to);
}

bool FaultyEnv::RemoveTree(const std::u16string& path) {
  return !Fails(FaultOp::kDelete) && SystemEnv::RemoveTree(path);
}

bool FaultyEnv::WriteProfileString(const std::u16string& section,
                                   const std::u16string& key,
                                   const std::u16string& value,
                                   const std::u16string& file) {
  return !Fails(FaultOp::kWrite) &&
         SystemEnv::WriteProfileString(section, key, value, file);
}

bool FaultyEnv::BrowserIsRunning(Browser browser) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = running_.find(browser);
  return it != running_.end() && it->second;
}

void FaultyEnv::AskBrowserToClose(Browser browser) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!stubborn_[browser]) running_[browser] = false;
}

bool FaultyEnv::LockFile(const std::u16string& lock_path, uint32_t timeout_ms,
                         std::unique_ptr<platform::FileLock>* lock) {
  return !Fails(FaultOp::kLock) &&
         SystemEnv::LockFile(lock_path, timeout_ms, lock);
}

bool FaultyEnv::SyncPath(const std::u16string& path) {
  return !Fails(FaultOp::kSync) && SystemEnv::SyncPath(path);
}

bool FaultyEnv::SyncTree(const std::u16string& folder) {
  return !Fails(FaultOp::kSync) && SystemEnv::SyncTree(folder);
}

bool FaultyEnv::ExchangeFolders(const std::u16string& a,
                                const std::u16string& b) {
  return !Fails(FaultOp::kRename) && SystemEnv::ExchangeFolders(a, b);
}

}  // namespace test
}  // namespace marksafe
