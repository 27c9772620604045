#include "progress.h"

#include <chrono>
#include <cstdint>
#include <future>

#include "marksafe/marksafe.h"
#include "os.h"
#include "output.h"

namespace marksafe_cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
// Between two plain lines when the output is no terminal (a log file).
constexpr auto kPlainLinePeriod = std::chrono::seconds(2);
constexpr int64_t kBarWidth = 20;

std::string Seconds(int64_t elapsed_ms) {
  const int64_t tenths = elapsed_ms / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
         " s";
}

std::string PlainLine(const std::string& label, int64_t done, int64_t total) {
  if (total <= 0) return label + ": reading";
  return label + ": " + std::to_string(done) + " of " + std::to_string(total) +
         " links";
}

// "41,210": digits in groups of three.
std::string GroupDigits(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return n < 0 ? "-" + digits : digits;
}

// The terminal line for done of total links; a spinner while total is 0.
std::string ProgressLine(const std::string& label, int64_t done, int64_t total,
                         int64_t elapsed_ms) {
  if (total <= 0) {
    static const char kSpinner[] = {'|', '/', '-', '\\'};
    return std::string("  ") + kSpinner[(elapsed_ms / 100) % 4] + " " + label +
           " ... (" + Seconds(elapsed_ms) + ")";
  }
  if (done > total) done = total;
  const int64_t filled = done * kBarWidth / total;
  return "  " + label + "  [" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(kBarWidth - filled), ' ') + "] " +
         GroupDigits(done) + " / " + GroupDigits(total) + " links  " +
         Seconds(elapsed_ms);
}

}  // namespace

void RunWithProgress(const std::string& label,
                     const std::function<void()>& work) {
  const auto start = Clock::now();
  std::future<void> finished = std::async(std::launch::async, work);
  const bool terminal = StderrIsTerminal();
  bool shown = false;
  auto last_plain = start;
  std::string last_plain_text;
  while (finished.wait_for(kRedrawPeriod) != std::future_status::ready) {
    const auto now = Clock::now();
    const auto elapsed = now - start;
    if (elapsed < kQuietPeriod) continue;
    int64_t done = 0, total = 0;
    marksafe_progress(&done, &total);
    if (terminal) {
      DrawProgress(ProgressLine(
          label, done, total,
          std::chrono::duration_cast<std::chrono::milliseconds>(elapsed)
              .count()));
      shown = true;
      continue;
    }
    if (shown && now - last_plain < kPlainLinePeriod) continue;
    std::string text = PlainLine(label, done, total);
    if (text == last_plain_text) continue;
    Warn(text);
    last_plain_text = std::move(text);
    last_plain = now;
    shown = true;
  }
  if (shown && terminal) ClearProgress();
  finished.get();
}

}  // namespace marksafe_cli
