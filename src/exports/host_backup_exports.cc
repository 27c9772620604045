// The browsers' own bookmark backups for hosts: any store written as a
// Firefox bookmark backup, and the backups a profile folder holds listed.
#include <json/json.h>

#include <string>
#include <vector>

#include "base/json_text.h"
#include "base/text.h"
#include "context/job.h"
#include "exports/export_util.h"
#include "jobs/history_jobs.h"
#include "jobs/open_store.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "model/calendar.h"
#include "model/report.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "stores/firefox_json/backup_listing.h"
#include "stores/firefox_json/firefox_json_reader.h"
#include "stores/firefox_json/firefox_json_writer.h"

namespace marksafe {
namespace exports {
namespace {

bool EndsWithNoCase(const std::u16string& text, const std::u16string& end) {
  return text.size() >= end.size() &&
         EqualsNoCase(text.substr(text.size() - end.size()), end);
}

int32_t ExportFirefoxBackup(const MS_CHAR* source, int32_t kind,
                            const MS_CHAR* file) {
  if (source == nullptr || file == nullptr || !jobs::IsKnownKind(kind)) {
    return RefusedCode("marksafe_export_firefox_backup",
                       kErrorInvalidParameter);
  }
  const bool compressed = EndsWithNoCase(ToU16(file), u".jsonlz4");
  return CodeOf(jobs::ExportStore(
      kind, ToU16(source), ToU16(file),
      [compressed](const model::Tree& tree, std::string* bytes) {
        return firefox_json::WriteFirefoxBackupFile(tree, model::Now(),
                                                    compressed, bytes);
      }));
}

// One backup as the listing shows it, read (with count) through the
// store reader of its kind after a size check.
Json::Value BackupEntry(const firefox_json::BrowserBackup& backup,
                        bool count) {
  Json::Value entry(Json::objectValue);
  entry["file"] = platform::ToUtf8(DisplayPath(backup.file));
  entry["name"] = platform::ToUtf8(backup.name);
  const int32_t kind = backup.firefox ? MARKSAFE_STORE_FIREFOX_BACKUP
                                      : MARKSAFE_STORE_CHROME;
  entry["kind"] = kind;
  entry["date"] = backup.date;
  entry["time"] = Json::Int64(backup.time);
  if (!count) return entry;
  model::Tree tree;
  context::JobScope scope("marksafe_browser_backups");
  if (!jobs::ReadBrowserBackup(kind, backup.file, &tree).ok()) {
    std::string why = "cannot be read";
    for (const model::Problem& problem : context::Current().report().problems) {
      if (problem.lost) why = problem.reason;
    }
    entry["error"] = why;
    return entry;
  }
  const model::Counts counts = model::UserCounts(tree);
  entry["links"] = Json::Int64(counts.links);
  entry["folders"] = Json::Int64(counts.folders);
  return entry;
}

std::string BrowserBackupsText(const MS_CHAR* profile_folder, bool count) {
  Json::Value out(Json::objectValue);
  Json::Value& list = out["backups"] = Json::Value(Json::arrayValue);
  if (profile_folder == nullptr ||
      !platform::IsDirectory(ToU16(profile_folder))) {
    out["error"] = "no such profile folder";
    out["code"] = kErrorFileNotFound;
  } else {
    for (const firefox_json::BrowserBackup& backup :
         firefox_json::ListBrowserBackups(ToU16(profile_folder))) {
      list.append(BackupEntry(backup, count));
    }
  }
  return CompactJson(out);
}

int32_t FindBrowserBackup(const MS_CHAR* profile_folder, const MS_CHAR* when,
                          MS_CHAR* file) {
  if (profile_folder == nullptr || when == nullptr || file == nullptr) {
    return RefusedCode("marksafe_find_browser_backup", kErrorInvalidParameter);
  }
  std::u16string path;
  const Status found =
      jobs::FindBrowserBackup(ToU16(profile_folder), ToU16(when), &path);
  if (found.ok()) CopyOut(DisplayPath(path), file);
  return CodeOf(found);
}

}  // namespace
}  // namespace exports
}  // namespace marksafe

extern "C" {

MARKSAFE_API int32_t marksafe_export_firefox_backup(const MS_CHAR* source,
                                                    int32_t kind,
                                                    const MS_CHAR* file) {
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::JobScope scope("marksafe_export_firefox_backup");
    return marksafe::exports::ExportFirefoxBackup(source, kind, file);
  });
}

MARKSAFE_API const char* marksafe_browser_backups(const MS_CHAR* profile_folder,
                                                  bool count) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"backups\":[],\"error\":\"out of memory\",\"code\":14}",
      [&] {
        return marksafe::exports::BrowserBackupsText(profile_folder, count);
      });
}

MARKSAFE_API int32_t marksafe_find_browser_backup(
    const MS_CHAR* profile_folder, const MS_CHAR* when, MS_CHAR* file) {
  return marksafe::exports::GuardedCode([&] {
    return marksafe::exports::FindBrowserBackup(profile_folder, when, file);
  });
}

}  // extern "C"
