// One writer per store: two restores into one Chrome file at the same time
// both arrive, or one fails plainly and the other arrives.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "common/store_lock.h"
#include "faults/faults_support.h"
#include "marksafe/marksafe.h"
#include "roundtrip/collection.h"
#include "support/faulty_env.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

using Urls = std::map<std::string, int>;

TEST(StoreLockTest, ASecondWriterWaitsThenFailsWhileNestingIsFree) {
  TempDir dir;
  const std::u16string store = dir.u16("Bookmarks");
  StoreLock first;
  ASSERT_TRUE(first.Acquire(store).ok());
  StoreLock nested;  // the same thread again
  EXPECT_TRUE(nested.Acquire(store).ok());
  Status other;
  const auto start = std::chrono::steady_clock::now();
  std::thread([&] {
    StoreLock second;
    other = second.Acquire(store);
  }).join();
  EXPECT_EQ(other.code(), platform::kErrorLockViolation);
  EXPECT_GE(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(kStoreLockWaitMs - 100));
}

TEST(ConcurrentWritersTest, TwoChromeRestoresBothArriveOrOneFailsClearly) {
  TempDir dir;
  Urls urls[2];
  for (int i = 0; i < 2; ++i) {
    const std::string name = i == 0 ? "a" : "b";
    const model::Tree tree = LinkTree(name, 3000);
    MakeDirs(dir.sub(name));
    MakeDirs(dir.sub("set" + name));
    WriteChromeStore(tree, dir.sub(name + "/Bookmarks"));
    urls[i] = UrlCounts(ReadChromeStore(dir.sub(name + "/Bookmarks")));
    ASSERT_EQ(backup_chrome(Ms(dir.u16(name + "/Bookmarks")),
                            Ms(dir.u16("set" + name)), true),
              0);
  }
  const std::string target = dir.sub("t/Bookmarks");
  MakeDirs(dir.sub("t"));
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
