// Random bytes and MD5 through the system's cryptography API (CNG).
#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "platform/win32/win32_api.h"
// <bcrypt.h> needs <windows.h> first.
#include <bcrypt.h>

namespace marksafe {
namespace platform {
namespace {

// The largest piece one CNG call takes (its lengths are ULONG).
constexpr size_t kMaxChunk = 1u << 30;

// CNG reports NTSTATUS values, not Windows error codes; callers only need
// to know that the service failed.
void SetErrorFromStatus(NTSTATUS status) {
  ::SetLastError(status == static_cast<NTSTATUS>(0xC0000017L)  // no memory
                     ? ERROR_NOT_ENOUGH_MEMORY
                     : ERROR_GEN_FAILURE);
}

class Md5Provider {
 public:
  Md5Provider() {
    status_ = ::BCryptOpenAlgorithmProvider(&handle_, BCRYPT_MD5_ALGORITHM,
                                            nullptr, 0);
  }
  ~Md5Provider() {
    if (BCRYPT_SUCCESS(status_)) {
      win32::KeepLastError keep;
      ::BCryptCloseAlgorithmProvider(handle_, 0);
    }
  }
  Md5Provider(const Md5Provider&) = delete;
  Md5Provider& operator=(const Md5Provider&) = delete;
  NTSTATUS status() const { return status_; }
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
  NTSTATUS status_;
};

class HashObject {
 public:
  explicit HashObject(BCRYPT_ALG_HANDLE algorithm) {
    status_ =
        ::BCryptCreateHash(algorithm, &handle_, nullptr, 0, nullptr, 0, 0);
  }
  ~HashObject() {
    if (BCRYPT_SUCCESS(status_) && handle_ != nullptr) {
      win32::KeepLastError keep;
      ::BCryptDestroyHash(handle_);
    }
  }
  HashObject(const HashObject&) = delete;
  HashObject& operator=(const HashObject&) = delete;
  NTSTATUS status() const { return status_; }
  BCRYPT_HASH_HANDLE get() const { return handle_; }

 private:
  BCRYPT_HASH_HANDLE handle_ = nullptr;
  NTSTATUS status_;
};

}  // namespace

Status SystemEnv::RandomBytes(void* out, size_t size) {
  unsigned char* bytes = static_cast<unsigned char*>(out);
  size_t done = 0;
  while (done < size) {
    ULONG chunk = static_cast<ULONG>(std::min(size - done, kMaxChunk));
    NTSTATUS status = ::BCryptGenRandom(nullptr, bytes + done, chunk,
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!BCRYPT_SUCCESS(status)) {
      SetErrorFromStatus(status);
      return FailedWithLastError(u"draw random bytes");
    }
    done += chunk;
  }
  return Status::Ok();
}

bool Md5Digest(const std::string& data, unsigned char digest[16]) {
  Md5Provider provider;
  if (!BCRYPT_SUCCESS(provider.status())) {
    SetErrorFromStatus(provider.status());
    return false;
  }
  HashObject hash(provider.get());
  if (!BCRYPT_SUCCESS(hash.status())) {
    SetErrorFromStatus(hash.status());
    return false;
  }
  size_t done = 0;
  while (done < data.size()) {
    ULONG chunk = static_cast<ULONG>(std::min(data.size() - done, kMaxChunk));
    // BCryptHashData takes a non-const pointer but only reads from it.
    PUCHAR input =
        reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + done));
    NTSTATUS status = ::BCryptHashData(hash.get(), input, chunk, 0);
    if (!BCRYPT_SUCCESS(status)) {
      SetErrorFromStatus(status);
      return false;
    }
    done += chunk;
  }
  NTSTATUS status = ::BCryptFinishHash(hash.get(), digest, 16, 0);
  if (!BCRYPT_SUCCESS(status)) {
    SetErrorFromStatus(status);
    return false;
  }
  return true;
}

}  // namespace platform
}  // namespace marksafe
