// Folder listings in the order NTFS gives them: by name, comparing UTF-16
// code units after upper-casing them.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {
namespace {

bool NtfsLess(const DirEntry& a, const DirEntry& b) {
  size_t common = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < common; ++i) {
    char16_t x = UpperCase(a.name[i]);
    char16_t y = UpperCase(b.name[i]);
    if (x != y) return x < y;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  // Names equal but for case can both exist here; keep the order fixed.
  return a.name < b.name;
}

EntryKind KindOf(mode_t mode) {
  if (S_ISLNK(mode)) return EntryKind::kLink;
  if (S_ISDIR(mode)) return EntryKind::kDirectory;
  if (S_ISREG(mode)) return EntryKind::kRegular;
  return EntryKind::kOther;
}

// The file type readdir reports, as st_mode's type bits; 0 when it
// reports none (DT_UNKNOWN).
mode_t TypeFromListing(unsigned char type) {
  switch (type) {
    case DT_REG:
      return S_IFREG;
    case DT_DIR:
      return S_IFDIR;
    case DT_LNK:
      return S_IFLNK;
    case DT_FIFO:
      return S_IFIFO;
    case DT_SOCK:
      return S_IFSOCK;
    case DT_CHR:
      return S_IFCHR;
    case DT_BLK:
      return S_IFBLK;
    default:
      return 0;
  }
}

}  // namespace

Status SystemEnv::GetEntryKind(const std::u16string& path, EntryKind* kind) {
  const std::string native = posix::NativePath(path);
  struct stat st;
  if (kind == nullptr || native.empty()) {
    return Failed(kErrorInvalidParameter, u"look at", path);
  }
  if (lstat(native.c_str(), &st) != 0) {
    posix::SetLastErrorFromErrno(errno, native);
    return FailedWithLastError(u"look at", path);
  }
  *kind = KindOf(st.st_mode);
  return Status::Ok();
}

Status SystemEnv::ListDirectory(const std::u16string& folder,
                                std::vector<DirEntry>* out) {
  if (out == nullptr) {
    return Failed(kErrorInvalidParameter, u"list", folder);
  }
  out->clear();
  std::string native = posix::NativePath(folder);
  if (native.empty()) native = ".";
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) {
    // The listing of a missing folder fails as "path not found", as a
    // search for folder\* does.
    int err = errno;
    return Failed(
        err == ENOENT ? kErrorPathNotFound : posix::WindowsErrorFor(err),
        u"list", folder);
  }
  std::string prefix = native;
  if (prefix.back() != '/') prefix += '/';
  for (;;) {
    errno = 0;
    struct dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string full = prefix + name;
    // The listing's own type spares a stat per entry; a file system that
    // gives none is asked with lstat.
    mode_t mode = TypeFromListing(entry->d_type);
    if (mode == 0) {
      struct stat st;
      if (lstat(full.c_str(), &st) != 0) continue;  // gone since readdir
      mode = st.st_mode;
    }
    DirEntry item;
    item.name = FromUtf8(name);
    // A name that is no UTF-8 comes back with U+FFFD and reaches nothing;
    // one that holds U+F05C itself would reach another entry (the one with
    // a "\\" byte there) and is no valid name either.
    item.name_valid = ToUtf8(item.name) == name &&
                      item.name.find(posix::kNameBackslash) ==
                          std::u16string::npos;
    // A "\\" byte is part of the name, not a separator.
    for (char16_t& c : item.name) {
      if (c == u'\\') c = posix::kNameBackslash;
    }
    item.is_hidden = name[0] == '.';
    item.kind = KindOf(mode);
    if (S_ISLNK(mode)) {
      // A link to a folder carries the folder flag as well, as a junction
      // or directory symlink does.
      item.is_reparse_point = true;
      struct stat target;
      item.is_directory =
          stat(full.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    } else {
      item.is_directory = S_ISDIR(mode);
    }
    out->push_back(std::move(item));
  }
  int err = errno;
  closedir(dir);
  if (err != 0) {
    out->clear();
    return Failed(posix::WindowsErrorFor(err), u"list", folder);
  }
  std::sort(out->begin(), out->end(), NtfsLess);
  return Status::Ok();
}

}  // namespace platform
}  // namespace marksafe
