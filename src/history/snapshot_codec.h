// The compression of snapshot files. The build picks one implementation:
// zstd where the library has it, none otherwise (then no snapshot is
// written or read, and every call says so).
#ifndef MARKSAFE_HISTORY_SNAPSHOT_CODEC_H_
#define MARKSAFE_HISTORY_SNAPSHOT_CODEC_H_

#include <cstddef>
#include <string>

namespace marksafe {
namespace history {

// Whether this build can write and read snapshots.
bool SnapshotCodecAvailable();

// Compresses text into *out; false when the codec fails or is missing.
bool CompressSnapshot(const std::string& text, std::string* out);

// Decompresses bytes into *out, refusing (false, *why set) anything that
// is no single compressed frame or that would grow beyond max_size.
bool DecompressSnapshot(const std::string& bytes, size_t max_size,
                        std::string* out, std::string* why);

}  // namespace history
}  // namespace marksafe

#endif  // MARKSAFE_HISTORY_SNAPSHOT_CODEC_H_
