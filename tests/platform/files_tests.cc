// Files and folders: listing order and flags, the error codes callers
// test, and copies that never lose data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& entry : entries) names.push_back(ToUtf8(entry.name));
  return names;
}

const DirEntry* Find(const std::vector<DirEntry>& entries, const char* name) {
  for (const DirEntry& entry : entries) {
    if (ToUtf8(entry.name) == name) return &entry;
  }
  return nullptr;
}

TEST(ListingTest, NtfsOrderComparesUpperCasedUnits) {
  TempDir dir;
  for (const char* name : {"b", "_x", "a1", "\xC3\x89",
                           "\xC3\xA9"
                           "a",
                           "z", "A", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"}) {
    WriteBytes(dir.sub(name), "");
  }
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16(), &entries));
  // "_" (0x5F) sorts after "Z"; the lower-case e-acute sorts as "É"; code
  // units, not code points, are compared, so a surrogate pair (0xD83D...)
  // sorts after U+4E2D.
  EXPECT_EQ(Names(entries),
            (std::vector<std::string>{"A", "a1", "b", "z", "_x", "\xC3\x89",
                                      "\xC3\xA9"
                                      "a",
                                      "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"}));
}

TEST(ListingTest, FlagsForFoldersLinksAndDotNames) {
  TempDir dir;
  test::MakeDirs(dir.sub("folder"));
  WriteBytes(dir.sub("file.url"), "x");
  WriteBytes(dir.sub(".Quillbay"), "");
  ASSERT_EQ(symlink(dir.sub("folder").c_str(), dir.sub("dirlink").c_str()), 0);
  ASSERT_EQ(symlink(dir.sub("file.url").c_str(), dir.sub("filelink").c_str()),
            0);
  ASSERT_EQ(symlink(dir.sub("gone").c_str(), dir.sub("dangling").c_str()), 0);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16(), &entries));
  ASSERT_EQ(entries.size(), 6u);  // no "." or ".."
  EXPECT_EQ(ToUtf8(entries[0].name), ".Quillbay");
  EXPECT_TRUE(entries[0].is_hidden);
  const DirEntry* folder = Find(entries, "folder");
  ASSERT_NE(folder, nullptr);
  EXPECT_TRUE(folder->is_directory);
  EXPECT_FALSE(folder->is_reparse_point || folder->is_hidden);
  const DirEntry* file = Find(entries, "file.url");
  EXPECT_FALSE(file->is_directory || file->is_reparse_point);
  EXPECT_TRUE(Find(entries, "dirlink")->is_reparse_point);
  EXPECT_TRUE(Find(entries, "dirlink")->is_directory);
  EXPECT_TRUE(Find(entries, "filelink")->is_reparse_point);
  EXPECT_FALSE(Find(entries, "filelink")->is_directory);
  EXPECT_TRUE(Find(entries, "dangling")->is_reparse_point);
}

TEST(ListingTest, BackslashesAndFailures) {
  TempDir dir;
  WriteBytes(dir.sub("sub/inner.url"), "");
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16() + u"\\sub\\", &entries));
  EXPECT_EQ(Names(entries), std::vector<std::string>{"inner.url"});
  EXPECT_FALSE(ListDirectory(dir.u16("missing"), &entries));
  EXPECT_EQ(GetLastError(), 3u);
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(ListDirectory(dir.u16("sub/inner.url"), &entries));
  EXPECT_EQ(GetLastError(), 3u);
}

TEST(FileErrorTest, MissingFileAgainstMissingFolder) {
  TempDir dir;
  uint64_t size = 99;
  EXPECT_FALSE(GetFileSize(dir.u16("nope.url"), &size));
  EXPECT_EQ(GetLastError(), 2u);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(GetFileSize(dir.u16("nofolder\\nope.url"), &size));
  EXPECT_EQ(GetLastError(), 3u);
  EXPECT_FALSE(PathExists(dir.u16("nope")));
  EXPECT_EQ(GetLastError(), 2u);
  EXPECT_FALSE(DeleteFile(dir.u16("a/b")));
  EXPECT_EQ(GetLastError(), 3u);
  EXPECT_FALSE(SetHidden(dir.u16("nope")));
  EXPECT_EQ(GetLastError(), 2u);
  // A file used as a folder is a missing path.
  WriteBytes(dir.sub("f"), "");
  EXPECT_FALSE(PathExists(dir.u16("f/x")));
  EXPECT_EQ(GetLastError(), 3u);
  // A folder is not a file whose size can be taken.
  EXPECT_FALSE(GetFileSize(dir.u16(), &size));
  EXPECT_EQ(GetLastError(), 5u);
}

TEST(FileTest, SizesExistenceAndHiding) {
  TempDir dir;
  WriteBytes(dir.sub("five"), "12345");
  uint64_t size = 0;
  ASSERT_TRUE(GetFileSize(dir.u16() + u"\\five", &size));
  EXPECT_EQ(size, 5u);
  EXPECT_TRUE(PathExists(dir.u16("five")));
  EXPECT_FALSE(IsDirectory(dir.u16("five")));
  EXPECT_TRUE(IsDirectory(dir.u16()));
  EXPECT_TRUE(SetHidden(dir.u16("five")));
  EXPECT_EQ(ReadBytes(dir.sub("five")), "12345");
  EXPECT_TRUE(DeleteFile(dir.u16("five")));
  EXPECT_FALSE(test::Exists(dir.sub("five")));
}

TEST(FileTest, CreateDirectoryTree) {
  TempDir dir;
  ASSERT_TRUE(CreateDirectoryTree(dir.u16() + u"\\a\\b/c"));
  EXPECT_TRUE(test::IsDir(dir.sub("a/b/c")));
  EXPECT_FALSE(CreateDirectoryTree(dir.u16("a/b")));
  EXPECT_EQ(GetLastError(), 183u);
  EXPECT_FALSE(CreateDirectoryTree(dir.u16("a/b/c/")));
  EXPECT_EQ(GetLastError(), 183u);
  WriteBytes(dir.sub("file"), "");
  EXPECT_FALSE(CreateDirectoryTree(dir.u16("file/sub")));
  EXPECT_EQ(GetLastError(), 3u);
}

TEST(FileTest, CopyFileRefusesOrReplaces) {
  TempDir dir;
  WriteBytes(dir.sub("from"), "new");
  WriteBytes(dir.sub("to"), "old contents");
  EXPECT_FALSE(CopyFile(dir.u16("from"), dir.u16("to"), true));
  EXPECT_EQ(GetLastError(), 80u);
  EXPECT_EQ(ReadBytes(dir.sub("to")), "old contents");
  ASSERT_TRUE(CopyFile(dir.u16("from"), dir.u16("to"), false));
  EXPECT_EQ(ReadBytes(dir.sub("to")), "new");
  ASSERT_TRUE(CopyFile(dir.u16("from"), dir.u16("fresh"), true));
  EXPECT_EQ(ReadBytes(dir.sub("fresh")), "new");
  // A read-only source gives a copy that a later copy can still replace.
  WriteBytes(dir.sub("readonly"), "ro");
  ASSERT_EQ(chmod(dir.sub("readonly").c_str(), 0444), 0);
  ASSERT_TRUE(CopyFile(dir.u16("readonly"), dir.u16("ro-copy"), true));
  struct stat st;
  ASSERT_EQ(stat(dir.sub("ro-copy").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);

  EXPECT_FALSE(CopyFile(dir.u16("none"), dir.u16("x"), false));
  EXPECT_EQ(GetLastError(), 2u);
  EXPECT_FALSE(CopyFile(dir.u16("from"), dir.u16("no/x"), false));
  EXPECT_EQ(GetLastError(), 3u);
  EXPECT_FALSE(test::Exists(dir.sub("x")));
  // Onto itself: refused, and the file keeps its bytes.
  EXPECT_FALSE(CopyFile(dir.u16("from"), dir.u16() + u"\\from", false));
  EXPECT_EQ(ReadBytes(dir.sub("from")), "new");
}

TEST(FileTest, ShellCopyReplacesAndCopiesIntoFolders) {
  TempDir dir;
  WriteBytes(dir.sub("Bookmarks"), "{}");
  WriteBytes(dir.sub("copy"), "old");
  ASSERT_TRUE(ShellCopyFile(dir.u16("Bookmarks"), dir.u16("copy")));
  EXPECT_EQ(ReadBytes(dir.sub("copy")), "{}");
  test::MakeDirs(dir.sub("folder"));
  ASSERT_TRUE(ShellCopyFile(dir.u16("Bookmarks"), dir.u16("folder")));
  EXPECT_EQ(ReadBytes(dir.sub("folder/Bookmarks")), "{}");
}

TEST(FileTest, WholeFileWritesAndAtomicReplace) {
  TempDir dir;
  std::string bytes("a\0b\xFF", 4);
  ASSERT_TRUE(WriteFile(dir.u16("w"), bytes));
  std::string back;
  ASSERT_TRUE(ReadFile(dir.u16("w"), &back));
  EXPECT_EQ(back, bytes);
  ASSERT_TRUE(WriteFile(dir.u16("w"), "x"));
  EXPECT_EQ(ReadBytes(dir.sub("w")), "x");
  EXPECT_FALSE(ReadFile(dir.u16("nope"), &back));
  EXPECT_EQ(GetLastError(), 2u);

  ASSERT_EQ(chmod(dir.sub("w").c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir.u16("w"), "replaced"));
  EXPECT_EQ(ReadBytes(dir.sub("w")), "replaced");
  struct stat st;
  ASSERT_EQ(stat(dir.sub("w").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // Nothing is left beside the file.
  EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"w"});
  // A link stays a link; the file behind it gets the bytes.
  ASSERT_EQ(symlink(dir.sub("w").c_str(), dir.sub("link").c_str()), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir.u16("link"), "through link"));
  EXPECT_EQ(ReadBytes(dir.sub("w")), "through link");
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16(), &entries));
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"link", "w"}));
  EXPECT_TRUE(entries[0].is_reparse_point);
  EXPECT_FALSE(ReplaceFileAtomically(dir.u16("no/w"), "x"));
  EXPECT_EQ(GetLastError(), 3u);
  EXPECT_EQ(NativePathUtf8(u"C\\x/y\\\u00E9"), "C/x/y/\xC3\xA9");
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
