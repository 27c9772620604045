#include "backup_set/folder_tree.h"

#include <unordered_set>
#include <vector>

#include "backup_set/interchange.h"
#include "backup_set/url_files.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace {

bool IsCancelled(const volatile uint8_t* cancel_flag) {
  return cancel_flag != nullptr && *cancel_flag != 0;
}

// A path reduced to the form in which two spellings of one folder compare
// equal: "\" separators, no trailing separator, upper case.
std::u16string ComparablePath(const std::u16string& path) {
  std::u16string out = ToUpperCase(path);
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  while (out.size() > 1 && out.back() == u'\\') out.pop_back();
  return out;
}

// True when both files can be read and hold the same bytes.
bool SameContent(const std::u16string& a, const std::u16string& b) {
  std::string first;
  std::string second;
  return platform::ReadFile(a, &first).ok() &&
         platform::ReadFile(b, &second).ok() && first == second;
}

// The names of the files (not folders) in folder; empty when it cannot be
// listed.
std::unordered_set<std::u16string> FileNames(const std::u16string& folder) {
  std::unordered_set<std::u16string> names;
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(folder, &entries).ok()) return names;
  for (const platform::DirEntry& entry : entries) {
    if (!entry.is_directory) names.insert(entry.name);
  }
  return names;
}

struct CopyJob {
  std::u16string filter;
  bool overwrite;
  const volatile uint8_t* cancel_flag;
  bool skip_imported;
  // The destination of the outermost call. A source folder that is this
  // folder is not entered, so that a backup placed inside the tree it
  // copies does not copy itself over and over.
  std::u16string top_destination;
  CopyCounts* counts;  // never null
  // A file there is never replaced; one with other bytes keeps its name and
  // the copy gets a new one.
  bool never_replace;
};

// Copies from to a free name beside to: "stem (2).ext", "stem (3).ext", ...
// never replacing anything. The failing copy's code, kErrorFileExists when
// none of 99 names is free, else 0. *made is the name copied to, or empty
// when a copy was there already; copied_bytes, when given, the bytes
// copied.
uint32_t CopyUnderNewName(const std::u16string& from, const std::u16string& to,
                          std::u16string* made, std::string* copied_bytes) {
  made->clear();
  const size_t slash = to.find_last_of(u"\\/");
  size_t dot = to.rfind(u'.');
  if (dot == std::u16string::npos ||
      (slash != std::u16string::npos && dot < slash)) {
    dot = to.size();
  }
  for (int n = 2; n < 100; ++n) {
    const std::u16string name = to.substr(0, dot) + u" (" +
                                NumberText(n) + u")" + to.substr(dot);
    // A copy an earlier restore put there already is enough.
    if (platform::PathExists(name) && SameContent(from, name)) return 0;
    const Status copied = platform::CopyFile(from, name, true, copied_bytes);
    if (copied.ok()) {
      *made = name;
      return 0;
    }
    if (copied.code() != kErrorFileExists &&
        copied.code() != kErrorAlreadyExists) {
      return copied.code();
    }
  }
  return kErrorFileExists;
}

// Copies one entry of from that is no folder; 0 when it was copied, is
// there already with the same bytes, or is left out (no regular file, a
// name that is no valid text, one the filter does not take), else the
// failing copy's code.
uint32_t CopyOneFile(const CopyJob& job, const std::u16string& from,
                     const platform::DirEntry& entry,
                     const std::u16string& source_path,
                     const std::u16string& target_path,
                     const std::unordered_set<std::u16string>& present) {
  // Only regular files are copied: a link may lead out of the tree, and
  // opening a FIFO or device would block or never end. A name that is no
  // valid text does not reach its file.
  if (entry.kind != platform::EntryKind::kRegular || !entry.name_valid) {
    if (!entry.name_valid) {
      DebugLog(u"[CommFile] [copy_folder] %s%s skipped: name not UTF-8\n",
               from.c_str(), entry.name.c_str());
    }
    return 0;
  }
  if (!interchange::HasExtension(entry.name, job.filter)) return 0;
  if (present.count(entry.name) != 0 &&
      SameContent(source_path, target_path)) {
    ++job.counts->files_present;
    return 0;
  }
  std::u16string made = target_path;
  std::string bytes;
  std::string* const copied = job.counts->made != nullptr ? &bytes : nullptr;
  const uint32_t failure =
      job.never_replace && present.count(entry.name) != 0
          ? CopyUnderNewName(source_path, target_path, &made, copied)
          : platform::CopyFile(source_path, target_path,
                               job.never_replace || !job.overwrite, copied)
                .code();
  // A file replaced in place is no new item of the folder.
  if (failure == 0 && copied != nullptr && !made.empty() &&
      (present.count(entry.name) == 0 || made != target_path)) {
    job.counts->made->push_back(
        {std::move(made), backup_set::ShortcutUrlIn(bytes)});
  }
  if (failure != 0) {
    DebugLog(u"WinApi:CopyFile execute fail:%ld \n",
             static_cast<long>(failure));
    ++job.counts->files_failed;
    return failure;
  }
  ++job.counts->files_copied;
  return 0;
}

// 0 when every file was copied, else the code of the last failing copy; a
// failed sub-folder stops the copy with its code. A cancelled copy fails
// with kErrorInvalidParameter: no call failed that could give it a code.
uint32_t CopyTree(const CopyJob& job, const std::u16string& source,
                  const std::u16string& destination) {
  const std::u16string from = WithTrailingSeparator(source);
  const std::u16string to = WithTrailingSeparator(destination);

  if (platform::PathExists(to)) {
    ++job.counts->folders_present;
  } else if (const Status made = platform::CreateDirectoryTree(to); made.ok()) {
    ++job.counts->folders_created;
    if (job.counts->made != nullptr) job.counts->made->push_back({to, u""});
  } else {
    DebugLog(u"[CommFile] [copy_folder] CreateDirectory %s fail: %ld\n",
             to.c_str(), LastErrorForLog());
    return made.code();
  }

  std::vector<platform::DirEntry> entries;
  const Status listed = platform::ListDirectory(from, &entries);
  if (!listed.ok()) {
    DebugLog(u"WinApi:FindFirstFile:%ld \n", LastErrorForLog());
    return listed.code();
  }

  // The system's listing starts with "." and "..", which are tested for
  // cancellation like every other entry; one test stands for them here.
  if (IsCancelled(job.cancel_flag)) return kErrorInvalidParameter;

  // When files may be replaced, those already there with the same bytes
  // are left as they are: replacing a file's content costs the file system
  // far more than writing a new one, and a restore repeated onto its own
  // result would otherwise rewrite every file to the same bytes. The
  // destination is listed once per folder. A folder copied onto itself
  // fails file by file as before.
  std::unordered_set<std::u16string> present;
  if ((job.overwrite || job.never_replace) &&
      ComparablePath(from) != ComparablePath(to)) {
    present = FileNames(to);
  }

  uint32_t failure = 0;
  for (const platform::DirEntry& entry : entries) {
    if (IsCancelled(job.cancel_flag)) return kErrorInvalidParameter;
    // A name is joined only as one entry of its folder.
    std::u16string source_path;
    std::u16string target_path;
    if (!platform::ChildPath(from, entry.name, &source_path) ||
        !platform::ChildPath(to, entry.name, &target_path)) {
      continue;
    }

    if (entry.is_directory) {
      if (!entry.name_valid) continue;
      if (EqualsNoCase(entry.name, interchange::kMarkerName)) continue;
      if (job.skip_imported &&
          EqualsNoCase(entry.name, interchange::kImportedFromIe)) {
        continue;
      }
      // Links to folders may point back up the tree; like the other walks
      // of an interchange folder, the copy does not follow them.
      if (entry.is_reparse_point) continue;
      if (ComparablePath(source_path) == job.top_destination) continue;
      const uint32_t sub_failure = CopyTree(job, source_path, target_path);
      if (sub_failure != 0) return sub_failure;
      continue;
    }

    const uint32_t file_failure =
        CopyOneFile(job, from, entry, source_path, target_path, present);
    if (file_failure != 0) failure = file_failure;
  }
  return failure;
}

// HideMarkers below root: 0, or the code of the last step that failed.
uint32_t HideMarkersBelow(const std::u16string& root,
                          const std::u16string& name) {
  std::vector<platform::DirEntry> entries;
  const uint32_t unlisted =
      root.empty() ? kErrorInvalidParameter
                   : platform::ListDirectory(root, &entries).code();
  if (unlisted != 0) {
    DebugLog(u"[backup_ie_pro] restore failed: %ld \n",
             static_cast<long>(unlisted));
    return unlisted;
  }
  uint32_t failure = 0;
  for (const platform::DirEntry& entry : entries) {
    std::u16string path;
    if (!platform::ChildPath(root, entry.name, &path)) continue;
    if (EqualsNoCase(entry.name, name)) {
      const uint32_t code = platform::SetHidden(path).code();
      if (code != 0) failure = code;
    }
    // Linked folders are not followed (they may lead back up the tree).
    if (entry.is_directory && !entry.is_reparse_point) {
      const uint32_t code = HideMarkersBelow(path, name);
      if (code != 0) failure = code;
    }
  }
  return failure;
}

}  // namespace

Status copy_folder(const std::u16string& source,
                   const std::u16string& destination,
                   const std::u16string& filter, bool overwrite,
                   const volatile uint8_t* cancel_flag, bool skip_imported,
                   CopyCounts* counts, bool never_replace) {
  CopyCounts unused;
  CopyJob job{filter,
              overwrite,
              cancel_flag,
              skip_imported,
              ComparablePath(destination),
              counts != nullptr ? counts : &unused,
              never_replace};
  // An empty path would name the root of the current drive.
  const uint32_t failure = source.empty() || destination.empty()
                               ? kErrorInvalidParameter
                               : CopyTree(job, source, destination);
  return failure == 0 ? Status::Ok() : CouldNot(failure, u"copy", source);
}

Status MeasureTree(const std::u16string& folder, uint64_t* size,
                   const std::u16string& filter, int32_t* folder_count,
                   int32_t* file_count) {
  *size = 0;
  if (folder_count != nullptr) *folder_count = 0;
  if (file_count != nullptr) *file_count = 0;

  std::vector<platform::DirEntry> entries;
  const uint32_t unlisted =
      folder.empty() ? kErrorInvalidParameter
                     : platform::ListDirectory(folder, &entries).code();
  if (unlisted != 0) return CouldNot(unlisted, u"measure", folder);
  uint64_t total = 0;
  int32_t folders = 0;
  int32_t files = 0;
  uint32_t failure = 0;  // the first sub-folder or file that failed
  // Folders still to list, on a stack of the walk's own: a deep tree needs
  // no deep call stack.
  std::vector<std::u16string> pending;
  std::u16string current = folder;
  while (true) {
    for (const platform::DirEntry& entry : entries) {
      if (entry.is_reparse_point) continue;
      std::u16string path;
      if (!platform::ChildPath(current, entry.name, &path)) continue;
      if (entry.is_directory) {
        ++folders;
        pending.push_back(std::move(path));
        continue;
      }
      // The extension is taken from the whole path, as the measurement has
      // always done; for every real file name this is the name's extension.
      if (!interchange::ExtensionMatches(path, filter)) continue;
      if (entry.kind != platform::EntryKind::kRegular) continue;
      uint64_t file_size = 0;
      const Status sized = platform::GetFileSize(path, &file_size);
      if (!sized.ok() && failure == 0) failure = sized.code();
      total += file_size;
      ++files;
    }
    if (pending.empty()) break;
    current = std::move(pending.back());
    pending.pop_back();
    entries.clear();
    const Status sub_listed = platform::ListDirectory(current, &entries);
    if (!sub_listed.ok() && failure == 0) failure = sub_listed.code();
  }

  *size = total;
  if (folder_count != nullptr) *folder_count = folders;
  if (file_count != nullptr) *file_count = files;
  return failure == 0 ? Status::Ok() : CouldNot(failure, u"measure", folder);
}

Status EnsureFolder(const std::u16string& path) {
  if (platform::PathExists(path)) return Status::Ok();
  const Status made = platform::CreateDirectoryTree(path);
  return made.ok() ? made : CouldNot(made.code(), u"create", path);
}

Status HideMarkers(const std::u16string& root, const std::u16string& name) {
  const uint32_t failure = HideMarkersBelow(root, name);
  return failure == 0 ? Status::Ok()
                      : CouldNot(failure, u"hide the markers in", root);
}

}  // namespace marksafe
