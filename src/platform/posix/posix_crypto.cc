// Random bytes from the kernel's generator and MD5 from OpenSSL's libcrypto.
#include <openssl/evp.h>
#include <sys/random.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/system_env.h"

namespace marksafe {
namespace platform {

Status SystemEnv::RandomBytes(void* out, size_t size) {
  unsigned char* bytes = static_cast<unsigned char*>(out);
  size_t done = 0;
  while (done < size) {
    // getrandom() hands out at most 32 MiB per call and may return fewer
    // bytes when a signal arrives; it never blocks once the pool is ready.
    ssize_t got = getrandom(bytes + done, size - done, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Failed(posix::WindowsErrorFor(errno), u"draw random bytes");
    }
    done += static_cast<size_t>(got);
  }
  return Status::Ok();
}

bool Md5Digest(const std::string& data, unsigned char digest[16]) {
  unsigned int length = 0;
  // EVP_Digest is the one-shot form; the MD5() shortcut is deprecated in
  // OpenSSL 3.
  if (EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(),
                 nullptr) != 1 ||
      length != 16) {
    SetLastError(kErrorGenFailure);
    return false;
  }
  return true;
}

}  // namespace platform
}  // namespace marksafe
