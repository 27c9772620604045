// The combined Internet Explorer backup-or-restore export.
#include "context/job.h"
#include "exports/export_util.h"
#include "jobs/combined_backup.h"
#include "marksafe/marksafe.h"

using marksafe::exports::AsU16;
using marksafe::exports::GuardedStatus;
using marksafe::exports::Refused;

extern "C" {

MARKSAFE_API bool backup_ie_pro(const MS_CHAR* ie_def_path,
                                const MS_CHAR* backup_path,
                                bool into_backup_set, bool overwrite,
                                const volatile uint8_t* cancel_flag,
                                bool is_backup, int32_t /*unused1*/,
                                int32_t /*unused2*/, int32_t /*unused3*/,
                                int32_t /*unused4*/, int32_t* progress) {
  if (progress == nullptr) return Refused("backup_ie_pro", false);
  return GuardedStatus([&] {
    marksafe::context::JobScope scope("backup_ie_pro");
    scope.job().set_cancel_flag(cancel_flag);
    return marksafe::ie::BackupIePro(AsU16(ie_def_path), AsU16(backup_path),
                                     into_backup_set, overwrite, cancel_flag,
                                     is_backup, progress);
  });
}

MARKSAFE_API bool marksafe_restore_favorites(
    const MS_CHAR* favorites, const MS_CHAR* part_folder,
    const volatile uint8_t* cancel_flag) {
  if (part_folder == nullptr || cancel_flag == nullptr)
    return Refused("marksafe_restore_favorites", false);
  return GuardedStatus([&] {
    marksafe::context::JobScope scope("marksafe_restore_favorites");
    scope.job().set_cancel_flag(cancel_flag);
    return marksafe::ie::RestoreFavoritesPart(AsU16(favorites),
                                              AsU16(part_folder), cancel_flag);
  });
}

}  // extern "C"
