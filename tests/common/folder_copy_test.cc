// The recursive copy of Internet Shortcut trees: filter, reserved folders,
// overwrite refusal, cancellation and the cases that must not run away.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/folder_tree.h"
#include "gtest/gtest.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace marksafe {
namespace {

using test::Exists;
using test::ListTree;
using test::LogCapture;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

bool Copy(const TempDir& dir, const std::string& from, const std::string& to,
          bool overwrite = false, bool skip_imported = false,
          const volatile uint8_t* cancel = nullptr) {
  static const volatile uint8_t kNever = 0;
  return copy_folder(dir.u16(from), dir.u16(to), u"url", overwrite,
                     cancel != nullptr ? cancel : &kNever, skip_imported);
}

TEST(CopyFolder, OnlyShortcutsAndNoReservedFoldersAtAnyDepth) {
  TempDir dir;
  for (const char* name : {"a.url", "b.URL", "c.txt", "noext", ".url",
                           "d.url.bak", "e.", "f.lnk.url", ".Quillbay/a.url",
                           "sub/.QUILLBAY/b.url", "Imported from IE/c.url",
                           "sub/x/imported FROM ie/d.url", "sub/x/keep.url"}) {
    WriteBytes(dir.sub(std::string("src/") + name), name);
  }
  ASSERT_TRUE(Copy(dir, "src", "skipped", false, /*skip_imported=*/true));
  EXPECT_EQ(ListTree(dir.sub("skipped")),
            (std::vector<std::string>{".url", "a.url", "b.URL", "f.lnk.url",
                                      "sub/", "sub/x/", "sub/x/keep.url"}));
  EXPECT_EQ(ReadBytes(dir.sub("skipped/b.URL")), "b.URL");
  // Without skip_imported only the markers stay behind.
  ASSERT_TRUE(Copy(dir, "src", "kept", false, /*skip_imported=*/false));
  EXPECT_EQ(ListTree(dir.sub("kept")).size(), 11u);
}

TEST(CopyFolderOverwrite, RefusalLogsFailsAndCopiesTheRest) {
  TempDir dir;
  WriteBytes(dir.sub("src/a.url"), "new a");
  WriteBytes(dir.sub("src/b.url"), "new b");
  WriteBytes(dir.sub("src/z/c.url"), "new c");
  WriteBytes(dir.sub("dst/a.url"), "old a");
  LogCapture log;
  EXPECT_FALSE(Copy(dir, "src", "dst", /*overwrite=*/false));
  EXPECT_TRUE(log.Contains("WinApi:CopyFile execute fail:80 \n"));
  EXPECT_EQ(ReadBytes(dir.sub("dst/a.url")), "old a");
  EXPECT_EQ(ReadBytes(dir.sub("dst/b.url")), "new b");
  EXPECT_EQ(ReadBytes(dir.sub("dst/z/c.url")), "new c");

  EXPECT_TRUE(Copy(dir, "src", "dst", /*overwrite=*/true));
  EXPECT_EQ(ReadBytes(dir.sub("dst/a.url")), "new a");
}

// With overwrite, files already holding the same bytes are left alone; every
// other file is replaced whole, and the result and the tree are those of a
// plain copy.
TEST(CopyFolderOverwrite, SameFilesKeptOthersReplacedWhole) {
  TempDir dir;
  WriteBytes(dir.sub("src/same.url"), "[InternetShortcut]\r\nURL=a\r\n");
  WriteBytes(dir.sub("src/sub/samesize.url"), "URL=b");
  WriteBytes(dir.sub("src/sub/shorter.url"), "URL=c");
  WriteBytes(dir.sub("src/new.url"), "URL=d");
  ASSERT_TRUE(Copy(dir, "src", "dst"));
  WriteBytes(dir.sub("src/sub/samesize.url"), "URL=B");
  WriteBytes(dir.sub("dst/sub/shorter.url"), "URL=c and a longer tail");
  WriteBytes(dir.sub("dst/extra.url"), "kept");
  WriteBytes(dir.sub("src/later.url"), "URL=e");
  ASSERT_TRUE(Copy(dir, "src", "dst", /*overwrite=*/true));
  EXPECT_EQ(ReadBytes(dir.sub("dst/same.url")),
            "[InternetShortcut]\r\nURL=a\r\n");
  EXPECT_EQ(ReadBytes(dir.sub("dst/sub/samesize.url")), "URL=B");
  EXPECT_EQ(ReadBytes(dir.sub("dst/sub/shorter.url")), "URL=c");
  EXPECT_EQ(ReadBytes(dir.sub("dst/later.url")), "URL=e");
  EXPECT_EQ(ReadBytes(dir.sub("dst/extra.url")), "kept");
  // A second identical run changes nothing and still succeeds; a folder
  // copied onto itself still fails, file by file.
  ASSERT_TRUE(Copy(dir, "src", "dst", true));
  EXPECT_EQ(ListTree(dir.sub("dst")),
            (std::vector<std::string>{"extra.url", "later.url", "new.url",
                                      "same.url", "sub/", "sub/samesize.url",
                                      "sub/shorter.url"}));
  EXPECT_FALSE(Copy(dir, "src", "src", true));
  EXPECT_EQ(ReadBytes(dir.sub("src/new.url")), "URL=d");
}

TEST(CopyFolderFailures, MissingSourceEmptyPathsLinksAndCopiesIntoItself) {
  TempDir dir;
  LogCapture log;
  EXPECT_FALSE(Copy(dir, "missing", "dst/deep"));
  EXPECT_TRUE(test::IsDir(dir.sub("dst/deep")));
  EXPECT_TRUE(log.Contains("WinApi:FindFirstFile:"));
  // An empty path is refused, not taken for the root of the drive.
  const volatile uint8_t never = 0;
  EXPECT_FALSE(copy_folder(u"", dir.u16("e"), u"url", false, &never, false));
  EXPECT_EQ(platform::GetLastError(), 87u);
  EXPECT_FALSE(Exists(dir.sub("e")));
  // A destination inside the source is not copied into itself.
  WriteBytes(dir.sub("fav/a.url"), "a");
  WriteBytes(dir.sub("fav/sub/b.url"), "b");
  ASSERT_TRUE(Copy(dir, "fav", "fav/backup/Bookmarks/Favorites"));
  EXPECT_EQ(ListTree(dir.sub("fav/backup/Bookmarks/Favorites")),
            (std::vector<std::string>{"a.url", "backup/", "backup/Bookmarks/",
                                      "sub/", "sub/b.url"}));
  // Linked folders are not followed.
  std::error_code ec;
  std::filesystem::create_directory_symlink(dir.sub("fav"), dir.sub("fav/loop"),
                                            ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  EXPECT_TRUE(Copy(dir, "fav", "dst2"));
  EXPECT_FALSE(Exists(dir.sub("dst2/loop")));
}

TEST(CopyFolderCancel, FlagSetBeforehandStopsAtTheFirstEntry) {
  TempDir dir;
  WriteBytes(dir.sub("src/a.url"), "a");
  test::MakeDirs(dir.sub("empty"));
  volatile uint8_t cancel = 1;
  EXPECT_FALSE(Copy(dir, "src", "dst", false, false, &cancel));
  EXPECT_TRUE(test::IsDir(dir.sub("dst")));
  EXPECT_FALSE(Exists(dir.sub("dst/a.url")));
  // An empty folder is cancelled too, as its listing still has entries.
  EXPECT_FALSE(Copy(dir, "empty", "dst2", false, false, &cancel));
}

TEST(CopyFolderCancel, FlagSetFromAnotherThreadStopsTheCopy) {
  // One flat folder: the flag must be seen between the files of a folder,
  // not only when the next folder starts.
  TempDir dir;
  constexpr int kFiles = 1000;
  for (int i = 0; i < kFiles; ++i) {
    WriteBytes(dir.sub("src/" + std::to_string(i) + ".url"), "x");
  }
  volatile uint8_t cancel = 0;
  std::atomic<bool> done{false};
  std::thread canceller([&] {
    // Cancel as soon as the copy has visibly started.
    while (!done.load() && !Exists(dir.sub("dst/0.url"))) {
      std::this_thread::yield();
    }
    cancel = 1;
  });
  bool result = Copy(dir, "src", "dst", false, false, &cancel);
  done = true;
  canceller.join();
  EXPECT_FALSE(result);
  size_t copied = ListTree(dir.sub("dst")).size();
  EXPECT_GT(copied, 0u);
  EXPECT_LT(copied, static_cast<size_t>(kFiles));
}

}  // namespace
}  // namespace marksafe
