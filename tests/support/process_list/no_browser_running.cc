// Linked into the test programs that start no browser processes of their
// own: for them no browser runs, whatever runs on the machine, so they need
// not wait for the programs that start fake browsers.
#include "platform/platform.h"
#include "support/faulty_env.h"

namespace marksafe {
namespace test {
namespace {

FaultyEnv g_quiet_env;
platform::ScopedEnvOverride g_quiet_override(&g_quiet_env);

}  // namespace
}  // namespace test
}  // namespace marksafe
