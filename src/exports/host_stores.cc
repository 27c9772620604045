// Stores of every kind read into the bookmark tree for the host extras, and
// a tree written out whole as one file.
#include "exports/host_stores.h"

#include <json/json.h>

#include <string>

#include "backup_set/part.h"
#include "stores/chrome/chrome_document.h"
#include "stores/chrome/chrome_reader.h"
#include "base/error_codes.h"
#include "base/text.h"
#include "exports/export_util.h"
#include "stores/places/places_handle.h"
#include "stores/places/places_reader.h"
#include "stores/firefox_json/firefox_json_reader.h"
#include "history/snapshot.h"
#include "context/job.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/platform.h"

namespace marksafe {
namespace exports {

void Note(const std::u16string& path, const std::string& reason) {
  context::Current().report().problems.push_back(
      model::Problem{DisplayPath(path), std::u16string(), reason, true});
}

namespace {

// The last component of a path (either separator).
std::u16string LastComponentOf(std::u16string path) {
  while (path.size() > 1 && (path.back() == u'/' || path.back() == u'\\')) {
    path.pop_back();
  }
  const size_t slash = path.find_last_of(u"/\\");
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int32_t ReadPair(const StoreToRead& first, const StoreToRead& second,
                 Json::Value* out) {
  const StoreToRead* failed = nullptr;
  int32_t code = 0;
  for (const StoreToRead* store : {&first, &second}) {
    code = store->path == nullptr
               ? static_cast<int32_t>(kErrorInvalidParameter)
               : ReadStore(ToU16(store->path), store->kind, store->tree);
    if (code != 0) {
      failed = store;
      break;
    }
  }
  if (failed == nullptr) return 0;
  (*out)["code"] = code;
  (*out)["error"] = std::string(failed->label) + " cannot be read";
  for (const model::Problem& problem : context::Current().report().problems) {
    (*out)["error"] = platform::ToUtf8(problem.path) + " " + problem.reason;
  }
  return code;
}

int32_t ReadStore(const std::u16string& path, int32_t kind,
                  model::Tree* tree) {
  if (!platform::PathExists(path)) return kErrorFileNotFound;
  Status status;
  switch (kind) {
    case MARKSAFE_STORE_PLACES: {
      ms_places* places = firefox::InitBookmark(path.c_str());
      if (places == nullptr) {
        Note(path, "cannot be opened as a Firefox places database");
        return kErrorInvalidData;
      }
      status = firefox::ReadPlaces(places, tree);
      firefox::ReleaseBookmark(places);
      break;
    }
    case MARKSAFE_STORE_CHROME: {
      Json::Value document;
      if (!chrome::load_chrome_file(path.c_str(), &document)) {
        Note(path, "is not a Chrome bookmarks file");
        return kErrorInvalidData;
      }
      status = chrome::ReadChromeTree(document, tree, nullptr,
                                      &context::Current().report());
      break;
    }
    case MARKSAFE_STORE_FIREFOX_PART:
      status = backup_set::ReadPart(path, backup_set::PartKind::kFirefox, tree);
      break;
    case MARKSAFE_STORE_CHROME_PART:
      status = backup_set::ReadPart(path, backup_set::PartKind::kChrome, tree);
      break;
    case MARKSAFE_STORE_FIREFOX_BACKUP: {
      firefox_json::BackupNotes notes;
      status = firefox_json::ReadFirefoxBackupFile(path, tree, &notes);
      if (status.ok() && notes.skipped > 0) {
        context::Current().report().problems.push_back(model::Problem{
            DisplayPath(path), u"",
            std::to_string(notes.skipped) +
                " entries without a URL or of an unknown type left out",
            false});
      }
      break;
    }
    case MARKSAFE_STORE_SNAPSHOT: {
      backup_set::Manifest manifest;
      status = history::ReadSnapshot(path, tree, &manifest);
      break;
    }
    case MARKSAFE_STORE_URL_FOLDER: {
      const model::ItemId menu =
          tree->AddRoot(model::Root::kMenu, LastComponentOf(path));
      status = backup_set::ReadUrlFolder(path, {}, tree, menu);
      break;
    }
    default:
      return kErrorInvalidParameter;
  }
  if (!status.ok()) {
    Note(path, "read failed: " + platform::ToUtf8(status.message()));
    return kErrorInvalidData;
  }
  return 0;
}

int32_t ExportStore(const char16_t* source, int32_t kind, const char16_t* file,
                    const std::function<std::string(const model::Tree&)>& write) {
  if (source == nullptr || file == nullptr) return kErrorInvalidParameter;
  model::Tree tree;
  const int32_t read = ReadStore(source, kind, &tree);
  if (read != 0) return read;
  model::Report& report = context::Current().report();
  for (model::Root root : model::kAllRoots) {
    const model::ItemId id = tree.root(root);
    if (id == model::kNoItem) continue;
    model::RootReport* root_report =
        report.AddRoot(model::RootKey(root), tree.at(id).title);
    root_report->source = root_report->added = model::CountBelow(tree, id);
  }
  if (!platform::ReplaceFileAtomically(file, write(tree))) {
    for (model::RootReport& root : report.roots) {
      root.failed = root.added;
      root.added = model::Counts();
    }
    Note(file, "write failed");
    return kErrorAccessDenied;
  }
  return 0;
}

}  // namespace exports
}  // namespace marksafe
