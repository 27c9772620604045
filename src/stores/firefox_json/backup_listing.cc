#include "stores/firefox_json/backup_listing.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "base/text.h"
#include "model/calendar.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"

namespace marksafe {
namespace firefox_json {
namespace {

constexpr int64_t kDaySeconds = history::kSecondsPerDay;

bool IsDigits(const std::u16string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
  }
  return true;
}

// True when text[from, to) is "_" and then digits (the count) or hash
// characters (letters, digits and "=+-_" of Firefox's base64 hash).
bool IsSuffix(const std::u16string& text, size_t from, size_t to,
              bool digits) {
  if (to <= from + 1 || text[from] != u'_') return false;
  for (size_t i = from + 1; i < to; ++i) {
    const char16_t c = text[i];
    const bool digit = c >= u'0' && c <= u'9';
    const bool other = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                       c == u'=' || c == u'+' || c == u'-' || c == u'_';
    if (!digit && (digits || !other)) return false;
  }
  return true;
}

}  // namespace

std::string DateOfTime(int64_t seconds) {
  const history::CivilTime civil =
      history::ToCivil(seconds * history::kMicrosPerSecond);
  char text[64];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d", civil.year, civil.month,
                civil.day);
  return text;
}

bool TimeOfDate(const std::string& date, int64_t* seconds) {
  const std::u16string text = platform::FromUtf8(date);
  if (text.size() != 10 || !IsDigits(text, 0, 4) || text[4] != u'-' ||
      !IsDigits(text, 5, 2) || text[7] != u'-' || !IsDigits(text, 8, 2)) {
    return false;
  }
  const int y = std::stoi(date.substr(0, 4));
  const int m = std::stoi(date.substr(5, 2));
  const int d = std::stoi(date.substr(8, 2));
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  *seconds = history::DaysFromCivil(y, m, d) * kDaySeconds;
  return DateOfTime(*seconds) == date;  // 2026-02-30 is no date
}

bool FirefoxBackupDate(const std::u16string& name, std::string* date) {
  const std::u16string upper = ToUpperCase(name);
  static const std::u16string kPrefix = u"BOOKMARKS-";
  if (upper.compare(0, kPrefix.size(), kPrefix) != 0) return false;
  size_t end = upper.size();
  for (const std::u16string ext : {u".JSONLZ4", u".JSON"}) {
    if (upper.size() > ext.size() &&
        upper.compare(upper.size() - ext.size(), ext.size(), ext) == 0) {
      end = upper.size() - ext.size();
      break;
    }
  }
  if (end == upper.size()) return false;
  const size_t day = kPrefix.size();
  if (end < day + 10) return false;
  const std::string text = platform::ToUtf8(name.substr(day, 10));
  int64_t ignored = 0;
  if (!TimeOfDate(text, &ignored)) return false;
  // Then optionally "_N" (the count of bookmarks), "_HASH", or both.
  size_t at = day + 10;
  if (at < end) {
    const size_t next = name.find(u'_', at + 1);
    const size_t count_end =
        next == std::u16string::npos || next > end ? end : next;
    if (IsSuffix(name, at, count_end, true)) at = count_end;
    if (at < end && !IsSuffix(name, at, end, false)) return false;
  }
  *date = text;
  return true;
}

std::vector<BrowserBackup> ListBrowserBackups(
    const std::u16string& profile_folder) {
  std::vector<BrowserBackup> backups;
  const auto add = [&](const std::u16string& folder,
                       const platform::DirEntry& entry) {
    if (entry.kind != platform::EntryKind::kRegular || !entry.name_valid) {
      return;
    }
    BrowserBackup backup;
    backup.name = entry.name;
    backup.file = JoinPath(folder, entry.name);
    backup.firefox = !EqualsNoCase(entry.name, u"Bookmarks.bak");
    if (backup.firefox && !FirefoxBackupDate(entry.name, &backup.date)) return;
    int64_t micros = 0;
    const bool written = platform::GetLastWriteTime(backup.file, &micros).ok();
    const int64_t seconds = micros / 1000000;
    if (!backup.firefox) {
      if (!written) return;
      backup.date = DateOfTime(seconds);
      backup.time = seconds;
    } else {
      int64_t start = 0;
      (void)TimeOfDate(backup.date, &start);
      const bool near = written && seconds >= start - kDaySeconds &&
                        seconds < start + 2 * kDaySeconds;
      backup.time = near ? seconds : start;
    }
    backups.push_back(std::move(backup));
  };
  std::vector<platform::DirEntry> entries;
  if (platform::ListDirectory(profile_folder, &entries).ok()) {
    for (const platform::DirEntry& entry : entries) {
      if (EqualsNoCase(entry.name, u"Bookmarks.bak")) add(profile_folder, entry);
    }
  }
  const std::u16string folder = JoinPath(profile_folder, u"bookmarkbackups");
  platform::EntryKind kind;
  entries.clear();
  if (platform::GetEntryKind(folder, &kind).ok() &&
      kind == platform::EntryKind::kDirectory &&
      platform::ListDirectory(folder, &entries).ok()) {
    for (const platform::DirEntry& entry : entries) add(folder, entry);
  }
  std::sort(backups.begin(), backups.end(),
            [](const BrowserBackup& a, const BrowserBackup& b) {
              return std::tie(a.date, a.time, a.name) <
                     std::tie(b.date, b.time, b.name);
            });
  return backups;
}

}  // namespace firefox_json
}  // namespace marksafe
