#include "context/journal_files.h"

#include <algorithm>
#include <cstdio>

#include "base/error_codes.h"
#include "base/text.h"
#include "model/calendar.h"
#include "platform/platform.h"
#include "platform/platform_profiles.h"

namespace marksafe {
namespace context {
namespace {

const char16_t kSuffix[] = u".json";
constexpr size_t kSuffixLength = 5;
const char16_t kBesideSuffix[] = u".json.new";
constexpr size_t kIdBaseLength = 16;  // 20261207T214500Z
constexpr int kMaxSequence = 9999;

std::u16string IdAt(model::Time time) {
  const history::CivilTime c = history::ToCivil(time);
  char text[32];
  std::snprintf(text, sizeof(text), "%04d%02d%02dT%02d%02d%02dZ", c.year,
                c.month, c.day, c.hour, c.minute, c.second);
  return platform::FromUtf8(text);
}

bool AllDigits(const std::u16string& text, size_t from, size_t count) {
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
  }
  return true;
}

// Sequence numbers order ids of one second: "X" < "X-2" < "X-10".
bool IdLess(const std::u16string& a, const std::u16string& b) {
  const int base = a.compare(0, kIdBaseLength, b, 0, kIdBaseLength);
  if (base != 0) return base < 0;
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

Status PathOf(const std::u16string& id, std::u16string* folder,
              std::u16string* path) {
  if (!IsJournalId(id)) {
    return Status::Error(kErrorInvalidData,
                         u"no journal id: " + id +
                             u" (ids look like 20261207T214500Z)");
  }
  Status status = JournalFolder(folder);
  if (!status.ok()) return status;
  if (!platform::ChildPath(*folder, id + kSuffix, path)) {
    return Status::Error(kErrorInvalidData, u"no journal id: " + id);
  }
  return Status::Ok();
}

std::u16string IdOf(const std::u16string& base, int sequence) {
  return sequence == 1 ? base : base + u"-" + NumberText(sequence);
}

}  // namespace

bool IsJournalId(const std::u16string& id) {
  if (id.size() < kIdBaseLength || !AllDigits(id, 0, 8) || id[8] != u'T' ||
      !AllDigits(id, 9, 6) || id[15] != u'Z') {
    return false;
  }
  if (id.size() == kIdBaseLength) return true;
  const size_t digits = id.size() - kIdBaseLength - 1;
  return id[kIdBaseLength] == u'-' && digits >= 1 && digits <= 4 &&
         id[kIdBaseLength + 1] != u'0' &&
         AllDigits(id, kIdBaseLength + 1, digits) &&
         !(digits == 1 && id[kIdBaseLength + 1] == u'1');
}

Status JournalFolder(std::u16string* folder) {
  std::u16string state;
  if (!platform::GetShellFolder(platform::ShellFolder::kLocalState, &state)
           .ok() ||
      state.empty()) {
    return Status::Error(kErrorPathNotFound,
                         u"the system names no folder for the user's state");
  }
  *folder = JoinPath(JoinPath(state, u"marksafe"), u"journal");
  return Status::Ok();
}

namespace {

// Removes the oldest journals beyond kKeptJournals, and what runs that
// ended before their journal moved left beside (a day before now: no run
// still writes those).
void RemoveOldJournals(const std::u16string& folder, model::Time now) {
  std::vector<std::u16string> ids;
  if (ListJournalIds(&ids).ok() && ids.size() > kKeptJournals) {
    for (size_t i = 0; i + kKeptJournals < ids.size(); ++i) {
      platform::TryDeleteFile(JoinPath(folder, ids[i] + kSuffix));
    }
  }
  constexpr model::Time kDay = int64_t{86400} * 1000000;
  const std::u16string before = IdAt(now - kDay);
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(folder, &entries).ok()) return;
  for (const platform::DirEntry& entry : entries) {
    const std::u16string& name = entry.name;
    if (entry.kind == platform::EntryKind::kRegular &&
        EndsWith(name, kBesideSuffix) &&
        IsJournalId(name.substr(0, kIdBaseLength)) &&
        name.compare(0, kIdBaseLength, before) < 0) {
      platform::TryDeleteFile(JoinPath(folder, name));
    }
  }
}

// "<base>.<random>.json.new": no two runs write into one file.
Status BesidePath(const std::u16string& folder, const std::u16string& base,
                  std::u16string* beside) {
  unsigned char bytes[8];
  const Status status = platform::RandomBytes(bytes, sizeof(bytes));
  if (!status.ok()) return status;
  const std::string hex = LowerHex(bytes, sizeof bytes);
  *beside = JoinPath(folder, base + u"." +
                                 std::u16string(hex.begin(), hex.end()) +
                                 kBesideSuffix);
  return Status::Ok();
}

// Writes the journal's text to beside piece by piece (its items freed as
// they go) and flushes it; on failure nothing is left there.
Status WriteBeside(Journal* journal, const std::u16string& beside) {
  const size_t items = journal->items.size();
  size_t size = 0;
  bool begun = false, too_large = false;
  Status written = TakeJournalText(journal, [&](const std::string& piece) {
    size += piece.size();
    if (size > kMaxJournalBytes) {
      too_large = true;
      return Status::Error(kErrorNotEnoughMemory, u"");
    }
    const bool first = !begun;
    begun = true;
    return first ? platform::WriteNewFile(beside, piece)
                 : platform::AppendFile(beside, piece);
  });
  if (written.ok()) written = platform::SyncPath(beside);
  if (written.ok()) return written;
  platform::TryDeleteFile(beside);
  if (too_large) {
    // Kept, it could not be read back: say so now, not when the write is
    // to be undone.
    return Status::Error(
        written.code(),
        u"the journal of " + NumberText(static_cast<long long>(items)) +
            u" items is too large to keep; this write cannot be undone");
  }
  return Status::Error(written.code(), u"could not write the journal " + beside);
}

}  // namespace

Status SaveNewJournal(Journal* journal) {
  std::u16string folder;
  Status status = JournalFolder(&folder);
  if (!status.ok()) return status;
  if (!platform::IsDirectory(folder)) {
    const Status made = platform::CreateDirectoryTree(folder);
    if (!made.ok()) {
      return Status::Error(made.code(),
                           u"could not make the journal folder " + folder);
    }
  }
  // Written beside under a name of this run's own (another run of the same
  // second writes beside too), then moved to the first id free.
  const std::u16string base = IdAt(journal->time);
  std::u16string beside;
  status = BesidePath(folder, base, &beside);
  if (!status.ok()) return status;
  status = WriteBeside(journal, beside);
  if (!status.ok()) return status;
  for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
    const std::u16string id = IdOf(base, sequence);
    const std::u16string path = JoinPath(folder, id + kSuffix);
    if (platform::PathExists(path)) continue;
    // Never over another run's journal: one that took this id since
    // leaves the next one.
    const Status moved = platform::MoveFolder(beside, path);
    if (moved.ok()) {
      journal->id = id;
      RemoveOldJournals(folder, journal->time);
      return Status::Ok();
    }
    if (moved.code() != kErrorAlreadyExists) {
      platform::TryDeleteFile(beside);
      return Status::Error(moved.code(), u"could not keep the journal " + path);
    }
  }
  platform::TryDeleteFile(beside);
  return Status::Error(kErrorAlreadyExists,
                       u"no free journal id in " + folder);
}

Status SaveJournal(const Journal& journal) {
  std::u16string folder, path;
  Status status = PathOf(journal.id, &folder, &path);
  if (!status.ok()) return status;
  const Status written =
      platform::ReplaceFileAtomically(path, JournalText(journal));
  if (!written.ok()) {
    return Status::Error(written.code(),
                         u"could not rewrite the journal " + path);
  }
  return Status::Ok();
}

Status ReadJournal(const std::u16string& id, Journal* journal) {
  std::u16string folder, path;
  Status status = PathOf(id, &folder, &path);
  if (!status.ok()) return status;
  platform::EntryKind kind = platform::EntryKind::kOther;
  if (!platform::GetEntryKind(path, &kind).ok()) {
    return Status::Error(kErrorFileNotFound, u"no journal " + id);
  }
  std::string bytes;
  if (kind != platform::EntryKind::kRegular ||
      !platform::ReadProfileFile(folder, path, &bytes, kMaxJournalBytes).ok()) {
    return Status::Error(kErrorInvalidData,
                         u"damaged journal: " + id +
                             u" is no regular file of at most " +
                             NumberText(static_cast<long long>(kMaxJournalBytes >> 20)) + u" MiB");
  }
  status = ParseJournal(bytes, journal);
  if (!status.ok()) {
    return Status::Error(status.code(), status.message() + u" (" + id + u")");
  }
  journal->id = id;
  return Status::Ok();
}

Status ListJournalIds(std::vector<std::u16string>* ids) {
  ids->clear();
  std::u16string folder;
  Status status = JournalFolder(&folder);
  if (!status.ok()) return status;
  if (!platform::IsDirectory(folder)) return Status::Ok();
  std::vector<platform::DirEntry> entries;
  const Status listed = platform::ListDirectory(folder, &entries);
  if (!listed.ok()) {
    return Status::Error(listed.code(),
                         u"could not list the journal folder " + folder);
  }
  for (const platform::DirEntry& entry : entries) {
    const std::u16string& name = entry.name;
    if (!EndsWith(name, kSuffix)) continue;
    const std::u16string id = name.substr(0, name.size() - kSuffixLength);
    if (IsJournalId(id)) ids->push_back(id);
  }
  std::sort(ids->begin(), ids->end(), IdLess);
  return Status::Ok();
}

}  // namespace context
}  // namespace marksafe
