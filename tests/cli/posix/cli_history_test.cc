// Snapshots through the program: a backup keeps one per changed part,
// history counts the change, and restore, convert and verify --as-of take
// the older tree.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/posix/cli_harness.h"

namespace marksafe {
namespace test {
namespace {

// The set's snapshot ids, oldest first.
std::vector<std::string> SnapshotIds(const std::string& root) {
  std::vector<std::string> ids;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(root + "/History", error)) {
    const std::string name = entry.path().filename().string();
    if (name[0] != '.') ids.push_back(name);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST_F(BackupSetTest, SnapshotsTrackChangesAndAsOfTakesTheOlderTree) {
  ASSERT_EQ(SnapshotIds(backup_.path()).size(), 1u);
  const std::string first = SnapshotIds(backup_.path())[0];
  EXPECT_TRUE(Exists(backup_.path() + "/History/" + first + "/Chrome.snapshot"));

  // Nothing changed: no second snapshot.
  CliResult r = source_.Run({"backup", backup_.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(SnapshotIds(backup_.path()).size(), 1u);

  // One link more in Chrome: a snapshot of that part only.
  const std::string html = backup_.sub("added.html");
  WriteBytes(html, "<DL><DT><A HREF=\"https://added.example/\">Added</A></DL>");
  r = source_.Run({"import", html, "--to", "chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  r = source_.Run({"backup", backup_.path(), "--chrome"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::vector<std::string> ids = SnapshotIds(backup_.path());
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_FALSE(Exists(backup_.path() + "/History/" + ids[1] +
                      "/Firefox.snapshot"));

  r = source_.Run({"history", backup_.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(Line(r.out, "+1 -0"), "Chrome")) << r.out;

  // Restore, convert and verify take the first snapshot the same way; a
  // WHEN before every snapshot is refused by each, and nothing is written.
  const size_t now_links = source_.Links("chrome").size();
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"restore", backup_.path(), "--to", "chrome"},
        {"convert", backup_.path(), "--from", "chrome", "--to", "firefox"},
        {"verify", backup_.path(), "--browser", "chrome"}}) {
    std::vector<std::string> args = command;
    args.insert(args.end(), {"--as-of", "2001-01-01"});
    const auto before = target_.Snapshot();
    EXPECT_EQ(target_.Run(args).exit_code, 1) << args[0];
    EXPECT_EQ(target_.Snapshot(), before) << args[0];
    args.back() = first;
    r = target_.Run(args);
    ASSERT_EQ(r.exit_code, 0) << args[0] << r.out << r.err;
  }
  const std::multiset<std::string> links = target_.Links("chrome");
  EXPECT_EQ(links.size(), now_links - 1);
  size_t converted = 0;
  for (const std::string& link : target_.Links("firefox")) {
    EXPECT_FALSE(Contains(link, "added.example")) << link;
    converted += Contains(link, "Imported from Chrome");
  }
  EXPECT_EQ(converted, now_links - 1);
  // The newest snapshot holds a link the target lacks.
  r = target_.Run({"verify", backup_.path(), "--browser", "chrome",
                   "--as-of", "0s"});
  EXPECT_EQ(r.exit_code, 1) << r.out;
}

}  // namespace
}  // namespace test
}  // namespace marksafe
