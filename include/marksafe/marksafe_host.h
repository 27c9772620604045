/*
 * marksafe: what the library offers a host beyond the 33 browser exports:
 * the last error, a debug sink and the version, reports and progress,
 * profiles, bookmark HTML, comparing, the browsers' own backups, the
 * history of a backup set, journals and undo. marksafe.h includes it; the
 * conventions written there hold here too.
 */
#ifndef MARKSAFE_MARKSAFE_HOST_H_
#define MARKSAFE_MARKSAFE_HOST_H_

#include "marksafe.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library extras --------------------------------------------------- */

/* The calling thread's last-error value (GetLastError() on Windows). */
MARKSAFE_API uint32_t marksafe_last_error(void);
/* Also hands every diagnostic line to sink(line, ctx); null removes it. */
MARKSAFE_API void marksafe_set_debug_sink(void (*sink)(const MS_CHAR* line,
                                                       void* ctx),
                                          void* ctx);
/* The library version, for example "0.1.0". */
MARKSAFE_API const char* marksafe_version(void);
/* What the last export that backs up, restores or converts bookmarks did on
   the calling thread, as UTF-8 JSON: {"operation", "lost", "refused",
   "roots": [{"root", "label", "source", "added", "present", "not_carried",
   "failed", "folders": [{"folder", "added"}]}], "problems": [{"path", "url",
   "reason", "lost"}]}, each count an object of "links", "folders" and
   "separators". A root's "folders" lists, in the source's order, each
   target folder (titles from the root down, joined with "/") the merge
   added items to, with what it added directly into it; a dry run counts
   what would be added. "lost" is true when something the target could hold
   was not written. "refused" is true when the export refused its arguments
   and did nothing (a problem says so); every export that refuses its
   arguments leaves such a report. Never null; the text stays valid until
   the next export call on the same thread. */
MARKSAFE_API const char* marksafe_last_report(void);
/* How far the export call running now (on any thread) has come: links
   written so far (*done) of the links it will write (*total). Each export
   that backs up, restores, converts or imports bookmarks starts at 0 of 0;
   the total is 0 while the source is still being read and grows as it
   becomes known (a restore of several parts adds part by part). done never
   exceeds total. After the call both stay as they ended. Either pointer may
   be null. Safe to call from any thread at any time. */
MARKSAFE_API void marksafe_progress(int64_t* done, int64_t* total);

/* ---- Browser profiles (for hosts) ------------------------------------ */

/* The calling user's browser profiles (Chrome, Chromium, Edge, Brave,
   Vivaldi, Firefox, LibreWolf, Waterfox; native, Flatpak and Snap) as UTF-8
   JSON: {"profiles": [{"browser", "browser_name", "family" ("chromium" or
   "firefox"), "install", "app", "name" (as the browser shows it),
   "folder_name", "folder", "data_folder" (the installation's folder),
   "store" (places.sqlite or Bookmarks), "store_exists", "default" (the
   installation's default), "running" (a running browser holds this
   profile), and with count true "counted", "folders", "links"}]}.
   browser and profile both null: every profile, each also with
   "family_default": true for the one profile per family (Firefox, Chromium)
   taken when nothing is named, the default of the installation used last.
   "warnings" lists, one line each, what the search passed over (a profile
   file not read, a profile folder outside its browser's folder).
   Otherwise one is picked:
   browser a key such as "chromium" (null or empty: any), profile the name
   shown, the folder's name, the folder or the store file (null or empty:
   the default); when none or several match the list is empty and "error"
   holds one line saying what exists, "code" 2 (none) or 87. Never null;
   the text stays valid until the next call on the same thread. */
MARKSAFE_API const char* marksafe_profiles(const MS_CHAR* browser,
                                           const MS_CHAR* profile, bool count);
/* Asks the browser processes that hold a profile (picked as
   marksafe_profiles picks one) to close, and waits at most ten seconds for
   them to end: the owner of the profile's lock and the processes whose
   command line names the profile, of the browser's own program; other
   instances, on other profiles, keep running. 0 the profile is free (or
   was); 170 it is still in use; 2 no such profile; 87 several match or the
   browser is unknown. */
MARKSAFE_API int32_t marksafe_close_profile(const MS_CHAR* browser,
                                            const MS_CHAR* profile);
/* Writes the Bookmarks file a Chromium browser makes in a new profile (the
   three roots, empty; checksum; version 1) at chrome_file, so that a
   profile that never had bookmarks can be restored into. 0 written; 80 the
   file exists (left alone); 3 its folder is missing; 87 null, overlong or
   the write failed. */
MARKSAFE_API int32_t marksafe_create_chrome_bookmarks(
    const MS_CHAR* chrome_file);

/* ---- Bookmark HTML (for hosts) ---------------------------------------- */

/* Kinds of store for the two calls below. */
#define MARKSAFE_STORE_PLACES 0       /* a Firefox places.sqlite file */
#define MARKSAFE_STORE_CHROME 1       /* a Chromium Bookmarks file */
#define MARKSAFE_STORE_FIREFOX_PART 2 /* ROOT\Bookmarks\Firefox of a set */
#define MARKSAFE_STORE_CHROME_PART 3  /* ROOT\Bookmarks\Chrome of a set */
#define MARKSAFE_STORE_URL_FOLDER 4   /* a folder of .url files */
/* A Firefox bookmark backup, plain JSON or .jsonlz4 (what Firefox keeps in
   <profile>/bookmarkbackups); read only. */
#define MARKSAFE_STORE_FIREFOX_BACKUP 5
#define MARKSAFE_STORE_SNAPSHOT 6     /* ROOT\History\<id>\<part>.snapshot */

/* Writes the bookmarks of source (a store of the given kind) as one
   bookmark HTML file at html_file (UTF-8, the format browsers import;
   written beside it and moved over it). Every root is kept: the menu at the
   top level, the toolbar, other and mobile roots as marked folders.
   marksafe_last_report() counts what was written per root. 0 done; 2
   source not found; 5 html_file cannot be written; 13 source cannot be
   read; 87 a null argument or an unknown kind. */
MARKSAFE_API int32_t marksafe_export_html(const MS_CHAR* source, int32_t kind,
                                          const MS_CHAR* html_file);
/* Merges the bookmark HTML file into store (MARKSAFE_STORE_PLACES or
   MARKSAFE_STORE_CHROME) the way a restore merges: each root of the file
   into the same root of the store (into Chrome, the file's top level goes to
   "Other bookmarks"), only what the store lacks is added, so a repeat adds
   nothing. With dry_run true the merge runs in memory only and nothing is
   written; the report then counts what would be added. 0 done; 2 a file
   not found; 5 the store is locked, cannot be written now (a browser holds
   it) or a write failed (the report counts what was not written as
   failed); 13 html_file is no bookmark HTML or the store cannot be read;
   87 a null argument or another kind. */
MARKSAFE_API int32_t marksafe_import_html(const MS_CHAR* html_file,
                                          const MS_CHAR* store, int32_t kind,
                                          bool dry_run);
/* Merges source, a store of source_kind read whole (a browser's own backup
   MARKSAFE_STORE_FIREFOX_BACKUP, a Chromium Bookmarks.bak as
   MARKSAFE_STORE_CHROME, a MARKSAFE_STORE_SNAPSHOT, a part, or another
   browser's store; not a .url folder), into store (MARKSAFE_STORE_PLACES
   or MARKSAFE_STORE_CHROME), with nothing written in between. A source of
   the store's family (a snapshot is of its part's) is merged as a restore
   merges: each root into the same root, only what the store lacks, so a
   repeat adds nothing. Another family's goes in as a conversion puts it: a
   folder per root in "Imported from Firefox" or "Imported from Chrome",
   under the menu in places, on the bookmark bar in Chrome. dry_run and the
   report as marksafe_import_html. 0 done; 2 a file not found; 5 the store
   is locked or a write failed; 13 either cannot be read (a problem in the
   report says why); 87 a null argument or a kind it does not take. */
MARKSAFE_API int32_t marksafe_restore_from(const MS_CHAR* source,
                                           int32_t source_kind,
                                           const MS_CHAR* store, int32_t kind,
                                           bool dry_run);
/* Compares a backup's part (backup, of kind MARKSAFE_STORE_FIREFOX_PART,
   _CHROME_PART or _URL_FOLDER, or a part's MARKSAFE_STORE_SNAPSHOT) with
   a store (store, of any kind) link by
   link: per root and folder (titles below the root joined with "/"), the
   links the backup holds that the store lacks and the other way round.
   Links are matched by normalised URL within their folder, as a restore
   matches them (into a Chrome file the backup's menu is "other"). UTF-8
   JSON: {"missing": N, "extra": M, "folders": [{"root", "folder",
   "missing": [{"title", "url"}], "extra": [...]}]}, or {"error": one line,
   "code"} when either cannot be read. Never null; valid until the next
   call on the same thread. */
MARKSAFE_API const char* marksafe_compare(const MS_CHAR* backup,
                                          int32_t backup_kind,
                                          const MS_CHAR* store,
                                          int32_t store_kind);
/* Backs up one store (MARKSAFE_STORE_PLACES or MARKSAFE_STORE_CHROME, or a
   browser's own backup: MARKSAFE_STORE_FIREFOX_BACKUP, a Chromium
   Bookmarks.bak as MARKSAFE_STORE_CHROME) as a whole Firefox or Chrome
   part into part_folder (for example ROOT\Bookmarks\Brave - Work): built beside it and swapped in only when
   complete, so a failure leaves the previous part as it was; the previous
   part is removed unread. The part's manifest records browser (a key such
   as "brave"), profile (its name as the browser shows it) and the profile's
   folder; a null or empty browser or profile is taken from the profile that
   keeps store, when one does. The first item that cannot be written stops
   the backup. 0 done; 2 store not found; 13 store cannot be read; 87 a null
   argument, another kind, or the write failed (marksafe_last_error() then
   holds the system's code). */
MARKSAFE_API int32_t marksafe_backup_part(const MS_CHAR* store, int32_t kind,
                                          const MS_CHAR* part_folder,
                                          const MS_CHAR* browser,
                                          const MS_CHAR* profile);
/* Restores one Favorites part (part_folder, for example
   ROOT\Bookmarks\Favorites) into the Favorites folder (favorites, or the
   one found when null) the way backup_ie_pro restores it, without the
   set's other parts: nothing there is replaced. cancel_flag must not be
   null. marksafe_last_report() counts what was copied. */
MARKSAFE_API bool marksafe_restore_favorites(
    const MS_CHAR* favorites, const MS_CHAR* part_folder,
    const volatile uint8_t* cancel_flag);
/* A backup that is cut short (stopped, a full disk, a copy of the set
   interrupted) leaves a Firefox or Chrome part without its completion mark;
   every call that reads such a part refuses it (result as for an unreadable
   backup, and a problem in marksafe_last_report()). With accept true they
   read what it holds instead, noting it in the report. Sets written before
   parts had a mark are always read. Process-wide; off at load. */
MARKSAFE_API void marksafe_accept_incomplete_backups(bool accept);
/* A backup into a set that already holds the part swaps the new part in and
   removes the previous copy, unread, before it returns. With later true,
   backups on any thread only rename that copy "<part>.marksafe-trash-N"
   and leave its removal to marksafe_remove_previous_copies(), so that a
   host can report the backup done first; a copy never removed is removed
   by the next backup into the set. Process-wide; off at load. */
MARKSAFE_API void marksafe_remove_previous_later(bool later);
/* Removes the previous copies that backups left for later. Returns how many
   could not be removed (0: all were), each named in marksafe_last_report(),
   or -1 when the call itself failed; the new parts are in place all the
   same. */
MARKSAFE_API int32_t marksafe_remove_previous_copies(void);
/* The links and folders of source (a store of any MARKSAFE_STORE_ kind)
   counted the one way the command line and the reports count: what lies
   below the roots, the roots themselves left out (a Chrome file's three
   roots, a part's root folders, a .url folder itself). The size exports
   keep their own figures (get_chrome_size counts the roots too). 0 done,
   the counts set; else as marksafe_export_html (the counts untouched). */
MARKSAFE_API int32_t marksafe_count(const MS_CHAR* source, int32_t kind,
                                    int64_t* folders, int64_t* links);

/* ---- The browsers' own backups (for hosts) ---------------------------- */

/* Writes the bookmarks of source (a store of any MARKSAFE_STORE_ kind) as a
   Firefox bookmark backup at file: the JSON that Firefox's "Restore >
   Choose File..." takes (it then replaces every bookmark of the profile),
   compressed as Firefox's .jsonlz4 when file's name ends in ".jsonlz4".
   Every root is written; one the source lacks, empty. Written beside file
   and moved over it. marksafe_last_report() counts what was written per
   root. 0 done; 2 source not found; 5 file cannot be written; 13 source
   cannot be read; 87 a null argument or an unknown kind. */
MARKSAFE_API int32_t marksafe_export_firefox_backup(const MS_CHAR* source,
                                                    int32_t kind,
                                                    const MS_CHAR* file);
/* The bookmark backups a browser keeps by itself in the profile folder:
   Firefox's bookmarkbackups/bookmarks-YYYY-MM-DD[_N][_HASH].jsonlz4 (or
   .json), Chromium's Bookmarks.bak. UTF-8 JSON, oldest first:
   {"backups": [{"file" (the path), "name", "kind" (the MARKSAFE_STORE_
   kind to read it as), "date" ("YYYY-MM-DD": the day its name gives, for
   Bookmarks.bak the day of its last write, UTC), "time" (seconds since
   1970: its last write, or the start of its date when that write lies
   more than a day away from it), and with count true "links" and
   "folders", or "error" (one line) for a backup that cannot be read}]}.
   Links and entries that are no regular files are not listed. With
   profile_folder null or no such folder: {"backups": [], "error", "code"
   2}. Never null; valid until the next call on the same thread. */
MARKSAFE_API const char* marksafe_browser_backups(const MS_CHAR* profile_folder,
                                                  bool count);
/* Finds the backup of profile_folder (one marksafe_browser_backups lists)
   that when names, as marksafe_find_snapshot reads when: a date
   "2026-12-01" (the last backup of that day, by its listed date, or
   before it), a time ago "3d" (s, m, h, d, w: the last written at least
   that long ago), a snapshot id "20261207T214500Z" (the last written then
   or before), or a backup's name. file (260 units) receives its "file" as
   listed. 0 found; 2 when lies before every backup (or there is none); 87
   a null argument, or a when of no such form that names no backup. */
MARKSAFE_API int32_t marksafe_find_browser_backup(
    const MS_CHAR* profile_folder, const MS_CHAR* when, MS_CHAR* file);

/* ---- History of a backup set ---------------------------------------- */

/* Snapshots keep every backup of a Firefox or Chrome part in the set, as
   ROOT\History\<id>\<part name>.snapshot (id: UTC time such as
   "20261207T214500Z", "-2", "-3" on a clash; ids sort in time order). A
   snapshot file can be read wherever a store is (MARKSAFE_STORE_SNAPSHOT),
   for example by marksafe_export_html and marksafe_compare. Builds without
   zstd keep none: the calls below then return 50. */

/* Units of the snapshot id buffers below (the id and its terminator). */
#define MARKSAFE_SNAPSHOT_ID_UNITS 32

/* Keeps the part just written in part_folder (ROOT\Bookmarks\<name>, its
   manifest) as a snapshot under root. snapshot_id (MARKSAFE_SNAPSHOT_ID_UNITS
   units): empty on entry takes a new id, which is written back; an id
   puts the snapshot beside the other parts of that backup. 0 written; 1 the
   newest snapshot of the part holds the same bookmarks, nothing written
   (snapshot_id left as it was); 2 the part has no manifest; 50 no zstd in
   this build; 87 a null argument or the write failed. */
MARKSAFE_API int32_t marksafe_snapshot_part(const MS_CHAR* root,
                                            const MS_CHAR* part_folder,
                                            MS_CHAR* snapshot_id);
/* Removes old snapshots of each part: of the part's snapshots the newest
   `last` are kept, the last one of each of the newest `daily` days that have one is kept, likewise of
   `weekly` weeks (Monday to Sunday) and `monthly` months, and always the
   newest; folders left empty go too. *removed counts the files removed.
   0 done; 50 no zstd; 87 a null argument, a negative count, or a file that
   could not be removed. */
MARKSAFE_API int32_t marksafe_prune_snapshots(const MS_CHAR* root,
                                              int32_t last, int32_t daily, int32_t weekly,
                                              int32_t monthly,
                                              int32_t* removed);
/* The snapshots under root, oldest first, of the part named part (null or
   empty: every part), each compared with the part's snapshot before it.
   UTF-8 JSON: {"snapshots": [{"id", "time" (microseconds since 1970),
   "part", "browser", "profile", "links", "folders", "first" (no snapshot
   of the part before it), "added", "removed", "renamed", "moved"}],
   "errors": [one line per snapshot that cannot be read]}. Never null;
   valid until the next call on the same thread. */
MARKSAFE_API const char* marksafe_history(const MS_CHAR* root,
                                          const MS_CHAR* part);
/* Finds the snapshot of part (null or empty: any part) that when names:
   a snapshot id (that one or the last before it), a date "2026-12-01" (the
   last snapshot of that day or before it) or a time ago "3d" (s, m, h, d,
   w: the last snapshot at least that old). snapshot (260 units) receives
   its file. 0 found; 2 when lies before every snapshot (or there is none);
   87 a null argument or a when of no such form. */
MARKSAFE_API int32_t marksafe_find_snapshot(const MS_CHAR* root,
                                            const MS_CHAR* part,
                                            const MS_CHAR* when,
                                            MS_CHAR* snapshot);
/* What changed from store before to store after (any kinds, typically
   snapshots or a snapshot and a browser's store): items added, removed,
   renamed and moved. Items are matched by what a rename or move keeps (a
   link's URL and date added, a folder's date added). UTF-8 JSON: {"added",
   "removed", "renamed", "moved", "changes": [{"change", "type" ("link" or
   "folder"), "path" (titles from the root, "/" between), "folder" (the
   path of its folder), "title", "from" (renamed
   and moved: the path before), "url"}]}, or {"error", "code"} when either
   store cannot be read. Never null; valid until the next call on the same
   thread. */
MARKSAFE_API const char* marksafe_diff(const MS_CHAR* before,
                                       int32_t before_kind,
                                       const MS_CHAR* after,
                                       int32_t after_kind);
/* Writes the snapshot's tree as a whole Firefox or Chrome part (its own
   kind) into part_folder, built beside it and swapped in, so that every
   call that takes a part can take the snapshot. 0 done; 2 not found; 13 the
   snapshot is damaged (a problem in marksafe_last_report() says why); 87 a
   null argument or the write failed. */
MARKSAFE_API int32_t marksafe_snapshot_to_part(const MS_CHAR* snapshot,
                                               const MS_CHAR* part_folder);

/* ---- Journals and undo ------------------------------------------------ */

/* Every call that writes into a browser's store (a restore, an import, a
   conversion, an HTML import) keeps a journal of what it added: each item
   with the id the store gave it (places: moz_bookmarks id and guid; Chrome:
   node id and guid; a Favorites folder: its path there), its folder, title
   and URL, the store and the time. One file per journal, in the user's
   state folder (%LOCALAPPDATA%\marksafe\journal; on Linux
   $XDG_STATE_HOME/marksafe/journal, by default ~/.local/state/...), named
   by its id: the UTC time it was written ("20261207T214500Z", "-2", "-3"
   on a clash). A dry run keeps none. */

/* Turns journals on or off for the calls that start from now on
   (process-wide; on at load unless the environment has
   MARKSAFE_JOURNAL=off). Returns the setting it replaced. */
MARKSAFE_API bool marksafe_set_journal(bool on);
/* The journals, oldest first. UTF-8 JSON: {"journals": [{"id", "time"
   (microseconds since 1970), "operation", "store_kind" ("places",
   "chrome", "favorites"), "store" (its path), "items", "undone"}],
   "errors": [one line per journal that cannot be read]}. Never null;
   valid until the next call on the same thread. */
MARKSAFE_API const char* marksafe_journals(void);
/* Removes from its store exactly the items the journal journal_id (null or
   empty: the newest journal) added, with the checks and locks of a
   restore (the browser must not hold the store). Items changed since are
   kept: moved to another folder, renamed, their URL edited, or a folder
   that holds items the journal did not add. The journal is then marked
   undone; undoing it again changes nothing. With dry_run nothing changes.
   UTF-8 JSON: {"journal", "store_kind", "store", "dry_run",
   "already_undone", "removed" (items removed, or that would be), "gone"
   (no longer where they were written), "kept": [{"item", "url",
   "reason"}], "code" (0 done; 2 no such journal; 13 a damaged journal or
   store, nothing changed; 32 a browser holds the store; 33 another run
   holds its lock), "error" (one line, when code is not 0)}. Never null;
   valid until the next call on the same thread. */
MARKSAFE_API const char* marksafe_undo(const MS_CHAR* journal_id,
                                       bool dry_run);

#ifdef __cplusplus
}
#endif

#endif /* MARKSAFE_MARKSAFE_HOST_H_ */
