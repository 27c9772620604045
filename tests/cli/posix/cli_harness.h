// Runs the marksafe program as a child process on sandbox profiles and reads
// back what it left there.
#ifndef MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_
#define MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace marksafe {
namespace test {

struct CliResult {
  int exit_code = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs marksafe; of the MARKSAFE_* variables the child sees only those of env.
CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env = {});

// A user profile in a temporary folder, where the library finds it through
// MARKSAFE_FAVORITES, MARKSAFE_APPDATA and MARKSAFE_PROGRAM_FILES. Firefox
// and Chrome start from files as today's browsers make them (four links in
// the menu, one on the bar). Full: each browser holds three links more, with
// titles in several scripts; otherwise the Favorites folder is empty.
class Profile {
 public:
  explicit Profile(bool full);
  std::string root() const { return dir_.path(); }
  std::string favorites() const { return dir_.sub("Favorites"); }
  std::string places() const;
  std::string chrome() const;
  CliResult Run(const std::vector<std::string>& args) const;
  // "Folder/Title -> URL" for every link of "ie", "firefox" or "chrome";
  // the last two read back through a backup of the browser.
  std::multiset<std::string> Links(const std::string& browser) const;

 private:
  TempDir dir_;
};

// "Folder/Title -> URL" for every .url file below folder.
std::multiset<std::string> UrlFiles(const std::string& folder);

// A backup set of a full profile, and a target profile with empty browsers.
class BackupSetTest : public ::testing::Test {
 protected:
  void SetUp() override;
  Profile source_{true};
  Profile target_{false};
  TempDir backup_;
};

bool Contains(const std::string& text, const std::string& fragment);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_
