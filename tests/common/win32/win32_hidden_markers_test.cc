// Marker hiding sets the real hidden attribute, at every depth, on files and
// folders alike, and leaves everything else as it was.
#include <gtest/gtest.h>

#include <string>

#include "common/folder_tree.h"
#include "platform/platform.h"
#include "platform/win32/win32_api.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::TempDir;

// The file APIs take "/" as well as "\".
std::wstring Native(const TempDir& dir, const std::string& relative) {
  const std::u16string path = dir.u16(relative);
  return std::wstring(path.begin(), path.end());
}

bool Hidden(const TempDir& dir, const std::string& relative) {
  const DWORD attributes = GetFileAttributesW(Native(dir, relative).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

TEST(HiddenMarkerTest, EveryDepthNothingElseAndMissingRootFails) {
  TempDir dir;
  EXPECT_FALSE(HideMarkers(dir.u16("no/such/folder"), u".Quillbay"));
  EXPECT_EQ(platform::GetLastError(), ERROR_PATH_NOT_FOUND);
  const char* read_only = "Favorites/Links/Deep/ro/.Quillbay";
  for (const char* file : {"Favorites/Links/.quillbay", "Favorites/.other",
                           "Favorites/Links/a.url", read_only}) {
    test::WriteBytes(dir.sub(file), "x");
  }
  test::MakeDirs(dir.sub("Favorites/.Quillbay"));
  test::MakeDirs(dir.sub("Favorites/Links/Deep/.QUILLBAY/inside"));
  if (Hidden(dir, "Favorites/.other")) {
    GTEST_SKIP() << "dot names are hidden here (Wine without ShowDotFiles=Y)";
  }
  const std::wstring ro = Native(dir, read_only);
  ASSERT_TRUE(SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(HideMarkers(dir.u16("Favorites"), u".Quillbay"));
  const DWORD ro_attributes = GetFileAttributesW(ro.c_str());
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);  // for TempDir
  for (const char* marker : {"Favorites/.Quillbay", "Favorites/Links/.quillbay",
                             "Favorites/Links/Deep/.QUILLBAY"}) {
    EXPECT_TRUE(Hidden(dir, marker)) << marker;
  }
  // A read-only marker stays read-only.
  const DWORD both = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  EXPECT_EQ(ro_attributes & both, both);
  for (const char* other :
       {"Favorites/Links/Deep/.QUILLBAY/inside", "Favorites/Links/a.url",
        "Favorites/Links", "Favorites/.other"}) {
    EXPECT_FALSE(Hidden(dir, other)) << other;
  }
}

}  // namespace
}  // namespace marksafe
