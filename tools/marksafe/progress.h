// Runs one library call on a worker thread while the main thread keeps a
// progress line up to date, so that a step that takes longer than a moment
// shows that it is alive (and how far it is, where the call keeps a step
// counter).
#ifndef MARKSAFE_TOOLS_MARKSAFE_PROGRESS_H_
#define MARKSAFE_TOOLS_MARKSAFE_PROGRESS_H_

#include <cstdint>
#include <functional>
#include <string>

namespace marksafe_cli {

// Runs work() to its end. After about half a second the line "label ..."
// appears with the elapsed time and, when counter is given, "step n/total"
// read from it. The line is removed when work returns.
void RunWithProgress(const std::string& label,
                     const std::function<void()>& work,
                     const int32_t* counter = nullptr, int32_t total = 0);

// The same for a call that returns a value.
template <typename Result>
Result RunWithProgress(const std::string& label,
                       const std::function<Result()>& work,
                       const int32_t* counter = nullptr, int32_t total = 0) {
  Result result{};
  RunWithProgress(
      label, [&result, &work] { result = work(); }, counter, total);
  return result;
}

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_PROGRESS_H_
