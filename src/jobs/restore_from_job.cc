#include "jobs/restore_from_job.h"

#include "backup_set/interchange.h"
#include "backup_set/manifest.h"
#include "backup_set/part_slots.h"
#include "base/error_codes.h"
#include "context/job.h"
#include "history/snapshot.h"
#include "jobs/open_store.h"
#include "jobs/store_jobs.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace jobs {
namespace {

bool IsChromeFamily(int32_t kind) {
  return kind == MARKSAFE_STORE_CHROME || kind == MARKSAFE_STORE_CHROME_PART;
}

// A snapshot is read here rather than through ReadStore: its manifest says
// which family its tree is of.
Status ReadSnapshotSource(const std::u16string& path, model::Tree* tree,
                          bool* chrome) {
  if (!platform::PathExists(path)) {
    return Status::Error(kErrorFileNotFound, path + u" does not exist");
  }
  backup_set::Manifest manifest;
  const Status read = history::ReadSnapshot(path, tree, &manifest);
  if (!read.ok()) {
    context::Current().report().AddProblem(
        DisplayPath(path), "read failed: " + platform::ToUtf8(read.message()),
        true);
    return Status::Error(read.code() == kErrorFileNotFound ? kErrorFileNotFound
                                                           : kErrorInvalidData,
                         read.message());
  }
  *chrome = manifest.part == "chrome";
  return Status::Ok();
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
  bool chrome = IsChromeFamily(source_kind);
  const Status read =
      source_kind == MARKSAFE_STORE_SNAPSHOT
          ? ReadSnapshotSource(source_path, &source, &chrome)
          : ReadStore(source_kind, source_path, &source);
  if (!read.ok()) return read;
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
