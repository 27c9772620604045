#include <zstd.h>

#include "history/snapshot.h"
#include "history/snapshot_codec.h"

namespace marksafe {
namespace history {

static_assert(ZSTD_COMPRESSBOUND(kMaxSnapshotTextSize) <= kMaxSnapshotFileSize,
              "a snapshot of the largest text must not be too large to read");

bool SnapshotCodecAvailable() { return true; }

bool CompressSnapshot(const std::string& text, std::string* out) {
  out->resize(ZSTD_compressBound(text.size()));
  const size_t written =
      ZSTD_compress(out->data(), out->size(), text.data(), text.size(), 3);
  if (ZSTD_isError(written)) return false;
  out->resize(written);
  return true;
}

bool DecompressSnapshot(const std::string& bytes, size_t max_size,
                        std::string* out, std::string* why) {
  out->clear();
  const unsigned long long declared =
      ZSTD_getFrameContentSize(bytes.data(), bytes.size());
  if (declared == ZSTD_CONTENTSIZE_ERROR) {
    *why = "is not zstd data";
    return false;
  }
  // The size a frame declares is only a claim: it sets the first
  // allocation when it is within the cap, and the stream is read in steps
  // either way.
  if (declared != ZSTD_CONTENTSIZE_UNKNOWN) {
    if (declared > max_size) {
      *why = "would decompress beyond the size limit";
      return false;
    }
    out->reserve(static_cast<size_t>(declared));
  }
  ZSTD_DStream* stream = ZSTD_createDStream();
  if (stream == nullptr) {
    *why = "cannot be decompressed (out of memory)";
    return false;
  }
  ZSTD_DCtx_setParameter(stream, ZSTD_d_windowLogMax, 27);
  ZSTD_inBuffer in{bytes.data(), bytes.size(), 0};
  std::string chunk(ZSTD_DStreamOutSize(), '\0');
  size_t left = 1;
  bool ok = true;
  while (ok) {
    ZSTD_outBuffer buffer{chunk.data(), chunk.size(), 0};
    left = ZSTD_decompressStream(stream, &buffer, &in);
    if (ZSTD_isError(left)) {
      *why = std::string("is damaged (") + ZSTD_getErrorName(left) + ")";
      ok = false;
    } else if (out->size() + buffer.pos > max_size) {
      *why = "would decompress beyond the size limit";
      ok = false;
    } else {
      out->append(chunk.data(), buffer.pos);
      if (left == 0) {
        // One frame only: bytes after its end are damage.
        if (in.pos < in.size) {
          *why = "has bytes after its end";
          ok = false;
        }
        break;
      }
      // All input taken and the output not full: the frame wants more.
      if (in.pos == in.size && buffer.pos < buffer.size) break;
    }
  }
  ZSTD_freeDStream(stream);
  if (ok && left != 0) {
    *why = "is cut short";
    ok = false;
  }
  return ok;
}

}  // namespace history
}  // namespace marksafe
