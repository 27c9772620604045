// backup_ie_pro on the located Favorites folder, with the shell folders
// pointed at temporary folders through the environment.
#include <string>

#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(IeProDefaultFavorites, RestoresIntoTheLocatedFolderOrAddsTwoWithoutIt) {
  TempDir dir;
  ScopedEnv favorites("MARKSAFE_FAVORITES", dir.sub("Favorites"));
  ScopedEnv program_files("MARKSAFE_PROGRAM_FILES", dir.sub("PF"));
  test::WriteBytes(dir.sub("usb/Bookmarks/Favorites/a.url"), "a");
  const std::u16string root = dir.u16("usb");
  const MS_CHAR* usb = test::Ms(root);
  const volatile uint8_t never = 0;
  int32_t progress = 0;
  test::LogCapture log;

  EXPECT_FALSE(backup_ie_pro(nullptr, usb, true, false, &never, false, 0, 0, 0,
                             0, &progress));
  EXPECT_EQ(progress, 2);
  EXPECT_FALSE(test::Exists(dir.sub("Favorites")));
  EXPECT_TRUE(
      log.Contains("[DllExport] backup_ie_pro call get_ie_path func.\n"));

  test::WriteBytes(dir.sub("PF/Internet Explorer/iexplore.exe"), "");
  EXPECT_TRUE(backup_ie_pro(nullptr, usb, true, false, &never, false, 0, 0, 0,
                            0, &progress));
  EXPECT_EQ(progress, 4);
  EXPECT_EQ(test::ListTree(dir.sub("Favorites")),
            (std::vector<std::string>{"a.url"}));
}

}  // namespace
}  // namespace marksafe
