/*
 * marksafe: back up, restore and convert the bookmarks of Internet Explorer,
 * Firefox and Chrome.
 *
 * Conventions shared by every export:
 *  - Text is UTF-16 (MS_CHAR), NUL-terminated. Output path buffers must hold
 *    260 units; the library writes at most 259 characters and a terminator.
 *  - A null pointer where a path or out-parameter is required makes the call
 *    fail at once (false or 87) before anything is touched. A call that
 *    refuses its arguments so (a null pointer, a bad value) still leaves a
 *    report of its own ("refused": true) and its code as the last error.
 *  - Error codes are Windows error codes: 0 success, 2 file not found,
 *    3 path not found, 87 invalid parameter; some exports return the thread's
 *    last-error value, readable at any time with marksafe_last_error().
 *  - A backup set lives under a root: ROOT\Bookmarks\Favorites,
 *    ROOT\Bookmarks\Firefox (with "pos.ini"), ROOT\Bookmarks\Chrome (with
 *    "chrome_pos.ini"). With into_backup_set true the path given is such a
 *    root; with false it is the browser's folder itself. A browser's part
 *    holds one folder of .url files per root and "manifest.json" with what
 *    .url files cannot carry (order, separators, dates, exact titles, tags,
 *    keywords); parts written by older versions, without it, still read.
 *  - Exports that move bookmarks leave a report of what they carried, root
 *    by root, for marksafe_last_report().
 *  - Exports never throw, take no locks and start no threads. cancel_flag is
 *    read once per directory entry and may be set from another thread.
 */
#ifndef MARKSAFE_MARKSAFE_H_
#define MARKSAFE_MARKSAFE_H_

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#include <wchar.h>
typedef wchar_t MS_CHAR;
#if defined(MARKSAFE_BUILDING)
#define MARKSAFE_API __declspec(dllexport)
#elif defined(MARKSAFE_STATIC)
#define MARKSAFE_API
#else
#define MARKSAFE_API __declspec(dllimport)
#endif
#else
#ifdef __cplusplus
typedef char16_t MS_CHAR;
#else
#include <uchar.h>
typedef char16_t MS_CHAR;
#endif
#define MARKSAFE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An open places.sqlite, created by init_bookmark, freed by release_bookmark. */
typedef struct ms_places* ms_places_handle;

/* ---- Browser discovery and control ------------------------------------ */

/* True when "Internet Explorer\iexplore.exe" exists under Program Files. */
MARKSAFE_API bool is_installed_ie(void);
/* Fills out (260 units) with the user's Favorites folder; false when null
 * or when Internet Explorer is not installed. */
MARKSAFE_API bool get_ie_path(MS_CHAR* out);
/* True when the default Firefox profile holds places.sqlite; its full path
 * goes to out (260 units) when out is not null. */
MARKSAFE_API bool is_installed_firefox(MS_CHAR* out);
/* True when Firefox runs for the user: a firefox.exe process in the user's
 * session or a Firefox window (on POSIX: a main process). */
MARKSAFE_API bool is_firefox_running(void);
/* Asks Firefox to close and waits (at most 10 s) until it has ended; true
 * when none is left. */
MARKSAFE_API bool close_firefox(void);
/* True when Chrome's Bookmarks file exists; its path goes to out when out is
 * not null and the path is longer than 8 characters (at most 258 copied). */
MARKSAFE_API bool is_installed_chrome(MS_CHAR* out);
/* As is_firefox_running and close_firefox, for chrome.exe. */
MARKSAFE_API bool is_chrome_running(void);
MARKSAFE_API bool close_chrome(void);

/* ---- Firefox ---------------------------------------------------------- */

/* Writes every places root ("Bookmarks Menu", "Bookmarks Toolbar",
 * "Unsorted Bookmarks", "Mobile Bookmarks") with "pos.ini" and the manifest
 * into dest, or into dest\Bookmarks\Firefox, which is then replaced whole
 * only once the new part is complete. False for a null handle or dest, or
 * when any step failed. */
MARKSAFE_API bool export_firefox_2_folder(ms_places_handle handle,
                                          const MS_CHAR* dest,
                                          bool into_backup_set);
/* Creates the destination, then export_firefox_2_folder. The two int32_t
 * arguments have no effect. */
MARKSAFE_API bool backup_firefox(ms_places_handle handle, const MS_CHAR* dest,
                                 bool into_backup_set, int32_t unused1,
                                 int32_t unused2);
/* Opens places_file (null: the default profile's places.sqlite). Returns a
 * handle, or null when the path cannot be found. While Firefox runs the
 * handle has no connection and every statement on it fails. Reading through
 * the handle changes no byte of the store or of the files beside it; the
 * first export that writes opens the store for writing. */
MARKSAFE_API ms_places_handle init_bookmark(const MS_CHAR* places_file);
/* Closes and frees the handle; false for null. */
MARKSAFE_API bool release_bookmark(ms_places_handle handle);
/* Null backup_path: size of the live places.sqlite and its folder and link
 * counts. Otherwise: as get_firefox_bk_size. A Firefox count is the user's
 * folders and links, its roots left out; a store and its backup give the
 * same figures. */
MARKSAFE_API bool get_firefox_bookmark_size(const MS_CHAR* backup_path,
                                            bool into_backup_set,
                                            uint64_t* size,
                                            int32_t* folder_count,
                                            int32_t* link_count);
/* Size of the files of a Firefox backup folder, and its folders and links
 * as a restore reads them (the .url files it holds when it cannot be read
 * as a part). */
MARKSAFE_API bool get_firefox_bk_size(const MS_CHAR* backup_path,
                                      bool into_backup_set, uint64_t* size,
                                      int32_t* folder_count,
                                      int32_t* link_count);
/* Merges the Firefox, Favorites and Chrome parts of a backup set into
 * places, adding 2, 1 and 1 to *progress as it passes the steps. The four
 * int32_t arguments are not read. False when progress is null (nothing
 * changed) or when any step failed; later steps run after a failed one. */
MARKSAFE_API bool restore_firefox_pro(ms_places_handle handle,
                                      const MS_CHAR* backup_path,
                                      bool into_backup_set, int32_t unused1,
                                      int32_t unused2, int32_t unused3,
                                      int32_t unused4, int32_t* progress);
/* Merges an interchange folder into a places folder titled title (null:
 * "Imported from IE") under the bookmarks menu. unused is not read. */
MARKSAFE_API bool import_2_firefox(ms_places_handle handle,
                                   const MS_CHAR* folder, const MS_CHAR* title,
                                   int32_t unused);
MARKSAFE_API bool import_2_firefox_from_ie_bk(ms_places_handle handle,
                                              const MS_CHAR* path,
                                              bool into_backup_set);
MARKSAFE_API bool import_2_firefox_from_bk(ms_places_handle handle,
                                           const MS_CHAR* path,
                                           bool into_backup_set);
/* Merges a Firefox backup into favorites\sub_folder (null: "Imported from
 * Firefox"), one sub-folder per root as its "pos.ini" names them; a file
 * that is there is never overwritten. */
MARKSAFE_API bool import_firefox_bk_2_folder(const MS_CHAR* firefox_bk,
                                             bool into_backup_set,
                                             const MS_CHAR* favorites,
                                             const MS_CHAR* sub_folder);
/* Merges a Chrome backup into places under "Imported from Chrome". Returns 0
 * or 87. */
MARKSAFE_API int32_t import_chrome_bk_2_firefox(ms_places_handle handle,
                                                const MS_CHAR* path,
                                                bool into_backup_set);

/* ---- Chrome ----------------------------------------------------------- */
/* chrome_file null: Chrome's Bookmarks file as located (see
 * is_installed_chrome). A path longer than 259 characters is refused, never
 * cut. Chrome's file is replaced in one step when it is written; a write
 * that fails gives 87 and leaves the old file. */

/* Writes "chrome_pos.ini", the manifest, "Bookmarks bar", "Other
 * bookmarks" and "Mobile bookmarks" into dest
 * (which must exist). 0 done; 3 dest null; 2 Chrome file not found; 87 the
 * file did not load or a bookmark could not be written (the rest is). */
MARKSAFE_API int32_t export_chrome_2_folder(const MS_CHAR* chrome_file,
                                            const MS_CHAR* dest);
/* export_chrome_2_folder into dest, or with into_backup_set into
 * dest\Bookmarks\Chrome (created). 3 dest null or missing; 87 a folder could
 * not be created. */
MARKSAFE_API int32_t backup_chrome(const MS_CHAR* chrome_file,
                                   const MS_CHAR* dest, bool into_backup_set);
/* Merges the interchange folder source into the folder folder_name at the
 * end of the bookmark bar, as every restore merges (only what is missing
 * is added, so a repeat adds nothing). 0 done; 3 source null or
 * missing; 87 folder_name null, file not loaded, import or save failed
 * (nothing written); 2 Chrome file not found. */
MARKSAFE_API int32_t import_folder_2_chrome_bar(const MS_CHAR* chrome_file,
                                                const MS_CHAR* source,
                                                const MS_CHAR* folder_name);
/* import_folder_2_chrome_bar of source (with into_backup_set its
 * Bookmarks\Favorites) under folder_name (null: "Imported from IE").
 * reserved1 and reserved2 must not be null (87); they are not otherwise
 * used. 3 when the folder is missing. */
MARKSAFE_API int32_t import_ie_2_chrome(const MS_CHAR* chrome_file,
                                        const MS_CHAR* source,
                                        bool into_backup_set,
                                        const MS_CHAR* folder_name,
                                        const void* reserved1,
                                        const void* reserved2);
/* As import_ie_2_chrome for Bookmarks\Firefox and "Imported from Firefox";
 * 87 for a null source. */
MARKSAFE_API int32_t import_firefox_2_chrome(const MS_CHAR* chrome_file,
                                             const MS_CHAR* source,
                                             bool into_backup_set,
                                             const MS_CHAR* folder_name);
/* Merges each root that backup_path's "chrome_pos.ini" names (with
 * into_backup_set: backup_path\Bookmarks\Chrome) into the same root (bookmark
 * bar, other, mobile), and saves what was merged even when a part failed.
 * 0 done; 87 backup_path null, file not loaded, a part failed or the save
 * failed; 2 Chrome file not found; 3 folder missing. */
MARKSAFE_API int32_t restore_chrome(const MS_CHAR* chrome_file,
                                    const MS_CHAR* backup_path,
                                    bool into_backup_set);
/* backup_path null: size of the live Chrome file, and the folder nodes
 * (the roots included) and url nodes of its three roots added to
 * *folder_count and *link_count (2 not found, 3 missing, 87 not countable).
 * Otherwise: size of the files of the Chrome backup folder, as
 * get_ie_favorites_size measures (87 when that fails), and its folders (the
 * roots included, as for the live file) and links as a restore reads them
 * (its sub-folders and .url files when it cannot be read as a part). 87
 * for a null out pointer. */
MARKSAFE_API int32_t get_chrome_bk_size(const MS_CHAR* backup_path,
                                        bool into_backup_set, uint64_t* size,
                                        int32_t* folder_count,
                                        int32_t* link_count);
/* Size of the Chrome file; its folders and links added to the counts. 0
 * done; 87 an out pointer null, or a file that does not parse or whose
 * roots are no folders (the counts are then left as they are); 2 not
 * found; the last-error value when the size cannot be read. */
MARKSAFE_API int32_t get_chrome_size(const MS_CHAR* chrome_file,
                                     uint64_t* size, int32_t* folder_count,
                                     int32_t* link_count);
/* Copies the Chrome file to its path + "~", replacing an earlier copy. 0
 * done (also without an earlier copy); 2 not found; 87 the earlier copy
 * cannot be deleted or the copy failed. */
MARKSAFE_API int32_t mk_chrome_temp_file(const MS_CHAR* chrome_file);
/* Merges the roots named by the Chrome backup's "chrome_pos.ini" into
 * favorites (null: the located Favorites folder)\Imported from chrome, one
 * sub-folder per root; a file that is there is never overwritten. 0 both copied; 87
 * chrome_bk null, the folder cannot be created, a copy failed or a
 * position value leaves its folder; 3 Favorites not found. */
MARKSAFE_API int32_t import_chrome_bk_2_ie(const MS_CHAR* chrome_bk,
                                           bool into_backup_set,
                                           const MS_CHAR* favorites);

/* ---- Internet Explorer ------------------------------------------------ */

/* Size of the .url files under folder (null: the Favorites folder) and the
 * number of sub-folders and .url files. A path of 8 characters or fewer is
 * refused. size must not be null; the counts may be. */
MARKSAFE_API bool get_ie_favorites_size(const MS_CHAR* folder,
                                        bool into_backup_set, uint64_t* size,
                                        int32_t* folder_count,
                                        int32_t* link_count);
/* Copies the .url files of ie_def_path (null: the Favorites folder) into
 * backup_path (or backup_path\Bookmarks\Favorites). cancel_flag must not be
 * null; a non-zero byte stops the copy at the next directory entry. */
MARKSAFE_API bool backup_ie(const MS_CHAR* ie_def_path,
                            const MS_CHAR* backup_path, bool into_backup_set,
                            bool overwrite,
                            const volatile uint8_t* cancel_flag);
/* is_backup true: as backup_ie. is_backup false: restores the Favorites,
 * Firefox and Chrome parts of the backup set into the Favorites folder and
 * adds 2 to *progress. The four int32_t arguments are not read. A null
 * progress returns false and changes nothing. */
MARKSAFE_API bool backup_ie_pro(const MS_CHAR* ie_def_path,
                                const MS_CHAR* backup_path,
                                bool into_backup_set, bool overwrite,
                                const volatile uint8_t* cancel_flag,
                                bool is_backup, int32_t unused1,
                                int32_t unused2, int32_t unused3,
                                int32_t unused4, int32_t* progress);

#ifdef __cplusplus
}
#endif

/* The marksafe_* additions for hosts. */
#include "marksafe_host.h"

#endif /* MARKSAFE_MARKSAFE_H_ */
