// An open database file seen through the Env: SQLite opens and locks the
// file itself (so that Firefox's locks are kept as Firefox keeps them), and
// each read, write, truncation, flush and size of it goes through one of
// these, which an Env may put its own in front of.
#ifndef MARKSAFE_PLATFORM_DATABASE_FILE_H_
#define MARKSAFE_PLATFORM_DATABASE_FILE_H_

#include <cstddef>
#include <cstdint>

namespace marksafe {
namespace platform {

// A file read and written at offsets. Every call that fails leaves a
// Windows error code in the thread's last-error value (112 the disk is
// full; any other code an I/O error).
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;

  // Reads size bytes at offset into out. Bytes past the end of the file
  // read as zero, and *short_read is then true.
  virtual bool Read(uint64_t offset, size_t size, char* out,
                    bool* short_read) = 0;
  virtual bool Write(uint64_t offset, const char* data, size_t size) = 0;
  virtual bool Truncate(uint64_t size) = 0;
  // Makes what was written reach the disk.
  virtual bool Sync() = 0;
  virtual bool Size(uint64_t* size) = 0;
};

// ERROR_DISK_FULL.
constexpr uint32_t kErrorDiskFull = 112;

}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_DATABASE_FILE_H_
