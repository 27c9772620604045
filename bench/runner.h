// Runs one job in a child process and measures it: wall time, the child's
// processor time, peak resident set, and whether it succeeded.
#ifndef MARKSAFE_BENCH_RUNNER_H_
#define MARKSAFE_BENCH_RUNNER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct Measure {
  double seconds = 0;
  double cpu_seconds = 0;  // user + system: steadier on a busy machine
  double peak_mb = 0;
  bool ok = false;
  bool timed_out = false;
};

// Forks, runs job in the child (which is killed after timeout_seconds) and
// waits for it. The job's result is the child's exit status.
Measure RunInChild(const std::function<bool()>& job, int timeout_seconds);

// Small file-system helpers for preparing the runs (not timed).
bool RemoveTree(const std::string& path);
bool CopyTree(const std::string& source, const std::string& destination);
bool CopyFile(const std::string& source, const std::string& destination);
bool MakeDirs(const std::string& path);
// The names in a folder (none when it cannot be listed).
std::vector<std::string> ListNames(const std::string& folder);
// Bytes of a file, or of all files below a folder.
uint64_t BytesOf(const std::string& path);

// Whether a job's name holds one of the comma-separated words of only
// (empty: every job).
bool Selected(const std::string& name, const std::string& only);

}  // namespace bench

#endif  // MARKSAFE_BENCH_RUNNER_H_
