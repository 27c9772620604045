#include "history/snapshot_codec.h"

namespace marksafe {
namespace history {

bool SnapshotCodecAvailable() { return false; }

bool CompressSnapshot(const std::string&, std::string*) { return false; }

bool DecompressSnapshot(const std::string&, size_t, std::string*,
                        std::string* why) {
  *why = "cannot be read: this build has no zstd";
  return false;
}

}  // namespace history
}  // namespace marksafe
