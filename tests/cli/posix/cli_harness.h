// Runs the marksafe program as a child process on sandbox profiles and reads
// back what it left there.
#ifndef MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_
#define MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_

#include <gtest/gtest.h>
#include <sys/types.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_support.h"

namespace marksafe {
namespace test {

struct CliResult {
  int exit_code = -1;
  std::string out, err;  // standard output and standard error
};

// Runs marksafe in an environment holding only env.
CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env = {});

// A user profile in a temporary folder, found through the MARKSAFE_*
// variables. Firefox and Chrome start from files as today's browsers make
// them (four links in the menu, one on the bar). Full: each browser holds
// three links more, with titles in several scripts; otherwise the Favorites
// folder is empty.
class Profile {
 public:
  explicit Profile(bool full);
  std::string root() const { return dir_.path(); }
  std::string favorites() const { return dir_.sub("Favorites"); }
  std::string places() const {
    return dir_.sub(
        "AppData/Roaming/Mozilla/Firefox/Profiles/t1.default/places.sqlite");
  }
  std::string chrome() const {
    return dir_.sub("AppData/Local/Google/Chrome/User Data/Default/Bookmarks");
  }
  // Runs marksafe on this profile, with extra variables when given.
  CliResult Run(const std::vector<std::string>& args,
                const std::map<std::string, std::string>& extra = {}) const;
  // Everything of the profile a command could change: the names of its
  // files (a "Bookmarks~" copy too) and the two stores' bytes.
  auto Snapshot() const {
    return std::make_tuple(ListTree(root()), ReadBytes(places()),
                           ReadBytes(chrome()));
  }
  // "Folder/Title -> URL" for every link of "ie", "firefox" or "chrome";
  // the last two read back through a backup of the browser.
  std::multiset<std::string> Links(const std::string& browser) const;

 private:
  TempDir dir_;
};

// "Folder/Title -> URL" for every .url file below folder.
std::multiset<std::string> UrlFiles(const std::string& folder);

inline bool Contains(const std::string& text, const std::string& fragment) {
  return text.find(fragment) != std::string::npos;
}
// The first line of text holding fragment, or "".
std::string Line(const std::string& text, const std::string& fragment);

// A made-up home folder where the library finds the browsers in their
// usual folders.
class HomeTest : public ::testing::Test {
 protected:
  std::string Chromium(const std::string& relative) const {
    return home_.sub(".config/chromium/" + relative);
  }
  std::string Brave(const std::string& relative) const {
    return home_.sub(".config/BraveSoftware/Brave-Browser/" + relative);
  }
  CliResult Run(const std::vector<std::string>& args) const {
    return RunCli(args, {{"HOME", home_.path()}});
  }
  TempDir home_;
};

// A stand-in for a running browser: a copy of sleep named name, in folder,
// that runs until it is closed or the test ends.
class FakeBrowser {
 public:
  FakeBrowser(const std::string& folder, const std::string& name);
  ~FakeBrowser();
  pid_t pid() const { return pid_; }
  bool Ended() const;  // it was closed

 private:
  pid_t pid_ = -1;
  mutable bool ended_ = false;
};

// Makes the Chromium user-data folder held by pid, as a running Chromium
// of this host holds it.
void LockChromium(const std::string& user_data, pid_t pid);

// A backup set of a full profile, and a target profile with empty browsers.
class BackupSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const CliResult r = source_.Run({"backup", backup_.path()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }
  Profile source_{true};
  Profile target_{false};
  TempDir backup_;
};

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_
