// get_ie_favorites_size and backup_ie through the exports, on given paths
// and on the located Favorites folder.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ListTree;
using test::Ms;
using test::TempDir;
using test::WriteBytes;

const volatile uint8_t kNever = 0;

TEST(IeTest, BackupCopiesOnlyShortcutsAndMeasuresEveryFolder) {
  TempDir dir;
  WriteBytes(dir.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
  WriteBytes(dir.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n");
  WriteBytes(dir.sub("Favorites/desktop.ini"), "not a shortcut");
  WriteBytes(dir.sub("Favorites/Deep/er/b.URL"), "b");
  WriteBytes(dir.sub("Favorites/.Quillbay/m.url"), "m");
  const std::u16string favorites = dir.u16("Favorites");
  auto backup = [&](const std::u16string& to, bool into_set, bool overwrite,
                    const volatile uint8_t* cancel = &kNever) {
    return backup_ie(Ms(favorites), Ms(to), into_set, overwrite, cancel);
  };
  const std::vector<std::string> backed_up = {"Deep/",         "Deep/er/",
                                              "Deep/er/b.URL", "Links/",
                                              "Links/a.url",   "News.url"};
  uint64_t size = 77;
  int32_t folders = -1;
  int32_t links = -1;
  ASSERT_TRUE(
      get_ie_favorites_size(Ms(favorites), false, &size, &folders, &links));
  EXPECT_EQ(size, 20u + 25u + 1u + 1u);
  EXPECT_EQ(folders, 4);  // Links, Deep, Deep/er and .Quillbay
  EXPECT_EQ(links, 4);

  const std::u16string root = dir.u16("usb");
  ASSERT_TRUE(backup(root, true, false));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")), backed_up);
  ASSERT_TRUE(
      get_ie_favorites_size(Ms(root + u"\\"), true, &size, &folders, &links));
  EXPECT_EQ(size, 20u + 25u + 1u);
  EXPECT_EQ(folders, 3);
  EXPECT_EQ(links, 3);

  const std::u16string plain = dir.u16("plain/dest");
  ASSERT_TRUE(backup(plain, false, false));
  EXPECT_EQ(ListTree(dir.sub("plain/dest")), backed_up);
  EXPECT_FALSE(backup(plain, false, false));
  EXPECT_TRUE(backup(plain, false, true));
  EXPECT_FALSE(backup_ie(Ms(favorites), nullptr, true, false, &kNever));
  EXPECT_FALSE(backup(dir.u16("usb2"), true, false, nullptr));
  EXPECT_FALSE(test::Exists(dir.sub("usb2")));
  WriteBytes(dir.sub("blocker"), "a file where a folder is needed");
  EXPECT_FALSE(backup(dir.u16("blocker/usb"), true, false));

  // Short or missing paths are refused and leave the size as it was.
  size = 77;
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(u"C:\\ab"), false, &size, nullptr, nullptr));
  EXPECT_FALSE(get_ie_favorites_size(Ms(dir.u16("missing")), false, &size,
                                     &folders, &links));
  EXPECT_EQ(size, 77u);
  EXPECT_FALSE(
      get_ie_favorites_size(Ms(favorites), false, nullptr, nullptr, nullptr));
}

TEST(IeDefaultFavorites, UsedOnlyWhenInternetExplorerIsInstalled) {
  test::BrowserHome home;
  if (!home.unusable().empty()) GTEST_SKIP() << home.unusable();
  TempDir dir;
  WriteBytes(home.favorites() + "/sub/a.url", "12345");
  test::MakeDirs(dir.sub("usb"));
  const std::u16string usb = dir.u16("usb");
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t links = 0;
  home.SetIeInstalled(false);
  EXPECT_FALSE(backup_ie(nullptr, Ms(usb), true, false, &kNever));
  EXPECT_TRUE(ListTree(dir.sub("usb")).empty());
  EXPECT_FALSE(get_ie_favorites_size(nullptr, false, &size, nullptr, nullptr));

  home.SetIeInstalled(true);
  ASSERT_TRUE(backup_ie(nullptr, Ms(usb), true, false, &kNever));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")),
            (std::vector<std::string>{"sub/", "sub/a.url"}));
  // into_backup_set is not used when the Favorites folder is located.
  ASSERT_TRUE(get_ie_favorites_size(nullptr, true, &size, &folders, &links));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(folders, 1);
  EXPECT_EQ(links, 1);
}

}  // namespace
}  // namespace marksafe
