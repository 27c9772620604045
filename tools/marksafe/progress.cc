#include "progress.h"

#include <chrono>
#include <future>

#include "output.h"

namespace marksafe_cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kQuietPeriod = std::chrono::milliseconds(500);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

// The library adds to the counter with plain additions on the worker
// thread; it is read here without tearing and shown as it stands.
int32_t ReadCounter(const int32_t* counter) {
#if defined(__GNUC__)
  return __atomic_load_n(counter, __ATOMIC_RELAXED);
#else
  return *static_cast<const volatile int32_t*>(counter);
#endif
}

std::string ProgressText(const std::string& label, Clock::duration elapsed,
                         const int32_t* counter, int32_t total) {
  static const char kSpinner[] = {'|', '/', '-', '\\'};
  const auto tenths =
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() /
      100;
  std::string text = "  ";
  text += kSpinner[tenths % 4];
  text += " " + label + " ...";
  if (counter != nullptr && total > 0) {
    text += " step " + std::to_string(ReadCounter(counter)) + "/" +
            std::to_string(total);
  }
  text += " (" + std::to_string(tenths / 10) + "." +
          std::to_string(tenths % 10) + " s)";
  return text;
}

}  // namespace

void RunWithProgress(const std::string& label,
                     const std::function<void()>& work, const int32_t* counter,
                     int32_t total) {
  const auto start = Clock::now();
  std::future<void> done = std::async(std::launch::async, work);
  bool shown = false;
  while (done.wait_for(kRedrawPeriod) != std::future_status::ready) {
    const auto elapsed = Clock::now() - start;
    if (elapsed < kQuietPeriod) continue;
    DrawProgress(ProgressText(label, elapsed, counter, total));
    shown = true;
  }
  if (shown) ClearProgress();
  done.get();
}

}  // namespace marksafe_cli
