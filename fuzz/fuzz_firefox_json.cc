// A Firefox bookmark backup (plain JSON, or .jsonlz4 when the input starts
// with its magic) -> tree, and the tree written as a backup (plain and
// compressed) and read again: the writer promises every item, title, URL,
// tag, keyword, POST data and date back exactly. The input is also read
// as the block of a .jsonlz4 file (size from its first bytes), so that
// the decompressor sees every byte sequence.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "stores/firefox_json/firefox_json_reader.h"
#include "stores/firefox_json/firefox_json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::string framed(firefox_json::kJsonLz4Magic,
                     sizeof(firefox_json::kJsonLz4Magic));
  framed += bytes;
  std::string decoded;
  if (firefox_json::DecodeJsonLz4(framed, &decoded).ok() &&
      decoded.size() > firefox_json::kMaxBackupJsonBytes) {
    __builtin_trap();
  }

  model::Tree tree;
  firefox_json::BackupNotes notes;
  const Status status = firefox_json::ReadFirefoxBackup(bytes, &tree, &notes);
  // A failed read (too deep, damaged) may leave a partial tree, which must
  // still be a sound one.
  fuzz::CheckTree(tree);
  if (!status.ok()) return 0;
  if (notes.skipped < 0) __builtin_trap();

  const std::string json = firefox_json::WriteFirefoxBackup(tree, 1);
  for (const std::string& written :
       {json, firefox_json::EncodeJsonLz4(json)}) {
    model::Tree again;
    firefox_json::BackupNotes again_notes;
    if (!firefox_json::ReadFirefoxBackup(written, &again, &again_notes).ok() ||
        again_notes.skipped != 0) {
      __builtin_trap();
    }
    fuzz::Kept kept;
    kept.empty_roots_may_appear = true;
    fuzz::ExpectSameTrees(tree, again, kept);
  }
  return 0;
}
