// Measuring trees, single file sizes and hiding the host's marker entries.
#include <filesystem>
#include <string>

#include "common/folder_tree.h"
#include "gtest/gtest.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::LogCapture;
using test::TempDir;
using test::WriteBytes;

TEST(MeasureTree, CountsEveryFolderBelowTheRootOnceAndOnlyMatchingFiles) {
  TempDir dir;
  WriteBytes(dir.sub("root/a.url"), "12345");
  WriteBytes(dir.sub("root/skip.txt"), "xxxxxxxxxx");
  WriteBytes(dir.sub("root/one/b.URL"), "123");
  WriteBytes(dir.sub("root/one/two/c.url"), "1");
  WriteBytes(dir.sub("root/one/two/three/d.url"), "12");
  test::MakeDirs(dir.sub("root/one/two/three/empty"));
  test::MakeDirs(dir.sub("root/side"));
  uint64_t size = 99;
  int32_t folders = -1;
  int32_t files = -1;
  EXPECT_TRUE(MeasureTree(dir.u16("root"), &size, u"url", &folders, &files));
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(folders, 5);
  EXPECT_EQ(files, 4);
}

TEST(MeasureTree, EmptyFolderGivesTrueAndZeros) {
  TempDir dir;
  test::MakeDirs(dir.sub("empty"));
  uint64_t size = 7;
  int32_t folders = 7;
  int32_t files = 7;
  EXPECT_TRUE(MeasureTree(dir.u16("empty"), &size, u"url", &folders, &files));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(folders, 0);
  EXPECT_EQ(files, 0);
}

TEST(MeasureTree, MissingFolderGivesFalseAndZerosNullCountsAllowed) {
  TempDir dir;
  uint64_t size = 7;
  EXPECT_FALSE(MeasureTree(dir.u16("missing"), &size, u"url", nullptr,
                           nullptr));
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(MeasureTree(dir.u16(), nullptr, u"url", nullptr, nullptr));
  EXPECT_FALSE(MeasureTree(u"", &size, u"url", nullptr, nullptr));
}

TEST(MeasureTree, LinksAreNeitherEnteredNorCounted) {
  TempDir dir;
  WriteBytes(dir.sub("root/a.url"), "abc");
  std::filesystem::create_directory_symlink(dir.sub("root"),
                                            dir.sub("root/loop"));
  std::filesystem::create_symlink(dir.sub("root/a.url"),
                                  dir.sub("root/link.url"));
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t files = 0;
  EXPECT_TRUE(MeasureTree(dir.u16("root"), &size, u"url", &folders, &files));
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(folders, 0);
  EXPECT_EQ(files, 1);
}

TEST(FileSize, SizeOfAFileAndFalseForAMissingOne) {
  TempDir dir;
  WriteBytes(dir.sub("f.url"), std::string(1234, 'x'));
  uint64_t size = 0;
  EXPECT_TRUE(FileSize(dir.u16("f.url"), &size));
  EXPECT_EQ(size, 1234u);
  size = 5;
  EXPECT_FALSE(FileSize(dir.u16("none.url"), &size));
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(FileSize(dir.u16("f.url"), nullptr));
}

TEST(HideMarkers, SucceedsOnEveryMarkerAtEveryDepth) {
  TempDir dir;
  WriteBytes(dir.sub("fav/.Quillbay"), "file marker");
  test::MakeDirs(dir.sub("fav/a/.QUILLBAY/inner"));
  WriteBytes(dir.sub("fav/a/b/keep.url"), "k");
  const auto before = test::ListTree(dir.sub("fav"));
  EXPECT_TRUE(HideMarkers(dir.u16("fav"), u".Quillbay"));
  // Dot names are hidden already here; nothing on disk changes.
  EXPECT_EQ(test::ListTree(dir.sub("fav")), before);
}

TEST(HideMarkers, UnlistableRootLogsAndFails) {
  TempDir dir;
  LogCapture log;
  EXPECT_FALSE(HideMarkers(dir.u16("missing"), u".Quillbay"));
  EXPECT_TRUE(log.Contains("[backup_ie_pro] restore failed: "));
}

}  // namespace
}  // namespace marksafe
