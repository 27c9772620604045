#include "common/store_lock.h"

#include <map>
#include <mutex>
#include <thread>

#include "common/debug_log.h"
#include "common/error_codes.h"
#include "common/text.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {

std::u16string StoreLockPath(const std::u16string& store) {
  std::u16string path = store;
  while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/')) {
    path.pop_back();
  }
  return path + u".marksafe-lock";
}

namespace {

// The locks this process holds: lock file, holding thread and depth.
struct Holder {
  std::thread::id thread;
  int depth = 0;
};
std::mutex g_mutex;
std::map<std::u16string, Holder>& Held() {
  static std::map<std::u16string, Holder>* held =
      new std::map<std::u16string, Holder>();
  return *held;
}

}  // namespace

StoreLock::~StoreLock() { Release(); }

void StoreLock::Release() {
  if (path_.empty()) return;
  {
    std::lock_guard<std::mutex> guard(g_mutex);
    auto it = Held().find(path_);
    if (it != Held().end() && --it->second.depth == 0) Held().erase(it);
  }
  lock_.reset();
  path_.clear();
}

Status StoreLock::Acquire(const std::u16string& store) {
  Release();
  const std::u16string lock_path = StoreLockPath(store);
  {
    std::lock_guard<std::mutex> guard(g_mutex);
    auto it = Held().find(lock_path);
    if (it != Held().end() && it->second.thread == std::this_thread::get_id()) {
      ++it->second.depth;
      path_ = lock_path;
      return Status::Ok();
    }
  }
  if (platform::LockFile(lock_path, kStoreLockWaitMs, &lock_)) {
    std::lock_guard<std::mutex> guard(g_mutex);
    Holder& holder = Held()[lock_path];
    holder.thread = std::this_thread::get_id();
    holder.depth = 1;
    path_ = lock_path;
    return Status::Ok();
  }
  const uint32_t code = platform::GetLastError();
  const Status failed = Status::Error(
      code, code == kErrorLockViolation
                ? u"another run is writing " + DisplayPath(store) +
                      u"; nothing was changed, try again when it has ended"
                : u"cannot lock " + DisplayPath(store) + u" for writing (" +
                      DisplayPath(lock_path) + u")");
  DebugLog(u"[lock] %s\n", failed.message().c_str());
  model::CurrentReport().problems.push_back(model::Problem{
      DisplayPath(store), std::u16string(),
      "not written: " + platform::ToUtf8(failed.message()), false});
  platform::SetLastError(failed.code());
  return failed;
}

}  // namespace marksafe
