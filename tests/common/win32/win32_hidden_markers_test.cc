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

using test::MakeDirs;
using test::TempDir;
using test::WriteBytes;

DWORD Attributes(const TempDir& dir, const std::string& relative) {
  std::u16string path = dir.u16(relative);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()));
}

bool Hidden(const TempDir& dir, const std::string& relative) {
  DWORD attributes = Attributes(dir, relative);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

TEST(HiddenMarkerTest, SetsTheHiddenAttributeAtEveryDepth) {
  TempDir dir;
  MakeDirs(dir.sub("Favorites/.Quillbay"));
  WriteBytes(dir.sub("Favorites/Links/.quillbay"), "marker file");
  MakeDirs(dir.sub("Favorites/Links/Deep/.QUILLBAY/inside"));
  WriteBytes(dir.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
  WriteBytes(dir.sub("Favorites/.other"), "");
  if (Hidden(dir, "Favorites/.other")) {
    GTEST_SKIP() << "dot names are hidden here already "
                    "(Wine without ShowDotFiles=Y)";
  }

  ASSERT_TRUE(HideMarkers(dir.u16("Favorites"), u".Quillbay"));
  EXPECT_TRUE(Hidden(dir, "Favorites/.Quillbay"));
  EXPECT_TRUE(Hidden(dir, "Favorites/Links/.quillbay"));
  EXPECT_TRUE(Hidden(dir, "Favorites/Links/Deep/.QUILLBAY"));
  // A folder keeps its folder attribute; the rest is untouched.
  EXPECT_NE(Attributes(dir, "Favorites/.Quillbay") & FILE_ATTRIBUTE_DIRECTORY,
            0u);
  EXPECT_FALSE(Hidden(dir, "Favorites/Links/Deep/.QUILLBAY/inside"));
  EXPECT_FALSE(Hidden(dir, "Favorites/Links/a.url"));
  EXPECT_FALSE(Hidden(dir, "Favorites/Links"));
  EXPECT_FALSE(Hidden(dir, "Favorites/.other"));

  // The listing reports the attribute, and a second pass changes nothing.
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListDirectory(dir.u16("Favorites"), &entries));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, u".other");
  EXPECT_FALSE(entries[0].is_hidden);
  EXPECT_EQ(entries[1].name, u".Quillbay");
  EXPECT_TRUE(entries[1].is_hidden);
  EXPECT_TRUE(HideMarkers(dir.u16("Favorites"), u".Quillbay"));
  EXPECT_TRUE(Hidden(dir, "Favorites/.Quillbay"));
}

TEST(HiddenMarkerTest, ReadOnlyMarkerStaysReadOnlyAndHidden) {
  TempDir dir;
  WriteBytes(dir.sub("root/.Quillbay"), "x");
  std::u16string path = dir.u16("root\\.Quillbay");
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(path.c_str());
  ASSERT_TRUE(SetFileAttributesW(wide, FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(HideMarkers(dir.u16("root"), u".Quillbay"));
  DWORD attributes = GetFileAttributesW(wide);
  SetFileAttributesW(wide, FILE_ATTRIBUTE_NORMAL);  // lets TempDir remove it
  EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(HiddenMarkerTest, MissingRootFailsWithPathNotFound) {
  TempDir dir;
  EXPECT_FALSE(HideMarkers(dir.u16("no/such/folder"), u".Quillbay"));
  EXPECT_EQ(platform::GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace marksafe
