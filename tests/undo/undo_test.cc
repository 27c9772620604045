// Undo of restores into each kind of store: the store comes back item for
// item, what the person changed since is kept and listed, a second undo,
// a dry run and a damaged journal change nothing.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "context/journal.h"
#include "context/journal_files.h"
#include "marksafe/marksafe.h"
#include "roundtrip/collection.h"
#include "support/faulty_env.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Ms;
using test::U16;

// The user's state folder (where journals live) is the test's own, on
// every system: the shell is not asked.
class StateFolderEnv : public test::FaultyEnv {
 public:
  explicit StateFolderEnv(std::u16string folder) : folder_(std::move(folder)) {}
  Status GetShellFolder(platform::ShellFolder folder,
                        std::u16string* out) override {
    if (folder != platform::ShellFolder::kLocalState) {
      return FaultyEnv::GetShellFolder(folder, out);
    }
    *out = folder_;
    return Status::Ok();
  }

 private:
  std::u16string folder_;
};

// Journals on, into a folder of the test's own.
class Journals {
 public:
  explicit Journals(const test::TempDir& dir)
      : env_(test::U16(dir.sub("state"))),
        override_(&env_),
        was_(marksafe_set_journal(true)) {}
  ~Journals() { marksafe_set_journal(was_); }
  Json::Value List() const { return test::ParseJson(marksafe_journals()); }
  test::FaultyEnv& env() { return env_; }

 private:
  StateFolderEnv env_;
  platform::ScopedEnvOverride override_;
  bool was_;
};

Json::Value Undo(const std::string& id, bool dry_run) {
  return test::ParseJson(marksafe_undo(Ms(U16(id)), dry_run));
}

std::vector<test::Entry> Entries(bool chrome, const std::string& store) {
  const model::Tree tree =
      chrome ? test::ReadChromeStore(store) : test::ReadPlacesStore(store);
  test::Filter filter;
  filter.keep = chrome ? model::ChromeCapabilities()
                       : model::FirefoxCapabilities();
  return test::ListRoots(tree, filter);
}

// Renames the link the restore wrote last.
void RenameLastLink(bool chrome, const std::string& store) {
  if (!chrome) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "update moz_bookmarks set title='Renamed' where "
                           "id=(select max(id) from moz_bookmarks where "
                           "type=1 and parent<>4 and parent not in (select "
                           "id from moz_bookmarks where parent=4))",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    return;
  }
  Json::Value document = test::ParseJson(test::ReadBytes(store));
  std::vector<Json::Value*> stack{&document["roots"]["bookmark_bar"],
                                  &document["roots"]["other"]};
  Json::Value* last = nullptr;
  while (!stack.empty()) {
    Json::Value* node = stack.back();
    stack.pop_back();
    if ((*node)["type"] == "url" &&
        (last == nullptr || std::stoll((*node)["id"].asString()) >
                                std::stoll((*last)["id"].asString()))) {
      last = node;
    }
    for (Json::Value& child : (*node)["children"]) stack.push_back(&child);
  }
  ASSERT_NE(last, nullptr);
  (*last)["name"] = "Renamed";
  test::WriteBytes(store, Json::writeString(Json::StreamWriterBuilder(),
                                            document));
}

// Places: the keywords and the uses the places' counts record, which an
// undo takes back with the links.
std::pair<int64_t, int64_t> KeywordsAndUses(const std::string& store) {
  sqlite3* db = nullptr;
  std::pair<int64_t, int64_t> counts{-1, -1};
  if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db,
                           "select (select count(*) from moz_keywords), "
                           "(select total(foreign_count) from moz_places)",
                           -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW) {
      counts = {sqlite3_column_int64(query, 0), sqlite3_column_int64(query, 1)};
    }
    sqlite3_finalize(query);
  }
  sqlite3_close(db);
  return counts;
}

class UndoTest : public ::testing::TestWithParam<bool> {
 protected:
  bool chrome() const { return GetParam(); }
  std::string Restore(const Journals& journals) {
    const std::string store = dir_.sub(chrome() ? "Bookmarks" : "places.sqlite");
    const model::Tree source =
        chrome() ? test::ChromeCollection() : test::FirefoxCollection();
    test::BackUpNewStore(source, chrome(), dir_.sub("source"), dir_.sub("set"));
    (chrome() ? test::WriteChromeStore : test::WritePlacesStore)(
        test::LinkTree("https://old.example/", 3), store);
    before_ = Entries(chrome(), store);
    if (!chrome()) uses_before_ = KeywordsAndUses(store);
    if (chrome()) roots_ = test::ParseJson(test::ReadBytes(store))["roots"];
    EXPECT_TRUE(test::RestoreSet(chrome(), store, dir_.sub("set")));
    const Json::Value list = journals.List()["journals"];
    EXPECT_EQ(list.size(), 1u);
    id_ = list[0]["id"].asString();
    EXPECT_GT(list[0]["items"].asInt(), 20);
    EXPECT_EQ(list[0]["store_kind"].asString(), chrome() ? "chrome" : "places");
    return store;
  }

  test::TempDir dir_;
  std::vector<test::Entry> before_;
  Json::Value roots_;  // Chrome: the file's roots before the restore
  std::pair<int64_t, int64_t> uses_before_;  // places
  std::string id_;
};

TEST_P(UndoTest, TakesBackExactlyTheRestore) {
  Journals journals(dir_);
  const std::string store = Restore(journals);
  const std::vector<test::Entry> restored = Entries(chrome(), store);
  ASSERT_NE(restored, before_);
  if (!chrome()) {
    EXPECT_GT(KeywordsAndUses(store).first, uses_before_.first);
  }

  // A damaged journal is refused and changes nothing.
  const std::string file = dir_.sub("state/marksafe/journal/" + id_ + ".json");
  const std::string journal = test::ReadBytes(file);
  test::WriteBytes(file, journal.substr(0, journal.size() / 2));
  EXPECT_EQ(Undo(id_, false)["code"].asInt(), 13);
  EXPECT_EQ(Entries(chrome(), store), restored);
  EXPECT_EQ(journals.List()["errors"].size(), 1u);
  test::WriteBytes(file, journal);

  const Json::Value dry = Undo(id_, true);
  EXPECT_EQ(dry["code"].asInt(), 0);
  EXPECT_GT(dry["removed"].asInt(), 20);
  EXPECT_EQ(Entries(chrome(), store), restored);

  const Json::Value undone = Undo(id_, false);
  EXPECT_EQ(undone["code"].asInt(), 0) << undone["error"].asString();
  EXPECT_EQ(undone["removed"], dry["removed"]);
  EXPECT_EQ(undone["kept"].size(), 0u);
  EXPECT_EQ(Entries(chrome(), store), before_);
  // Every node as it was, member for member.
  if (chrome()) {
    EXPECT_EQ(test::ParseJson(test::ReadBytes(store))["roots"], roots_);
  } else {
    EXPECT_EQ(KeywordsAndUses(store), uses_before_);
  }
  EXPECT_TRUE(journals.List()["journals"][0]["undone"].asBool());

  const Json::Value again = Undo(id_, false);
  EXPECT_TRUE(again["already_undone"].asBool());
  EXPECT_EQ(again["removed"].asInt(), 0);
  EXPECT_EQ(Entries(chrome(), store), before_);
}

TEST_P(UndoTest, KeepsAndListsWhatChangedSince) {
  Journals journals(dir_);
  const std::string store = Restore(journals);
  RenameLastLink(chrome(), store);
  const Json::Value undone = Undo(id_, false);
  ASSERT_EQ(undone["code"].asInt(), 0) << undone["error"].asString();
  std::vector<std::string> reasons;
  for (const Json::Value& kept : undone["kept"]) {
    reasons.push_back(kept["reason"].asString());
  }
  ASSERT_FALSE(reasons.empty());
  EXPECT_EQ(reasons[0], "renamed since");
  for (size_t i = 1; i < reasons.size(); ++i) {
    EXPECT_EQ(reasons[i], "holds items it did not add");
  }
  // What is left beyond the earlier content: the renamed link and the
  // folders that hold it.
  const std::vector<test::Entry> after = Entries(chrome(), store);
  EXPECT_EQ(after.size(), before_.size() + reasons.size());
}

INSTANTIATE_TEST_SUITE_P(Stores, UndoTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Chrome" : "Places";
                         });

TEST(FavoritesUndoTest, TakesBackTheRestoreAndKeepsAMovedFile) {
  test::TempDir dir;
  Journals journals(dir);
  const std::string source = dir.sub("source");
  for (int i = 0; i < 5; ++i) {
    test::WriteUrlFile(source + "/News/Site " + std::to_string(i) + ".url",
                       "https://news.example/" + std::to_string(i));
  }
  test::WriteUrlFile(source + "/Top.url", "https://top.example/");
  const uint8_t cancel = 0;
  ASSERT_TRUE(backup_ie(Ms(U16(source)), Ms(U16(dir.sub("set"))), true, true,
                        &cancel));
  const std::string favorites = dir.sub("Favorites");
  test::WriteUrlFile(favorites + "/Mine.url", "https://mine.example/");
  const std::vector<std::string> before = test::ListTree(favorites);
  ASSERT_TRUE(marksafe_restore_favorites(
      Ms(U16(favorites)), Ms(U16(dir.sub("set/Bookmarks/Favorites"))),
      &cancel));
  const std::vector<std::string> restored = test::ListTree(favorites);
  ASSERT_EQ(restored.size(), before.size() + 7);
  const std::string id =
      journals.List()["journals"][0]["id"].asString();
  // A restored link the person moved since is theirs now: it stays.
  std::filesystem::rename(favorites + "/News/Site 0.url",
                          favorites + "/Moved.url");
  const std::vector<std::string> moved = test::ListTree(favorites);

  EXPECT_EQ(Undo(id, true)["removed"].asInt(), 6);
  EXPECT_EQ(test::ListTree(favorites), moved);
  EXPECT_EQ(Undo(id, false)["removed"].asInt(), 6);
  std::vector<std::string> expected = before;
  expected.push_back("Moved.url");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(test::ListTree(favorites), expected);
}

// The reader takes what the writer writes and refuses anything else.
TEST(JournalReaderTest, RefusesDamagedText) {
  context::Journal journal;
  journal.store = context::StoreKind::kChrome;
  journal.store_path = u"/x/Bookmarks";
  journal.time = 1;
  journal.items.push_back(context::JournalEntry{model::ItemKind::kLink, u"7",
                                             u"g", u"1", u"T", u"https://a/", u""});
  const std::string good = context::JournalText(journal);
  context::Journal read;
  ASSERT_TRUE(context::ParseJournal(good, &read).ok());
  EXPECT_EQ(read.items[0].url, u"https://a/");
  EXPECT_EQ(read.store_path, journal.store_path);
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  for (const std::string& bad :
       {std::string(), std::string("[]"), good.substr(0, good.size() / 2),
        replaced("\"marksafe_journal\": 1", "\"marksafe_journal\": 2"),
        replaced("\"chrome\"", "\"opera\""), replaced("\"7\"", "7"),
        replaced("\"id\":\"7\"", "\"id\":\"\""),
        replaced("\"link\"", "\"tag\""), replaced("\"undone\": false", "\"undone\": 0"),
        replaced("\"undone\": false", "\"undone\": false, \"undone\": true"),
        replaced("\"title\"", "\"parent\":\"2\",\"title\""),
        replaced("\"time\"", "\"x\": [], \"x\": 1, \"time\""),
        replaced("\"time\": 1", "\"time\": 1.5"), good + "{}",
        std::string(300, '[')}) {
    EXPECT_FALSE(context::ParseJournal(bad, &read).ok()) << bad;
  }
}

// A journal of a very large write is written piece by piece, leaves
// nothing when a piece fails, and is read back whole, at a size a document
// parser would have been refused.
TEST(JournalFilesTest, ALargeJournalIsKeptWholeOrNotAtAll) {
  test::TempDir dir;
  Journals journals(dir);
  context::Journal journal;
  journal.store = context::StoreKind::kPlaces;
  journal.store_path = u"/x/places.sqlite";
  journal.time = 1796700000000000;
  const std::u16string title(size_t{2} << 20, u'a');
  constexpr int kItems = 33;
  for (int i = 0; i < kItems; ++i) {
    journal.items.push_back(context::JournalEntry{
        model::ItemKind::kFolder, U16(std::to_string(i + 10)), u"", u"3", title, u"", u""});
  }
  context::Journal failing = journal;
  failing.items.resize(3);  // three pieces: the second fails
  journals.env().FailNth(test::FaultOp::kWrite, 2, kErrorDiskFull);
  EXPECT_EQ(context::SaveNewJournal(&failing).code(), kErrorDiskFull);
  for (const std::string& left : test::ListTree(dir.sub("state"))) {
    EXPECT_EQ(left.back(), '/') << left;  // folders only
  }
  journals.env().Reset();
  ASSERT_TRUE(context::SaveNewJournal(&journal).ok());
  context::Journal read;
  const Status status = context::ReadJournal(journal.id, &read);
  ASSERT_TRUE(status.ok()) << platform::ToUtf8(status.message());
  ASSERT_EQ(read.items.size(), size_t{kItems});
  EXPECT_EQ(read.items.back().id, u"42");
  EXPECT_EQ(read.items.back().title, title);
}

// Two runs of the same second: the second saves its journal while the
// first is between two pieces of its own. Each keeps its journal whole under
// an id of its own.
class SecondRunEnv : public StateFolderEnv {
 public:
  using StateFolderEnv::StateFolderEnv;
  context::Journal second;
  Status AppendFile(const std::u16string& path,
                    const std::string& bytes) override {
    if (!second.items.empty() && second.id.empty()) {
      EXPECT_TRUE(context::SaveNewJournal(&second).ok());
    }
    return StateFolderEnv::AppendFile(path, bytes);
  }
};

TEST(JournalFilesTest, RunsOfOneSecondEachKeepTheirOwn) {
  test::TempDir dir;
  SecondRunEnv env(U16(dir.sub("state")));
  platform::ScopedEnvOverride override(&env);
  context::Journal first;
  first.store_path = u"/x/places.sqlite";
  first.time = 1796700000000000;
  const std::u16string title(size_t{1} << 20, u'a');
  for (int i = 0; i < 3; ++i) {
    first.items.push_back(context::JournalEntry{
        model::ItemKind::kLink, U16(std::to_string(i + 10)), u"", u"3", title, u"", u""});
  }
  env.second = first;
  env.second.items.resize(1);
  env.second.items[0].title = u"second";
  ASSERT_TRUE(context::SaveNewJournal(&first).ok());
  ASSERT_NE(first.id, env.second.id);
  context::Journal read;
  ASSERT_TRUE(context::ReadJournal(first.id, &read).ok());
  EXPECT_EQ(read.items.size(), size_t{3});
  ASSERT_TRUE(context::ReadJournal(env.second.id, &read).ok());
  ASSERT_EQ(read.items.size(), size_t{1});
  EXPECT_EQ(read.items[0].title, u"second");

  // What a run that died before its move left beside goes a day later.
  const std::string left = dir.sub("state") + "/marksafe/journal/" +
                           "20261101T000000Z.0011223344556677.json.new";
  test::WriteBytes(left, "{");
  first.time += int64_t{86400} * 1000000 * 60;
  first.items.resize(1);
  ASSERT_TRUE(context::SaveNewJournal(&first).ok());
  EXPECT_FALSE(test::Exists(left));
}

// Journals do not pile up: saving one more than are kept removes the
// oldest.
TEST(JournalFilesTest, KeepsOnlyTheNewest) {
  test::TempDir dir;
  Journals journals(dir);
  context::Journal journal;
  journal.store_path = u"/x/places.sqlite";
  std::vector<std::u16string> saved;
  for (size_t i = 0; i < context::kKeptJournals + 2; ++i) {
    journal.time = 1796700000000000 + static_cast<int64_t>(i) * 60000000;
    ASSERT_TRUE(context::SaveNewJournal(&journal).ok());
    saved.push_back(journal.id);
  }
  std::vector<std::u16string> ids;
  ASSERT_TRUE(context::ListJournalIds(&ids).ok());
  EXPECT_EQ(ids, std::vector<std::u16string>(saved.begin() + 2, saved.end()));
}

}  // namespace
}  // namespace marksafe
