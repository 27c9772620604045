#include "model/report.h"

#include <json/json.h>

#include <memory>

#include "base/json_text.h"
#include "platform/platform.h"

namespace marksafe {
namespace model {
namespace {

Json::Value CountsJson(const Counts& counts) {
  Json::Value value(Json::objectValue);
  value["links"] = Json::Int64(counts.links);
  value["folders"] = Json::Int64(counts.folders);
  value["separators"] = Json::Int64(counts.separators);
  return value;
}

}  // namespace

void Report::AddedWasNotKept(const std::u16string& path,
                             const std::string& reason) {
  for (RootReport& root : roots) {
    root.failed += root.added;
    root.added = Counts();
  }
  if (!problems.empty() && problems.back().path == path &&
      problems.back().reason == reason) {
    return;
  }
  AddProblem(path, reason, true);
}

void Report::Refuse() {
  refused = true;
  AddProblem(u"", "refused: a null or bad argument", false);
}

bool Report::AnythingLost() const {
  for (const Problem& problem : problems) {
    if (problem.lost) return true;
  }
  for (const RootReport& root : roots) {
    if (root.failed.total() > 0) return true;
  }
  return false;
}

std::string ReportJson(const Report& report) {
  Json::Value root(Json::objectValue);
  root["operation"] = report.operation;
  root["lost"] = report.AnythingLost();
  root["refused"] = report.refused;
  Json::Value& roots = root["roots"] = Json::Value(Json::arrayValue);
  for (const RootReport& part : report.roots) {
    Json::Value value(Json::objectValue);
    value["root"] = part.root;
    value["label"] = platform::ToUtf8(part.label);
    value["source"] = CountsJson(part.source);
    value["added"] = CountsJson(part.added);
    value["present"] = CountsJson(part.present);
    value["not_carried"] = CountsJson(part.not_carried);
    value["failed"] = CountsJson(part.failed);
    Json::Value& folders = value["folders"] = Json::Value(Json::arrayValue);
    for (const FolderAdded& folder : part.folders) {
      Json::Value entry(Json::objectValue);
      entry["folder"] = platform::ToUtf8(folder.folder);
      entry["added"] = CountsJson(folder.added);
      folders.append(std::move(entry));
    }
    roots.append(std::move(value));
  }
  Json::Value& problems = root["problems"] = Json::Value(Json::arrayValue);
  for (const Problem& problem : report.problems) {
    Json::Value value(Json::objectValue);
    value["path"] = platform::ToUtf8(problem.path);
    value["url"] = platform::ToUtf8(problem.url);
    value["reason"] = problem.reason;
    value["lost"] = problem.lost;
    problems.append(std::move(value));
  }
  return CompactJson(root);
}

}  // namespace model
}  // namespace marksafe
