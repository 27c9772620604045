#include "stores/places/sqlite/env_vfs.h"

#include <sqlite3.h>

#include <memory>
#include <new>
#include <string>

#include "base/error_codes.h"
#include "platform/database_file.h"
#include "platform/platform.h"
#include "platform/system_env.h"

namespace marksafe {
namespace SQLite {
namespace {

// The default VFS, which opens, locks and does the I/O.
sqlite3_vfs* g_system_vfs = nullptr;

// The default VFS's open file, seen as a platform file. It keeps the code
// of its last call, so that a failure the system reported reaches SQLite
// with its own code.
class SystemFile : public platform::RandomAccessFile {
 public:
  explicit SystemFile(sqlite3_file* file) : file_(file) {}

  bool Read(uint64_t offset, size_t size, char* out,
            bool* short_read) override {
    const int rc = file_->pMethods->xRead(file_, out, static_cast<int>(size),
                                          static_cast<sqlite3_int64>(offset));
    *short_read = rc == SQLITE_IOERR_SHORT_READ;
    return Note(*short_read ? SQLITE_OK : rc);
  }
  bool Write(uint64_t offset, const char* data, size_t size) override {
    return Note(file_->pMethods->xWrite(file_, data, static_cast<int>(size),
                                        static_cast<sqlite3_int64>(offset)));
  }
  bool Truncate(uint64_t size) override {
    return Note(
        file_->pMethods->xTruncate(file_, static_cast<sqlite3_int64>(size)));
  }
  bool Sync() override {
    return Note(file_->pMethods->xSync(file_, sync_flags_));
  }
  bool Size(uint64_t* size) override {
    sqlite3_int64 bytes = 0;
    if (!Note(file_->pMethods->xFileSize(file_, &bytes))) return false;
    *size = static_cast<uint64_t>(bytes);
    return true;
  }

  // Forgets the last call's code and takes the flags of the next Sync.
  void Start(int sync_flags = 0) {
    rc_ = SQLITE_OK;
    sync_flags_ = sync_flags;
  }
  int rc() const { return rc_; }

 private:
  // A failure leaves its code as the thread's last error, as the
  // RandomAccessFile contract asks: an Env in front of this file reads it.
  bool Note(int rc) {
    rc_ = rc;
    if (rc == SQLITE_OK) return true;
    platform::SetLastError((rc & 0xFF) == SQLITE_FULL ? kErrorDiskFull
                                                      : kErrorIoDevice);
    return false;
  }

  sqlite3_file* file_;
  int rc_ = SQLITE_OK;
  int sync_flags_ = 0;
};

// A file opened while another Env is in force. SQLite allocates it with the
// default VFS's own file right behind it.
struct EnvFile {
  sqlite3_file base;  // first, so that SQLite's pointer is this object's
  sqlite3_file* system_file;
  SystemFile system;
  std::unique_ptr<platform::RandomAccessFile> env_file;

  explicit EnvFile(sqlite3_file* file) : system_file(file), system(file) {}
  platform::RandomAccessFile* io() {
    return env_file ? env_file.get()
                    : static_cast<platform::RandomAccessFile*>(&system);
  }
};

constexpr int kEnvFileSize = (sizeof(EnvFile) + 7) & ~7;

EnvFile* Of(sqlite3_file* file) { return reinterpret_cast<EnvFile*>(file); }
sqlite3_file* Sys(sqlite3_file* file) { return Of(file)->system_file; }

// SQLite's code for a failed call: the system's own when it failed there,
// else SQLITE_FULL for a full disk and io_error for anything else.
int Failure(EnvFile* file, int io_error) {
  if (file->system.rc() != SQLITE_OK) return file->system.rc();
  return platform::GetLastError() == kErrorDiskFull ? SQLITE_FULL
                                                              : io_error;
}

int EnvClose(sqlite3_file* file) {
  EnvFile* env_file = Of(file);
  sqlite3_file* system = env_file->system_file;
  env_file->~EnvFile();
  return system->pMethods->xClose(system);
}

int EnvRead(sqlite3_file* file, void* out, int size, sqlite3_int64 offset) {
  EnvFile* f = Of(file);
  f->system.Start();
  bool short_read = false;
  if (!f->io()->Read(static_cast<uint64_t>(offset), static_cast<size_t>(size),
                     static_cast<char*>(out), &short_read)) {
    return Failure(f, SQLITE_IOERR_READ);
  }
  return short_read ? SQLITE_IOERR_SHORT_READ : SQLITE_OK;
}

int EnvWrite(sqlite3_file* file, const void* data, int size,
             sqlite3_int64 offset) {
  EnvFile* f = Of(file);
  f->system.Start();
  return f->io()->Write(static_cast<uint64_t>(offset),
                        static_cast<const char*>(data),
                        static_cast<size_t>(size))
             ? SQLITE_OK
             : Failure(f, SQLITE_IOERR_WRITE);
}

int EnvTruncate(sqlite3_file* file, sqlite3_int64 size) {
  EnvFile* f = Of(file);
  f->system.Start();
  return f->io()->Truncate(static_cast<uint64_t>(size))
             ? SQLITE_OK
             : Failure(f, SQLITE_IOERR_TRUNCATE);
}

int EnvSync(sqlite3_file* file, int flags) {
  EnvFile* f = Of(file);
  f->system.Start(flags);
  return f->io()->Sync() ? SQLITE_OK : Failure(f, SQLITE_IOERR_FSYNC);
}

int EnvFileSize(sqlite3_file* file, sqlite3_int64* size) {
  EnvFile* f = Of(file);
  f->system.Start();
  uint64_t bytes = 0;
  if (!f->io()->Size(&bytes)) return Failure(f, SQLITE_IOERR_FSTAT);
  *size = static_cast<sqlite3_int64>(bytes);
  return SQLITE_OK;
}

// Locks, file controls and the -shm index: the system file's own.
int EnvLock(sqlite3_file* file, int level) {
  return Sys(file)->pMethods->xLock(Sys(file), level);
}
int EnvUnlock(sqlite3_file* file, int level) {
  return Sys(file)->pMethods->xUnlock(Sys(file), level);
}
int EnvCheckReservedLock(sqlite3_file* file, int* out) {
  return Sys(file)->pMethods->xCheckReservedLock(Sys(file), out);
}
int EnvFileControl(sqlite3_file* file, int op, void* arg) {
  return Sys(file)->pMethods->xFileControl(Sys(file), op, arg);
}
int EnvSectorSize(sqlite3_file* file) {
  return Sys(file)->pMethods->xSectorSize(Sys(file));
}
int EnvDeviceCharacteristics(sqlite3_file* file) {
  return Sys(file)->pMethods->xDeviceCharacteristics(Sys(file));
}
int EnvShmMap(sqlite3_file* file, int region, int size, int extend,
              void volatile** out) {
  return Sys(file)->pMethods->xShmMap(Sys(file), region, size, extend, out);
}
int EnvShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return Sys(file)->pMethods->xShmLock(Sys(file), offset, n, flags);
}
void EnvShmBarrier(sqlite3_file* file) {
  Sys(file)->pMethods->xShmBarrier(Sys(file));
}
int EnvShmUnmap(sqlite3_file* file, int delete_flag) {
  return Sys(file)->pMethods->xShmUnmap(Sys(file), delete_flag);
}
// No page is ever mapped, so that every read goes through the Env.
int EnvFetch(sqlite3_file*, sqlite3_int64, int, void** out) {
  *out = nullptr;
  return SQLITE_OK;
}
int EnvUnfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

const sqlite3_io_methods kEnvMethods = {
    3,
    EnvClose,
    EnvRead,
    EnvWrite,
    EnvTruncate,
    EnvSync,
    EnvFileSize,
    EnvLock,
    EnvUnlock,
    EnvCheckReservedLock,
    EnvFileControl,
    EnvSectorSize,
    EnvDeviceCharacteristics,
    EnvShmMap,
    EnvShmLock,
    EnvShmBarrier,
    EnvShmUnmap,
    EnvFetch,
    EnvUnfetch,
};

int EnvOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags,
            int* out_flags) {
  platform::Env* env = platform::CurrentEnv();
  if (env == platform::SystemEnv::Default()) {
    return g_system_vfs->xOpen(g_system_vfs, name, file, flags, out_flags);
  }
  file->pMethods = nullptr;
  sqlite3_file* system = reinterpret_cast<sqlite3_file*>(
      reinterpret_cast<char*>(file) + kEnvFileSize);
  const int rc =
      g_system_vfs->xOpen(g_system_vfs, name, system, flags, out_flags);
  if (rc != SQLITE_OK) {
    if (system->pMethods != nullptr) system->pMethods->xClose(system);
    return rc;
  }
  if (system->pMethods->iVersion < 3) {
    // A file without the -shm and mapping calls is used as it is.
    system->pMethods->xClose(system);
    return g_system_vfs->xOpen(g_system_vfs, name, file, flags, out_flags);
  }
  EnvFile* env_file = new (file) EnvFile(system);
  const std::u16string path =
      name == nullptr ? std::u16string() : platform::FromUtf8(name);
  if (!env->OpenDatabaseFile(path, &env_file->system, &env_file->env_file)
           .ok()) {
    env_file->~EnvFile();
    system->pMethods->xClose(system);
    return SQLITE_CANTOPEN;
  }
  file->pMethods = &kEnvMethods;
  return SQLITE_OK;
}

// SQLite's waits for a busy database sleep on the Env, which a test may
// run faster.
int EnvSleep(sqlite3_vfs*, int micros) {
  platform::SleepForMicroseconds(micros);
  return micros;
}

}  // namespace

const char* EnvVfsName() {
  static const char* const name = []() -> const char* {
    g_system_vfs = sqlite3_vfs_find(nullptr);
    if (g_system_vfs == nullptr) return nullptr;
    // Every call but xOpen and xSleep is the default VFS's own; they are
    // handed this copy, whose fields (path length, application data) are
    // the same.
    static sqlite3_vfs vfs = *g_system_vfs;
    vfs.pNext = nullptr;
    vfs.zName = "marksafe-env";
    vfs.szOsFile = kEnvFileSize + g_system_vfs->szOsFile;
    vfs.xOpen = EnvOpen;
    vfs.xSleep = EnvSleep;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? vfs.zName : nullptr;
  }();
  return name;
}

}  // namespace SQLite
}  // namespace marksafe
