// Copying a .url folder out of a backup set opens regular files only: a
// FIFO named x.url is skipped (opening it would hang), a link to a file
// outside the set is not followed.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "backup_set/folder_tree.h"
#include "gtest/gtest.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

TEST(HostileCopy, OnlyRegularFilesAreCopied) {
  test::TempDir dir;
  test::WriteBytes(dir.sub("set/a.url"), test::Shortcut("x"));
  test::WriteBytes(dir.sub("outside/secret.url"), "secret");
  ASSERT_EQ(mkfifo(dir.sub("set/fifo.url").c_str(), 0600), 0);
  ASSERT_EQ(symlink(dir.sub("outside/secret.url").c_str(),
                    dir.sub("set/link.url").c_str()),
            0);
  alarm(20);  // were the FIFO opened, the copy would block here
  CopyCounts counts;
  EXPECT_TRUE(copy_folder(dir.u16("set"), dir.u16("fav"), u"url", false,
                          nullptr, false, &counts));
  alarm(0);
  EXPECT_EQ(test::ListTree(dir.sub("fav")), std::vector<std::string>{"a.url"});
  EXPECT_EQ(counts.files_copied, 1);
}

}  // namespace
}  // namespace marksafe
