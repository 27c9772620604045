// get_ie_favorites_size and backup_ie through the exports, on given paths
// and on the located Favorites folder.
#include <string>
#include <tuple>
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
using Size = std::tuple<bool, uint64_t, int32_t, int32_t>;

const volatile uint8_t kNever = 0;

// Result, size, folders and links.
Size Measure(const MS_CHAR* path, bool into_set) {
  uint64_t size = 77;
  int32_t folders = -1, links = -1;
  const bool ok =
      get_ie_favorites_size(path, into_set, &size, &folders, &links);
  return {ok, size, folders, links};
}

TEST(IeTest, BackupCopiesOnlyShortcutsAndMeasuresEveryFolder) {
  TempDir dir;
  WriteBytes(dir.sub("Favorites/Links/a.url"), "[InternetShortcut]\r\n");
  WriteBytes(dir.sub("Favorites/News.url"), "[InternetShortcut]\r\nURL=n");
  WriteBytes(dir.sub("Favorites/desktop.ini"), "not a shortcut");
  WriteBytes(dir.sub("Favorites/Deep/er/b.URL"), "b");
  WriteBytes(dir.sub("Favorites/.Quillbay/m.url"), "m");
  const std::u16string favorites = dir.u16("Favorites");
  auto backup = [&](const std::string& to, bool into_set, bool overwrite,
                    const volatile uint8_t* cancel = &kNever) {
    return backup_ie(Ms(favorites), Ms(dir.u16(to)), into_set, overwrite,
                     cancel);
  };
  const std::vector<std::string> backed_up = {"Deep/",         "Deep/er/",
                                              "Deep/er/b.URL", "Links/",
                                              "Links/a.url",   "News.url"};
  // Links, Deep, Deep/er and .Quillbay are all counted.
  EXPECT_EQ(Measure(Ms(favorites), false), Size(true, 20 + 25 + 1 + 1, 4, 4));

  ASSERT_TRUE(backup("usb", true, false));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")), backed_up);
  EXPECT_EQ(Measure(Ms(dir.u16("usb") + u"\\"), true),
            Size(true, 20 + 25 + 1, 3, 3));

  ASSERT_TRUE(backup("plain/dest", false, false));
  EXPECT_EQ(ListTree(dir.sub("plain/dest")), backed_up);
  EXPECT_FALSE(backup("plain/dest", false, false));
  EXPECT_TRUE(backup("plain/dest", false, true));
  EXPECT_FALSE(backup_ie(Ms(favorites), nullptr, true, false, &kNever));
  EXPECT_FALSE(backup("usb2", true, false, nullptr));
  EXPECT_FALSE(test::Exists(dir.sub("usb2")));
  WriteBytes(dir.sub("blocker"), "a file where a folder is needed");
  EXPECT_FALSE(backup("blocker/usb", true, false));

  // Short or missing paths are refused and leave the size as it was.
  for (const std::u16string& bad :
       {std::u16string(u"C:\\ab"), dir.u16("missing")}) {
    const Size got = Measure(Ms(bad), false);
    EXPECT_FALSE(std::get<0>(got));
    EXPECT_EQ(std::get<1>(got), 77u);
  }
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
  home.SetIeInstalled(false);
  EXPECT_FALSE(backup_ie(nullptr, Ms(usb), true, false, &kNever));
  EXPECT_TRUE(ListTree(dir.sub("usb")).empty());
  EXPECT_FALSE(std::get<0>(Measure(nullptr, false)));

  home.SetIeInstalled(true);
  ASSERT_TRUE(backup_ie(nullptr, Ms(usb), true, false, &kNever));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")),
            (std::vector<std::string>{"sub/", "sub/a.url"}));
  // into_backup_set is not used when the Favorites folder is located.
  EXPECT_EQ(Measure(nullptr, true), Size(true, 5, 1, 1));
}

}  // namespace
}  // namespace marksafe
