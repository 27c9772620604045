// The context of one library call: the Env it runs on, the report it fills,
// its progress, its cancel flag and its options. Every export that does
// work starts one (JobScope) and everything below it reads the call's state
// from its Job, never from process-wide switches, so that two calls on two
// threads never see each other's report, progress or settings.
//
// The running Job is bound to the thread that runs the call (exports start
// no threads); Current() hands it to the code below. Locks a call holds are
// the call's own: taking a lock the call already holds is re-entry, keyed
// by the canonical path of the lock file.
#ifndef MARKSAFE_CONTEXT_JOB_H_
#define MARKSAFE_CONTEXT_JOB_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "context/journal_recorder.h"
#include "model/progress.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace context {

// How long a call waits for another run that writes the same store.
constexpr uint32_t kDefaultLockWaitMs = 5000;

struct Options {
  // Read a backup part that lacks its completion mark instead of refusing.
  bool accept_incomplete = false;
  // Merge in memory only; nothing is written.
  bool dry_run = false;
  uint32_t lock_wait_ms = kDefaultLockWaitMs;
  // Leave the removal of a part's previous copy to a later call
  // (RemoveSetAsideFolders), so that the backup is done first.
  bool remove_previous_later = false;
  // Keep a journal of what is written into browser stores (see
  // journal_recorder.h); a dry run keeps none.
  bool journal = true;
};

class Job {
 public:
  Job(std::string operation, platform::Env* env, Options options);
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  // The Env the call was started with (null: the one in force).
  platform::Env* env() const {
    return env_ != nullptr ? env_ : platform::CurrentEnv();
  }
  model::Report& report() { return report_; }
  model::Progress& progress() { return *progress_; }
  const std::shared_ptr<model::Progress>& shared_progress() const {
    return progress_;
  }
  Options& options() { return options_; }

  // The host's cancel flag (may be null: never cancelled).
  void set_cancel_flag(const volatile uint8_t* flag) { cancel_ = flag; }
  bool cancelled() const { return cancel_ != nullptr && *cancel_ != 0; }

  // Lock re-entry: AddLock counts one more hold of key and says whether the
  // call held it already; DropLock takes one away and says whether that
  // was the last.
  bool AddLock(const std::u16string& key) { return locks_[key]++ > 0; }
  bool DropLock(const std::u16string& key);

  // Where writers note each item a store took; null when this call keeps
  // no journal (turned off, a dry run, or no call runs).
  JournalRecorder* journal() {
    return recording_ && options_.journal && !options_.dry_run ? &journal_
                                                               : nullptr;
  }
  void set_recording(bool recording) { recording_ = recording; }
  JournalRecorder& recorder() { return journal_; }

 private:
  platform::Env* env_;
  model::Report report_;
  std::shared_ptr<model::Progress> progress_;
  const volatile uint8_t* cancel_ = nullptr;
  Options options_;
  std::map<std::u16string, int> locks_;
  JournalRecorder journal_;
  bool recording_ = false;
};

// The options a call starts with: the defaults, with the host's
// process-wide accept-incomplete, remove-later and journal choices.
Options DefaultOptions();
void SetAcceptIncompleteDefault(bool accept);
void SetRemovePreviousLaterDefault(bool later);

// The job the calling thread runs. Outside any call (a test that drives a
// part of the library directly) a job of the thread's own, with the
// default options, stands in.
Job& Current();

// Runs one call: starts its job on the calling thread (at 0 of 0, its
// progress the one marksafe_progress shows), binds its Env to the thread,
// and when it ends writes the journals of what it added to browser stores
// and keeps its report and progress as the thread's last. A scope opened
// while the thread already runs a job joins that job.
class JobScope {
 public:
  explicit JobScope(const char* operation, Options options = DefaultOptions());
  ~JobScope();
  JobScope(const JobScope&) = delete;
  JobScope& operator=(const JobScope&) = delete;

  Job& job() { return Current(); }

 private:
  std::unique_ptr<Job> job_;  // null when joined
  std::unique_ptr<platform::ScopedThreadEnv> bound_env_;
};

// The report of the last call the calling thread finished.
const model::Report& LastReport();
// The progress of the call started last in the process, on any thread.
void ReadProgress(int64_t* done, int64_t* total);

}  // namespace context
}  // namespace marksafe

#endif  // MARKSAFE_CONTEXT_JOB_H_
