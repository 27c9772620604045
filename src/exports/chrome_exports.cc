// Exports of the Chrome bookmarks file: back up, import, restore, measure,
// keep a copy, and copy a Chrome backup into the Favorites folder.
#include "base/error_codes.h"
#include "exports/export_util.h"
#include "jobs/backup_jobs.h"
#include "marksafe/marksafe.h"
#include "platform/platform.h"
#include "stores/chrome/chrome_import.h"
#include "stores/chrome/chrome_misc.h"

using marksafe::exports::AsU16;
using marksafe::exports::CodeOf;
using marksafe::exports::Guarded;
using marksafe::exports::GuardedCode;
using marksafe::exports::RefusedCode;

namespace chrome = marksafe::chrome;
namespace jobs = marksafe::jobs;

extern "C" {

MARKSAFE_API int32_t export_chrome_2_folder(const MS_CHAR* chrome_file,
                                            const MS_CHAR* dest) {
  if (dest == nullptr)
    return RefusedCode("export_chrome_2_folder", marksafe::kErrorPathNotFound);
  return GuardedCode([&] {
    return CodeOf(jobs::ExportChrome2Folder(AsU16(chrome_file), AsU16(dest)));
  });
}

MARKSAFE_API int32_t backup_chrome(const MS_CHAR* chrome_file,
                                   const MS_CHAR* dest, bool into_backup_set) {
  if (dest == nullptr)
    return RefusedCode("backup_chrome", marksafe::kErrorPathNotFound);
  return GuardedCode([&] {
    return CodeOf(
        jobs::BackupChrome(AsU16(chrome_file), AsU16(dest), into_backup_set));
  });
}

MARKSAFE_API int32_t import_folder_2_chrome_bar(const MS_CHAR* chrome_file,
                                                const MS_CHAR* source,
                                                const MS_CHAR* folder_name) {
  if (source == nullptr) {
    return RefusedCode("import_folder_2_chrome_bar",
                       marksafe::kErrorPathNotFound);
  }
  return GuardedCode([&] {
    const int32_t code = chrome::ImportFolder2ChromeBar(
        AsU16(chrome_file), AsU16(source), AsU16(folder_name));
    // A null folder name, refused once the source is there, is also the
    // last error.
    if (folder_name == nullptr && code == marksafe::kErrorInvalidParameter) {
      marksafe::platform::SetLastError(code);
    }
    return code;
  });
}

MARKSAFE_API int32_t import_ie_2_chrome(
    const MS_CHAR* chrome_file, const MS_CHAR* source, bool into_backup_set,
    const MS_CHAR* folder_name, const void* reserved1, const void* reserved2) {
  if (source == nullptr || reserved1 == nullptr || reserved2 == nullptr) {
    return RefusedCode("import_ie_2_chrome", marksafe::kErrorInvalidParameter);
  }
  return GuardedCode([&] {
    return chrome::ImportIe2Chrome(AsU16(chrome_file), AsU16(source),
                                   into_backup_set, AsU16(folder_name));
  });
}

MARKSAFE_API int32_t import_firefox_2_chrome(const MS_CHAR* chrome_file,
                                             const MS_CHAR* source,
                                             bool into_backup_set,
                                             const MS_CHAR* folder_name) {
  if (source == nullptr) {
    return RefusedCode("import_firefox_2_chrome",
                       marksafe::kErrorInvalidParameter);
  }
  return GuardedCode([&] {
    return chrome::ImportFirefox2Chrome(AsU16(chrome_file), AsU16(source),
                                        into_backup_set, AsU16(folder_name));
  });
}

MARKSAFE_API int32_t restore_chrome(const MS_CHAR* chrome_file,
                                    const MS_CHAR* backup_path,
                                    bool into_backup_set) {
  if (backup_path == nullptr)
    return RefusedCode("restore_chrome", marksafe::kErrorInvalidParameter);
  return GuardedCode([&] {
    return chrome::RestoreChrome(AsU16(chrome_file), AsU16(backup_path),
                                 into_backup_set);
  });
}

MARKSAFE_API int32_t get_chrome_bk_size(const MS_CHAR* backup_path,
                                        bool into_backup_set, uint64_t* size,
                                        int32_t* folder_count,
                                        int32_t* link_count) {
  if (size == nullptr || folder_count == nullptr || link_count == nullptr) {
    return RefusedCode("get_chrome_bk_size", marksafe::kErrorInvalidParameter);
  }
  return GuardedCode([&] {
    return chrome::GetChromeBkSize(AsU16(backup_path), into_backup_set, size,
                                   folder_count, link_count);
  });
}

MARKSAFE_API int32_t get_chrome_size(const MS_CHAR* chrome_file, uint64_t* size,
                                     int32_t* folder_count,
                                     int32_t* link_count) {
  if (size == nullptr || folder_count == nullptr || link_count == nullptr) {
    return RefusedCode("get_chrome_size", marksafe::kErrorInvalidParameter);
  }
  return GuardedCode([&] {
    return chrome::GetChromeSize(AsU16(chrome_file), size, folder_count,
                                 link_count);
  });
}

MARKSAFE_API int32_t mk_chrome_temp_file(const MS_CHAR* chrome_file) {
  return GuardedCode(
      [&] { return chrome::MkChromeTempFile(AsU16(chrome_file)); });
}

MARKSAFE_API int32_t import_chrome_bk_2_ie(const MS_CHAR* chrome_bk,
                                           bool into_backup_set,
                                           const MS_CHAR* favorites) {
  if (chrome_bk == nullptr) {
    return RefusedCode("import_chrome_bk_2_ie",
                       marksafe::kErrorInvalidParameter);
  }
  return GuardedCode([&] {
    return chrome::ImportChromeBk2Ie(AsU16(chrome_bk), into_backup_set,
                                     AsU16(favorites));
  });
}

}  // extern "C"
