// With Firefox running, an export leaves only its empty folder behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firefox/places_fixture.h"
#include "marksafe/marksafe.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

TEST(RunningFirefoxExportTest, LeavesOnlyTheExportFolder) {
  test::TempDir dir;
  test::PlacesDb db(dir.sub("profile/places.sqlite"));
  test::MakeDirs(dir.sub("out"));
  db.AddLink(2, "http://a.example/", "A");
  test::FakeFirefox firefox(dir.path());
  test::ScopedHandle handle(db.path());
  ASSERT_NE(handle.get(), nullptr);
  const std::u16string out = test::U16(dir.sub("out/"));
  EXPECT_FALSE(export_firefox_2_folder(
      handle.get(), reinterpret_cast<const MS_CHAR*>(out.c_str()), true));
  EXPECT_EQ(test::ListTree(dir.sub("out/")),
            (std::vector<std::string>{"Bookmarks/", "Bookmarks/Firefox/"}));
}

}  // namespace
}  // namespace marksafe
