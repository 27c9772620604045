// The Env in force and its override for tests.
#include <atomic>

#include "platform/platform.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

std::atomic<Env*> g_override{nullptr};

}  // namespace

SystemEnv* SystemEnv::Default() {
  // Never destroyed, so that calls made while the process ends still work.
  static SystemEnv* const env = new SystemEnv();
  return env;
}

Env* CurrentEnv() {
  Env* env = g_override.load(std::memory_order_acquire);
  return env != nullptr ? env : SystemEnv::Default();
}

ScopedEnvOverride::ScopedEnvOverride(Env* env)
    : previous_(g_override.exchange(env, std::memory_order_acq_rel)) {}

ScopedEnvOverride::~ScopedEnvOverride() {
  g_override.store(previous_, std::memory_order_release);
}

}  // namespace platform
}  // namespace marksafe
