// backup_ie and get_ie_favorites_size on the located Favorites folder.
#include <string>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ListTree;
using test::LogCapture;
using test::TempDir;
using test::WriteBytes;

TEST(IeDefaultFavorites, UsedOnlyWhenInternetExplorerIsInstalled) {
  test::BrowserHome home;
  if (!home.unusable().empty()) GTEST_SKIP() << home.unusable();
  TempDir dir;
  home.SetIeInstalled(false);
  WriteBytes(home.favorites() + "/sub/a.url", "12345");
  test::MakeDirs(dir.sub("usb"));
  const std::u16string root = dir.u16("usb");
  const MS_CHAR* usb = test::Ms(root);
  const volatile uint8_t never = 0;
  uint64_t size = 0;
  int32_t folders = 0;
  int32_t links = 0;

  EXPECT_FALSE(backup_ie(nullptr, usb, true, false, &never));
  EXPECT_TRUE(ListTree(dir.sub("usb")).empty());
  EXPECT_FALSE(get_ie_favorites_size(nullptr, false, &size, nullptr, nullptr));

  home.SetIeInstalled(true);
  LogCapture log;
  ASSERT_TRUE(backup_ie(nullptr, usb, true, false, &never));
  EXPECT_EQ(ListTree(dir.sub("usb/Bookmarks/Favorites")),
            (std::vector<std::string>{"sub/", "sub/a.url"}));
  EXPECT_TRUE(log.Contains("Backup_ie: ie_def_path=(null), backup_path="));
  EXPECT_TRUE(log.Contains("[DllExport][backup_ie] call get_ie_path func.\n"));
  // into_backup_set is not used when the Favorites folder is located.
  ASSERT_TRUE(get_ie_favorites_size(nullptr, true, &size, &folders, &links));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(folders, 1);
  EXPECT_EQ(links, 1);
}

}  // namespace
}  // namespace marksafe
