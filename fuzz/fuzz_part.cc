// A part of a backup set made from the input and read back with ReadPart.
//
// The input is split at lines "----" into the position file (written both
// as pos.ini and chrome_pos.ini), the manifest, and the text of one .url
// file of the part. The part's folders and a few .url files beside them are
// made once per process; each input rewrites only those three files. The
// part is read as a Firefox part and as a Chrome part. What a Firefox part
// read gives is written as a new part and read again: it must come back
// item for item (the root folders' own names and dates aside). A manifest
// that is read accounts for every record: kept, or named as left out.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <json/json.h>

#include "backup_set/manifest.h"
#include "backup_set/part.h"
#include "fuzz_support.h"
#include "model/report.h"
#include "platform/platform.h"

namespace {

using marksafe::platform::CreateDirectoryTree;
using marksafe::platform::WriteFile;

const char kShortcut[] =
    "[InternetShortcut]\r\nURL=https://example.com/\r\nTitle=Example.url\r\n";

// The part folder with its root folders, made on first use.
const std::u16string& PartFolder() {
  static const std::u16string* folder = [] {
    auto* made = new std::u16string(marksafe::fuzz::ScratchFolder() + u"part");
    const std::u16string& f = *made;
    bool ok = true;
    for (const char16_t* dir :
         {u"/Bookmarks Menu/News/Deep", u"/Bookmarks Toolbar",
          u"/Unsorted Bookmarks", u"/Mobile Bookmarks", u"/Bookmarks bar/Sub",
          u"/Other bookmarks", u"/Mobile bookmarks"}) {
      ok = ok && CreateDirectoryTree(f + dir).ok();
    }
    for (const char16_t* file :
         {u"/Bookmarks Menu/Example.url", u"/Bookmarks Menu/News/Deep/a.url",
          u"/Bookmarks Toolbar/Same.url", u"/Bookmarks bar/Sub/b.url",
          u"/Other bookmarks/c.url", u"/Bookmarks Menu/not a shortcut.txt"}) {
      ok = ok && WriteFile(f + file, kShortcut).ok();
    }
    if (!ok) __builtin_trap();
    return made;
  }();
  return *folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::u16string& part = PartFolder();
  const std::vector<std::string> pieces =
      fuzz::Pieces(std::string(reinterpret_cast<const char*>(data), size));
  if (!WriteFile(part + u"/pos.ini", pieces[0]).ok() ||
      !WriteFile(part + u"/chrome_pos.ini", pieces[0]).ok() ||
      !WriteFile(part + u"/manifest.json", pieces[1]).ok() ||
      !WriteFile(part + u"/Bookmarks Menu/News/Edited.url", pieces[2]).ok()) {
    __builtin_trap();
  }
  // A manifest that is read keeps every record or names it as left out:
  // one damaged record never takes the others with it.
  {
    backup_set::Manifest manifest;
    std::string why;
    Json::Value document;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(
        Json::CharReaderBuilder().newCharReader());
    if (backup_set::ReadManifest(part + u"/manifest.json", "firefox",
                                 &manifest, &why) ==
            backup_set::ManifestState::kRead &&
        reader->parse(pieces[1].data(), pieces[1].data() + pieces[1].size(),
                      &document, &errors) &&
        document["records"].size() !=
            manifest.records.size() + manifest.skipped.size()) {
      __builtin_trap();
    }
  }
  for (backup_set::PartKind kind :
       {backup_set::PartKind::kFirefox, backup_set::PartKind::kChrome}) {
    model::Tree tree;
    Status status = backup_set::ReadPart(part, kind, &tree);
    if (!status.ok()) continue;
    fuzz::CheckTree(tree);
    if (kind != backup_set::PartKind::kFirefox) continue;

    const std::u16string copy = fuzz::ScratchFolder() + u"copy";
    (void)platform::RemoveTree(copy).ok();
    if (!CreateDirectoryTree(copy).ok()) __builtin_trap();
    model::Report report;
    Status written = backup_set::WritePart(tree, kind, copy, false, &report);
    if (!written.ok()) {
      std::fprintf(stderr, "WritePart failed: %s\n",
                   platform::ToUtf8(written.message()).c_str());
      __builtin_trap();
    }
    model::Tree again;
    Status reread = backup_set::ReadPart(copy, kind, &again);
    if (!reread.ok()) __builtin_trap();
    fuzz::Kept kept;
    kept.empty_roots_may_appear = true;
    fuzz::ExpectSameTrees(tree, again, kept);
    (void)platform::RemoveTree(copy).ok();
  }
  return 0;
}
