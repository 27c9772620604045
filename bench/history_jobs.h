// The jobs of a benchmark run, and those of a backup set's history:
// snapshots of a Firefox part and the history of two of them.
#ifndef MARKSAFE_BENCH_HISTORY_JOBS_H_
#define MARKSAFE_BENCH_HISTORY_JOBS_H_

#include <functional>
#include <string>
#include <vector>

namespace bench {

// Paths built by the benchmark are ASCII.
inline std::u16string Wide(const std::string& utf8) {
  return std::u16string(utf8.begin(), utf8.end());
}

inline bool Always() { return true; }

struct Op {
  std::string name;
  std::function<bool()> prepare;  // untimed, in this process
  std::function<bool()> run;      // timed, in a child
  std::function<bool()> prepare_baseline;
  std::function<bool()> baseline;   // timed, in a child; empty: reuse
  std::string baseline_of;          // the op whose baseline figure is reused
  // What the job reads, measured after the run: peak memory is judged
  // against the largest (a restore reads the backup part and the store it
  // merges into).
  std::vector<std::string> stores;
  // Outputs no later job reads, removed once the row is measured so that a
  // million-link run fits on the disk.
  std::vector<std::string> scratch = {};
  bool once = false;  // timed in one pair only (it consumes its input)
};

// "snapshot": the Firefox part in part_folder (written by backup_firefox)
// kept as a first snapshot; "history": the list of two snapshots of it,
// the second with every title changed. Their baseline writes the part's
// tree as one JSON file and compresses it (zstd, level 3), once per
// snapshot. work and base are the scratch folders of the jobs and of the
// baselines.
void AddHistoryJobs(const std::string& part_folder, const std::string& work,
                    const std::string& base, std::vector<Op>* ops);

}  // namespace bench

#endif  // MARKSAFE_BENCH_HISTORY_JOBS_H_
