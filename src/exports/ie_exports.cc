// Exports that measure and back up the Internet Explorer Favorites folder.
#include "context/job.h"
#include "exports/export_util.h"
#include "marksafe/marksafe.h"
#include "stores/url_folder/favorites_backup.h"

using marksafe::exports::AsU16;
using marksafe::exports::GuardedStatus;
using marksafe::exports::Refused;

extern "C" {

MARKSAFE_API bool get_ie_favorites_size(const MS_CHAR* folder,
                                        bool into_backup_set, uint64_t* size,
                                        int32_t* folder_count,
                                        int32_t* link_count) {
  if (size == nullptr) return Refused("get_ie_favorites_size", false);
  return GuardedStatus([&] {
    return marksafe::ie::GetIeFavoritesSize(AsU16(folder), into_backup_set,
                                            size, folder_count, link_count);
  });
}

MARKSAFE_API bool backup_ie(const MS_CHAR* ie_def_path,
                            const MS_CHAR* backup_path, bool into_backup_set,
                            bool overwrite,
                            const volatile uint8_t* cancel_flag) {
  if (backup_path == nullptr || cancel_flag == nullptr)
    return Refused("backup_ie", false);
  return GuardedStatus([&] {
    marksafe::context::JobScope scope("backup_ie");
    return marksafe::ie::BackupIe(AsU16(ie_def_path), AsU16(backup_path),
                                  into_backup_set, overwrite, cancel_flag);
  });
}

}  // extern "C"
