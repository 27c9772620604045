// What the library says an export did (marksafe_last_report): per root
// what the source held and what was written, already there, not carried or
// failed, and every item it could not carry. The program prints it and
// decides from it whether anything was lost.
#ifndef MARKSAFE_TOOLS_MARKSAFE_LIBRARY_REPORT_H_
#define MARKSAFE_TOOLS_MARKSAFE_LIBRARY_REPORT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace marksafe_cli {

struct Tally {
  int64_t links = 0;
  int64_t folders = 0;
  int64_t separators = 0;
  int64_t total() const { return links + folders + separators; }
};

// What a merge added directly into one folder of the target.
struct FolderOutcome {
  std::string folder;  // titles from the root down, joined with "/"
  Tally added;
};

struct RootOutcome {
  std::string root;   // "menu", "toolbar", ... or a target folder's name
  std::string label;  // the folder it was read from or written into
  Tally source, added, present, not_carried, failed;
  std::vector<FolderOutcome> folders;  // in the source's order
};

struct ProblemItem {
  std::string path;  // folder titles down to the item, its title last
  std::string url;
  std::string reason;
  bool lost = false;  // the target could have held it
};

struct LibraryReport {
  bool available = false;  // the export left a report on this thread
  std::string operation;
  bool lost = false;  // as the library judged it
  std::vector<RootOutcome> roots;
  std::vector<ProblemItem> problems;

  // What the source held that was neither written, nor already there, nor
  // beyond what the target can hold (all zero when nothing is missing).
  static Tally Missing(const RootOutcome& root);
  // True when the library says so, when writing failed, or when the counts
  // do not add up to the source.
  bool AnythingLost() const;
};

// The report of the last export called on the calling thread. Must run on
// the thread that called the export (the library keeps it per thread).
LibraryReport TakeLastReport();

// "12 links, 3 folders, 1 separator" (separators only when there are some).
std::string DescribeTally(const Tally& tally);

// One line per root: "Bookmarks Menu (menu): source 12 links, 3 folders;
// written 12 links, 3 folders", followed by the non-zero "already there",
// "not carried" and "failed" counts.
std::vector<std::string> DescribeRoots(const LibraryReport& report);

// Prints the root lines (standard output, with indent) and one warning per
// problem and per root whose counts do not add up (standard error); or,
// when the library left no report, a warning saying so.
void ShowReport(const LibraryReport& report, const std::string& indent);
// Only the warnings.
void WarnProblems(const LibraryReport& report);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_LIBRARY_REPORT_H_
