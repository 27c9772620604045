// Measuring trees, and the failure of the marker walk.
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
  EXPECT_TRUE(
      MeasureTree(dir.u16("root/side"), &size, u"url", &folders, &files));
  EXPECT_EQ(size + folders + files, 0u);
}

TEST(HideMarkers, UnlistableRootLogsAndFails) {
  TempDir dir;
  LogCapture log;
  EXPECT_FALSE(HideMarkers(dir.u16("missing"), u".Quillbay"));
  EXPECT_TRUE(log.Contains("[backup_ie_pro] restore failed: "));
}

}  // namespace
}  // namespace marksafe
