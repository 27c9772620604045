// The VFS every database is opened with: SQLite's default VFS, with each
// file's reads, writes, truncations, flushes and sizes passed through the
// Env in force (platform::Env::OpenDatabaseFile), so that a test Env can
// make a database write fail. Locks, the -shm index, deletes, existence
// checks and full path names stay the default VFS's own, so that a running
// Firefox sees the same locks as before. While the system's Env is in force
// a file is opened by the default VFS alone, with nothing in between. Waits
// for a busy database sleep on the Env.
#ifndef MARKSAFE_STORES_PLACES_SQLITE_ENV_VFS_H_
#define MARKSAFE_STORES_PLACES_SQLITE_ENV_VFS_H_

namespace marksafe {
namespace SQLite {

// The VFS's name for sqlite3_open_v2, registered on the first call (never
// as the default VFS). Null when SQLite has no default VFS to build on.
const char* EnvVfsName();

}  // namespace SQLite
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_SQLITE_ENV_VFS_H_
