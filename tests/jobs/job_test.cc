// Each call runs in its own job: its report, progress, options and locks
// are its own, whatever other threads do at the same time.
#include <gtest/gtest.h>
#include <json/json.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "context/job.h"
#include "context/store_lock.h"
#include "marksafe/marksafe.h"
#include "roundtrip/collection.h"
#include "support/faulty_env.h"
#include "support/test_support.h"

namespace marksafe {
namespace test {
namespace {

int64_t SourceLinks(const std::string& report_json) {
  const Json::Value report = ParseJson(report_json);
  if (report["operation"].asString() != "marksafe_export_html") return -1;
  int64_t links = 0;
  for (const Json::Value& root : report["roots"]) {
    links += root["source"]["links"].asInt64();
  }
  return links;
}

// Two threads export stores of different sizes over and over, at the same
// time: every call's report counts its own store only.
TEST(JobTest, CallsOnTwoThreadsKeepTheirOwnReport) {
  TempDir dir;
  const int kLinks[2] = {120, 700};
  for (int i = 0; i < 2; ++i) {
    WriteChromeStore(LinkTree("https://t" + std::to_string(i) + ".example/",
                              kLinks[i]),
                     dir.sub("Bookmarks" + std::to_string(i)));
  }
  // What each export counts when it runs alone.
  int64_t alone[2];
  auto path = [&](const char* name, int i) {
    return dir.u16(name + std::to_string(i));
  };
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(marksafe_export_html(Ms(path("Bookmarks", i)),
                                   MARKSAFE_STORE_CHROME,
                                   Ms(path("out.html", i))),
              0);
    alone[i] = SourceLinks(marksafe_last_report());
  }
  ASSERT_GT(alone[0], 0);
  ASSERT_GT(alone[1], alone[0]);
  int mismatches[2] = {0, 0};
  auto run = [&](int i) {
    for (int round = 0; round < 15; ++round) {
      const int32_t code =
          marksafe_export_html(Ms(path("Bookmarks", i)), MARKSAFE_STORE_CHROME,
                               Ms(path("out.html", i)));
      if (code != 0 || SourceLinks(marksafe_last_report()) != alone[i]) {
        ++mismatches[i];
      }
    }
  };
  std::thread other(run, 1);
  run(0);
  other.join();
  EXPECT_EQ(mismatches[0], 0);
  EXPECT_EQ(mismatches[1], 0);
}

// Host threads that call in and end: what each kept for its thread (its
// report, the texts returned to it) goes with it, and the heap and the
// threads that stay are untouched by it.
TEST(JobTest, ThreadsThatCallInAndEndLeaveNothingBehind) {
  TempDir dir;
  ScopedEnv state("XDG_STATE_HOME", dir.sub("state"));  // not the user's
  WriteChromeStore(LinkTree("https://ends.example/", 30), dir.sub("Bookmarks"));
  ASSERT_EQ(marksafe_export_html(Ms(dir.u16("Bookmarks")),
                                 MARKSAFE_STORE_CHROME, Ms(dir.u16("a.html"))),
            0);
  const std::string mine = marksafe_last_report();
  int wrong = 0;
  for (int round = 0; round < 8; ++round) {
    std::thread worker([&] {
      const bool ok =
          marksafe_export_html(Ms(dir.u16("Bookmarks")), MARKSAFE_STORE_CHROME,
                               Ms(dir.u16("b.html"))) == 0 &&
          SourceLinks(marksafe_last_report()) == SourceLinks(mine) &&
          std::string(marksafe_journals()).find("journals") !=
              std::string::npos;
      if (!ok) ++wrong;
    });
    worker.join();
    std::string grown(4096 + round * 512, 'x');  // the heap still serves
    EXPECT_EQ(grown.size(), 4096u + round * 512u);
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(marksafe_last_report(), mine);
}

// A call that refuses its arguments, of any family and whether it refuses
// before or inside its job, leaves a report of its own that says so, in
// place of the successful call's before it, and its code as last error.
TEST(JobTest, RefusedCallsLeaveTheirOwnReport) {
  TempDir dir;
  WriteChromeStore(LinkTree("https://ok.example/", 5), dir.sub("Bookmarks"));
  const std::u16string store = dir.u16("Bookmarks");
  const std::u16string root = dir.u16();
  int32_t progress = 0;
  const volatile uint8_t never = 0;
  MS_CHAR found[260] = {};
  const struct {
    const char* operation;
    int32_t failure;  // the code returned (bools: 0)
    uint32_t last_error;
    std::function<int32_t()> call;
  } kCases[] = {
      {"restore_firefox_pro", 0, 87,
       [&] {
         return int32_t{restore_firefox_pro(nullptr, Ms(root), true, 0, 0, 0, 0,
                                            &progress)};
       }},
      {"import_chrome_bk_2_firefox", 87, 87,
       [&] { return import_chrome_bk_2_firefox(nullptr, Ms(root), true); }},
      {"export_chrome_2_folder", 3, 3,
       [&] { return export_chrome_2_folder(Ms(store), nullptr); }},
      {"import_folder_2_chrome_bar", 87, 87,
       [&] {
         return import_folder_2_chrome_bar(Ms(store), Ms(root), nullptr);
       }},
      {"backup_ie", 0, 87,
       [&] {
         return int32_t{backup_ie(nullptr, nullptr, true, false, &never)};
       }},
      {"marksafe_export_html", 87, 87,
       [&] { return marksafe_export_html(Ms(store), 99, Ms(root)); }},
      {"marksafe_backup_part", 87, 87,
       [&] {
         return marksafe_backup_part(Ms(store), 99, Ms(root), nullptr, nullptr);
       }},
      {"marksafe_find_snapshot", 87, 87,
       [&] {
         return marksafe_find_snapshot(Ms(root), nullptr, nullptr, found);
       }},
  };
  for (const auto& refused : kCases) {
    SCOPED_TRACE(refused.operation);
    ASSERT_EQ(marksafe_export_html(Ms(store), MARKSAFE_STORE_CHROME,
                                   Ms(dir.u16("out.html"))),
              0);
    ASSERT_GT(SourceLinks(marksafe_last_report()), 0);
    EXPECT_EQ(refused.call(), refused.failure);
    EXPECT_EQ(marksafe_last_error(), refused.last_error);
    const Json::Value report = ParseJson(marksafe_last_report());
    EXPECT_EQ(report["operation"].asString(), refused.operation);
    EXPECT_TRUE(report["refused"].asBool());
    EXPECT_TRUE(report["roots"].empty());
    EXPECT_FALSE(report["problems"].empty());
  }
}

// An export whose file cannot be written counts what it read as failed,
// nothing as added.
TEST(JobTest, ExportThatCannotWriteCountsItsLinksAsFailed) {
  TempDir dir;
  WriteChromeStore(LinkTree("https://w.example/", 5), dir.sub("Bookmarks"));
  EXPECT_EQ(marksafe_export_html(Ms(dir.u16("Bookmarks")),
                                 MARKSAFE_STORE_CHROME,
                                 Ms(dir.u16("missing/out.html"))),
            5);
  const Json::Value report = ParseJson(marksafe_last_report());
  EXPECT_TRUE(report["lost"].asBool());
  ASSERT_FALSE(report["roots"].empty());
  for (const Json::Value& root : report["roots"]) {
    EXPECT_EQ(root["added"]["links"].asInt64(), 0);
    EXPECT_EQ(root["failed"], root["source"]);
  }
}

// A call takes a lock it holds again under any spelling of the store's
// path; a call on another thread waits as long as its own options say, or
// the default wait without a job of its own, and then fails.
TEST(JobTest, LocksBelongToTheCallAndAreKeyedByTheStoresPath) {
  TempDir dir;
  MakeDirs(dir.sub("sub"));
  WriteBytes(dir.sub("store"), "x");
  context::JobScope scope("test");
  StoreLock first, again;
  ASSERT_TRUE(first.Acquire(dir.u16("store")).ok());
  EXPECT_TRUE(again.Acquire(dir.u16("sub/../store")).ok());

  ScopedFaultyEnv env;  // the waits pass on a clock of its own
  env->UseFakeClock();
  for (const bool own_job : {true, false}) {
    SCOPED_TRACE(own_job ? "own job" : "no job");
    const int64_t wait_ms = own_job ? 50 : context::kDefaultLockWaitMs;
    const int64_t start = env->NowMicros();
    Status elsewhere;
    std::thread([&] {
      std::unique_ptr<context::JobScope> other;
      if (own_job) {
        context::Options options;
        options.lock_wait_ms = 50;
        other = std::make_unique<context::JobScope>("other", options);
      }
      StoreLock lock;
      elsewhere = lock.Acquire(dir.u16("./store"));
    }).join();
    EXPECT_EQ(elsewhere.code(), kErrorLockViolation);
    const int64_t waited = env->NowMicros() - start;
    EXPECT_GE(waited, wait_ms * 1000);
    EXPECT_LT(waited, wait_ms * 1000 + 1000000);
  }
}

}  // namespace
}  // namespace test
}  // namespace marksafe
