#include "context/job.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/thread_slot.h"

namespace marksafe {
namespace context {
namespace {

std::atomic<bool> g_accept_incomplete{false};
std::atomic<bool> g_remove_previous_later{false};

// The progress marksafe_progress shows: the call started last.
std::mutex g_published_mutex;
std::shared_ptr<model::Progress>& Published() {
  static auto* published = new std::shared_ptr<model::Progress>();
  return *published;
}

thread_local Job* t_running = nullptr;

struct ThreadState {
  Job idle{std::string(), nullptr, Options()};
  model::Report last_report;
};

ThreadState& State() {
  static platform::ThreadSlot slot;
  return platform::PerThread<ThreadState>(&slot);
}

}  // namespace

Job::Job(std::string operation, platform::Env* env, Options options)
    : env_(env),
      progress_(std::make_shared<model::Progress>()),
      options_(options) {
  report_.operation = std::move(operation);
}

bool Job::DropLock(const std::u16string& key) {
  auto it = locks_.find(key);
  if (it == locks_.end()) return false;
  if (--it->second > 0) return false;
  locks_.erase(it);
  return true;
}

Options DefaultOptions() {
  Options options;
  options.accept_incomplete = g_accept_incomplete.load();
  options.remove_previous_later = g_remove_previous_later.load();
  options.journal = JournalDefault();
  return options;
}

void SetAcceptIncompleteDefault(bool accept) { g_accept_incomplete = accept; }

void SetRemovePreviousLaterDefault(bool later) {
  g_remove_previous_later = later;
}

Job& Current() {
  if (t_running != nullptr) return *t_running;
  Job& idle = State().idle;
  idle.options().accept_incomplete = g_accept_incomplete.load();
  return idle;
}

JobScope::JobScope(const char* operation, Options options) {
  if (t_running != nullptr) return;
  // The thread's state is made here, where running out of memory is the
  // call's failure, and not first in the destructor, where it would end
  // the process.
  State();
  job_ = std::make_unique<Job>(operation, platform::CurrentEnv(), options);
  bound_env_ = std::make_unique<platform::ScopedThreadEnv>(job_->env());
  {
    std::lock_guard<std::mutex> guard(g_published_mutex);
    Published() = job_->shared_progress();
  }
  job_->set_recording(true);
  t_running = job_.get();
}

JobScope::~JobScope() {
  if (job_ == nullptr) return;
  if (job_->journal() != nullptr) {
    // A journal that cannot be written never fails the call: what was
    // written stays written, and the report says the journal is missing.
    std::vector<std::u16string> problems;
    try {
      SaveJournals(job_->journal(), job_->report().operation, &problems);
      for (std::u16string& problem : problems) {
        job_->report().AddProblem(std::move(problem), "journal not written",
                                  false);
      }
    } catch (...) {
    }
  }
  t_running = nullptr;
  ThreadState& state = State();
  state.last_report = std::move(job_->report());
}

const model::Report& LastReport() { return State().last_report; }

void ReadProgress(int64_t* done, int64_t* total) {
  std::shared_ptr<model::Progress> progress;
  {
    std::lock_guard<std::mutex> guard(g_published_mutex);
    progress = Published();
  }
  if (progress != nullptr) {
    progress->Read(done, total);
    return;
  }
  if (done != nullptr) *done = 0;
  if (total != nullptr) *total = 0;
}

}  // namespace context
}  // namespace marksafe
