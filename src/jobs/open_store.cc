#include "jobs/open_store.h"

#include <string>

#include "backup_set/manifest.h"
#include "backup_set/part.h"
#include "base/text.h"
#include "context/job.h"
#include "history/snapshot.h"
#include "marksafe/marksafe.h"
#include "stores/chrome/chrome_store.h"
#include "stores/firefox_json/firefox_json_reader.h"
#include "stores/places/places_store.h"

namespace marksafe {
namespace jobs {
namespace {

std::unique_ptr<stores::Store> PartStore(const std::u16string& path,
                                         backup_set::PartKind kind) {
  return stores::ReadOnlyStore(
      path, [kind](const std::u16string& folder, model::Tree* tree) {
        return backup_set::ReadPart(folder, kind, tree);
      });
}

Status ReadFirefoxBackup(const std::u16string& path, model::Tree* tree) {
  firefox_json::BackupNotes notes;
  Status status = firefox_json::ReadFirefoxBackupFile(path, tree, &notes);
  if (status.ok() && notes.skipped > 0) {
    context::Current().report().AddProblem(
        path,
        std::to_string(notes.skipped) +
            " entries without a URL or of an unknown type left out",
        false);
  }
  return status;
}

Status ReadSnapshot(const std::u16string& path, model::Tree* tree) {
  backup_set::Manifest manifest;
  return history::ReadSnapshot(path, tree, &manifest);
}

// A .url folder: its content under a menu named as the folder.
Status ReadFolder(const std::u16string& path, model::Tree* tree) {
  const model::ItemId menu = tree->AddRoot(
      model::Root::kMenu, LastComponent(WithoutTrailingSeparators(path)));
  return backup_set::ReadUrlFolder(path, {}, tree, menu);
}

}  // namespace

std::unique_ptr<stores::Store> OpenStore(int32_t kind,
                                         const std::u16string& path) {
  switch (kind) {
    case MARKSAFE_STORE_PLACES:
      return std::make_unique<firefox::PlacesStore>(path);
    case MARKSAFE_STORE_CHROME:
      return std::make_unique<chrome::ChromeStore>(path);
    case MARKSAFE_STORE_FIREFOX_PART:
      return PartStore(path, backup_set::PartKind::kFirefox);
    case MARKSAFE_STORE_CHROME_PART:
      return PartStore(path, backup_set::PartKind::kChrome);
    case MARKSAFE_STORE_FIREFOX_BACKUP:
      return stores::ReadOnlyStore(path, &ReadFirefoxBackup);
    case MARKSAFE_STORE_SNAPSHOT:
      return stores::ReadOnlyStore(path, &ReadSnapshot);
    case MARKSAFE_STORE_URL_FOLDER:
      return stores::ReadOnlyStore(path, &ReadFolder);
    default:
      return nullptr;
  }
}

bool IsKnownKind(int32_t kind) {
  return kind >= MARKSAFE_STORE_PLACES && kind <= MARKSAFE_STORE_SNAPSHOT;
}

bool IsWritableKind(int32_t kind) {
  return kind == MARKSAFE_STORE_PLACES || kind == MARKSAFE_STORE_CHROME;
}

}  // namespace jobs
}  // namespace marksafe
