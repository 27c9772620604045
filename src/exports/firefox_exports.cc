// The Firefox exports: argument checks and the exception guard; the work is
// done in src/firefox/.
#include "base/error_codes.h"
#include "exports/export_util.h"
#include "jobs/backup_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "stores/places/places_handle.h"
#include "stores/places/places_restore.h"
#include "stores/places/places_size.h"

using marksafe::exports::AsU16;
using marksafe::exports::Guarded;
using marksafe::exports::GuardedCode;
using marksafe::exports::GuardedStatus;
using marksafe::exports::OkElseLastError;
using marksafe::exports::Refused;
using marksafe::exports::RefusedCode;
using marksafe::exports::Succeeded;
namespace firefox = marksafe::firefox;
namespace jobs = marksafe::jobs;

extern "C" {

MARKSAFE_API bool export_firefox_2_folder(ms_places_handle handle,
                                          const MS_CHAR* dest,
                                          bool into_backup_set) {
  if (handle == nullptr || dest == nullptr)
    return Refused("export_firefox_2_folder", false);
  return GuardedStatus([&] {
    return jobs::ExportFirefox2Folder(handle, AsU16(dest), into_backup_set);
  });
}

MARKSAFE_API bool backup_firefox(ms_places_handle handle, const MS_CHAR* dest,
                                 bool into_backup_set, int32_t /*unused1*/,
                                 int32_t /*unused2*/) {
  if (handle == nullptr || dest == nullptr)
    return Refused("backup_firefox", false);
  return GuardedStatus([&] {
    return jobs::BackupFirefox(handle, AsU16(dest), into_backup_set);
  });
}

MARKSAFE_API ms_places_handle init_bookmark(const MS_CHAR* places_file) {
  return Guarded<ms_places_handle>(nullptr, [&] {
    marksafe::Status status;
    ms_places* handle = firefox::InitBookmark(AsU16(places_file), &status);
    // Also a handle on a store Firefox holds, with the code that says so.
    (void)OkElseLastError(status);
    return handle;
  });
}

MARKSAFE_API bool release_bookmark(ms_places_handle handle) {
  if (handle == nullptr) return Refused("release_bookmark", false);
  return Guarded(false, [&] { return firefox::ReleaseBookmark(handle); });
}

MARKSAFE_API bool get_firefox_bookmark_size(const MS_CHAR* backup_path,
                                            bool into_backup_set,
                                            uint64_t* size,
                                            int32_t* folder_count,
                                            int32_t* link_count) {
  if (size == nullptr || folder_count == nullptr || link_count == nullptr) {
    return Refused("get_firefox_bookmark_size", false);
  }
  return GuardedStatus([&] {
    return firefox::GetFirefoxBookmarkSize(AsU16(backup_path), into_backup_set,
                                           size, folder_count, link_count);
  });
}

MARKSAFE_API bool get_firefox_bk_size(const MS_CHAR* backup_path,
                                      bool into_backup_set, uint64_t* size,
                                      int32_t* folder_count,
                                      int32_t* link_count) {
  if (backup_path == nullptr || size == nullptr)
    return Refused("get_firefox_bk_size", false);
  return GuardedStatus([&] {
    return firefox::GetFirefoxBkSize(AsU16(backup_path), into_backup_set, size,
                                     folder_count, link_count);
  });
}

MARKSAFE_API bool restore_firefox_pro(ms_places_handle handle,
                                      const MS_CHAR* backup_path,
                                      bool into_backup_set, int32_t /*unused1*/,
                                      int32_t /*unused2*/, int32_t /*unused3*/,
                                      int32_t /*unused4*/, int32_t* progress) {
  if (handle == nullptr || backup_path == nullptr || progress == nullptr) {
    return Refused("restore_firefox_pro", false);
  }
  return GuardedStatus([&] {
    return firefox::RestoreFirefoxPro(handle, AsU16(backup_path),
                                      into_backup_set, progress);
  });
}

MARKSAFE_API bool import_2_firefox(ms_places_handle handle,
                                   const MS_CHAR* folder, const MS_CHAR* title,
                                   int32_t /*unused*/) {
  if (handle == nullptr || folder == nullptr)
    return Refused("import_2_firefox", false);
  return GuardedStatus([&] {
    return firefox::Import2Firefox(handle, AsU16(folder), AsU16(title));
  });
}

MARKSAFE_API bool import_2_firefox_from_ie_bk(ms_places_handle handle,
                                              const MS_CHAR* path,
                                              bool into_backup_set) {
  if (handle == nullptr || path == nullptr)
    return Refused("import_2_firefox_from_ie_bk", false);
  return GuardedStatus([&] {
    return firefox::Import2FirefoxFromIeBk(handle, AsU16(path),
                                           into_backup_set);
  });
}

MARKSAFE_API bool import_2_firefox_from_bk(ms_places_handle handle,
                                           const MS_CHAR* path,
                                           bool into_backup_set) {
  if (handle == nullptr || path == nullptr)
    return Refused("import_2_firefox_from_bk", false);
  return GuardedStatus([&] {
    return firefox::Import2FirefoxFromBk(handle, AsU16(path), into_backup_set);
  });
}

MARKSAFE_API bool import_firefox_bk_2_folder(const MS_CHAR* firefox_bk,
                                             bool into_backup_set,
                                             const MS_CHAR* favorites,
                                             const MS_CHAR* sub_folder) {
  if (firefox_bk == nullptr || favorites == nullptr)
    return Refused("import_firefox_bk_2_folder", false);
  return GuardedStatus([&] {
    return firefox::ImportFirefoxBk2Folder(AsU16(firefox_bk), into_backup_set,
                                           AsU16(favorites), AsU16(sub_folder));
  });
}

MARKSAFE_API int32_t import_chrome_bk_2_firefox(ms_places_handle handle,
                                                const MS_CHAR* path,
                                                bool into_backup_set) {
  if (handle == nullptr || path == nullptr)
    return RefusedCode("import_chrome_bk_2_firefox",
                       marksafe::kErrorInvalidParameter);
  return GuardedCode([&] {
    return Succeeded(firefox::ImportChromeBk2Firefox(handle, AsU16(path),
                                                     into_backup_set))
               ? marksafe::kErrorSuccess
               : marksafe::kErrorInvalidParameter;
  });
}

}  // extern "C"
