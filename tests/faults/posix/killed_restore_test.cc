// Restores of a large part killed at random points (fork, then SIGKILL)
// leave a store that reads (a Chrome file that parses, a places store whose
// integrity check passes), holding the old or the whole new content; killed
// backups leave a part that reads whole, the old or the new one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "backup_set/part.h"
#include "marksafe/marksafe.h"
#include "roundtrip/collection.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

namespace fs = std::filesystem;
using Urls = std::map<std::string, int>;

// Kills restores of a large part at random points. The first run, not
// killed, measures how long a restore takes.
void KillRestores(bool chrome) {
  TempDir dir;
  const model::Tree old_tree = LinkTree("old", 50);
  const model::Tree new_tree = LinkTree("new", chrome ? 6000 : 4000);
  const std::string source = dir.sub(chrome ? "src/Bookmarks" : "src/p.sqlite");
  const std::string target =
      dir.sub(chrome ? "t/Bookmarks" : "t/places.sqlite");
  BackUpNewStore(new_tree, chrome, source, dir.sub("set"));
  if (chrome) {
    WriteChromeStore(old_tree, target);
  } else {
    WritePlacesStore(old_tree, target);
  }
  auto read = [&](const std::string& path) {
    return UrlCounts(chrome ? ReadChromeStore(path) : ReadPlacesStore(path));
  };
  const Urls old_urls = read(target);
  Urls new_urls = read(source);  // what a whole restore adds to old_urls
  for (const auto& [url, n] : old_urls) {
    if (new_urls[url] < n) new_urls[url] = n;
  }
  const std::string old_bytes = ReadBytes(target);
  std::mt19937 random(12345);
  long long full_ms = 0;
  for (int round = 0; round < 5; ++round) {
    fs::remove(target + "-wal");
    fs::remove(target + "-shm");
    fs::remove(target + "-journal");
    WriteBytes(target, old_bytes);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(RestoreSet(chrome, target, dir.sub("set")) ? 0 : 1);
    if (round > 0) {
      std::uniform_int_distribution<long long> pick(0, full_ms);
      std::this_thread::sleep_for(std::chrono::milliseconds(pick(random)));
      kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (round == 0) {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      full_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
    }
    SCOPED_TRACE("round " + std::to_string(round));
    if (!chrome) {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(target.c_str(), &db), SQLITE_OK);
      sqlite3_stmt* check = nullptr;
      ASSERT_EQ(
          sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr),
          SQLITE_OK);
      ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
      EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)),
                   "ok");
      sqlite3_finalize(check);
      sqlite3_close(db);
    }
    const Urls now = read(target);
    EXPECT_TRUE(now == old_urls || now == new_urls)
        << now.size() << " URLs: neither the old nor the new content";
  }
}

TEST(KilledBackupTest, PartIsTheOldOrTheNewOneAndComplete) {
  TempDir dir;
  const std::string old_store = dir.sub("old/Bookmarks");
  const std::string new_store = dir.sub("new/Bookmarks");
  MakeDirs(dir.sub("set"));
  WriteChromeStore(LinkTree("old", 50), old_store);
  WriteChromeStore(LinkTree("new", 6000), new_store);
  auto backup = [&](const std::string& store) {
    return backup_chrome(Ms(U16(store)), Ms(dir.u16("set")), true);
  };
  // The part must read without accepting incomplete ones.
  auto part = [&] {
    model::Tree tree;
    const Status status = backup_set::ReadPart(
        dir.u16("set/Bookmarks/Chrome"), backup_set::PartKind::kChrome, &tree);
    EXPECT_TRUE(status.ok()) << U8(status.message());
    return UrlCounts(tree);
  };
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(backup(new_store), 0);
  const long long full_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start)
          .count();
  const Urls new_urls = part();
  std::mt19937 random(54321);
  for (int round = 1; round < 5; ++round) {
    ASSERT_EQ(backup(old_store), 0);
    const Urls old_urls = part();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(backup(new_store));
    std::uniform_int_distribution<long long> pick(0, full_ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(pick(random)));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    SCOPED_TRACE("round " + std::to_string(round));
    const Urls now = part();
    EXPECT_TRUE(now == old_urls || now == new_urls)
        << now.size() << " URLs: neither the old nor the new part";
  }
}

TEST(KilledRestoreTest, ChromeFileHoldsTheOldOrTheNewContent) {
  KillRestores(true);
}

TEST(KilledRestoreTest, PlacesStoreHoldsTheOldOrTheNewContent) {
  KillRestores(false);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
