// A snapshot file of a backup set's history, read with ReadSnapshot.
//
// An input whose first byte is even is the snapshot file as it stands (the
// decompressor's refusals); an odd one is the decompressed text, compressed
// here first, so that the manifest parser and the tree built from its
// records see well-formed frames. A snapshot that reads is checked as a
// tree and must read the same a second time.
#include <cstddef>
#include <cstdint>
#include <string>

#include "backup_set/manifest.h"
#include "fuzz_support.h"
#include "history/snapshot.h"
#include "history/snapshot_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) != 0) {
    std::string compressed;
    if (!history::CompressSnapshot(bytes, &compressed)) __builtin_trap();
    bytes.swap(compressed);
  }
  const std::u16string path =
      fuzz::WriteScratchFile(u"Part.snapshot", bytes);
  model::Tree tree;
  backup_set::Manifest manifest;
  if (!history::ReadSnapshot(path, &tree, &manifest).ok()) return 0;
  fuzz::CheckTree(tree);
  model::Tree again;
  if (!history::ReadSnapshot(path, &again, &manifest).ok()) __builtin_trap();
  fuzz::ExpectSameTrees(tree, again, fuzz::Kept());
  return 0;
}
