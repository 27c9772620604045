// Whole stores for hosts: any store (places, a Chrome file, a part of a
// backup set, a .url folder) written out as bookmark HTML; a bookmark HTML
// file merged into places or a Chrome file the way a restore merges
// (nothing doubled on a repeat), optionally only in memory (a dry run); and
// any store read whole and merged straight into places or a Chrome file;
// a backup's part compared with a store, link by link per folder; and a
// store backed up as a part of its own.
#include <json/json.h>

#include <string>
#include <utility>
#include <vector>

#include "backup_set/folder_swap.h"
#include "base/error_codes.h"
#include "base/json_text.h"
#include "base/text.h"
#include "context/job.h"
#include "exports/export_util.h"
#include "exports/host_stores.h"
#include "jobs/backup_jobs.h"
#include "jobs/html_import_job.h"
#include "jobs/open_store.h"
#include "jobs/restore_from_job.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "stores/html/html_writer.h"

namespace marksafe {
namespace exports {
namespace {

int32_t BackupPart(const MS_CHAR* store, int32_t kind,
                   const MS_CHAR* part_folder, const MS_CHAR* browser,
                   const MS_CHAR* profile) {
  if (store == nullptr || part_folder == nullptr || *part_folder == 0 ||
      (kind != MARKSAFE_STORE_PLACES && kind != MARKSAFE_STORE_CHROME &&
       kind != MARKSAFE_STORE_FIREFOX_BACKUP)) {
    return RefusedCode("marksafe_backup_part", kErrorInvalidParameter);
  }
  Status written;
  const Status read =
      jobs::BackupStoreAsPart(kind, ToU16(store), ToU16(part_folder),
                              ToU16(browser), ToU16(profile), &written);
  return ReadThenWritten(read, written);
}

int32_t ImportHtml(const MS_CHAR* html_file, const MS_CHAR* store,
                   int32_t kind) {
  if (html_file == nullptr || store == nullptr ||
      (kind != MARKSAFE_STORE_PLACES && kind != MARKSAFE_STORE_CHROME)) {
    return RefusedCode("marksafe_import_html", kErrorInvalidParameter);
  }
  return CodeOf(jobs::ImportHtml(ToU16(html_file), kind, ToU16(store)));
}

int32_t RestoreFrom(const MS_CHAR* source, int32_t source_kind,
                    const MS_CHAR* store, int32_t kind) {
  if (source == nullptr || store == nullptr || !jobs::IsKnownKind(source_kind) ||
      source_kind == MARKSAFE_STORE_URL_FOLDER || !jobs::IsWritableKind(kind)) {
    return RefusedCode("marksafe_restore_from", kErrorInvalidParameter);
  }
  return CodeOf(jobs::RestoreFrom(source_kind, ToU16(source), kind, ToU16(store)));
}

// Per folder, what the backup holds beyond the store ("missing") and the
// store beyond the backup ("extra").
std::string CompareText(const MS_CHAR* backup, int32_t backup_kind,
                        const MS_CHAR* store, int32_t store_kind) {
  Json::Value out(Json::objectValue);
  jobs::StoreComparison result;
  const Status status =
      jobs::CompareWithStore({AsU16(backup), backup_kind, u"the backup"},
                             {AsU16(store), store_kind, u"the store"}, &result);
  if (!status.ok()) {
    PutReadFailure(status, &out);
    return CompactJson(out);
  }
  const auto links = [](const std::vector<jobs::ComparedLink>& list) {
    Json::Value array(Json::arrayValue);
    for (const jobs::ComparedLink& link : list) {
      Json::Value entry(Json::objectValue);
      entry["title"] = platform::ToUtf8(link.title);
      entry["url"] = platform::ToUtf8(link.url);
      array.append(std::move(entry));
    }
    return array;
  };
  Json::Value& folders = out["folders"] = Json::Value(Json::arrayValue);
  for (const jobs::ComparedFolder& each : result.folders) {
    Json::Value folder(Json::objectValue);
    folder["root"] = each.root;
    folder["folder"] = platform::ToUtf8(each.folder);
    folder["missing"] = links(each.missing);
    folder["extra"] = links(each.extra);
    folders.append(std::move(folder));
  }
  out["missing"] = Json::Int64(result.missing);
  out["extra"] = Json::Int64(result.extra);
  return CompactJson(out);
}

}  // namespace
}  // namespace exports
}  // namespace marksafe

extern "C" {

MARKSAFE_API const char* marksafe_compare(const MS_CHAR* backup,
                                          int32_t backup_kind,
                                          const MS_CHAR* store,
                                          int32_t store_kind) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{\"error\":\"out of memory\",\"code\":14}",
      [&] {
        marksafe::context::JobScope scope("marksafe_compare");
        return marksafe::exports::CompareText(backup, backup_kind, store,
                                          store_kind);
      });
}

MARKSAFE_API void marksafe_accept_incomplete_backups(bool accept) {
  marksafe::context::SetAcceptIncompleteDefault(accept);
}

MARKSAFE_API void marksafe_remove_previous_later(bool later) {
  marksafe::context::SetRemovePreviousLaterDefault(later);
}

MARKSAFE_API int32_t marksafe_remove_previous_copies(void) {
  return marksafe::exports::Guarded<int32_t>(-1, [] {
    marksafe::context::JobScope scope("marksafe_remove_previous_copies");
    return static_cast<int32_t>(marksafe::RemoveSetAsideFolders());
  });
}

MARKSAFE_API int32_t marksafe_count(const MS_CHAR* source, int32_t kind,
                                    int64_t* folders, int64_t* links) {
  if (source == nullptr || folders == nullptr || links == nullptr ||
      !marksafe::jobs::IsKnownKind(kind)) {
    return marksafe::exports::RefusedCode("marksafe_count",
                                          marksafe::kErrorInvalidParameter);
  }
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::JobScope scope("marksafe_count");
    marksafe::model::Counts counts;
    const marksafe::Status status = marksafe::jobs::CountStore(
        kind, marksafe::exports::AsU16(source), &counts);
    if (!status.ok()) return marksafe::exports::CodeOf(status);
    *folders = counts.folders;
    *links = counts.links;
    return 0;
  });
}

MARKSAFE_API int32_t marksafe_export_html(const MS_CHAR* source, int32_t kind,
                                          const MS_CHAR* html_file) {
  if (source == nullptr || html_file == nullptr ||
      !marksafe::jobs::IsKnownKind(kind)) {
    return marksafe::exports::RefusedCode("marksafe_export_html",
                                          marksafe::kErrorInvalidParameter);
  }
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::JobScope scope("marksafe_export_html");
    return marksafe::exports::CodeOf(
        marksafe::jobs::ExportStore(
            kind, marksafe::exports::ToU16(source),
            marksafe::exports::ToU16(html_file),
            [](const marksafe::model::Tree& tree, std::string* bytes) {
              *bytes = marksafe::html::WriteBookmarkHtml(tree);
              return marksafe::Status::Ok();
            }));
  });
}

MARKSAFE_API int32_t marksafe_backup_part(const MS_CHAR* store, int32_t kind,
                                          const MS_CHAR* part_folder,
                                          const MS_CHAR* browser,
                                          const MS_CHAR* profile) {
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::JobScope scope("marksafe_backup_part");
    return marksafe::exports::BackupPart(store, kind, part_folder, browser,
                                         profile);
  });
}

MARKSAFE_API int32_t marksafe_import_html(const MS_CHAR* html_file,
                                          const MS_CHAR* store, int32_t kind,
                                          bool dry_run) {
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::Options options = marksafe::context::DefaultOptions();
    options.dry_run = dry_run;
    marksafe::context::JobScope scope("marksafe_import_html", options);
    return marksafe::exports::ImportHtml(html_file, store, kind);
  });
}

MARKSAFE_API int32_t marksafe_restore_from(const MS_CHAR* source,
                                           int32_t source_kind,
                                           const MS_CHAR* store, int32_t kind,
                                           bool dry_run) {
  return marksafe::exports::GuardedCode([&] {
    marksafe::context::Options options = marksafe::context::DefaultOptions();
    options.dry_run = dry_run;
    marksafe::context::JobScope scope("marksafe_restore_from", options);
    return marksafe::exports::RestoreFrom(source, source_kind, store, kind);
  });
}

}  // extern "C"
