// Only regular files are read: a FIFO is skipped or refused (opening it
// would wait for a writer), a link out of a backup set is not followed, and
// a file too big to read whole is refused before it is read.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backup_set/folder_tree.h"
#include "gtest/gtest.h"
#include "marksafe/marksafe.h"
#include "platform/env.h"
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
                          nullptr, false, &counts)
                  .ok());
  alarm(0);
  EXPECT_EQ(test::ListTree(dir.sub("fav")), std::vector<std::string>{"a.url"});
  EXPECT_EQ(counts.files_copied, 1);
}

TEST(HostileCopy, StoresThatAreNoRegularFilesFailAtOnce) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo(dir.sub("fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink(dir.sub("fifo").c_str(), dir.sub("link").c_str()), 0);
  // Sparse: the size is read, not the bytes.
  test::WriteBytes(dir.sub("huge"), "");
  ASSERT_EQ(truncate(dir.sub("huge").c_str(),
                     static_cast<off_t>(platform::kMaxReadFileBytes + 1)),
            0);
  test::WriteBytes(dir.sub("Bookmarks"), "{}");
  const std::string before = test::ReadBytes(dir.sub("Bookmarks"));
  alarm(20);  // a read that waited for the FIFO's writer would block here
  for (const char* name : {"fifo", "link", "huge"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(init_bookmark(test::Ms(dir.u16(name))), nullptr);
    for (int32_t kind : {MARKSAFE_STORE_PLACES, MARKSAFE_STORE_CHROME}) {
      int64_t folders = 0, links = 0;
      EXPECT_NE(marksafe_count(test::Ms(dir.u16(name)), kind, &folders, &links),
                0);
    }
    EXPECT_NE(marksafe_import_html(test::Ms(dir.u16(name)),
                                   test::Ms(dir.u16("Bookmarks")),
                                   MARKSAFE_STORE_CHROME, false),
              0);
    for (int32_t kind : {MARKSAFE_STORE_FIREFOX_BACKUP,
                         MARKSAFE_STORE_SNAPSHOT, MARKSAFE_STORE_CHROME}) {
      EXPECT_NE(marksafe_restore_from(test::Ms(dir.u16(name)), kind,
                                      test::Ms(dir.u16("Bookmarks")),
                                      MARKSAFE_STORE_CHROME, false),
                0);
    }
  }
  alarm(0);
  EXPECT_EQ(test::ReadBytes(dir.sub("Bookmarks")), before);
}

}  // namespace
}  // namespace marksafe
