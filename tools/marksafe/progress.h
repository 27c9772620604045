// Runs one library call on a worker thread while the main thread shows how
// far it is: the links the call has written of those it will write, as the
// library counts them (marksafe_progress).
#ifndef MARKSAFE_TOOLS_MARKSAFE_PROGRESS_H_
#define MARKSAFE_TOOLS_MARKSAFE_PROGRESS_H_

#include <functional>
#include <string>

namespace marksafe_cli {

// Runs work() to its end. On a terminal, after about a second, a line
// "label [####    ] 41,210 / 100,000 links  12.3 s" is redrawn in place
// about ten times a second (a spinner while the library still reads and
// has no total) and removed when work returns. Elsewhere a call that takes
// longer than a second writes a plain line "label: 41210 of 100000 links"
// at most every two seconds.
void RunWithProgress(const std::string& label,
                     const std::function<void()>& work);

// The same for a call that returns a value.
template <typename Result>
Result RunWithProgress(const std::string& label,
                       const std::function<Result()>& work) {
  Result result{};
  RunWithProgress(label, [&result, &work] { result = work(); });
  return result;
}

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_PROGRESS_H_
