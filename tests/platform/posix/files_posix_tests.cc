// Files and folders on POSIX: links in listings, permission bits kept by
// copies and replacements, and native path spelling.
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

unsigned Mode(const std::string& path) {
  struct stat st = {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
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
  // name: directory, link, hidden; no "." or "..".
  std::vector<std::string> flags;
  for (const DirEntry& e : entries) {
    flags.push_back(ToUtf8(e.name) + ":" + std::to_string(e.is_directory) +
                    std::to_string(e.is_reparse_point) +
                    std::to_string(e.is_hidden));
  }
  EXPECT_EQ(flags, (std::vector<std::string>{".Quillbay:001", "dangling:010",
                                             "dirlink:110", "file.url:000",
                                             "filelink:010", "folder:100"}));
}

TEST(FileTest, NativePathsUseSlashesAndUtf8) {
  EXPECT_EQ(NativePathUtf8(u"C\\x/y\\\u00E9"), "C/x/y/\xC3\xA9");
}

TEST(FileTest, ReadOnlySourceGivesAReplaceableCopy) {
  TempDir dir;
  WriteBytes(dir.sub("readonly"), "ro");
  ASSERT_EQ(chmod(dir.sub("readonly").c_str(), 0444), 0);
  ASSERT_TRUE(CopyFile(dir.u16("readonly"), dir.u16("ro-copy"), true));
  EXPECT_EQ(Mode(dir.sub("ro-copy")), 0644u);
  ASSERT_TRUE(CopyFile(dir.u16("readonly"), dir.u16("ro-copy"), false));
}

TEST(FileTest, AtomicReplaceKeepsModeAndLinks) {
  TempDir dir;
  WriteBytes(dir.sub("w"), "first");
  ASSERT_EQ(chmod(dir.sub("w").c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir.u16("w"), "replaced"));
  EXPECT_EQ(ReadBytes(dir.sub("w")), "replaced");
  EXPECT_EQ(Mode(dir.sub("w")), 0640u);
  EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"w"});
  // A link stays a link; the file behind it gets the bytes.
  ASSERT_EQ(symlink(dir.sub("w").c_str(), dir.sub("link").c_str()), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir.u16("link"), "through link"));
  EXPECT_EQ(ReadBytes(dir.sub("w")), "through link");
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.u16(), &entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(ToUtf8(entries[0].name), "link");
  EXPECT_TRUE(entries[0].is_reparse_point);
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
