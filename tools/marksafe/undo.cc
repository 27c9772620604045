#include "undo.h"

#include <json/json.h>

#include <optional>
#include <sstream>

#include "browsers.h"
#include "errors.h"
#include "marksafe/marksafe.h"
#include "os.h"
#include "output.h"
#include "profiles.h"
#include "text.h"

namespace marksafe_cli {
namespace {

Json::Value ParseAnswer(const char* text, const std::string& step) {
  Json::Value result;
  std::istringstream in(text != nullptr ? text : "");
  Json::CharReaderBuilder builder;
  std::string errors;
  if (!Json::parseFromStream(builder, in, &result, &errors) ||
      !result.isObject()) {
    Fail(step, "the library's answer is not JSON");
  }
  return result;
}

std::string Text(const Json::Value& object, const char* key) {
  const Json::Value& value = object[key];
  return value.isString() ? value.asString() : std::string();
}

int64_t Number(const Json::Value& object, const char* key) {
  const Json::Value& value = object[key];
  return value.isIntegral() ? value.asInt64() : 0;
}

// "2026-12-07 21:45:00Z" for the id "20261207T214500Z" (the time it
// names).
std::string ShowTime(const std::string& id) {
  if (id.size() < 16) return id;
  return id.substr(0, 4) + "-" + id.substr(4, 2) + "-" + id.substr(6, 2) +
         " " + id.substr(9, 2) + ":" + id.substr(11, 2) + ":" +
         id.substr(13, 2) + "Z";
}

std::string Items(int64_t n) {
  return std::to_string(n) + (n == 1 ? " item" : " items");
}

// After an undo the library refused: when a browser holds the journal's
// store, the same message a restore gives, or with close that browser
// closed. True when it was closed, so that the undo is tried again.
bool FreeHeldStore(const Json::Value& answer, bool close,
                   const std::string& step) {
  const std::string kind = Text(answer, "store_kind");
  const std::string store = Text(answer, "store");
  if ((kind != "places" && kind != "chrome") || store.empty()) return false;
  const std::optional<ProfileInfo> holder = FindStoreProfile(store);
  if (!holder.has_value() || !holder->running) return false;
  DataOptions data;
  (kind == "places" ? data.places : data.chrome_bookmarks) = store;
  RequireNotRunning(kind == "places" ? Browser::kFirefox : Browser::kChrome,
                    data, close, step);
  return true;
}

}  // namespace

int RunUndo(const UndoOptions& options) {
  const std::string step = "undo";
  if (options.last == !options.id.empty()) {
    FailUsage("undo: name one journal (see marksafe journal) or --last");
  }
  const MsString id = Utf8ToMs(options.id);
  Json::Value result =
      ParseAnswer(marksafe_undo(id.c_str(), options.dry_run), step);
  if (Number(result, "code") != 0 && !options.dry_run &&
      FreeHeldStore(result, options.close_browsers, step)) {
    result = ParseAnswer(marksafe_undo(id.c_str(), false), step);
  }
  const std::string journal = Text(result, "journal");
  if (Number(result, "code") != 0) {
    Fail(step, Text(result, "error") + "; nothing was changed");
  }
  const std::string store =
      Text(result, "store_kind") + " " + Text(result, "store");
  if (result["already_undone"].asBool()) {
    Say("Journal " + journal + " was undone before; nothing to do");
    return kExitDone;
  }
  const int64_t removed = Number(result, "removed");
  Say(std::string(options.dry_run ? "Would remove " : "Removed ") +
      Items(removed) + " of journal " + journal + " from " + store);
  const Json::Value& kept = result["kept"];
  if (kept.isArray() && !kept.empty()) {
    Say("  Kept " + Items(static_cast<int64_t>(kept.size())) +
        " changed since:");
    for (const Json::Value& item : kept) {
      const std::string url = Text(item, "url");
      Say("    " + Text(item, "item") + (url.empty() ? "" : " <" + url + ">") +
          ": " + Text(item, "reason"));
    }
  }
  return kExitDone;
}

int RunJournal() {
  const Json::Value result = ParseAnswer(marksafe_journals(), "journal");
  for (const Json::Value& error : result["errors"]) {
    if (error.isString()) Warn("  " + error.asString());
  }
  const Json::Value& journals = result["journals"];
  if (!journals.isArray() || journals.empty()) {
    Say("No journals");
    return kExitDone;
  }
  for (const Json::Value& entry : journals) {
    Say(Text(entry, "id") + "  " + ShowTime(Text(entry, "id")) + "  " +
        Text(entry, "store_kind") + " " + Text(entry, "store") + "  " +
        Items(Number(entry, "items")) + " added" +
        (entry["undone"].asBool() ? "  undone" : ""));
  }
  return kExitDone;
}

}  // namespace marksafe_cli
