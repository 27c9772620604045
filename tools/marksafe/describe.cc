// The short texts that tell what a step did.
#include "commands.h"
#include "errors.h"
#include "output.h"

namespace marksafe_cli {
namespace {

std::string Delta(const char* what, int32_t before, int32_t after) {
  const int64_t diff = static_cast<int64_t>(after) - before;
  std::string text = std::string(what) + " " + std::to_string(before) + " -> " +
                     std::to_string(after);
  text += diff == 0 ? " (no change)"
                    : std::string(" (") + (diff > 0 ? "+" : "") +
                          std::to_string(diff) + ")";
  return text;
}

}  // namespace

std::string DescribeCounts(const Counts& counts) {
  if (!counts.ok) return "could not be measured";
  return std::to_string(counts.links) + " links in " +
         std::to_string(counts.folders) + " folders, " +
         FormatSize(counts.size);
}

std::string DescribeChange(const Change& change) {
  if (!change.before.ok || !change.after.ok) {
    return "done (" + std::string(change.after.ok ? "now " : "") +
           (change.after.ok ? DescribeCounts(change.after)
                            : "counts not available") +
           ")";
  }
  return Delta("links", change.before.links, change.after.links) + ", " +
         Delta("folders", change.before.folders, change.after.folders);
}

void FailWithReport(const std::string& step, const std::string& reason,
                    const LibraryReport& report) {
  if (report.available) ShowReport(report, "    ");
  for (const ProblemItem& problem : report.problems) {
    if (problem.lost &&
        problem.reason.find("no completion mark") != std::string::npos) {
      Fail(step, problem.path +
                     " is incomplete (a backup or copy of the set was cut "
                     "short); --accept-incomplete reads it as it is");
    }
  }
  Fail(step, reason);
}

}  // namespace marksafe_cli
