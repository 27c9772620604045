// The replaceable system: overrides nest and reach the free functions; the
// system's own folder swap, flush and locks.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/system_env.h"
#include "support/faulty_env.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::FaultOp;
using test::FaultyEnv;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(EnvTest, OverridesNestAndReachTheFreeFunctions) {
  TempDir dir;
  const std::u16string file = dir.u16("f");
  FaultyEnv outer;
  {
    ScopedEnvOverride scoped(&outer);
    outer.SetBrowserRunning(Browser::kChrome, true);
    EXPECT_TRUE(BrowserIsRunning(Browser::kChrome));
    AskBrowserToClose(Browser::kChrome);
    EXPECT_FALSE(BrowserIsRunning(Browser::kChrome));
    outer.FailNth(FaultOp::kWrite, 2, 112);
    EXPECT_TRUE(WriteFile(file, "one"));
    {
      ScopedEnvOverride system(SystemEnv::Default());
      EXPECT_TRUE(WriteFile(file, "two"));  // not counted by outer
    }
    EXPECT_FALSE(ReplaceFileAtomically(file, "three"));
    EXPECT_EQ(GetLastError(), 112u);
    EXPECT_EQ(outer.Count(FaultOp::kWrite), 2);
  }
  EXPECT_EQ(CurrentEnv(), SystemEnv::Default());
  EXPECT_EQ(ReadBytes(dir.sub("f")), "two");
}

TEST(EnvTest, ExchangeSwapsTwoFoldersOrSaysItCannot) {
  TempDir dir;
  WriteBytes(dir.sub("a/x"), "a");
  WriteBytes(dir.sub("b/x"), "b");
  if (!ExchangeFolders(dir.u16("a"), dir.u16("b"))) {
    EXPECT_EQ(GetLastError(), kErrorNotSupported);
    GTEST_SKIP() << "no one-step swap on this system";
  }
  EXPECT_EQ(ReadBytes(dir.sub("a/x")), "b");
  EXPECT_EQ(ReadBytes(dir.sub("b/x")), "a");
  EXPECT_TRUE(SyncPath(dir.u16("a")));
  EXPECT_TRUE(SyncPath(dir.u16("a/x")));
  EXPECT_FALSE(SyncPath(dir.u16("missing")));
}

// A copy over a file that is there replaces it in one step: a failed copy
// leaves it, and no partial copy stays beside it.
TEST(EnvTest, CopyOverAFileKeepsItWhenTheCopyFails) {
  TempDir dir;
  WriteBytes(dir.sub("old"), "old bytes");
  WriteBytes(dir.sub("new"), "new bytes");
  EXPECT_FALSE(CopyFile(dir.u16("missing"), dir.u16("old"), false));
  EXPECT_EQ(ReadBytes(dir.sub("old")), "old bytes");
  EXPECT_TRUE(CopyFile(dir.u16("new"), dir.u16("old"), false));
  EXPECT_EQ(ReadBytes(dir.sub("old")), "new bytes");
  EXPECT_FALSE(CopyFile(dir.u16("new"), dir.u16("old"), true));
  EXPECT_EQ(test::ListTree(dir.path()),
            (std::vector<std::string>{"new", "old"}));
}

TEST(EnvTest, ALockIsExclusiveUntilReleased) {
  TempDir dir;
  const std::u16string path = dir.u16("store.lock");
  std::unique_ptr<FileLock> first, second;
  ASSERT_TRUE(LockFile(path, 0, &first));
  EXPECT_FALSE(LockFile(path, 50, &second));
  EXPECT_EQ(GetLastError(), kErrorLockViolation);
  first.reset();
  EXPECT_TRUE(LockFile(path, 0, &second));
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
