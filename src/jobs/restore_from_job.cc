#include "jobs/restore_from_job.h"

#include "backup_set/interchange.h"
#include "backup_set/manifest.h"
#include "backup_set/part_slots.h"
#include "base/error_codes.h"
#include "jobs/history_jobs.h"
#include "jobs/open_store.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"

namespace marksafe {
namespace jobs {
namespace {

bool IsChromeFamily(int32_t kind) {
  return kind == MARKSAFE_STORE_CHROME || kind == MARKSAFE_STORE_CHROME_PART;
}

}  // namespace

Status RestoreFrom(int32_t source_kind, const std::u16string& source_path,
                   int32_t kind, const std::u16string& path) {
  if (!IsWritableKind(kind) || !IsKnownKind(source_kind) ||
      source_kind == MARKSAFE_STORE_URL_FOLDER) {
    return Status::Error(kErrorInvalidParameter, u"no such kind of store");
  }
  if (!platform::PathExists(path)) {
    return Status::Error(kErrorFileNotFound, path + u" does not exist");
  }
  model::Tree source;
  backup_set::Manifest manifest;
  const Status read =
      source_kind == MARKSAFE_STORE_SNAPSHOT
          ? ReadSnapshotFile(source_path, &source, &manifest)
          : ReadStore(source_kind, source_path, &source);
  if (!read.ok()) return read;
  // A snapshot's manifest says which family its tree is of.
  const bool chrome = source_kind == MARKSAFE_STORE_SNAPSHOT
                          ? manifest.part == "chrome"
                          : IsChromeFamily(source_kind);
  // The roots are named as a backup set's part names them, whatever the
  // file calls them: the report's labels and the folders of a conversion
  // are those of a restore or conversion of the part.
  for (const backup_set::RootSlot& slot :
       backup_set::Slots(chrome ? backup_set::PartKind::kChrome
                                : backup_set::PartKind::kFirefox)) {
    const model::ItemId root = source.root(slot.root);
    if (root != model::kNoItem) source.at(root).title = slot.folder;
  }
  const bool same_family = chrome == (kind == MARKSAFE_STORE_CHROME);
  return MergeIntoStore(&source, kind, path,
                        same_family ? u""
                        : chrome    ? interchange::kImportedFromChrome
                                    : interchange::kImportedFromFirefox);
}

}  // namespace jobs
}  // namespace marksafe
