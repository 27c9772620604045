// Firefox's own bookmark backups: what Firefox ESR wrote reads whole, what
// the writer writes reads back the same, damaged files are refused, and
// the backup files of a profile are found by name.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/platform.h"
#include "stores/firefox_json/backup_listing.h"
#include "stores/firefox_json/firefox_json_reader.h"
#include "stores/firefox_json/firefox_json_writer.h"
#include "support/test_support.h"
#include "support/tree_support.h"

namespace marksafe {
namespace firefox_json {
namespace {

const char kFirefoxJsonLz4[] =
    "firefox/bookmarks-2026-12-08_20_eaQBZXkhrs542NCMfQQQtL_"
    "pROBHclRUhqHuZsMBHDE=.jsonlz4";

model::Tree Read(const std::string& bytes) {
  model::Tree tree;
  const Status status = ReadFirefoxBackup(bytes, &tree);
  EXPECT_TRUE(status.ok()) << platform::ToUtf8(status.message());
  return tree;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(part) != std::string::npos;
  });
}

// Firefox wrote the same bookmarks once compressed (its daily backup) and
// once plain (its "Backup..." export): both read to the same tree, with
// every root, tags, keyword, separator and a title outside the BMP.
TEST(FirefoxBackupReader, ReadsWhatFirefoxWrote) {
  const model::Tree lz4 = Read(test::DataFile(kFirefoxJsonLz4));
  const model::Tree plain =
      Read(test::DataFile("firefox/backup-firefox-esr-153.json"));
  const std::vector<std::string> lines = test::TreeLines(lz4);
  EXPECT_EQ(test::TreeLines(plain), lines);
  for (model::Root root : model::kAllRoots) {
    EXPECT_NE(lz4.root(root), model::kNoItem) << model::RootKey(root);
  }
  const model::Counts menu = model::CountBelow(lz4, lz4.root(model::Root::kMenu));
  EXPECT_EQ(menu, (model::Counts{7, 3, 1}));
  for (const char* part : {"https://food.example.fr/creme", "dessert",
                           "french", "ex", "\xF0\x9D\x84\x9E",
                           "https://m.example.com/"}) {
    EXPECT_TRUE(HasLine(lines, part)) << part;
  }
}

// What the writer writes (plain and compressed) reads back with every
// item, title, URL, tag, keyword and date as it was. A tree without some
// roots is written with every root, the missing ones empty, since Firefox
// expects all four.
TEST(FirefoxBackupWriter, WritesWhatReadsBackTheSame) {
  const model::Tree tree = Read(test::DataFile(kFirefoxJsonLz4));
  const std::string json = WriteFirefoxBackup(tree, 1796695640390000);
  EXPECT_EQ(test::TreeLines(Read(json)), test::TreeLines(tree));
  EXPECT_EQ(test::TreeLines(Read(EncodeJsonLz4(json))), test::TreeLines(tree));
  // Guids are unique and of Firefox's form.
  std::vector<std::string> guids;
  for (size_t at = 0; (at = json.find("\"guid\":\"", at)) != std::string::npos;) {
    at += 8;
    guids.push_back(json.substr(at, json.find('"', at) - at));
  }
  EXPECT_EQ(guids.size(), tree.size() + 1);  // the places root too
  for (const std::string& guid : guids) {
    EXPECT_EQ(guid.size(), 12u) << guid;
    EXPECT_EQ(guid.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn"
                                     "opqrstuvwxyz0123456789-_"),
              std::string::npos);
  }
  std::sort(guids.begin(), guids.end());
  EXPECT_EQ(std::adjacent_find(guids.begin(), guids.end()), guids.end());

  model::Tree bar_only;
  test::Put(&bar_only, bar_only.AddRoot(model::Root::kToolbar, u"Bar"),
            test::NewLink(u"A", u"https://a.example/"));
  const model::Tree back = Read(WriteFirefoxBackup(bar_only, 1));
  for (model::Root root : model::kAllRoots) {
    EXPECT_NE(back.root(root), model::kNoItem) << model::RootKey(root);
  }
}

std::string Lz4Header(uint32_t size) {
  std::string header(kJsonLz4Magic, sizeof(kJsonLz4Magic));
  for (int i = 0; i < 4; ++i) header += static_cast<char>(size >> (8 * i));
  return header;
}

std::string Nested(int levels) {
  std::string json = R"({"root":"placesRoot","children":[{"root":"toolbarFolder","children":[)";
  for (int i = 0; i < levels; ++i) json += R"({"typeCode":2,"children":[)";
  for (int i = 0; i < levels; ++i) json += "]}";
  return json + "]}]}";
}

// Damaged and hostile files are refused (code 13) with a reason, never
// read in part.
TEST(FirefoxBackupReader, RefusesDamagedFiles) {
  const std::string good = EncodeJsonLz4(
      test::DataFile("firefox/backup-firefox-esr-153.json"));
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not JSON", "bookmarks"},
      {"JSON without roots", R"({"children":[]})"},
      {"a list", "[1,2]"},
      {"children not a list", R"({"children":[{"root":"toolbarFolder","children":7}]})"},
      {"header only", Lz4Header(10)},
      {"size over the cap", Lz4Header(uint32_t{1} << 31) + "xxxx"},
      {"a small block claiming a gigabyte", Lz4Header(uint32_t{1} << 30) + "xxxx"},
      {"block cut short", good.substr(0, good.size() / 2)},
      {"size larger than the block gives", Lz4Header(
           static_cast<uint32_t>(good.size() * 4)) + good.substr(12)},
      {"too deep for the JSON reader", Nested(5000)},
  };
  for (const auto& c : cases) {
    model::Tree tree;
    const Status status = ReadFirefoxBackup(c.bytes, &tree);
    EXPECT_EQ(status.code(), 13u) << c.name;
    EXPECT_FALSE(status.message().empty()) << c.name;
  }
}

// Links without a URL and items of unknown types are left out and counted;
// the rest of the file is read.
TEST(FirefoxBackupReader, LeavesOutWhatIsNoBookmark) {
  const std::string json =
      R"({"children":[{"root":"tagsFolder","children":[{"typeCode":1,"uri":"https://tag.example/"}]},
      {"root":"unfiledBookmarksFolder","children":[{"typeCode":1,"title":"no url"},
      {"typeCode":9},{"type":"text/x-moz-place","uri":"https://old.example/","dateAdded":1.5e15}]}]})";
  model::Tree tree;
  BackupNotes notes;
  ASSERT_TRUE(ReadFirefoxBackup(json, &tree, &notes).ok());
  EXPECT_EQ(notes.skipped, 2);
  EXPECT_EQ(tree.root(model::Root::kMenu), model::kNoItem);
  const model::Item& link =
      tree.at(tree.at(tree.root(model::Root::kOther)).children.at(0));
  EXPECT_EQ(link.url, u"https://old.example/");
  EXPECT_EQ(link.date_added, 1500000000000000);
}

// Members may come in any order: a file with every object's keys sorted
// ("children" before "root", "title" and "typeCode") reads as Firefox's
// own does. Children met before their item's kind are dropped when it
// turns out to be no folder, and are not counted as left out.
TEST(FirefoxBackupReader, ReadsMembersInAnyOrder) {
  const std::string plain =
      test::DataFile("firefox/backup-firefox-esr-153.json");
  Json::Value document;
  ASSERT_TRUE(Json::Reader().parse(plain, document));
  const std::string sorted = Json::FastWriter().write(document);
  ASSERT_LT(sorted.find("\"children\""), sorted.find("\"root\""));
  EXPECT_EQ(test::TreeLines(Read(sorted)), test::TreeLines(Read(plain)));

  const std::string json = R"({"children":[{"children":[
      {"children":[{"typeCode":2,"title":"inner"}],"typeCode":1,
       "uri":"https://l.example/","title":"link"},
      {"children":[{"typeCode":1}],"typeCode":7},
      {"children":[{"children":[],"typeCode":3}],"title":"F","typeCode":2},
      {"uri":"https://not.example/","children":[],"title":"G","typeCode":2}],
      "root":"toolbarFolder","title":"Bar"}],"root":"placesRoot"})";
  model::Tree tree;
  BackupNotes notes;
  ASSERT_TRUE(ReadFirefoxBackup(json, &tree, &notes).ok());
  EXPECT_EQ(notes.skipped, 1);
  EXPECT_EQ(test::TreeLines(tree, false),
            (std::vector<std::string>{"toolbar", " L link|https://l.example/",
                                      " F F|", "  S |", " F G|"}));
}

TEST(BackupListing, TellsFirefoxBackupNamesAndDates) {
  const struct {
    const char16_t* name;
    const char* date;  // nullptr: not a backup's name
  } cases[] = {
      {u"bookmarks-2026-12-08_20_eaQBZXkhrs542NCMfQQQtL_pROBHclRUhqHuZsMBHDE=.jsonlz4",
       "2026-12-08"},
      {u"bookmarks-2024-02-29.json", "2024-02-29"},
      {u"Bookmarks-2026-01-31_5.JSONLZ4", "2026-01-31"},
      {u"bookmarks-2026-12-08_abcDEF+=-.jsonlz4", "2026-12-08"},
      {u"bookmarks-2025-02-29.json", nullptr},
      {u"bookmarks-2026-13-01.json", nullptr},
      {u"bookmarks-2026-12-08.html", nullptr},
      {u"bookmarks-2026-12-08_.json", nullptr},
      {u"bookmarks-2026-12-08x.json", nullptr},
      {u"bookmarks-2026-12-08_1_a/b.json", nullptr},
  };
  for (const auto& c : cases) {
    std::string date;
    EXPECT_EQ(FirefoxBackupDate(c.name, &date), c.date != nullptr)
        << platform::ToUtf8(c.name);
    if (c.date != nullptr) {
      EXPECT_EQ(date, c.date);
    }
  }
  EXPECT_EQ(DateOfTime(0), "1970-01-01");
  EXPECT_EQ(DateOfTime(1796695629), "2026-12-08");
  int64_t start = 0;
  ASSERT_TRUE(TimeOfDate("2026-12-08", &start));
  EXPECT_EQ(start, 1796688000);
}

// Only regular files are listed, oldest first, the Chromium copy too.
TEST(BackupListing, ListsRegularFilesOldestFirst) {
  test::TempDir dir;
  const std::string folder = dir.sub("bookmarkbackups/");
  test::WriteBytes(folder + "bookmarks-2026-12-08_3.jsonlz4", "x");
  test::WriteBytes(folder + "bookmarks-2026-11-30_2.json", "x");
  test::WriteBytes(folder + "notes.txt", "x");
  test::MakeDirs(folder + "bookmarks-2026-12-01.json");
  test::WriteBytes(dir.sub("Bookmarks.bak"), "{}");
  std::vector<std::string> names;
  for (const BrowserBackup& backup : ListBrowserBackups(dir.u16(""))) {
    names.push_back(platform::ToUtf8(backup.name));
  }
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "bookmarks-2026-11-30_2.json");
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ(names[1], "Bookmarks.bak");
  EXPECT_EQ(names[2], "bookmarks-2026-12-08_3.jsonlz4");
}

}  // namespace
}  // namespace firefox_json
}  // namespace marksafe
