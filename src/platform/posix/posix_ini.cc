// The profile API on POSIX: the files' bytes read and replaced here, the
// INI work done by platform/ini_profile.h.
#include <cerrno>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/ini_profile.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

// Reads the file; a missing file is an empty one (*missing set). False with
// the last error set when the file exists but cannot be read.
bool LoadFile(const std::string& native, std::string* bytes, bool* missing) {
  *missing = false;
  if (!posix::ReadAll(native, bytes)) {
    if (errno != ENOENT) {
      posix::SetLastErrorFromErrno(errno, native);
      return false;
    }
    *missing = true;
    bytes->clear();
  }
  return true;
}

}  // namespace

std::vector<std::u16string> SystemEnv::GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file) {
  std::string bytes;
  bool missing = false;
  const std::string native = posix::NativePath(file);
  if (native.empty() || !LoadFile(native, &bytes, &missing)) {
    if (native.empty()) SetLastError(kErrorFileNotFound);
    return std::vector<std::u16string>(
        keys.size(), ini::DefaultProfileString(default_value, size));
  }
  return ini::ProfileStringsIn(missing ? nullptr : &bytes, section, keys,
                               default_value, size);
}

Status SystemEnv::WriteProfileString(const std::u16string& section,
                                     const std::u16string& key,
                                     const std::u16string& value,
                                     const std::u16string& file) {
  const std::string native = posix::NativePath(file);
  if (native.empty()) return Failed(kErrorPathNotFound, u"write", file);
  std::string bytes;
  bool missing = false;
  if (!LoadFile(native, &bytes, &missing) ||
      !ini::SetProfileStringIn(&bytes, section, key, value)) {
    return FailedWithLastError(u"write", file);
  }
  // Not synced: a writer of many small files (one per bookmark) must stay
  // fast, as the system's own profile writer is.
  if (!posix::ReplaceAtomically(native, bytes, false)) {
    posix::SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"write", file);
  }
  return Status::Ok();
}

}  // namespace platform
}  // namespace marksafe
