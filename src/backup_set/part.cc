#include "backup_set/part.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "backup_set/manifest.h"
#include "backup_set/url_files.h"
#include "common/debug_log.h"
#include "common/error_codes.h"
#include "common/folder_swap.h"
#include "common/interchange.h"
#include "common/store_lock.h"
#include "common/text.h"
#include "jobs/job.h"
#include "model/names.h"
#include "model/progress.h"
#include "platform/platform.h"

namespace marksafe {
namespace backup_set {
namespace {

using model::ItemId;
using model::ItemKind;
using model::Root;

// One root of a part: its key in the position file and the name of its
// folder.
struct RootSlot {
  Root root;
  const char16_t* key;
  const char16_t* folder;
};

const RootSlot kFirefoxSlots[] = {
    {Root::kMenu, interchange::kPosMainKey, interchange::kPosMainValue},
    {Root::kToolbar, interchange::kPosToolbarKey,
     interchange::kPosToolbarValue},
    {Root::kOther, interchange::kPosOthersKey, interchange::kPosOthersValue},
    {Root::kMobile, interchange::kPosMobileKey, interchange::kPosMobileValue},
};
const RootSlot kChromeSlots[] = {
    {Root::kToolbar, interchange::kChromePosBarKey,
     interchange::kChromePosBarValue},
    {Root::kOther, interchange::kChromePosOtherKey,
     interchange::kChromePosOtherValue},
    {Root::kMobile, interchange::kChromePosSyncedKey,
     interchange::kChromePosSyncedValue},
};

std::vector<RootSlot> Slots(PartKind kind) {
  if (kind == PartKind::kFirefox) {
    return std::vector<RootSlot>(std::begin(kFirefoxSlots),
                                 std::end(kFirefoxSlots));
  }
  return std::vector<RootSlot>(std::begin(kChromeSlots),
                               std::end(kChromeSlots));
}

const char16_t* PositionFileName(PartKind kind) {
  return kind == PartKind::kFirefox ? interchange::kPosIni
                                    : interchange::kChromePosIni;
}

const char16_t* PositionSection(PartKind kind) {
  return kind == PartKind::kFirefox ? interchange::kPosSection
                                    : interchange::kChromePosSection;
}

const char* KindName(PartKind kind) {
  return kind == PartKind::kFirefox ? "firefox" : "chrome";
}

// Position values are read as the older readers read them.
constexpr size_t kPositionValueUnits = 260;
// A folder deeper than the tree may hold.

// The mark's own text says what it is to a person who opens it.
constexpr char kCompletionMarkText[] =
    "This part of the backup set was written to its end.\r\n";

// The position file with every key of the part. "pos.ini" is begun as
// UTF-16LE with only its byte-order mark, as it always was; keys already in
// the file are replaced, other contents kept.
// The keys are written into a copy beside the file, which then replaces
// it in one step: a failure leaves the previous file whole.
Status WritePositionFile(const std::u16string& folder, PartKind kind) {
  const std::u16string path = JoinPath(folder, PositionFileName(kind));
  const std::u16string copy = path + u".marksafe-new";
  std::string bytes;
  if (platform::PathExists(path)) {
    if (!platform::ReadFile(path, &bytes)) {
      return Status::Error(platform::GetLastError(),
                           u"could not read the position file " + path);
    }
  } else if (kind == PartKind::kFirefox) {
    bytes.assign("\xFF\xFE", 2);
  }
  bool ok = platform::WriteFile(copy, bytes);
  for (const RootSlot& slot : Slots(kind)) {
    ok = ok && platform::WriteProfileString(PositionSection(kind), slot.key,
                                            slot.folder, copy);
  }
  ok = ok && platform::ReadFile(copy, &bytes) &&
       platform::ReplaceFileAtomically(path, bytes);
  if (!ok) {
    const Status failed = Status::Error(
        platform::GetLastError(), u"could not write the position file " + path +
                                      u": " + LastErrorWords());
    (void)platform::DeleteFile(copy);
    return failed;
  }
  (void)platform::DeleteFile(copy);
  return Status::Ok();
}

// Writes the roots of a tree as folders of .url files and collects the
// manifest's records.
class PartWriter {
 public:
  PartWriter(const model::Tree& tree, PartKind kind,
             const std::u16string& folder, bool fresh, bool same_export,
             model::Report* report, ManifestWriter* manifest)
      : tree_(tree),
        kind_(kind),
        folder_(folder),
        fresh_(fresh),
        same_export_(same_export),
        report_(report),
        manifest_(manifest) {}

  Status Run() {
    Status status;
    for (const RootSlot& slot : Slots(kind_)) {
      model::RootReport unused;
      model::RootReport* root_report =
          report_ != nullptr
              ? report_->AddRoot(model::RootKey(slot.root), slot.folder)
              : &unused;
      if (fresh_ && !status.ok()) {
        // A part built whole is dropped at its first failure: the rest is
        // not attempted.
        root_report->source = CountRoot(slot.root);
        continue;
      }
      status.Update(WriteRoot(slot, root_report));
    }
    return status;
  }

 private:
  struct Frame {
    ItemId id;
    DiskFolder disk;
    std::u16string rel;  // in the manifest
    size_t next = 0;
    // An older export of this part there: its .url files and folders by
    // upper-cased name, each taken over once by the item of its name.
    std::unordered_map<std::u16string, std::u16string> old_files;
    std::unordered_map<std::u16string, std::u16string> old_folders;
  };

  model::Counts CountRoot(Root root) const {
    const ItemId id = tree_.root(root);
    return id == model::kNoItem ? model::Counts() : model::CountBelow(tree_, id);
  }

  Frame MakeFrame(ItemId id, const std::u16string& dir,
                  const std::u16string& rel) {
    return Frame{id, DiskFolder(dir), rel, 0, {}, {}};
  }

  // Written next to what is there: names on disk are taken, and those of
  // an older export of the same part are noted for their items.
  void ListExisting(Frame* frame) {
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(frame->disk.dir, &entries)) return;
    for (const platform::DirEntry& entry : entries) {
      frame->disk.names.Reserve(entry.name);
      if (!same_export_) continue;
      if (IsShortcutToRead(entry)) {
        frame->old_files.emplace(ToUpperCase(entry.name), entry.name);
      } else if (IsFolderToRead(entry)) {
        frame->old_folders.emplace(ToUpperCase(entry.name), entry.name);
      }
    }
  }

  // The item takes over the entry of its own name that an older export
  // of this part left (a file replaced in one step, a folder written
  // into). Empty when there is none; *failed when the file could not be
  // replaced (counted and named).
  std::u16string TakeOver(Frame* frame, ItemId id,
                          model::RootReport* root_report, Status* status,
                          bool* failed) {
    const model::Item& item = tree_.at(id);
    const bool is_link = item.kind == ItemKind::kLink;
    auto& old = is_link ? frame->old_files : frame->old_folders;
    if (old.empty()) return std::u16string();
    const std::u16string probe = model::NameAllocator().Allocate(
        item.title, is_link ? interchange::kUrlSuffix : u"",
        is_link ? frame->disk.file_limit : frame->disk.folder_limit);
    const auto found = old.find(ToUpperCase(probe));
    if (probe.empty() || found == old.end()) return std::u16string();
    const std::u16string name = found->second;
    old.erase(found);
    std::u16string path;
    std::string bytes;
    if (is_link && (!platform::ChildPath(frame->disk.dir, name, &path) ||
                    !ShortcutBytes(item, &bytes) ||
                    !platform::ReplaceFileAtomically(path, bytes))) {
      status->Update(ItemFailed(tree_, id, path, WriteFailedReason(),
                                root_report, report_));
      *failed = true;
      return std::u16string();
    }
    model::CountItem(item.kind, &root_report->added);
    jobs::Current().progress().Written(item.kind);
    return name;
  }

  Status WriteRoot(const RootSlot& slot, model::RootReport* root_report) {
    const std::u16string name = slot.folder;
    const std::u16string dir = JoinPath(folder_, name);
    const ItemId root = tree_.root(slot.root);
    if (root != model::kNoItem) {
      root_report->source = model::CountBelow(tree_, root);
    }
    Frame top = MakeFrame(root, dir, name);
    if (platform::IsDirectory(dir)) {
      if (!fresh_) ListExisting(&top);
    } else if (!platform::CreateDirectoryTree(dir)) {
      const Status failed = Status::Error(
          platform::GetLastError(),
          u"could not create the folder " + dir + u": " + LastErrorWords());
      root_report->failed += root_report->source;
      if (report_ != nullptr) {
        report_->problems.push_back(
            model::Problem{name, u"", WriteFailedReason(), true});
      }
      return failed;
    }
    manifest_->AddRoot(slot.root, name);
    model::Item record;
    record.kind = ItemKind::kFolder;
    record.title = name;
    if (root != model::kNoItem) {
      const model::Item& item = tree_.at(root);
      record.title = item.title;
      record.date_added = item.date_added;
      record.last_modified = item.last_modified;
    }
    manifest_->Add(name, record);
    if (root == model::kNoItem) return Status::Ok();

    Status status;
    std::vector<Frame> stack;
    stack.push_back(std::move(top));
    while (!stack.empty() && (!fresh_ || status.ok())) {
      Frame& frame = stack.back();
      const model::Item& folder = tree_.at(frame.id);
      if (frame.next >= folder.children.size()) {
        stack.pop_back();
        continue;
      }
      const ItemId child = folder.children[frame.next++];
      const model::Item& item = tree_.at(child);
      if (item.kind == ItemKind::kSeparator) {
        manifest_->Add(frame.rel, item);
        ++root_report->added.separators;
        continue;
      }
      bool failed = false;
      std::u16string file_name =
          TakeOver(&frame, child, root_report, &status, &failed);
      const bool taken_over = !file_name.empty();
      if (failed) continue;
      if (!taken_over) {
        file_name =
            WriteNewEntry(tree_, child, &frame.disk, kErrorInvalidParameter,
                          root_report, report_, &status);
      }
      if (file_name.empty()) continue;
      const std::u16string rel = frame.rel + u"/" + file_name;
      manifest_->Add(rel, item);
      if (item.kind == ItemKind::kFolder) {
        Frame sub_frame =
            MakeFrame(child, JoinPath(frame.disk.dir, file_name), rel);
        if (taken_over) ListExisting(&sub_frame);
        stack.push_back(std::move(sub_frame));
      }
    }
    return status;
  }

  const model::Tree& tree_;
  PartKind kind_;
  std::u16string folder_;
  bool fresh_;
  bool same_export_;
  model::Report* report_;
  ManifestWriter* manifest_;
};

// The .url file is the truth for a link's address: a record's URL is
// taken only where it is the file's one, exact where the file cannot be
// (a line break, outer blanks). The record's title, dates, tags and keyword
// stay. False (the file is no link) when the file holds no URL.
bool TakeUrlFromFile(const std::u16string& dir, const std::u16string& name,
                     model::Item* item) {
  model::Item from_file;
  std::u16string path;
  if (!platform::ChildPath(dir, name, &path) ||
      !ReadPlainShortcut(path, name, &from_file)) {
    return false;
  }
  if (item->url.empty() ||
      interchange::ShortcutUrlValue(item->url) != from_file.url) {
    item->url = std::move(from_file.url);
  }
  return true;
}

// Reads the .url tree below dir (relative path rel in the manifest) into
// the folder `into` of tree. With a manifest, each folder's recorded
// children come first, in their order and with their exact values, then
// the files no record names, in listing order.
Status ReadFolderTree(const std::u16string& dir, const std::u16string& rel,
                      const Manifest* manifest, model::Tree* tree,
                      ItemId into) {
  struct Pending {
    std::u16string dir;
    std::u16string rel;
    ItemId id;
  };
  std::vector<Pending> work;
  work.push_back(Pending{dir, rel, into});
  Status status;
  auto too_deep = [](const std::u16string& where) {
    return Status::Error(kErrorInvalidParameter,
                         u"folders nest deeper than " +
                             NumberText(model::kMaxDepth) + u" levels at " +
                             where);
  };
  while (!work.empty()) {
    const Pending folder = std::move(work.back());
    work.pop_back();
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(folder.dir, &entries)) {
      status.Update(Status::Error(platform::GetLastError(),
                                  u"could not list the folder " + folder.dir +
                                      u": " + LastErrorWords()));
      continue;
    }
    std::vector<bool> used(entries.size(), false);
    const auto records = manifest != nullptr
                             ? manifest->children.find(folder.rel)
                             : decltype(manifest->children.end())();
    if (manifest != nullptr && records != manifest->children.end()) {
      std::unordered_map<std::u16string, size_t> by_name;
      for (size_t i = 0; i < entries.size(); ++i) {
        if (IsFolderToRead(entries[i]) || IsShortcutToRead(entries[i])) {
          by_name.emplace(entries[i].name, i);
        }
      }
      for (size_t index : records->second) {
        const Record& record = manifest->records[index];
        model::Item item = record.item;
        std::u16string name;
        if (item.kind != ItemKind::kSeparator) {
          name = LastName(record.path);
          const auto found = by_name.find(name);
          // Deleted by hand, or now of another kind: not read from here.
          if (found == by_name.end() || used[found->second] ||
              IsFolderToRead(entries[found->second]) !=
                  (item.kind == ItemKind::kFolder)) {
            continue;
          }
          used[found->second] = true;
          if (item.kind == ItemKind::kLink &&
              !TakeUrlFromFile(folder.dir, name, &item)) {
            continue;
          }
          item.file_name = name;
        }
        std::u16string path;
        if (item.kind == ItemKind::kFolder &&
            !platform::ChildPath(folder.dir, name, &path)) {
          continue;
        }
        const ItemId id = tree->Add(folder.id, std::move(item));
        if (id == model::kNoItem) return too_deep(folder.dir);
        if (tree->at(id).kind == ItemKind::kFolder) {
          work.push_back(Pending{path, record.path, id});
        }
      }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
      if (used[i]) continue;
      const platform::DirEntry& entry = entries[i];
      std::u16string path;
      if (!ReadableEntryPath(folder.dir, entry, &path)) continue;
      model::Item item;
      if (IsFolderToRead(entry)) {
        item.kind = ItemKind::kFolder;
        item.title = TitleOfName(entry.name);
        item.file_name = entry.name;
      } else if (!IsShortcutToRead(entry) ||
                 !ReadPlainShortcut(path, entry.name, &item)) {
        continue;
      }
      const ItemId id = tree->Add(folder.id, std::move(item));
      if (id == model::kNoItem) return too_deep(folder.dir);
      if (IsFolderToRead(entry)) {
        work.push_back(Pending{path, folder.rel + u"/" + entry.name, id});
      }
    }
  }
  return status;
}

// True when path itself is a real folder (not a link or junction to one).
bool IsRealFolder(const std::u16string& path) {
  platform::EntryKind kind = platform::EntryKind::kOther;
  return platform::GetEntryKind(WithoutTrailingSeparators(path), &kind) &&
         kind == platform::EntryKind::kDirectory;
}

// True when every folder on the way from the part folder to the folder the
// position value names is a real folder: a link anywhere on that way could
// lead out of the set.
bool ReachedWithoutLinks(const std::u16string& folder,
                         const std::u16string& value) {
  std::u16string path = folder;
  size_t begin = 0;
  while (begin <= value.size()) {
    size_t end = value.find_first_of(u"\\/", begin);
    if (end == std::u16string::npos) end = value.size();
    const std::u16string part = value.substr(begin, end - begin);
    begin = end + 1;
    if (part.empty() || part == u".") continue;
    path = JoinPath(path, part);
    if (!IsRealFolder(path)) return false;
  }
  return true;
}

// The relative path of a position value as the manifest writes paths.
std::u16string ManifestPath(const std::u16string& value) {
  std::u16string path = WithoutTrailingSeparators(value);
  for (char16_t& c : path) {
    if (c == u'\\') c = u'/';
  }
  return path;
}

}  // namespace

std::vector<model::Root> PartRoots(PartKind kind) {
  std::vector<model::Root> roots;
  for (const RootSlot& slot : Slots(kind)) roots.push_back(slot.root);
  return roots;
}

std::u16string RootFolderName(PartKind kind, model::Root root) {
  for (const RootSlot& slot : Slots(kind)) {
    if (slot.root == root) return slot.folder;
  }
  return std::u16string();
}

Status WritePart(const model::Tree& tree, PartKind kind,
                 const std::u16string& folder, bool replace_whole,
                 model::Report* report, const PartSource& source) {
  if (folder.empty()) {
    return Status::Error(kErrorInvalidParameter,
                         u"no folder to write the part into");
  }
  // One writer at a time; a swap cut short by an earlier run is repaired
  // before anything is read.
  // The lock file lies beside the part, in a folder that may not be there
  // yet.
  const std::u16string trimmed = WithoutTrailingSeparators(folder);
  const size_t slash = trimmed.find_last_of(u"\\/");
  if (slash != std::u16string::npos && slash > 0 &&
      !platform::IsDirectory(trimmed.substr(0, slash)) &&
      !platform::CreateDirectoryTree(trimmed.substr(0, slash))) {
    return Status::Error(platform::GetLastError(),
                         u"could not create the folder of " + folder);
  }
  StoreLock lock;
  Status locked = lock.Acquire(folder);
  if (!locked.ok()) return locked;
  RecoverInterruptedSwap(folder);
  std::u16string target = folder;
  if (replace_whole) {
    // A leftover of a run that was cut short is no part of anything.
    target = StagingFolderFor(folder);
    if (platform::PathExists(target)) platform::RemoveTree(target);
    if (!platform::CreateDirectoryTree(target)) {
      return Status::Error(
          platform::GetLastError(),
          u"could not create the folder " + target + u": " + LastErrorWords());
    }
  } else if (!platform::IsDirectory(folder) &&
             !platform::CreateDirectoryTree(folder)) {
    return Status::Error(
        platform::GetLastError(),
        u"could not create the folder " + folder + u": " + LastErrorWords());
  }

  const size_t first_root = report != nullptr ? report->roots.size() : 0;
  ManifestWriter manifest(KindName(kind));
  manifest.SetSource(source);
  const std::u16string manifest_path =
      JoinPath(target, interchange::kManifestName);
  if (!replace_whole) {
    Manifest existing;
    std::string why;
    if (ReadManifest(manifest_path, KindName(kind), &existing, &why) ==
        ManifestState::kRead) {
      manifest.KeepExisting(std::move(existing.records));
    }
  }
  // Written into a folder as it stands, the part is incomplete until the
  // end of this run: its mark goes first and comes back last.
  const std::u16string mark = JoinPath(target, interchange::kCompletionMarkName);
  if (!replace_whole && !platform::DeleteFile(mark) &&
      platform::PathExists(mark)) {
    return Status::Error(platform::GetLastError(),
                         u"could not remove the completion mark " + mark +
                             u": " + LastErrorWords());
  }
  // An export into a folder that holds an older export of the same part
  // replaces that export's entries of the same names (and their records)
  // instead of piling new copies beside them.
  const bool same_export =
      !replace_whole &&
      platform::PathExists(JoinPath(target, PositionFileName(kind)));
  if (same_export) manifest.ReplaceRewrittenRecords();
  jobs::Current().progress().AddTotal(model::LinksIn(tree));
  Status status = PartWriter(tree, kind, target, replace_whole, same_export,
                             report, &manifest)
                      .Run();
  status.Update(WritePositionFile(target, kind));
  status.Update(manifest.Write(manifest_path));
  if (status.ok() &&
      !platform::ReplaceFileAtomically(mark, kCompletionMarkText)) {
    status = Status::Error(platform::GetLastError(),
                           u"could not write the completion mark " + mark +
                               u": " + LastErrorWords());
  }
  if (!replace_whole) return status;

  if (status.ok()) status = SwapInFolder(target, folder);
  if (status.ok()) return status;
  // Nothing of this run stays; the previous part is whole.
  {
    LastErrorKeeper keep;
    platform::RemoveTree(target);
  }
  if (report != nullptr) {
    for (size_t i = first_root; i < report->roots.size(); ++i) {
      model::RootReport& root = report->roots[i];
      // Nothing of the tree is in the set now.
      root.failed = root.source;
      root.added = model::Counts();
    }
    report->problems.push_back(
        model::Problem{DisplayPath(folder), u"",
                       "the backup was not written: " +
                           platform::ToUtf8(DisplayPath(status.message())),
                       true});
  }
  return status;
}

namespace {

// A part is whole when its completion mark is there, or when it comes from
// a set written before parts had one (no manifest, or a manifest that does
// not announce a mark). Otherwise the backup that wrote it, or a copy of
// the set, was cut short: refused unless incomplete parts are accepted.
Status CheckComplete(const std::u16string& folder, ManifestState state,
                     const Manifest& manifest) {
  const std::u16string mark = JoinPath(folder, interchange::kCompletionMarkName);
  platform::EntryKind mark_kind = platform::EntryKind::kOther;
  if (platform::GetEntryKind(mark, &mark_kind) &&
      mark_kind == platform::EntryKind::kRegular) {
    return Status::Ok();
  }
  const bool cut_short =
      state == ManifestState::kDamaged ||
      (state == ManifestState::kRead && manifest.completion_mark);
  if (!cut_short) return Status::Ok();
  if (jobs::Current().options().accept_incomplete) {
    DebugLog(u"[backup_set] %s has no completion mark; read as it is\n",
             folder.c_str());
    return Status::Ok();
  }
  jobs::Current().report().problems.push_back(
      model::Problem{DisplayPath(folder), u"",
                     "incomplete backup (no completion mark): not read", true});
  return Status::Error(
      13, u"the backup part " + DisplayPath(folder) +
              u" is incomplete: the backup or copy that wrote it did not "
              u"finish (it has no completion mark)");
}

}  // namespace

Status ReadPart(const std::u16string& part_folder, PartKind kind,
                model::Tree* tree) {
  const std::u16string folder = ReadableFolder(part_folder);
  const std::u16string position_file =
      JoinPath(folder, PositionFileName(kind));
  if (!platform::PathExists(position_file)) {
    return Status::Error(kErrorFileNotFound,
                         u"no position file " + position_file);
  }
  // The set is read only through real folders and files: a part folder or
  // position file that is a link (or a FIFO, a device) may lead anywhere.
  if (!IsRealFolder(folder)) {
    return Status::Error(kErrorAccessDenied,
                         u"the part folder " + folder +
                             u" is a link or no folder: it is not read");
  }
  platform::EntryKind position_kind = platform::EntryKind::kOther;
  if (!platform::GetEntryKind(position_file, &position_kind) ||
      position_kind != platform::EntryKind::kRegular) {
    return Status::Error(kErrorAccessDenied,
                         u"the position file " + position_file +
                             u" is no regular file: it is not read");
  }
  Manifest manifest;
  std::string why;
  const ManifestState state =
      ReadManifest(JoinPath(folder, interchange::kManifestName),
                   KindName(kind), &manifest, &why);
  if (state == ManifestState::kDamaged) {
    DebugLog(
        u"[backup_set] the manifest of %s %s; the part is read from its "
        u"files alone\n",
        folder.c_str(), platform::FromUtf8(why).c_str());
  }
  const Manifest* used_manifest =
      state == ManifestState::kRead ? &manifest : nullptr;
  // The records tell how many items are coming: room for them at once.
  tree->Reserve(tree->size() + manifest.records.size());
  Status complete = CheckComplete(folder, state, manifest);
  if (!complete.ok()) return complete;
  bool any = false;
  Status status;
  for (const std::string& damage : manifest.skipped) {
    DebugLog(u"[backup_set] a record of the manifest of %s is left out: %s\n",
             folder.c_str(), platform::FromUtf8(damage).c_str());
    jobs::Current().report().problems.push_back(model::Problem{
        DisplayPath(JoinPath(folder, interchange::kManifestName)), u"",
        "damaged manifest record left out (its item is read from its file): " +
            damage,
        false});
  }
  std::vector<std::u16string> values;
  for (const RootSlot& slot : Slots(kind)) {
    values.push_back(platform::GetProfileString(PositionSection(kind), slot.key,
                                                u"", kPositionValueUnits,
                                                position_file));
  }
  const bool names_any =
      std::any_of(values.begin(), values.end(),
                  [](const std::u16string& value) { return !value.empty(); });
  size_t slot_index = 0;
  for (const RootSlot& slot : Slots(kind)) {
    std::u16string value = values[slot_index++];
    if (value.empty()) {
      // A key that is missing from a position file that names other roots
      // leaves its root folder unnamed: the folder the part writes for that
      // root, when it is there and no other key names it, is read for it
      // rather than dropped.
      const std::u16string usual = JoinPath(folder, slot.folder);
      if (!names_any ||
          std::find(values.begin(), values.end(), slot.folder) !=
              values.end() ||
          !IsRealFolder(usual)) {
        continue;
      }
      value = slot.folder;
      jobs::Current().report().problems.push_back(model::Problem{
          DisplayPath(usual), u"",
          "the position file does not name this root folder; read as the " +
              std::string(model::RootKey(slot.root)) + " root",
          false});
    }
    std::u16string dir;
    if (!interchange::ResolvePositionValue(folder, value, &dir)) {
      DebugLog(u"[backup_set] position value %s refused: it leaves %s\n",
               value.c_str(), folder.c_str());
      continue;
    }
    if (!platform::PathExists(dir)) {
      DebugLog(u"[backup_set] the root folder %s is missing\n", dir.c_str());
      jobs::Current().report().problems.push_back(model::Problem{
          DisplayPath(dir), u"",
          "root folder missing from the backup: nothing of it is restored",
          true});
      continue;
    }
    if (!ReachedWithoutLinks(folder, value)) {
      DebugLog(u"[backup_set] %s is a link or no folder and is not read\n",
               dir.c_str());
      jobs::Current().report().problems.push_back(model::Problem{
          dir, u"", "root folder is a link or no folder: not read", true});
      continue;
    }
    any = true;
    const ItemId root = tree->AddRoot(slot.root, value);
    const std::u16string rel = ManifestPath(value);
    if (used_manifest != nullptr) {
      const auto top = used_manifest->top_folders.find(rel);
      if (top != used_manifest->top_folders.end()) {
        const model::Item& record = used_manifest->records[top->second].item;
        tree->at(root).date_added = record.date_added;
        tree->at(root).last_modified = record.last_modified;
      }
    }
    status.Update(ReadFolderTree(dir, rel, used_manifest, tree, root));
  }
  if (!any) {
    return Status::Error(
        kErrorPathNotFound,
        u"the position file names no root folder in " + folder);
  }
  return status;
}

}  // namespace backup_set
}  // namespace marksafe
