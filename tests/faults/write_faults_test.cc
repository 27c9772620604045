// Every write path under injected faults: each call of a kind (write,
// rename, folder creation, lock, open, delete, flush) is failed in turn, and
// after each run the store or backup part must still hold what it held
// before, be readable, and a run that reports success must have written
// everything. One writer per store: two restores into one Chrome file at the
// same time both arrive, or one fails plainly and the other arrives.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "backup_set/part.h"
#include "context/job.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "roundtrip/collection.h"
#include "support/faulty_env.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

namespace fs = std::filesystem;
using Urls = std::map<std::string, int>;

const volatile uint8_t kNever = 0;

struct OpFault {
  FaultOp op;
  uint32_t code;
};
const OpFault kFaults[] = {
    {FaultOp::kWrite, 112},
    {FaultOp::kRename, 5},
    {FaultOp::kCreateDir, 5},
    {FaultOp::kLock, 33},
    {FaultOp::kOpen, 5},
    {FaultOp::kDelete, 5},
    {FaultOp::kSync, 5},
    {FaultOp::kDatabaseWrite, 112},
    {FaultOp::kDatabaseWrite, 1117},
};

// Runs `run` once without faults to count the calls, then once for each
// call of each kind failing (at most 12 per kind, spread over the run),
// with `reset` before and `check(succeeded)` after every run. Returns how
// many runs failed, and counts them per kind in *failed_by_op when given.
int Sweep(const std::function<void()>& reset, const std::function<bool()>& run,
          const std::function<void(bool)>& check,
          std::map<FaultOp, int>* failed_by_op = nullptr) {
  FaultyEnv env;
  platform::ScopedEnvOverride scoped(&env);
  reset();
  EXPECT_TRUE(run()) << "the run fails without any fault";
  check(true);
  std::map<FaultOp, int> calls;
  for (const OpFault& fault : kFaults) calls[fault.op] = env.Count(fault.op);
  int failed = 0;
  for (const OpFault& fault : kFaults) {
    const int total = calls[fault.op];
    const int step = total > 12 ? total / 12 : 1;
    for (int n = 1; n <= total; n += step) {
      reset();
      env.Reset();
      env.FailNth(fault.op, n, fault.code);
      SCOPED_TRACE("fault on call " + std::to_string(n) + " of kind " +
                   std::to_string(static_cast<int>(fault.op)));
      // A run refused before it starts a job leaves the last report as it
      // was: the check must not read the previous run's.
      { context::JobScope clear("none"); }
      const bool ok = run();
      if (!ok) {
        ++failed;
        if (failed_by_op != nullptr) ++(*failed_by_op)[fault.op];
      }
      env.Reset();  // the check reads without faults
      check(ok);
    }
  }
  return failed;
}

class WriteFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = LinkTree("old", 60);
    new_ = LinkTree("new", 60);
    old_urls_ = UrlCounts(old_);
    new_urls_ = UrlCounts(new_);
  }
  // A backup set whose part of the given kind holds new_.
  void MakeSet(bool chrome) {
    BackUpNewStore(new_, chrome,
                   dir_.sub(chrome ? "src/Bookmarks" : "src/p.sqlite"),
                   dir_.sub("set"));
  }
  // The store keeps what it held, holds the new links after a success,
  // and the call's report counts no link as added that the store does not
  // hold (a write that was taken back counts as failed).
  void ExpectOldKept(const Urls& now, bool ok) {
    EXPECT_TRUE(Holds(now, old_urls_)) << "the store lost what it held";
    if (ok) {
      EXPECT_TRUE(Holds(now, new_urls_)) << "success, but not written";
    }
    bool any_new = false;
    for (const auto& [url, count] : new_urls_) {
      const auto held = now.find(url);
      const auto before = old_urls_.find(url);
      any_new |= held != now.end() &&
                 held->second > (before == old_urls_.end() ? 0 : before->second);
    }
    int64_t added = 0;
    for (const model::RootReport& root : context::LastReport().roots) {
      added += root.added.links;
    }
    if (!any_new) {
      EXPECT_EQ(added, 0) << "counted as added, but not kept";
    }
  }
  TempDir dir_;
  model::Tree old_, new_;
  Urls old_urls_, new_urls_;
};

TEST_F(WriteFaultsTest, ChromeRestoreKeepsTheFileWhole) {
  MakeSet(true);
  const std::string target = dir_.sub("target/Bookmarks");
  WriteChromeStore(old_, target);
  // As read, the stores hold the browsers' own default bookmarks too.
  old_urls_ = UrlCounts(ReadChromeStore(target));
  new_urls_ = UrlCounts(ReadChromeStore(dir_.sub("src/Bookmarks")));
  const std::string old_bytes = ReadBytes(target);
  const int failed =
      Sweep([&] { WriteBytes(target, old_bytes); },
            [&] { return RestoreSet(true, target, dir_.sub("set")); },
            [&](bool ok) {
              ExpectOldKept(UrlCounts(ReadChromeStore(target)), ok);
              EXPECT_FALSE(Exists(target + ".marksafe-new"));
            });
  EXPECT_GT(failed, 0);
}

TEST_F(WriteFaultsTest, PlacesRestoreKeepsTheStoreWhole) {
  MakeSet(false);
  const std::string target = dir_.sub("target/places.sqlite");
  WritePlacesStore(old_, target);
  old_urls_ = UrlCounts(ReadPlacesStore(target));
  new_urls_ = UrlCounts(ReadPlacesStore(dir_.sub("src/p.sqlite")));
  const std::string old_bytes = ReadBytes(target);
  std::map<FaultOp, int> failed;
  Sweep(
      [&] {
        fs::remove(target + "-wal");
        fs::remove(target + "-shm");
        WriteBytes(target, old_bytes);
      },
      [&] { return RestoreSet(false, target, dir_.sub("set")); },
      [&](bool ok) { ExpectOldKept(UrlCounts(ReadPlacesStore(target)), ok); },
      &failed);
  // The database's own writes and flushes failed, and SQLite said so.
  EXPECT_GT(failed[FaultOp::kDatabaseWrite], 0);
}

// A backup over an earlier one: a failed run leaves the earlier part as it
// was, a successful one the new content only.
TEST_F(WriteFaultsTest, ChromeBackupReplacesThePartWholeOrNotAtAll) {
  MakeSet(true);  // the set's part holds new_
  const std::string new_source = dir_.sub("src/Bookmarks");
  const std::string pristine = dir_.sub("pristine");
  fs::copy(dir_.sub("set"), pristine, fs::copy_options::recursive);
  const std::string source = dir_.sub("old/Bookmarks");
  WriteChromeStore(old_, source);
  const std::u16string part = dir_.u16("set/Bookmarks/Chrome");
  const int failed = Sweep(
      [&] {
        fs::remove_all(dir_.sub("set"));
        fs::copy(pristine, dir_.sub("set"), fs::copy_options::recursive);
      },
      [&] {
        return backup_chrome(Ms(U16(source)), Ms(dir_.u16("set")), true) == 0;
      },
      [&](bool ok) {
        model::Tree read;
        ASSERT_TRUE(
            backup_set::ReadPart(part, backup_set::PartKind::kChrome, &read)
                .ok());
        EXPECT_EQ(UrlCounts(read),
                  UrlCounts(ReadChromeStore(ok ? source : new_source)));
      });
  EXPECT_GT(failed, 0);
}

// The Favorites folder keeps every file it had, byte for byte; a backup's
// file of the same name with other bytes arrives under another name.
TEST_F(WriteFaultsTest, FavoritesRestoreNeverReplacesAFile) {
  MakeSet(true);
  const std::string mine = test::Shortcut("https://mine/");
  const std::string theirs = test::Shortcut("https://theirs/");
  WriteBytes(dir_.sub("set/Bookmarks/Favorites/a.url"), theirs);
  WriteBytes(dir_.sub("set/Bookmarks/Favorites/d/b.url"), theirs);
  const std::string fav = dir_.sub("Favorites");
  const int failed = Sweep(
      [&] {
        fs::remove_all(fav);
        WriteBytes(fav + "/a.url", mine);
        WriteBytes(fav + "/d/b.url", mine);
      },
      [&] {
        int32_t progress = 0;
        return backup_ie_pro(Ms(U16(fav)), Ms(dir_.u16("set")), true, true,
                             &kNever, false, 0, 0, 0, 0, &progress);
      },
      [&](bool ok) {
        EXPECT_EQ(ReadBytes(fav + "/a.url"), mine);
        EXPECT_EQ(ReadBytes(fav + "/d/b.url"), mine);
        if (ok) {
          EXPECT_EQ(ReadBytes(fav + "/a (2).url"), theirs);
        }
      });
  EXPECT_GT(failed, 0);
}

// backup_ie into a set that holds an earlier Favorites part.
TEST_F(WriteFaultsTest, IeBackupKeepsTheEarlierPartOnFailure) {
  const std::string fav = dir_.sub("Favorites");
  WriteBytes(fav + "/now.url", test::Shortcut("https://now/"));
  WriteBytes(fav + "/f/now2.url", test::Shortcut("https://n2/"));
  const std::string part = dir_.sub("set/Bookmarks/Favorites");
  const std::vector<std::string> earlier = {"f/", "f/then.url", "then.url"};
  const int failed = Sweep(
      [&] {
        fs::remove_all(dir_.sub("set"));
        WriteBytes(part + "/then.url", "x");
        WriteBytes(part + "/f/then.url", "y");
      },
      [&] {
        return backup_ie(Ms(U16(fav)), Ms(dir_.u16("set")), true, true,
                         &kNever);
      },
      [&](bool ok) {
        if (ok) {
          EXPECT_EQ(ListTree(part),
                    (std::vector<std::string>{"f/", "f/now2.url", "now.url"}));
        } else {
          EXPECT_EQ(ListTree(part), earlier);
          EXPECT_EQ(ReadBytes(part + "/then.url"), "x");
        }
      });
  EXPECT_GT(failed, 0);
}

TEST(ConcurrentWritersTest, TwoChromeRestoresBothArriveOrOneFailsClearly) {
  TempDir dir;
  Urls urls[2];
  for (int i = 0; i < 2; ++i) {
    const std::string name = i == 0 ? "a" : "b";
    BackUpNewStore(LinkTree(name, 3000), true, dir.sub(name + "/Bookmarks"),
                   dir.sub("set" + name));
    urls[i] = UrlCounts(ReadChromeStore(dir.sub(name + "/Bookmarks")));
  }
  const std::string target = dir.sub("t/Bookmarks");
  WriteChromeStore(LinkTree("old", 40), target);
  const Urls old_urls = UrlCounts(ReadChromeStore(target));
  int32_t result[2] = {-1, -1};
  std::thread runs[2];
  for (int i = 0; i < 2; ++i) {
    runs[i] = std::thread([&, i] {
      result[i] = restore_chrome(Ms(U16(target)),
                                 Ms(dir.u16(i == 0 ? "seta" : "setb")), true);
    });
  }
  for (std::thread& run : runs) run.join();
  const Urls now = UrlCounts(ReadChromeStore(target));
  EXPECT_TRUE(Holds(now, old_urls));
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(result[i] == 0 || result[i] == 87) << result[i];
    if (result[i] == 0) {
      EXPECT_TRUE(Holds(now, urls[i])) << "the links of restore " << i;
    }
  }
  EXPECT_TRUE(result[0] == 0 || result[1] == 0);
}

}  // namespace
}  // namespace test
}  // namespace marksafe
