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
Status RandomFolderName(std::u16string* name) {
  unsigned char bytes[8] = {};
  Status status = platform::RandomBytes(bytes, sizeof(bytes));
  if (!status.ok()) return status;
  char hex[sizeof(bytes) * 2 + 1] = {};
  for (size_t i = 0; i < sizeof(bytes); ++i) {
    std::snprintf(hex + 2 * i, 3, "%02x", bytes[i]);
  }
  *name = u"marksafe-places-" + platform::FromUtf8(hex);
  return status;
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
  // The code of the last failed attempt; names that were all taken fail as
  // an existing folder.
  uint32_t failure = kErrorAlreadyExists;
  for (int attempt = 0; attempt < kFolderAttempts && folder_.empty();
       ++attempt) {
    std::u16string name;
    const Status named = RandomFolderName(&name);
    if (!named.ok()) {
      failure = named.code();
      break;
    }
    const std::u16string folder = temp + u"\\" + name;
    if (platform::PathExists(folder)) continue;
    const Status made = platform::CreateDirectoryTree(folder);
    if (made.ok()) folder_ = folder;
    failure = made.code();
  }
  if (folder_.empty()) {
    return Status::Error(failure, u"cannot make a folder in " + temp +
                                      u" for a copy of " + store);
  }
  const std::u16string copy = folder_ + u"\\" + LastComponent(store);
  Status copied = platform::CopyFile(store, copy, true);
  for (const char16_t* suffix : kCompanions) {
    if (copied.ok() && platform::PathExists(store + suffix)) {
      copied = platform::CopyFile(store + suffix, copy + suffix, true);
    }
  }
  if (!copied.ok()) {
    Remove();
    return Status::Error(copied.code(),
                         u"cannot copy " + store + u" into " + temp);
  }
  store_ = copy;
  return Status::Ok();
}

}  // namespace firefox
}  // namespace marksafe
