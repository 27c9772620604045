#include "model/merge.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "model/progress.h"
#include "model/url_normalize.h"
#include "platform/file_names.h"

namespace marksafe {
namespace model {

Capabilities FirefoxCapabilities() {
  Capabilities caps;
  caps.max_url_units = 65536;  // the places URL limit
  return caps;
}

Capabilities ChromeCapabilities() {
  Capabilities caps;
  caps.separators = false;
  caps.tags = false;
  caps.place_queries = false;
  caps.max_url_units = size_t{2} << 20;  // Chrome's 2 MiB URL limit
  return caps;
}

Capabilities FavoritesCapabilities() {
  Capabilities caps = ChromeCapabilities();
  caps.shortcut_files = true;
  return caps;
}

namespace {

bool IsPlaceQuery(const std::u16string& url) {
  static const std::u16string kScheme = u"place:";
  if (url.size() < kScheme.size()) return false;
  for (size_t i = 0; i < kScheme.size(); ++i) {
    char16_t c = url[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != kScheme[i]) return false;
  }
  return true;
}

// What one target folder held before the merge touched it, and how much of
// it the source has matched so far.
struct FolderState {
  // URL key -> links with it in the target not yet matched.
  std::unordered_map<std::u16string, int> unmatched_links;
  // Title -> the target's folders of that title, in order, and how many
  // have been matched.
  std::unordered_map<std::u16string, std::pair<std::vector<ItemId>, size_t>>
      folders;
  int unmatched_separators = 0;
};

class Merger {
 public:
  Merger(const Tree& source, Tree* target, const MergeOptions& options,
         RootReport* root_report, Report* report)
      : source_(source),
        target_(target),
        options_(options),
        root_report_(root_report),
        report_(report),
        now_(options.now != 0 ? options.now : Now()) {}

  void Run(ItemId from, ItemId into) {
    // Pairs of (source folder, target folder) still to merge; each source
    // folder is visited once, so the walk needs no recursion.
    std::vector<std::pair<ItemId, ItemId>> pending;
    pending.emplace_back(from, into);
    while (!pending.empty()) {
      const auto [source_folder, target_folder] = pending.back();
      pending.pop_back();
      MergeFolder(source_folder, target_folder, &pending);
    }
  }

 private:
  std::u16string UrlKey(const std::u16string& url) const {
    return options_.url_key ? options_.url_key(url) : NormalizedOrSelf(url);
  }

  bool Excluded(const std::u16string& title) const {
    if (EqualsNoCase(title, u".Quillbay")) return true;
    for (const std::u16string& name : options_.excluded_folders) {
      if (EqualsNoCase(title, name)) return true;
    }
    return false;
  }

  FolderState Index(ItemId folder) const {
    FolderState state;
    for (ItemId child : target_->at(folder).children) {
      const Item& item = target_->at(child);
      switch (item.kind) {
        case ItemKind::kLink:
          ++state.unmatched_links[UrlKey(item.url)];
          break;
        case ItemKind::kFolder:
          state.folders[item.title].first.push_back(child);
          break;
        case ItemKind::kSeparator:
          ++state.unmatched_separators;
          break;
      }
    }
    return state;
  }

  // lost: the item is a link the person would want there (a URL the
  // target cannot keep), not a kind of item the target has no place for.
  void NotCarried(ItemId source_item, const char* reason, bool lost = false) {
    const Item& item = source_.at(source_item);
    if (root_report_ != nullptr) {
      CountItem(item.kind, &root_report_->not_carried);
    }
    if (report_ != nullptr) {
      report_->AddProblem(source_.PathOf(source_item), reason, lost, item.url);
    }
  }

  void CountSource(ItemKind kind) {
    if (root_report_ != nullptr) CountItem(kind, &root_report_->source);
  }
  void CountPresent(ItemKind kind) {
    if (root_report_ != nullptr) CountItem(kind, &root_report_->present);
  }

  // Appends a copy of the source item (without children) to the target
  // folder. kNoItem when the target refuses it (too deep).
  ItemId Append(ItemId target_folder, const Item& from) {
    Item copy;
    copy.kind = from.kind;
    copy.title = from.title;
    copy.url = from.url;
    // Another store has no use for the path, which would double the
    // memory of a large import's addresses.
    if (options_.capabilities.shortcut_files) {
      copy.source_file = from.source_file;
    }
    copy.date_added = from.date_added != 0 ? from.date_added : now_;
    copy.last_modified =
        from.last_modified != 0 ? from.last_modified : copy.date_added;
    if (options_.capabilities.tags) {
      copy.tags = from.tags;
      copy.keyword = from.keyword;
      copy.post_data = from.post_data;
    }
    copy.added = true;
    const ItemId id = target_->Add(target_folder, std::move(copy));
    if (id != kNoItem) NoteAdded(target_folder, from.kind);
    return id;
  }

  // Counts an added item for its target folder (one entry per folder this
  // merge adds to, its path worked out once) and a link for the progress
  // total: each one will be written.
  void NoteAdded(ItemId target_folder, ItemKind kind) {
    if (kind == ItemKind::kLink && options_.progress != nullptr) {
      options_.progress->AddTotal(1);
    }
    if (root_report_ == nullptr) return;
    if (entry_folder_ != target_folder) {
      root_report_->folders.push_back(
          FolderAdded{target_->PathOf(target_folder), Counts()});
      entry_folder_ = target_folder;
    }
    CountItem(kind, &root_report_->folders.back().added);
  }

  void Refused(ItemId source_item) {
    const Item& item = source_.at(source_item);
    // Everything below a folder that cannot be made is lost with it.
    Counts lost;
    CountItem(item.kind, &lost);
    if (item.kind == ItemKind::kFolder) lost += CountBelow(source_, source_item);
    if (root_report_ != nullptr) {
      root_report_->failed += lost;
      if (item.kind == ItemKind::kFolder) {
        root_report_->source += CountBelow(source_, source_item);
      }
    }
    if (report_ != nullptr) {
      report_->AddProblem(source_.PathOf(source_item),
                          "would lie deeper than " + std::to_string(kMaxDepth) +
                              " folder levels",
                          true, item.url);
    }
  }

  // A link is matched by its URL key against the target folder's unmatched
  // links, or appended; what the target cannot hold is reported.
  void MergeLink(ItemId child, ItemId target_folder, FolderState* state) {
    const Item& item = source_.at(child);
    if (!options_.capabilities.place_queries && IsPlaceQuery(item.url)) {
      NotCarried(child, "place: query");
      return;
    }
    if (options_.capabilities.max_url_units != 0 &&
        item.url.size() > options_.capabilities.max_url_units) {
      NotCarried(child, "URL longer than the target keeps", true);
      return;
    }
    // A folder that held no links (one this merge made, or an empty
    // store's root) has nothing to match: no key is worth computing.
    if (!state->unmatched_links.empty()) {
      const auto found = state->unmatched_links.find(UrlKey(item.url));
      if (found != state->unmatched_links.end() && found->second > 0) {
        --found->second;
        CountPresent(item.kind);
        return;
      }
    }
    if (Append(target_folder, item) == kNoItem) {
      Refused(child);
      return;
    }
    if (!options_.capabilities.tags &&
        (!item.tags.empty() || !item.keyword.empty()) && report_ != nullptr) {
      // The link arrives; its tags and keyword cannot.
      report_->AddProblem(source_.PathOf(child),
                          !item.tags.empty()       ? "tags"
                          : item.post_data.empty() ? "keyword"
                                                   : "keyword with POST data",
                          false, item.url);
    }
  }

  void MergeFolder(ItemId source_folder, ItemId target_folder,
                   std::vector<std::pair<ItemId, ItemId>>* pending) {
    FolderState state = Index(target_folder);
    std::vector<std::pair<ItemId, ItemId>> sub_folders;
    for (ItemId child : source_.at(source_folder).children) {
      const Item& item = source_.at(child);
      if (item.kind == ItemKind::kFolder && Excluded(item.title)) continue;
      CountSource(item.kind);
      switch (item.kind) {
        case ItemKind::kSeparator: {
          if (!options_.capabilities.separators) {
            NotCarried(child, "separator");
            break;
          }
          if (state.unmatched_separators > 0) {
            --state.unmatched_separators;
            CountPresent(item.kind);
            break;
          }
          if (Append(target_folder, item) == kNoItem) Refused(child);
          break;
        }
        case ItemKind::kLink:
          MergeLink(child, target_folder, &state);
          break;
        case ItemKind::kFolder: {
          auto& same_title = state.folders[item.title];
          ItemId match = kNoItem;
          if (same_title.second < same_title.first.size()) {
            match = same_title.first[same_title.second++];
            CountPresent(item.kind);
          } else {
            match = Append(target_folder, item);
            if (match == kNoItem) {
              Refused(child);
              break;
            }
          }
          sub_folders.emplace_back(child, match);
          break;
        }
      }
    }
    // Visited in order: pending is a stack, so push them reversed.
    for (auto it = sub_folders.rbegin(); it != sub_folders.rend(); ++it) {
      pending->push_back(*it);
    }
  }

  const Tree& source_;
  Tree* target_;
  const MergeOptions& options_;
  RootReport* root_report_;
  Report* report_;
  Time now_;
  // The target folder of the last entry in root_report_->folders.
  ItemId entry_folder_ = kNoItem;
};

}  // namespace

void Merge(const Tree& source, ItemId from, Tree* target, ItemId into,
           const MergeOptions& options, RootReport* root_report,
           Report* report) {
  if (target == nullptr || from == kNoItem || into == kNoItem) return;
  // Room for every item the merge may add, made at once (by doubling when
  // merges follow each other): items are large, and moving them at each
  // growth of the tree costs more than the count.
  const size_t needed =
      target->size() + static_cast<size_t>(CountBelow(source, from).total());
  if (needed > target->capacity()) {
    target->Reserve(std::max(needed, 2 * target->capacity()));
  }
  Merger(source, target, options, root_report, report).Run(from, into);
}

}  // namespace model
}  // namespace marksafe
