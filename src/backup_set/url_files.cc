#include "backup_set/url_files.h"

#include "backup_set/interchange.h"
#include "base/error_words.h"
#include "base/text.h"
#include "context/job.h"
#include "model/progress.h"
#include "platform/debug_log.h"
#include "platform/file_names.h"
#include "platform/ini_profile.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {
namespace {

// Room for the longest URL any browser keeps (Chrome: 2 Mi units) and one
// unit more: a value that fills it is longer than any store takes, and is
// never read cut, since a cut address would be another address.
constexpr size_t kLongestUrl = size_t{2} << 20;
constexpr size_t kValueUnits = kLongestUrl + 2;
// Stands for a missing key; no INI value can hold a NUL.
const char16_t kMissing[] = u"\x01missing\x01";

// How a listing shows a "\\" byte of a name on disk (POSIX).
constexpr char16_t kListedBackslash = u'\xF05C';

// Room left for a name inside a new folder: "_ (99).url".
constexpr size_t kChildRoom = 12;

// An empty value, or the text older readers took for a missing one, is
// no address.
bool NoAddress(const std::u16string& url) {
  return url == kMissing || url.empty() || EqualsNoCase(url, u"Fail");
}

}  // namespace

std::u16string ShortcutUrlIn(const std::string& bytes) {
  const std::vector<std::u16string> values = platform::ini::ProfileStringsIn(
      &bytes, interchange::kShortcutSection, {interchange::kUrlKey}, kMissing,
      kValueUnits);
  return values.size() == 1 && !NoAddress(values[0]) &&
                 values[0].size() <= kLongestUrl
             ? values[0]
             : std::u16string();
}

bool ReadPlainShortcut(const std::u16string& path, const std::u16string& name,
                       model::Item* item) {
  const std::vector<std::u16string> values = platform::GetProfileStrings(
      interchange::kShortcutSection,
      {interchange::kUrlKey, interchange::kTitleKey}, kMissing, kValueUnits,
      path);
  if (values.size() != 2 || NoAddress(values[0])) {
    DebugLog(u"[backup_set] %s has no URL and is not read\n", path.c_str());
    context::Current().report().AddProblem(DisplayPath(path),
                                           "no URL: not a bookmark", false);
    return false;
  }
  if (values[0].size() > kLongestUrl) {
    DebugLog(u"[backup_set] %s is not read: its URL is longer than any "
             u"browser keeps\n",
             path.c_str());
    context::Current().report().AddProblem(
        path, "URL longer than any browser keeps", true);
    return false;
  }
  item->kind = model::ItemKind::kLink;
  item->url = values[0];
  const std::u16string& title = values[1];
  const std::u16string suffix = interchange::kUrlSuffix;
  if (title != kMissing && !title.empty()) {
    // The Chrome form writes the title followed by ".url".
    const bool has_suffix =
        title.size() >= suffix.size() &&
        EqualsNoCase(title.substr(title.size() - suffix.size()), suffix);
    item->title =
        has_suffix ? title.substr(0, title.size() - suffix.size()) : title;
  } else {
    item->title = TitleOfName(interchange::TitleFromFileName(name));
  }
  item->file_name = name;
  item->source_file = path;
  return true;
}

std::u16string TitleOfName(const std::u16string& name) {
  std::u16string title = name;
  for (char16_t& c : title) {
    if (c == kListedBackslash) c = u'\\';
  }
  return title;
}

model::NameLimit FileNameLimit(const std::u16string& folder) {
  model::NameLimit limit;
  platform::LimitNameToPath(folder, false, &limit.units, &limit.bytes);
  return limit;
}

model::NameLimit FolderNameLimit(const std::u16string& folder) {
  // The platform lowers only the measure it limits; the other comes back
  // as given and ends at the name limit again.
  model::NameLimit limit{model::kMaxNameUnits + kChildRoom,
                         model::kMaxNameBytes + kChildRoom};
  platform::LimitNameToPath(folder, true, &limit.units, &limit.bytes);
  limit.units = limit.units > kChildRoom ? limit.units - kChildRoom : 0;
  limit.bytes = limit.bytes > kChildRoom ? limit.bytes - kChildRoom : 0;
  return limit;
}

bool IsFolderToRead(const platform::DirEntry& entry) {
  return entry.kind == platform::EntryKind::kDirectory && entry.name_valid &&
         !EqualsNoCase(entry.name, interchange::kMarkerName);
}

bool IsShortcutToRead(const platform::DirEntry& entry) {
  // Only a regular file is opened: a FIFO or device named x.url would block
  // or feed endless bytes, and a link may lead anywhere.
  return entry.kind == platform::EntryKind::kRegular && entry.name_valid &&
         interchange::IsShortcutFileName(entry.name);
}

bool ReadableEntryPath(const std::u16string& folder,
                       const platform::DirEntry& entry, std::u16string* path) {
  if (entry.name_valid && platform::ChildPath(folder, entry.name, path)) {
    return true;
  }
  const std::u16string shown = DisplayPath(folder) + u"/" + entry.name;
  DebugLog(u"[backup_set] %s is not read: its name is no name this program "
           u"can read\n",
           shown.c_str());
  context::Current().report().AddProblem(
      shown, "name on disk cannot be read as text", true);
  return false;
}

Status ItemFailed(const model::Tree& tree, model::ItemId id,
                  const std::u16string& path, const std::string& reason,
                  uint32_t code, model::RootReport* root_report,
                  model::Report* report) {
  const model::Item& item = tree.at(id);
  model::Counts lost;
  model::CountItem(item.kind, &lost);
  if (item.kind == model::ItemKind::kFolder) {
    lost += model::CountBelow(tree, id);
  }
  if (root_report != nullptr) root_report->failed += lost;
  if (report != nullptr) {
    report->AddProblem(tree.PathOf(id), reason, true, item.url);
  }
  return Status::Error(code, platform::FromUtf8(reason) + u": " + path);
}

std::string WriteFailedReason(uint32_t code) {
  return "write failed: " + ErrorWords(code);
}

bool ItemOfEntry(const platform::DirEntry& entry, const std::u16string& path,
                 model::Item* item) {
  if (IsFolderToRead(entry)) {
    item->kind = model::ItemKind::kFolder;
    item->title = TitleOfName(entry.name);
    item->file_name = entry.name;
    return true;
  }
  return IsShortcutToRead(entry) && ReadPlainShortcut(path, entry.name, item);
}

Status TooDeep(const std::u16string& where) {
  return Status::Error(kErrorInvalidParameter,
                       u"folders nest deeper than " +
                           NumberText(model::kMaxDepth) + u" levels at " +
                           where);
}

Status FailedTo(uint32_t code, const std::u16string& what) {
  return Status::Error(code, u"could not " + what + u": " +
                                 platform::FromUtf8(ErrorWords(code)));
}

Status WriteShortcut(const model::Item& item, const std::u16string& path,
                     bool replace) {
  std::string bytes;
  if (item.source_file.empty()) {
    bytes = interchange::ShortcutFileBytes(item.title, item.url);
  } else {
    Status read = platform::ReadFile(item.source_file, &bytes);
    if (!read.ok()) return read;
  }
  return replace ? platform::ReplaceFileAtomically(path, bytes)
                 : platform::WriteNewFile(path, bytes);
}

std::u16string WriteNewEntry(const model::Tree& tree, model::ItemId id,
                             DiskFolder* folder, uint32_t too_long_error,
                             model::RootReport* root_report,
                             model::Report* report, Status* status) {
  const model::Item& item = tree.at(id);
  const bool is_link = item.kind == model::ItemKind::kLink;
  const std::u16string name = folder->names.Allocate(
      item.title, is_link ? interchange::kUrlSuffix : u"",
      is_link ? folder->file_limit : folder->folder_limit);
  if (name.empty()) {
    status->Update(ItemFailed(tree, id, folder->dir,
                              "path too long for the file system",
                              too_long_error, root_report, report));
    return name;
  }
  const std::u16string path = JoinPath(folder->dir, name);
  const uint32_t failure = is_link ? WriteShortcut(item, path, false).code()
                                   : platform::CreateDirectoryTree(path).code();
  if (failure != kErrorSuccess) {
    status->Update(ItemFailed(tree, id, path, WriteFailedReason(failure),
                              failure, root_report, report));
    return std::u16string();
  }
  model::CountItem(item.kind, &root_report->added);
  context::Current().progress().Written(item.kind);
  return name;
}

}  // namespace backup_set
}  // namespace marksafe
