#include "history_jobs.h"

#include <zstd.h>

#include <fstream>
#include <iterator>

#include "baselines.h"
#include "marksafe/marksafe.h"
#include "runner.h"

namespace bench {
namespace {

const char kManifest[] = "/manifest.json";

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  bytes->assign(std::istreambuf_iterator<char>(in),
                std::istreambuf_iterator<char>());
  return static_cast<bool>(in) || in.eof();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

// The baseline of one snapshot: the tree's JSON (the part's manifest) read,
// written as one file, and compressed into a second one.
bool WriteAndCompress(const std::string& json_file, const std::string& out) {
  std::string text;
  if (!ReadFile(json_file, &text) || !WriteFile(out + ".json", text)) {
    return false;
  }
  std::string packed(ZSTD_compressBound(text.size()), '\0');
  const size_t size =
      ZSTD_compress(packed.data(), packed.size(), text.data(), text.size(), 3);
  if (ZSTD_isError(size)) return false;
  packed.resize(size);
  return WriteFile(out + ".json.zst", packed) && Flushed(out + ".json.zst");
}

bool Snapshot(const std::string& root, const std::string& part) {
  MS_CHAR id[MARKSAFE_SNAPSHOT_ID_UNITS] = {0};
  return marksafe_snapshot_part(Wide(root).c_str(), Wide(part).c_str(), id) ==
         0;
}

// A copy of the part whose manifest has every title changed.
bool RenamedCopy(const std::string& part, const std::string& copy) {
  std::string text;
  if (!RemoveTree(copy) || !MakeDirs(copy) ||
      !ReadFile(part + kManifest, &text)) {
    return false;
  }
  const std::string key = "\"title\":\"";
  std::string changed;
  changed.reserve(text.size() + text.size() / 8);
  size_t from = 0;
  for (size_t at = text.find(key); at != std::string::npos;
       at = text.find(key, from)) {
    changed.append(text, from, at + key.size() - from);
    changed.push_back('~');
    from = at + key.size();
  }
  changed.append(text, from, std::string::npos);
  return WriteFile(copy + kManifest, changed);
}

}  // namespace

void AddHistoryJobs(const std::string& part_folder, const std::string& work,
                    const std::string& base, std::vector<Op>* ops) {
  const std::string snap_root = work + "/snapshot_set";
  const std::string history_root = work + "/history_set";
  // Named as the part, so that both snapshots are of one part.
  const std::string renamed = work + "/renamed/Firefox";
  const std::string manifest = part_folder + kManifest;
  ops->push_back(
      {"snapshot",
       [=] { return RemoveTree(snap_root) && MakeDirs(snap_root); },
       [=] { return Snapshot(snap_root, part_folder); },
       [=] { return RemoveTree(base + "/snap") && MakeDirs(base + "/snap"); },
       [=] { return WriteAndCompress(manifest, base + "/snap/tree"); },
       "",
       {manifest}});
  ops->push_back(
      {"history",
       [=] {
         return RemoveTree(history_root) && MakeDirs(history_root) &&
                Snapshot(history_root, part_folder) &&
                RenamedCopy(part_folder, renamed) &&
                Snapshot(history_root, renamed);
       },
       [=] {
         const std::string text =
             marksafe_history(Wide(history_root).c_str(), nullptr);
         // Both listed, the second with its renames counted.
         return text.find("\"errors\":[]") != std::string::npos &&
                text.find("\"renamed\":0") != std::string::npos &&
                text.rfind("\"renamed\":0") == text.find("\"renamed\":0");
       },
       [=] {
         return RemoveTree(base + "/hist") && MakeDirs(base + "/hist") &&
                RenamedCopy(part_folder, base + "/hist/renamed");
       },
       [=] {
         return WriteAndCompress(manifest, base + "/hist/first") &&
                WriteAndCompress(base + "/hist/renamed" + kManifest,
                                 base + "/hist/second");
       },
       "",
       {manifest}});
}

}  // namespace bench
