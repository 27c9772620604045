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

std::wstring Native(const TempDir& dir, const std::string& relative) {
  std::u16string path = dir.u16(relative);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return std::wstring(path.begin(), path.end());
}

bool Hidden(const TempDir& dir, const std::string& relative) {
  DWORD attributes = GetFileAttributesW(Native(dir, relative).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

TEST(HiddenMarkerTest, EveryDepthNothingElseAndMissingRootFails) {
  TempDir dir;
  EXPECT_FALSE(HideMarkers(dir.u16("no/such/folder"), u".Quillbay"));
  EXPECT_EQ(platform::GetLastError(), ERROR_PATH_NOT_FOUND);
  test::MakeDirs(dir.sub("Favorites/.Quillbay"));
  test::WriteBytes(dir.sub("Favorites/Links/.quillbay"), "marker file");
  test::MakeDirs(dir.sub("Favorites/Links/Deep/.QUILLBAY/inside"));
  test::WriteBytes(dir.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
  test::WriteBytes(dir.sub("Favorites/.other"), "");
  const std::string read_only = "Favorites/Links/Deep/ro/.Quillbay";
  test::WriteBytes(dir.sub(read_only), "x");
  if (Hidden(dir, "Favorites/.other")) {
    GTEST_SKIP() << "dot names are hidden here already "
                    "(Wine without ShowDotFiles=Y)";
  }
  const std::wstring ro = Native(dir, read_only);
  ASSERT_TRUE(SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY));

  ASSERT_TRUE(HideMarkers(dir.u16("Favorites"), u".Quillbay"));
  const DWORD ro_attributes = GetFileAttributesW(ro.c_str());
  SetFileAttributesW(ro.c_str(),
                     FILE_ATTRIBUTE_NORMAL);  // lets TempDir remove it
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
