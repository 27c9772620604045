#include "stores/places/places_export.h"

#include <string>

#include "backup_set/backup_set.h"
#include "backup_set/folder_tree.h"
#include "backup_set/part.h"
#include "backup_set/part_source.h"
#include "base/debug_log.h"
#include "context/job.h"
#include "model/report.h"
#include "platform/platform.h"
#include "stores/places/places_reader.h"

namespace marksafe {
namespace firefox {
namespace {

// The export, in a report scope named operation.
bool Export(const char* operation, ms_places* handle, const char16_t* dest,
            bool into_backup_set) {
  context::JobScope scope(operation);
  std::u16string destination(dest);
  if (!platform::PathExists(destination)) return false;
  std::u16string folder =
      ResolveBackupPath(destination, into_backup_set, BackupPart::kFirefox);
  if (!EnsureFolder(folder)) return false;

  model::Tree tree;
  Status status = ReadPlaces(handle, &tree);
  if (status.ok()) {
    status = backup_set::WritePart(
        tree, backup_set::PartKind::kFirefox, folder, into_backup_set,
        &context::Current().report(),
        backup_set::PartSourceOfStore(handle->databasePath,
                                      BrowserFamily::kFirefox));
  }
  if (SucceededOrSetLastError(status)) return true;
  DebugLog(
      u"[DllExport] [export_firefox_2_folder] Firefox->Export2Folder[2] "
      u"fail: %ld \n",
      static_cast<long>(platform::GetLastError()));
  return false;
}

}  // namespace

bool ExportFirefox2Folder(ms_places* handle, const char16_t* dest,
                          bool into_backup_set) {
  return Export("export_firefox_2_folder", handle, dest, into_backup_set);
}

bool BackupFirefox(ms_places* handle, const char16_t* dest,
                   bool into_backup_set) {
  return Export("backup_firefox", handle, dest, into_backup_set);
}

}  // namespace firefox
}  // namespace marksafe
