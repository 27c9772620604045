// The Env in force and its override for tests.
#include <atomic>
#include <utility>

#include "platform/platform.h"
#include "platform/platform_profiles.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

std::atomic<Env*> g_override{nullptr};
thread_local Env* t_bound = nullptr;

}  // namespace

SystemEnv* SystemEnv::Default() {
  // Never destroyed, so that calls made while the process ends still work.
  static SystemEnv* const env = new SystemEnv();
  return env;
}

bool ChildPath(const std::u16string& folder, const std::u16string& name,
               std::u16string* out) {
  if (out == nullptr || name.empty() || name == u"." || name == u".." ||
      name.find_first_of(kNotInAName) != std::u16string::npos ||
      name.find(u'\0') != std::u16string::npos) {
    SetLastError(kErrorInvalidName);
    return false;
  }
  std::u16string path = folder;
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') {
    path += u'\\';
  }
  *out = path + name;
  return true;
}

Status GetEntryKind(const std::u16string& path, EntryKind* kind) {
  return CurrentEnv()->GetEntryKind(path, kind);
}

std::u16string TempFolder() { return CurrentEnv()->TempFolder(); }

std::u16string CanonicalPath(const std::u16string& path) {
  return CurrentEnv()->CanonicalPath(path);
}

Status GetLastWriteTime(const std::u16string& path, int64_t* microseconds) {
  return CurrentEnv()->GetLastWriteTime(path, microseconds);
}

bool ResolvesInside(const std::u16string& path, const std::u16string& folder) {
  return CurrentEnv()->ResolvesInside(path, folder);
}

Status ReadProfileFile(const std::u16string& folder, const std::u16string& path,
                       std::string* bytes, size_t max_bytes) {
  return CurrentEnv()->ReadProfileFile(folder, path, bytes, max_bytes);
}

bool FileHeldOpen(const std::u16string& path) {
  return CurrentEnv()->FileHeldOpen(path);
}

Status FailedWithLastError(const char16_t* what, const std::u16string& path) {
  return CouldNot(GetLastError(), what, path);
}

Status Failed(uint32_t code, const char16_t* what, const std::u16string& path) {
  SetLastError(code);
  return FailedWithLastError(what, path);
}

Status OkOr(bool ok, const char16_t* what, const std::u16string& path) {
  return ok ? Status::Ok() : FailedWithLastError(what, path);
}

Status FindEntry(const std::u16string& path, bool folder) {
  if (!folder) return OkOr(PathExists(path), u"find", path);
  if (IsDirectory(path)) return Status::Ok();
  Status missing = FailedWithLastError(u"find", path);
  return PathExists(path) ? Failed(kErrorPathNotFound, u"find", path) : missing;
}

Env* CurrentEnv() {
  if (t_bound != nullptr) return t_bound;
  Env* env = g_override.load(std::memory_order_acquire);
  return env != nullptr ? env : SystemEnv::Default();
}

ScopedThreadEnv::ScopedThreadEnv(Env* env) : previous_(t_bound) {
  t_bound = env;
}

ScopedThreadEnv::~ScopedThreadEnv() { t_bound = previous_; }

ScopedEnvOverride::ScopedEnvOverride(Env* env)
    : previous_(g_override.exchange(env, std::memory_order_acq_rel)) {}

ScopedEnvOverride::~ScopedEnvOverride() {
  g_override.store(previous_, std::memory_order_release);
}

}  // namespace platform
}  // namespace marksafe
