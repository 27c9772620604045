#include "support/memory_env.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/error_codes.h"
#include "platform/ini_profile.h"

namespace marksafe {
namespace platform {
namespace {

bool IsRoot(const std::u16string& key) { return key.empty() || key == u"/"; }

bool IsBelow(const std::u16string& key, const std::u16string& folder) {
  if (IsRoot(folder)) return true;
  return key.size() > folder.size() &&
         key.compare(0, folder.size(), folder) == 0 &&
         key[folder.size()] == u'/';
}

bool NtfsLess(const DirEntry& a, const DirEntry& b) {
  const size_t n = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = UpperCase(a.name[i]);
    const char16_t y = UpperCase(b.name[i]);
    if (x != y) return x < y;
  }
  return a.name.size() < b.name.size();
}

}  // namespace

class MemoryEnv::Lock : public FileLock {
 public:
  Lock(MemoryEnv* env, std::u16string key) : env_(env), key_(std::move(key)) {}
  ~Lock() override {
    std::lock_guard<std::mutex> hold(env_->mutex_);
    env_->locked_.erase(key_);
  }

 private:
  MemoryEnv* env_;
  std::u16string key_;
};

std::u16string MemoryEnv::Key(const std::u16string& path) {
  std::u16string key;
  for (char16_t c : path) {
    if (c == u'\\') c = u'/';
    if (c == u'/' && !key.empty() && key.back() == u'/') continue;
    key.push_back(c);
  }
  while (key.size() > 1 && key.back() == u'/') key.pop_back();
  return key;
}

std::u16string MemoryEnv::ParentKey(const std::u16string& key) {
  const size_t slash = key.rfind(u'/');
  if (slash == std::u16string::npos) return std::u16string();
  return slash == 0 ? u"/" : key.substr(0, slash);
}

MemoryEnv::Node* MemoryEnv::Find(const std::u16string& key) {
  static Node root{true, std::string()};
  if (IsRoot(key)) return &root;
  auto it = nodes_.find(key);
  return it == nodes_.end() ? nullptr : &it->second;
}

Status MemoryEnv::Missing(const std::u16string& key, const char16_t* what) {
  const Node* parent = Find(ParentKey(key));
  return Failed(parent != nullptr && parent->folder ? kErrorFileNotFound
                                                    : kErrorPathNotFound,
                what, key);
}

Status MemoryEnv::ListDirectory(const std::u16string& folder,
                                std::vector<DirEntry>* out) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(folder);
  const Node* node = Find(key);
  if (node == nullptr || !node->folder) {
    return Failed(kErrorPathNotFound, u"list", folder);
  }
  out->clear();
  const std::u16string prefix = IsRoot(key) ? u"/" : key + u"/";
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
       ++it) {
    const std::u16string name = it->first.substr(prefix.size());
    if (name.empty() || name.find(u'/') != std::u16string::npos) continue;
    DirEntry entry;
    entry.name = name;
    entry.is_directory = it->second.folder;
    entry.is_hidden = name[0] == u'.';
    entry.kind =
        it->second.folder ? EntryKind::kDirectory : EntryKind::kRegular;
    out->push_back(std::move(entry));
  }
  std::sort(out->begin(), out->end(), NtfsLess);
  return Status::Ok();
}

bool MemoryEnv::PathExists(const std::u16string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  if (Find(key) != nullptr) return true;
  (void)Missing(key, u"find");
  return false;
}

bool MemoryEnv::IsDirectory(const std::u16string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  const Node* node = Find(Key(path));
  return node != nullptr && node->folder;
}

Status MemoryEnv::GetEntryKind(const std::u16string& path, EntryKind* kind) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  const Node* node = Find(key);
  if (node == nullptr) return Missing(key, u"find");
  *kind = node->folder ? EntryKind::kDirectory : EntryKind::kRegular;
  return Status::Ok();
}

Status MemoryEnv::CreateDirectoryTree(const std::u16string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  if (Find(key) != nullptr) {
    return Failed(kErrorAlreadyExists, u"create the folder", path);
  }
  std::vector<std::u16string> missing;
  for (std::u16string at = key; Find(at) == nullptr; at = ParentKey(at)) {
    missing.push_back(at);
  }
  const Node* top = Find(ParentKey(missing.back()));
  if (top == nullptr || !top->folder) {
    return Failed(kErrorPathNotFound, u"create the folder", path);
  }
  for (const std::u16string& at : missing) nodes_[at].folder = true;
  return Status::Ok();
}

Status MemoryEnv::PutFile(const std::u16string& path, const std::string& bytes,
                          bool fail_if_exists) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  const Node* parent = Find(ParentKey(key));
  if (parent == nullptr || !parent->folder) {
    return Failed(kErrorPathNotFound, u"write", path);
  }
  Node* node = Find(key);
  if (node != nullptr && (fail_if_exists || node->folder)) {
    return Failed(node->folder ? kErrorAccessDenied : kErrorFileExists,
                  u"write", path);
  }
  nodes_[key].bytes = bytes;
  return Status::Ok();
}

Status MemoryEnv::WriteFile(const std::u16string& path,
                            const std::string& bytes) {
  return PutFile(path, bytes, false);
}

Status MemoryEnv::ReplaceFileAtomically(const std::u16string& path,
                                        const std::string& bytes) {
  return PutFile(path, bytes, false);
}

Status MemoryEnv::WriteNewFile(const std::u16string& path,
                               const std::string& bytes) {
  return PutFile(path, bytes, true);
}

Status MemoryEnv::AppendFile(const std::u16string& path,
                             const std::string& bytes) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  Node* node = Find(key);
  if (node == nullptr) return Missing(key, u"write");
  if (node->folder) return Failed(kErrorAccessDenied, u"write", path);
  node->bytes += bytes;
  return Status::Ok();
}

Status MemoryEnv::ReadFile(const std::u16string& path, std::string* bytes) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  const Node* node = Find(key);
  if (node == nullptr) return Missing(key, u"read");
  if (node->folder) return Failed(kErrorAccessDenied, u"read", path);
  *bytes = node->bytes;
  return Status::Ok();
}

Status MemoryEnv::GetFileSize(const std::u16string& path, uint64_t* size) {
  std::string bytes;
  Status status = ReadFile(path, &bytes);
  if (status.ok()) *size = bytes.size();
  return status;
}

Status MemoryEnv::CopyFile(const std::u16string& from, const std::u16string& to,
                           bool fail_if_exists, std::string* copied) {
  std::string bytes;
  Status status = ReadFile(from, &bytes);
  if (status.ok()) status = PutFile(to, bytes, fail_if_exists);
  if (status.ok() && copied != nullptr) *copied = std::move(bytes);
  return status;
}

Status MemoryEnv::DeleteFile(const std::u16string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  const Node* node = Find(key);
  if (node == nullptr) return Missing(key, u"delete");
  if (node->folder) return Failed(kErrorAccessDenied, u"delete", path);
  nodes_.erase(key);
  return Status::Ok();
}

Status MemoryEnv::SetHidden(const std::u16string& path) {
  return PathExists(path) ? Status::Ok() : FailedWithLastError(u"hide", path);
}

void MemoryEnv::MoveKeys(const std::u16string& from, const std::u16string& to) {
  std::vector<std::pair<std::u16string, Node>> moved;
  for (auto it = nodes_.lower_bound(from);
       it != nodes_.end() && it->first.compare(0, from.size(), from) == 0;) {
    if (it->first == from || IsBelow(it->first, from)) {
      moved.emplace_back(to + it->first.substr(from.size()),
                         std::move(it->second));
      it = nodes_.erase(it);
    } else {
      ++it;  // a sibling whose name only starts the same
    }
  }
  for (auto& [key, node] : moved) nodes_[key] = std::move(node);
}

Status MemoryEnv::MoveFolder(const std::u16string& from,
                             const std::u16string& to) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string source = Key(from);
  const std::u16string target = Key(to);
  if (Find(source) == nullptr || IsRoot(source))
    return Missing(source, u"move");
  if (Find(target) != nullptr) {
    return Failed(kErrorAlreadyExists, u"move", from);
  }
  const Node* parent = Find(ParentKey(target));
  if (parent == nullptr || !parent->folder || IsBelow(target, source)) {
    return Failed(kErrorPathNotFound, u"move", from);
  }
  MoveKeys(source, target);
  return Status::Ok();
}

Status MemoryEnv::RemoveTree(const std::u16string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(path);
  if (IsRoot(key) || Find(key) == nullptr) {
    return Failed(kErrorPathNotFound, u"remove", path);
  }
  for (auto it = nodes_.lower_bound(key);
       it != nodes_.end() && it->first.compare(0, key.size(), key) == 0;) {
    it = it->first == key || IsBelow(it->first, key) ? nodes_.erase(it)
                                                     : std::next(it);
  }
  return Status::Ok();
}

Status MemoryEnv::ExchangeFolders(const std::u16string& a,
                                  const std::u16string& b) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string first = Key(a);
  const std::u16string second = Key(b);
  if (Find(first) == nullptr || Find(second) == nullptr || IsRoot(first) ||
      IsRoot(second) || IsBelow(first, second) || IsBelow(second, first)) {
    return Failed(kErrorPathNotFound, u"swap", a);
  }
  const std::u16string aside = u"/\x01swap";
  MoveKeys(first, aside);
  MoveKeys(second, first);
  MoveKeys(aside, second);
  return Status::Ok();
}

Status MemoryEnv::SyncPath(const std::u16string& path) {
  return PathExists(path) ? Status::Ok() : FailedWithLastError(u"flush", path);
}

Status MemoryEnv::SyncTree(const std::u16string& folder) {
  return SyncPath(folder);
}

Status MemoryEnv::LockFile(const std::u16string& lock_path, uint32_t,
                           std::unique_ptr<FileLock>* lock) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::u16string key = Key(lock_path);
  if (!locked_.insert(key).second) {
    return Failed(kErrorLockViolation, u"lock", lock_path);
  }
  lock->reset(new Lock(this, key));
  return Status::Ok();
}

std::vector<std::u16string> MemoryEnv::GetProfileStrings(
    const std::u16string& section, const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size,
    const std::u16string& file) {
  std::string bytes;
  const bool found = ReadFile(file, &bytes).ok();
  return ini::ProfileStringsIn(found ? &bytes : nullptr, section, keys,
                               default_value, size);
}

Status MemoryEnv::WriteProfileString(const std::u16string& section,
                                     const std::u16string& key,
                                     const std::u16string& value,
                                     const std::u16string& file) {
  std::string bytes;
  if (!ReadFile(file, &bytes).ok()) bytes.clear();
  if (!ini::SetProfileStringIn(&bytes, section, key, value)) {
    return FailedWithLastError(u"write", file);
  }
  return PutFile(file, bytes, false);
}

std::u16string MemoryEnv::CanonicalPath(const std::u16string& path) {
  return Key(path);
}

// No shell folder is known here.
Status MemoryEnv::GetShellFolder(ShellFolder, std::u16string* out) {
  out->clear();
  return Failed(kErrorPathNotFound, u"find a shell folder");
}

}  // namespace platform
}  // namespace marksafe
