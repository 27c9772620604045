#include "backup_set/url_files.h"

#include "common/debug_log.h"
#include "common/interchange.h"
#include "common/text.h"

namespace marksafe {
namespace backup_set {
namespace {

// Read whole: a cut address would be another address.
constexpr size_t kValueUnits = size_t{1} << 20;
// Stands for a missing key; no INI value can hold a NUL.
const char16_t kMissing[] = u"\x01missing\x01";

// Room left for a name inside a new folder: "_ (99).url".
constexpr size_t kChildRoom = 12;

}  // namespace

bool ReadPlainShortcut(const std::u16string& path, const std::u16string& name,
                       model::Item* item) {
  const std::vector<std::u16string> values = platform::GetProfileStrings(
      interchange::kShortcutSection,
      {interchange::kUrlKey, interchange::kTitleKey}, kMissing, kValueUnits,
      path);
  if (values.size() != 2 || values[0] == kMissing) {
    DebugLog(u"[backup_set] %s has no URL and is not read\n", path.c_str());
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
    item->title = interchange::TitleFromFileName(name);
  }
  item->file_name = name;
  return true;
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
  return entry.is_directory && !entry.is_reparse_point &&
         !EqualsNoCase(entry.name, interchange::kMarkerName);
}

bool IsShortcutToRead(const platform::DirEntry& entry) {
  return !entry.is_directory && !entry.is_reparse_point &&
         interchange::IsShortcutFileName(entry.name);
}

Status ItemFailed(const model::Tree& tree, model::ItemId id,
                  const std::u16string& path, const std::string& reason,
                  model::RootReport* root_report, model::Report* report) {
  const model::Item& item = tree.at(id);
  model::Counts lost;
  model::CountItem(item.kind, &lost);
  if (item.kind == model::ItemKind::kFolder) {
    lost += model::CountBelow(tree, id);
  }
  if (root_report != nullptr) root_report->failed += lost;
  if (report != nullptr) {
    report->problems.push_back(
        model::Problem{tree.PathOf(id), item.url, reason, true});
  }
  return Status::Error(platform::GetLastError(),
                       Widen(reason) + u": " + path);
}

std::string WriteFailedReason() {
  return "write failed: " + std::to_string(platform::GetLastError());
}

}  // namespace backup_set
}  // namespace marksafe
