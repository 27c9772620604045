#include "stores/places/places_copy.h"

#include <cstdio>

#include "base/error_codes.h"
#include "base/text.h"
#include "platform/platform.h"

namespace marksafe {
namespace firefox {
namespace {

// The files SQLite keeps beside a store.
constexpr const char16_t* kCompanions[] = {u"-wal", u"-journal"};
// Attempts at a folder name that is not taken yet.
constexpr int kFolderAttempts = 20;

// A name for a new folder: "marksafe-places-" and 16 random hex digits.
std::u16string RandomFolderName() {
  unsigned char bytes[8] = {};
  if (!platform::RandomBytes(bytes, sizeof(bytes)).ok()) return u"";
  char hex[sizeof(bytes) * 2 + 1] = {};
  for (size_t i = 0; i < sizeof(bytes); ++i) {
    std::snprintf(hex + 2 * i, 3, "%02x", bytes[i]);
  }
  return u"marksafe-places-" + platform::FromUtf8(hex);
}

}  // namespace

bool HasPendingWrites(const std::u16string& store) {
  for (const char16_t* suffix : kCompanions) {
    uint64_t size = 0;
    if (platform::GetFileSize(store + suffix, &size).ok() && size > 0)
      return true;
  }
  return false;
}

StoreCopy::~StoreCopy() { Remove(); }

void StoreCopy::Remove() {
  if (!folder_.empty()) platform::TryRemoveTree(folder_);
  folder_.clear();
  store_.clear();
}

Status StoreCopy::Make(const std::u16string& store) {
  Remove();
  const std::u16string temp = platform::TempFolder();
  if (temp.empty()) {
    return Status::Error(kErrorPathNotFound,
                         u"no temporary folder to copy " + store + u" into");
  }
  for (int attempt = 0; attempt < kFolderAttempts && folder_.empty();
       ++attempt) {
    const std::u16string name = RandomFolderName();
    if (name.empty()) break;
    const std::u16string folder = temp + u"\\" + name;
    if (platform::PathExists(folder)) continue;
    if (platform::CreateDirectoryTree(folder).ok()) folder_ = folder;
  }
  if (folder_.empty()) {
    return Status::Error(platform::GetLastError(),
                         u"cannot make a folder in " + temp +
                             u" for a copy of " + store);
  }
  const std::u16string copy = folder_ + u"\\" + LastComponent(store);
  bool copied = platform::CopyFile(store, copy, true).ok();
  for (const char16_t* suffix : kCompanions) {
    if (copied && platform::PathExists(store + suffix)) {
      copied = platform::CopyFile(store + suffix, copy + suffix, true).ok();
    }
  }
  if (!copied) {
    const uint32_t error = platform::GetLastError();
    Remove();
    return Status::Error(error, u"cannot copy " + store + u" into " + temp);
  }
  store_ = copy;
  return Status::Ok();
}

}  // namespace firefox
}  // namespace marksafe
