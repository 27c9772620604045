// Helpers shared by the files of the POSIX backend: path conversion and the
// mapping of errno values to the Windows error codes callers expect.
#ifndef MARKSAFE_PLATFORM_POSIX_POSIX_INTERNAL_H_
#define MARKSAFE_PLATFORM_POSIX_POSIX_INTERNAL_H_

#include <cstdint>
#include <string>

#include "base/error_codes.h"

namespace marksafe {
namespace platform {
namespace posix {

// The Windows code for an errno value, without looking at any path
// (ENOENT gives 2, EEXIST 183).
uint32_t WindowsErrorFor(int err);

// Sets the thread's last error from errno value err, raised by an operation
// on native_path: a missing entry gives 2 when its parent folder exists and
// 3 when it does not.
void SetLastErrorFromErrno(int err, const std::string& native_path);

// Stands in a listed name for a "\" byte of the name on disk.
constexpr char16_t kNameBackslash = u'\xF05C';

// A UTF-16 path as the file system takes it: UTF-8, with "\" turned into
// "/" and kNameBackslash into "\".
std::string NativePath(const std::u16string& path);

// The parent folder of a native path ("." for a bare name, "/" for a name
// in the root); trailing separators are ignored.
std::string ParentOf(const std::string& native_path);

// The last component of a native path (trailing separators ignored).
std::string BaseNameOf(const std::string& native_path);

// The value of an environment variable, empty when unset.
std::string EnvVar(const char* name);

// The user's home folder: $HOME, else the password database's entry.
std::string HomeFolder();

// True when a process of this id exists and has not ended: a zombie (an
// ended process its parent has not yet reaped) holds no lock any more.
// Ids of 0, below or beyond pid_t address no single process: false.
bool ProcessIsAlive(long long pid);

// True when Firefox's ".parentlock" in a profile folder (a native path)
// carries an fcntl lock of another process.
bool ParentLockIsHeld(const std::string& folder);
// The holder of that lock: -1 when it is not held, 0 when the system does
// not name the holder.
long long ParentLockOwner(const std::string& folder);
// The process that holds a Firefox profile folder: the holder of its
// ".parentlock", else the Firefox-family process its "lock" link names;
// 0 when none is known.
long long FirefoxLockOwner(const std::string& folder);

// Writes all of data to fd, again after an interruption. False with errno
// set when a write fails.
bool WriteAll(int fd, const char* data, size_t size);

// Reads a whole regular file by its native path, as Env::ReadFile does.
// False with errno set on failure (EACCES for a FIFO, device or socket,
// ENOMEM for a file over kMaxReadFileBytes).
bool ReadAll(const std::string& native_path, std::string* bytes);

// Writes bytes to a new file beside native_path and renames it over
// native_path; with durable set the bytes reach the disk before the rename.
// False with errno set on failure (the new file is removed).
bool ReplaceAtomically(const std::string& native_path, const std::string& bytes,
                       bool durable);

}  // namespace posix
}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_POSIX_POSIX_INTERNAL_H_
