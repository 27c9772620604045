// The recursive copy of Internet Shortcut trees: filter, reserved folders,
// overwrite rules, cancellation and the cases that must not run away.
#include "backup_set/folder_tree.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Exists;
using test::ListTree;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Tree = std::vector<std::string>;

const volatile uint8_t kNever = 0;

Status Copy(const TempDir& dir, const std::string& from, const std::string& to,
            bool overwrite = false, bool skip_imported = false,
            const volatile uint8_t* cancel = &kNever) {
  return copy_folder(dir.u16(from), dir.u16(to), u"url", overwrite, cancel,
                     skip_imported);
}

TEST(CopyFolder, OnlyShortcutsAndNoReservedFoldersAtAnyDepth) {
  TempDir dir;
  for (const char* name : {"a.url", "b.URL", "c.txt", "noext", ".url",
                           "d.url.bak", "e.", "f.lnk.url", ".Quillbay/a.url",
                           "sub/.QUILLBAY/b.url", "Imported from IE/c.url",
                           "sub/x/imported FROM ie/d.url", "sub/x/keep.url"}) {
    WriteBytes(dir.sub(std::string("src/") + name), name);
  }
  ASSERT_TRUE(Copy(dir, "src", "skipped", false, /*skip_imported=*/true).ok());
  EXPECT_EQ(ListTree(dir.sub("skipped")),
            (Tree{".url", "a.url", "b.URL", "f.lnk.url", "sub/", "sub/x/",
                  "sub/x/keep.url"}));
  EXPECT_EQ(ReadBytes(dir.sub("skipped/b.URL")), "b.URL");
  // Without skip_imported only the markers stay behind.
  ASSERT_TRUE(Copy(dir, "src", "kept").ok());
  EXPECT_EQ(ListTree(dir.sub("kept")).size(), 11u);
}

// Without overwrite a file already there fails the copy with code 80, even
// when later files copy well, and the rest is still copied. With overwrite
// every differing file is replaced whole; files only in the destination stay.
TEST(CopyFolder, OverwriteRefusalAndReplacement) {
  TempDir dir;
  for (const char* name : {"0.url", "a.url", "b.url", "z/c.url"}) {
    WriteBytes(dir.sub(std::string("src/") + name), name);
  }
  WriteBytes(dir.sub("dst/0.url"), "0.url and a longer tail");
  WriteBytes(dir.sub("dst/a.url"), "old a");
  WriteBytes(dir.sub("dst/extra.url"), "kept");
  EXPECT_EQ(Copy(dir, "src", "dst").code(), 80u);
  EXPECT_EQ(ReadBytes(dir.sub("dst/a.url")), "old a");
  EXPECT_EQ(ReadBytes(dir.sub("dst/z/c.url")), "z/c.url");

  for (int run = 0; run < 2; ++run) {  // the second run finds nothing to do
    CopyCounts counts;
    ASSERT_TRUE(copy_folder(dir.u16("src"), dir.u16("dst"), u"url", true,
                            &kNever, false, &counts)
                    .ok());
    EXPECT_EQ(counts.files_copied, run == 0 ? 2 : 0);
    EXPECT_EQ(counts.files_present, run == 0 ? 2 : 4);
    EXPECT_EQ(counts.folders_present, 2);  // dst and dst/z
    EXPECT_EQ(ReadBytes(dir.sub("dst/0.url")), "0.url");
    EXPECT_EQ(ReadBytes(dir.sub("dst/a.url")), "a.url");
    EXPECT_EQ(ReadBytes(dir.sub("dst/extra.url")), "kept");
  }
  // A folder copied onto itself fails, file by file, and loses nothing.
  EXPECT_FALSE(Copy(dir, "src", "src", true).ok());
  EXPECT_EQ(ReadBytes(dir.sub("src/a.url")), "a.url");
}

TEST(CopyFolder, MissingSourceEmptyPathsLinksAndCopiesIntoItself) {
  TempDir dir;
  EXPECT_FALSE(Copy(dir, "missing", "dst/deep").ok());
  EXPECT_TRUE(test::IsDir(dir.sub("dst/deep")));
  EXPECT_FALSE(HideMarkers(dir.u16("missing"), u".Quillbay").ok());
  // An empty path is refused, not taken for the root of the drive.
  EXPECT_EQ(
      copy_folder(u"", dir.u16("e"), u"url", false, &kNever, false).code(),
      87u);
  EXPECT_FALSE(Exists(dir.sub("e")));
  // A destination inside the source is not copied into itself.
  WriteBytes(dir.sub("fav/a.url"), "a");
  WriteBytes(dir.sub("fav/sub/b.url"), "b");
  ASSERT_TRUE(Copy(dir, "fav", "fav/backup/Bookmarks/Favorites").ok());
  EXPECT_EQ(
      ListTree(dir.sub("fav/backup/Bookmarks/Favorites")),
      (Tree{"a.url", "backup/", "backup/Bookmarks/", "sub/", "sub/b.url"}));
  // Linked folders are not followed.
  std::error_code ec;
  std::filesystem::create_directory_symlink(dir.sub("fav"), dir.sub("fav/loop"),
                                            ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  EXPECT_TRUE(Copy(dir, "fav", "dst2").ok());
  EXPECT_FALSE(Exists(dir.sub("dst2/loop")));
}

TEST(CopyFolder, CancelBeforehandOrFromAnotherThread) {
  TempDir dir;
  test::MakeDirs(dir.sub("empty"));
  volatile uint8_t cancel = 1;
  // An empty folder is cancelled too, as its listing still has entries. No
  // call failed, so an earlier failure's code is not passed on.
  platform::SetLastError(kErrorDiskFull);
  EXPECT_NE(Copy(dir, "empty", "dst0", false, false, &cancel).code(),
            kErrorDiskFull);
  // The flag is seen between the files of one folder, not only per folder.
  for (int i = 0; i < 1000; ++i) {
    WriteBytes(dir.sub("src/" + std::to_string(i) + ".url"), "x");
  }
  cancel = 0;
  std::atomic<bool> done{false};
  std::thread canceller([&] {
    while (!done && !Exists(dir.sub("dst/0.url"))) std::this_thread::yield();
    cancel = 1;
  });
  EXPECT_FALSE(Copy(dir, "src", "dst", false, false, &cancel).ok());
  done = true;
  canceller.join();
  EXPECT_LT(ListTree(dir.sub("dst")).size(), 1000u);
}

}  // namespace
}  // namespace marksafe
