// A Chrome file that cannot be replaced: the import reports it and the file
// stays as it was.
#include <sys/stat.h>

#include <cstdlib>

#include "../chrome_test_util.h"

namespace marksafe {
namespace test {
namespace {

TEST_F(ChromeFileTest, FailedSaveIsReported) {
  WriteBytes(chrome_, ChromeText("", ""));
  WriteUrlFile(dir_.sub("src/a.url"), "http://a/");
  const std::string folder = dir_.sub("Default");
  // Permissions stop a normal user; root needs the immutable attribute.
  chmod(folder.c_str(), 0555);
  const std::string quoted = " '" + folder + "' 2>/dev/null";
  const bool immutable = std::system(("chattr +i" + quoted).c_str()) == 0;
  WriteBytes(folder + "/probe", "x");
  const bool locked = !Exists(folder + "/probe");
  if (locked) {
    EXPECT_EQ(87, Import(u"N"));
    EXPECT_EQ(ChromeText("", ""), ReadBytes(chrome_));
  }
  if (immutable) {
    EXPECT_EQ(0, std::system(("chattr -i" + quoted).c_str()));
  }
  chmod(folder.c_str(), 0755);
  if (!locked) GTEST_SKIP() << "cannot make a folder unwritable here";
}

}  // namespace
}  // namespace test
}  // namespace marksafe
