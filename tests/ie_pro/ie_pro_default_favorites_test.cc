// backup_ie_pro on the located Favorites folder.
#include <string>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/browser_home.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::TempDir;

TEST(IeProDefaultFavorites, RestoresIntoTheLocatedFolderOrAddsTwoWithoutIt) {
  test::BrowserHome home;
  if (!home.unusable().empty()) GTEST_SKIP() << home.unusable();
  TempDir dir;
  home.SetIeInstalled(false);
  test::WriteBytes(dir.sub("usb/Bookmarks/Favorites/a.url"), "a");
  const std::u16string root = dir.u16("usb");
  const MS_CHAR* usb = test::Ms(root);
  const volatile uint8_t never = 0;
  int32_t progress = 0;
  test::LogCapture log;

  EXPECT_FALSE(backup_ie_pro(nullptr, usb, true, false, &never, false, 0, 0, 0,
                             0, &progress));
  EXPECT_EQ(progress, 2);
  EXPECT_TRUE(test::ListTree(home.favorites()).empty());
  EXPECT_TRUE(
      log.Contains("[DllExport] backup_ie_pro call get_ie_path func.\n"));

  home.SetIeInstalled(true);
  EXPECT_TRUE(backup_ie_pro(nullptr, usb, true, false, &never, false, 0, 0, 0,
                            0, &progress));
  EXPECT_EQ(progress, 4);
  EXPECT_EQ(test::ListTree(home.favorites()),
            (std::vector<std::string>{"a.url"}));
}

}  // namespace
}  // namespace marksafe
