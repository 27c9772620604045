// Files and folders: listing order, the error codes callers test, copies
// and writes that never lose data; the replaceable system (overrides nest
// and reach the free functions), the one-step folder swap, flush and locks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

bool FailsWith(bool result, uint32_t error) {
  return !result && GetLastError() == error;
}

TEST(ListingTest, NtfsOrderComparesUpperCasedUnits) {
  TempDir dir;
  // "_" (0x5F) sorts after "Z"; "é" sorts as "É"; code units, not code
  // points, are compared, so a surrogate pair (0xD83D...) follows U+4E2D.
  const std::vector<std::string> sorted = {
      "A",         "a1",           "b",
      "z",         "_x",           "\xC3\x89",
      "\xC3\xA9z", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"};
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    WriteBytes(dir.sub(*it), "");
  }
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16() + u"\\", &entries));
  std::vector<std::string> names;
  for (const DirEntry& entry : entries) names.push_back(ToUtf8(entry.name));
  EXPECT_EQ(names, sorted);
}

// 2 (file not found) against 3 (path not found): callers tell a missing
// bookmark file from a missing folder by them. Nothing is created on the way.
TEST(FileErrorTest, EachFailureSetsTheCodeCallersTest) {
  TempDir dir;
  WriteBytes(dir.sub("f"), "");
  test::MakeDirs(dir.sub("a/b"));
  uint64_t size = 99;
  std::vector<DirEntry> entries(1);
  std::string bytes;
  EXPECT_TRUE(FailsWith(GetFileSize(dir.u16("nope.url"), &size), 2));
  EXPECT_TRUE(FailsWith(GetFileSize(dir.u16("no\\nope.url"), &size), 3));
  EXPECT_TRUE(FailsWith(GetFileSize(dir.u16(), &size), 5));
  EXPECT_EQ(size, 0u);
  EXPECT_TRUE(FailsWith(PathExists(dir.u16("nope")), 2));
  EXPECT_TRUE(FailsWith(PathExists(dir.u16("f/x")), 3));  // file as folder
  EXPECT_TRUE(FailsWith(DeleteFile(dir.u16("x/y")), 3));
  EXPECT_TRUE(FailsWith(SetHidden(dir.u16("nope")), 2));
  EXPECT_TRUE(FailsWith(ReadFile(dir.u16("nope"), &bytes), 2));
  EXPECT_TRUE(FailsWith(ListDirectory(dir.u16("missing"), &entries), 3));
  EXPECT_TRUE(entries.empty());
  // A file where a folder should be: Windows versions differ on the code,
  // but none calls it a missing file.
  EXPECT_FALSE(ListDirectory(dir.u16("f"), &entries));
  EXPECT_NE(GetLastError(), 2u);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_TRUE(FailsWith(CopyFile(dir.u16("no"), dir.u16("x"), false), 2));
  EXPECT_TRUE(FailsWith(CopyFile(dir.u16("f"), dir.u16("no/x"), false), 3));
  EXPECT_TRUE(FailsWith(CreateDirectoryTree(dir.u16("a/b")), 183));
  EXPECT_TRUE(FailsWith(CreateDirectoryTree(dir.u16("a/b/")), 183));
  EXPECT_TRUE(FailsWith(CreateDirectoryTree(dir.u16("f/sub")), 3));
  EXPECT_TRUE(FailsWith(ReplaceFileAtomically(dir.u16("no/w"), "x"), 3));
  EXPECT_EQ(test::ListTree(dir.path()),
            (std::vector<std::string>{"a/", "a/b/", "f"}));
}

TEST(FileTest, WritesSizesHidingAndFolders) {
  TempDir dir;
  const std::string bytes("a\0b\xFF", 4);
  ASSERT_TRUE(WriteFile(dir.u16("w"), "longer first"));
  ASSERT_TRUE(WriteFile(dir.u16("w"), bytes));  // truncates
  std::string back;
  ASSERT_TRUE(ReadFile(dir.u16("w"), &back));
  EXPECT_EQ(back, bytes);
  uint64_t size = 0;
  ASSERT_TRUE(GetFileSize(dir.u16() + u"\\w", &size));
  EXPECT_EQ(size, 4u);
  EXPECT_FALSE(IsDirectory(dir.u16("w")));
  ASSERT_TRUE(ReplaceFileAtomically(dir.u16("w"), "replaced"));
  EXPECT_EQ(ReadBytes(dir.sub("w")), "replaced");
  EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"w"});
  EXPECT_TRUE(SetHidden(dir.u16("w")));
  EXPECT_TRUE(DeleteFile(dir.u16("w")));
  EXPECT_FALSE(PathExists(dir.u16("w")));
  ASSERT_TRUE(CreateDirectoryTree(dir.u16() + u"\\a\\b/c"));
  EXPECT_TRUE(IsDirectory(dir.u16("a/b/c")));
}

TEST(FileTest, CopiesRefuseOrReplaceAndNeverLoseTheTarget) {
  TempDir dir;
  WriteBytes(dir.sub("from"), "new");
  WriteBytes(dir.sub("to"), "old contents");
  EXPECT_TRUE(FailsWith(CopyFile(dir.u16("from"), dir.u16("to"), true), 80));
  EXPECT_FALSE(CopyFile(dir.u16("missing"), dir.u16("to"), false));
  EXPECT_EQ(ReadBytes(dir.sub("to")), "old contents");
  ASSERT_TRUE(CopyFile(dir.u16("from"), dir.u16("to"), false));
  EXPECT_EQ(ReadBytes(dir.sub("to")), "new");
  // Onto itself: refused, and the file keeps its bytes.
  EXPECT_FALSE(CopyFile(dir.u16("from"), dir.u16() + u"\\from", false));
  EXPECT_EQ(ReadBytes(dir.sub("from")), "new");
  // The shell copy replaces a file and copies into a folder.
  WriteBytes(dir.sub("to"), "old again");
  ASSERT_TRUE(ShellCopyFile(dir.u16("from"), dir.u16("to")));
  EXPECT_EQ(ReadBytes(dir.sub("to")), "new");
  test::MakeDirs(dir.sub("folder"));
  ASSERT_TRUE(ShellCopyFile(dir.u16("from"), dir.u16("folder")));
  EXPECT_EQ(ReadBytes(dir.sub("folder/from")), "new");
}

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
