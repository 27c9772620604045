// Files and folders: listing order, the error codes callers test, copies
// that never lose data. (The folder swap and locks are exercised under
// faults in tests/faults.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

bool FailsWith(bool result, uint32_t error) {
  return !result && GetLastError() == error;
}

// A failed Status carries the code it also left as the last error.
bool FailsWith(const Status& status, uint32_t error) {
  return status.code() == error && FailsWith(status.ok(), error);
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
  ASSERT_TRUE(ListDirectory(dir.u16() + u"\\", &entries).ok());
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
  EXPECT_TRUE(FailsWith(ReadFile(dir.u16("nope"), &bytes), 2));
  EXPECT_TRUE(FailsWith(ListDirectory(dir.u16("missing"), &entries), 3));
  EXPECT_TRUE(entries.empty());
  // A file where a folder should be: Windows versions differ on the code,
  // but none calls it a missing file.
  EXPECT_FALSE(ListDirectory(dir.u16("f"), &entries).ok());
  EXPECT_NE(GetLastError(), 2u);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_TRUE(FailsWith(CopyFile(dir.u16("no"), dir.u16("x"), false), 2));
  EXPECT_TRUE(
      FailsWith(CopyFile(dir.u16("f"), dir.u16("no/x"), false), 3));
  EXPECT_TRUE(FailsWith(CreateDirectoryTree(dir.u16("a/b")), 183));
  EXPECT_TRUE(FailsWith(CreateDirectoryTree(dir.u16("f/sub")), 3));
  EXPECT_TRUE(FailsWith(ReplaceFileAtomically(dir.u16("no/w"), "x"), 3));
  EXPECT_EQ(test::ListTree(dir.path()),
            (std::vector<std::string>{"a/", "a/b/", "f"}));
}

TEST(FileTest, CopiesRefuseOrReplaceAndNeverLoseTheTarget) {
  TempDir dir;
  WriteBytes(dir.sub("from"), "new");
  WriteBytes(dir.sub("to"), "old contents");
  EXPECT_TRUE(
      FailsWith(CopyFile(dir.u16("from"), dir.u16("to"), true), 80));
  EXPECT_FALSE(CopyFile(dir.u16("missing"), dir.u16("to"), false).ok());
  EXPECT_EQ(ReadBytes(dir.sub("to")), "old contents");
  std::string copied;
  ASSERT_TRUE(CopyFile(dir.u16("from"), dir.u16("to"), false, &copied).ok());
  EXPECT_EQ(ReadBytes(dir.sub("to")), "new");
  EXPECT_EQ(copied, "new");
  // A new file is written whole and its bytes handed back.
  ASSERT_TRUE(CopyFile(dir.u16("to"), dir.u16("fresh"), true, &copied).ok());
  EXPECT_EQ(ReadBytes(dir.sub("fresh")), "new");
  EXPECT_EQ(copied, "new");
  // Onto itself: refused, and the file keeps its bytes.
  EXPECT_FALSE(CopyFile(dir.u16("from"), dir.u16() + u"\\from", false).ok());
  EXPECT_EQ(ReadBytes(dir.sub("from")), "new");
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
