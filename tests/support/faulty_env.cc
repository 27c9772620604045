#include "support/faulty_env.h"

#include <algorithm>

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

Status FaultyEnv::WriteFile(const std::u16string& path,
                            const std::string& bytes) {
  if (Fails(FaultOp::kWrite)) {
    uint32_t code = platform::GetLastError();
    (void)SystemEnv::WriteFile(path, bytes.substr(0, bytes.size() / 2));
    return platform::Failed(code, u"write", path);
  }
  return SystemEnv::WriteFile(path, bytes);
}

bool FaultyEnv::BrowserIsRunning(Browser browser) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const FakeProcess& fake : processes_) {
    if (fake.family == browser && fake.process.pid > 0) return true;
  }
  auto it = running_.find(browser);
  return it != running_.end() && it->second;
}

void FaultyEnv::AskBrowserToClose(Browser browser) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!stubborn_[browser]) running_[browser] = false;
}

int64_t FaultyEnv::AddBrowserProcess(Browser family,
                                     const std::u16string& program,
                                     std::vector<std::u16string> args,
                                     bool refuses_to_close) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Beyond the largest pid Linux hands out (2^22).
  constexpr int64_t kFirstFakePid = 5000000;
  FakeProcess fake{family, program, {}, refuses_to_close};
  fake.process.pid = kFirstFakePid + static_cast<int64_t>(processes_.size());
  fake.process.args = std::move(args);
  processes_.push_back(std::move(fake));
  return processes_.back().process.pid;
}

bool FaultyEnv::ProcessRuns(int64_t pid) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const FakeProcess& fake : processes_) {
    if (fake.process.pid == pid) return fake.process.pid > 0;
  }
  return false;
}

std::vector<platform::BrowserProcess> FaultyEnv::BrowserProcesses(
    Browser family, const std::vector<std::u16string>& programs) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<platform::BrowserProcess> found;
  for (const FakeProcess& fake : processes_) {
    const bool named =
        programs.empty() ? fake.family == family
                         : std::find(programs.begin(), programs.end(),
                                     fake.program) != programs.end();
    if (named && fake.process.pid > 0) found.push_back(fake.process);
  }
  return found;
}

void FaultyEnv::AskProcessesToClose(const std::vector<int64_t>& pids) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (FakeProcess& fake : processes_) {
    if (!fake.stubborn && std::find(pids.begin(), pids.end(),
                                    fake.process.pid) != pids.end()) {
      fake.process.pid = -fake.process.pid;  // ended; its id is not reused
    }
  }
}

namespace {

// A folder with "/" separators and none at its end.
std::u16string Normal(std::u16string folder) {
  std::replace(folder.begin(), folder.end(), u'\\', u'/');
  while (folder.size() > 1 && folder.back() == u'/') folder.pop_back();
  return folder;
}

}  // namespace

void FaultyEnv::SetProfileHeld(const std::u16string& profile_folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_profiles_.push_back(Normal(profile_folder));
}

bool FaultyEnv::FirefoxProfileInUse(const std::u16string& profile_folder) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(held_profiles_.begin(), held_profiles_.end(),
                  Normal(profile_folder)) != held_profiles_.end()) {
      return true;
    }
  }
  return SystemEnv::FirefoxProfileInUse(profile_folder);
}

void FaultyEnv::SetFileHeld(const std::u16string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_files_.push_back(Normal(path));
}

bool FaultyEnv::FileHeldOpen(const std::u16string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(held_files_.begin(), held_files_.end(), Normal(path)) !=
         held_files_.end();
}

void FaultyEnv::UseFakeClock() {
  const int64_t now = SystemEnv::NowMicros();
  std::lock_guard<std::mutex> lock(mutex_);
  fake_clock_ = true;
  fake_now_ = now;
}

int64_t FaultyEnv::NowMicros() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fake_clock_) return fake_now_;
  }
  return SystemEnv::NowMicros();
}

void FaultyEnv::SleepForMicroseconds(int64_t micros) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fake_clock_) {
      fake_now_ += micros;
      return;
    }
  }
  SystemEnv::SleepForMicroseconds(micros);
}

// A database file whose writes, truncations and flushes count as
// kDatabaseWrite; a failed one changes nothing in the file.
class FaultyEnv::DatabaseFile : public platform::RandomAccessFile {
 public:
  DatabaseFile(FaultyEnv* env, platform::RandomAccessFile* file)
      : env_(env), file_(file) {}
  bool Read(uint64_t offset, size_t size, char* out,
            bool* short_read) override {
    return file_->Read(offset, size, out, short_read);
  }
  bool Write(uint64_t offset, const char* data, size_t size) override {
    return !env_->Fails(FaultOp::kDatabaseWrite) &&
           file_->Write(offset, data, size);
  }
  bool Truncate(uint64_t size) override {
    return !env_->Fails(FaultOp::kDatabaseWrite) && file_->Truncate(size);
  }
  bool Sync() override {
    return !env_->Fails(FaultOp::kDatabaseWrite) && file_->Sync();
  }
  bool Size(uint64_t* size) override { return file_->Size(size); }

 private:
  FaultyEnv* env_;
  platform::RandomAccessFile* file_;
};

Status FaultyEnv::OpenDatabaseFile(
    const std::u16string& path, platform::RandomAccessFile* file,
    std::unique_ptr<platform::RandomAccessFile>* out) {
  if (Fails(FaultOp::kOpen))
    return platform::FailedWithLastError(u"open", path);
  *out = std::make_unique<DatabaseFile>(this, file);
  return Status::Ok();
}

}  // namespace test
}  // namespace marksafe
