#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"

namespace marksafe {
namespace fuzz {
namespace {

std::u16string* scratch = nullptr;

void RemoveScratch() {
  if (scratch != nullptr) {
    (void)platform::RemoveTree(*scratch).ok();
    delete scratch;
    scratch = nullptr;
  }
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz harness: %s\n", what);
  std::abort();
}

}  // namespace

const std::u16string& ScratchFolder() {
  if (scratch == nullptr) {
    const char* base = std::getenv("TMPDIR");
    std::string root = (base != nullptr && *base != '\0') ? base : "/tmp";
    if (base == nullptr && platform::IsDirectory(u"/dev/shm")) root = "/dev/shm";
    std::string pattern = root + "/marksafe-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) Fail("cannot make a scratch folder");
    scratch = new std::u16string(platform::FromUtf8(buffer.data()) + u"/");
    std::atexit(RemoveScratch);
  }
  return *scratch;
}

std::u16string WriteScratchFile(const std::u16string& name,
                                const std::string& bytes) {
  const std::u16string path = ScratchFolder() + name;
  if (!platform::WriteFile(path, bytes).ok())
    Fail("cannot write a scratch file");
  return path;
}

std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> pieces;
  const std::string mark = "\n----\n";
  size_t begin = 0;
  while (pieces.size() < 2) {
    const size_t at = text.find(mark, begin);
    if (at == std::string::npos) break;
    pieces.push_back(text.substr(begin, at - begin));
    begin = at + mark.size();
  }
  pieces.push_back(text.substr(begin));
  pieces.resize(3);
  return pieces;
}

void ClearScratch() {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(ScratchFolder(), &entries).ok()) return;
  for (const platform::DirEntry& entry : entries) {
    (void)platform::RemoveTree(ScratchFolder() + entry.name).ok();
  }
}

void CheckTree(const model::Tree& tree) {
  size_t seen = 0;
  for (model::Root root : model::kAllRoots) {
    const model::ItemId top = tree.root(root);
    if (top == model::kNoItem) continue;
    if (top < 0 || static_cast<size_t>(top) >= tree.size()) Fail("bad root id");
    if (tree.at(top).kind != model::ItemKind::kFolder) Fail("root is no folder");
    ++seen;
    tree.ForEachBelow(top, [&](model::ItemId id) {
      if (id < 0 || static_cast<size_t>(id) >= tree.size()) Fail("bad item id");
      const model::Item& item = tree.at(id);
      const model::Item& parent = tree.at(item.parent);
      if (parent.kind != model::ItemKind::kFolder) Fail("parent is no folder");
      if (item.depth != parent.depth + 1) Fail("depth does not match parent");
      if (item.depth > model::kMaxDepth) Fail("deeper than kMaxDepth");
      if (tree.RootOf(id) != root) Fail("item outside its root");
      if (item.kind != model::ItemKind::kFolder && !item.children.empty()) {
        Fail("non-folder with children");
      }
      // Read the strings through so that a dangling or broken one shows.
      size_t sum = item.title.size() + item.url.size() + item.keyword.size();
      for (const std::u16string& tag : item.tags) sum += tag.size();
      std::string utf8 = platform::ToUtf8(item.title + item.url);
      if (utf8.size() > 3 * sum + 3) Fail("UTF-8 longer than possible");
      ++seen;
    });
  }
  if (seen > tree.size()) Fail("tree visits more items than it holds");
}

namespace {

std::vector<model::ItemId> Flatten(const model::Tree& tree, model::Root root) {
  std::vector<model::ItemId> ids;
  if (tree.root(root) == model::kNoItem) return ids;
  ids.push_back(tree.root(root));
  tree.ForEachBelow(tree.root(root),
                    [&](model::ItemId id) { ids.push_back(id); });
  return ids;
}

// Text as it survives a UTF-8 edge (a manifest, a JSON file): a lone
// surrogate, which only a damaged UTF-16 file holds, becomes U+FFFD there.
std::u16string Valid(const std::u16string& text) {
  return platform::FromUtf8(platform::ToUtf8(text));
}

bool SameText(const std::u16string& a, const std::u16string& b) {
  return a == b || Valid(a) == Valid(b);
}

bool SameTags(const std::vector<std::u16string>& a,
              const std::vector<std::u16string>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!SameText(a[i], b[i])) return false;
  }
  return true;
}

[[noreturn]] void Differ(const model::Tree& a, model::ItemId id,
                         const char* what) {
  std::fprintf(stderr, "round trip changed the %s of %s\n", what,
               id == model::kNoItem
                   ? "the tree"
                   : platform::ToUtf8(a.PathOf(id)).c_str());
  std::abort();
}

}  // namespace

void ExpectSameTrees(const model::Tree& a, const model::Tree& b,
                     const Kept& kept) {
  for (model::Root root : model::kAllRoots) {
    const std::vector<model::ItemId> left = Flatten(a, root);
    const std::vector<model::ItemId> right = Flatten(b, root);
    if (kept.empty_roots_may_appear && left.empty() && right.size() == 1) {
      continue;
    }
    if (left.size() != right.size()) {
      std::fprintf(stderr, "root %s: %zu items became %zu\n",
                   model::RootKey(root), left.size(), right.size());
      Differ(a, left.empty() ? model::kNoItem : left[0], "item count");
    }
    for (size_t i = 0; i < left.size(); ++i) {
      const model::Item& x = a.at(left[i]);
      const model::Item& y = b.at(right[i]);
      const bool is_root = i == 0;
      if (x.kind != y.kind) Differ(a, left[i], "kind");
      if (x.children.size() != y.children.size()) {
        Differ(a, left[i], "child count");
      }
      if (kept.titles && !is_root && x.kind != model::ItemKind::kSeparator &&
          !SameText(x.title, y.title)) {
        Differ(a, left[i], "title");
      }
      if (kept.urls && !SameText(x.url, y.url)) Differ(a, left[i], "URL");
      if (kept.tags_and_keywords &&
          (!SameTags(x.tags, y.tags) || !SameText(x.keyword, y.keyword) ||
           !SameText(x.post_data, y.post_data))) {
        Differ(a, left[i], "tags or keyword");
      }
      if (kept.date_unit > 0 && !is_root &&
          (x.date_added / kept.date_unit != y.date_added / kept.date_unit ||
           x.last_modified / kept.date_unit !=
               y.last_modified / kept.date_unit)) {
        Differ(a, left[i], "dates");
      }
    }
  }
}

}  // namespace fuzz
}  // namespace marksafe
