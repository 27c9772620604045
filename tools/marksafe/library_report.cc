#include "library_report.h"

#include <json/json.h>

#include <algorithm>

#include "json_answer.h"
#include "marksafe/marksafe.h"
#include "output.h"

namespace marksafe_cli {
namespace {

int64_t Number(const Json::Value& object, const char* key) {
  const Json::Value& value = object[key];
  return value.isIntegral() ? value.asInt64() : 0;
}

std::string Text(const Json::Value& object, const char* key) {
  const Json::Value& value = object[key];
  return value.isString() ? value.asString() : std::string();
}

Tally ReadTally(const Json::Value& root, const char* key) {
  const Json::Value& counts = root[key];
  Tally tally;
  if (!counts.isObject()) return tally;
  tally.links = Number(counts, "links");
  tally.folders = Number(counts, "folders");
  tally.separators = Number(counts, "separators");
  return tally;
}

std::string Plural(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string RootName(const RootOutcome& root) {
  if (root.label.empty() || root.label == root.root) return root.root;
  return root.label + " (" + root.root + ")";
}

}  // namespace

Tally LibraryReport::Missing(const RootOutcome& root) {
  auto short_by = [](int64_t source, int64_t added, int64_t present,
                     int64_t not_carried) {
    return std::max<int64_t>(0, source - not_carried - added - present);
  };
  Tally missing;
  missing.links = short_by(root.source.links, root.added.links,
                           root.present.links, root.not_carried.links);
  missing.folders = short_by(root.source.folders, root.added.folders,
                             root.present.folders, root.not_carried.folders);
  missing.separators =
      short_by(root.source.separators, root.added.separators,
               root.present.separators, root.not_carried.separators);
  return missing;
}

bool LibraryReport::AnythingLost() const {
  if (lost) return true;
  for (const ProblemItem& problem : problems) {
    if (problem.lost) return true;
  }
  for (const RootOutcome& root : roots) {
    if (root.failed.total() > 0 || Missing(root).total() > 0) return true;
  }
  return false;
}

LibraryReport TakeLastReport() {
  LibraryReport report;
  const char* json = marksafe_last_report();
  if (json == nullptr || *json == '\0') return report;
  Json::Value value;
  if (!ParseObject(json, &value)) return report;
  report.operation = Text(value, "operation");
  // A thread on which no export ran has an empty report.
  report.available = !report.operation.empty();
  report.lost = value["lost"].isBool() && value["lost"].asBool();
  for (const Json::Value& root : value["roots"]) {
    if (!root.isObject()) continue;
    RootOutcome outcome;
    outcome.root = Text(root, "root");
    outcome.label = Text(root, "label");
    outcome.source = ReadTally(root, "source");
    outcome.added = ReadTally(root, "added");
    outcome.present = ReadTally(root, "present");
    outcome.not_carried = ReadTally(root, "not_carried");
    outcome.failed = ReadTally(root, "failed");
    for (const Json::Value& folder : root["folders"]) {
      if (!folder.isObject()) continue;
      outcome.folders.push_back(
          {Text(folder, "folder"), ReadTally(folder, "added")});
    }
    report.roots.push_back(std::move(outcome));
  }
  for (const Json::Value& problem : value["problems"]) {
    if (!problem.isObject()) continue;
    report.problems.push_back(
        {Text(problem, "path"), Text(problem, "url"), Text(problem, "reason"),
         problem["lost"].isBool() && problem["lost"].asBool()});
  }
  return report;
}

std::string DescribeTally(const Tally& tally) {
  std::string text = Plural(tally.links, "link", "links") + ", " +
                     Plural(tally.folders, "folder", "folders");
  if (tally.separators != 0) {
    text += ", " + Plural(tally.separators, "separator", "separators");
  }
  return text;
}

std::vector<std::string> DescribeRoots(const LibraryReport& report) {
  std::vector<std::string> lines;
  for (const RootOutcome& root : report.roots) {
    std::string line = RootName(root) + ": source " +
                       DescribeTally(root.source) + "; written " +
                       DescribeTally(root.added);
    if (root.present.total() > 0) {
      line += "; already there " + DescribeTally(root.present);
    }
    if (root.not_carried.total() > 0) {
      line += "; not carried " + DescribeTally(root.not_carried);
    }
    if (root.failed.total() > 0) {
      line += "; failed " + DescribeTally(root.failed);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

void WarnProblems(const LibraryReport& report) {
  for (const ProblemItem& problem : report.problems) {
    std::string item = problem.path.empty() ? "(untitled)" : problem.path;
    if (!problem.url.empty()) item += " <" + problem.url + ">";
    Warn("marksafe: warning: " + item + ": " +
         (problem.lost ? "lost" : "not carried") +
         (problem.reason.empty() ? "" : " (" + problem.reason + ")"));
  }
  for (const RootOutcome& root : report.roots) {
    const Tally missing = LibraryReport::Missing(root);
    if (missing.total() == 0) continue;
    Warn("marksafe: warning: " + RootName(root) + ": " +
         DescribeTally(missing) +
         " of the source were neither written nor found in the target");
  }
}

void ShowReport(const LibraryReport& report, const std::string& indent) {
  if (!report.available) {
    Warn(
        "marksafe: warning: the library gave no account of this step; only "
        "the measured counts are shown");
    return;
  }
  for (const std::string& line : DescribeRoots(report)) Say(indent + line);
  WarnProblems(report);
}

}  // namespace marksafe_cli
