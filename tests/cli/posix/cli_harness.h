// Runs the marksafe program as a child process on sandbox profiles, and
// reads back what it left in the Favorites folder, places.sqlite and the
// Chrome Bookmarks file.
#ifndef MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_
#define MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace marksafe {
namespace test {

struct CliResult {
  int exit_code = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// A user profile in a temporary folder, laid out as the library finds it
// through MARKSAFE_FAVORITES, MARKSAFE_APPDATA and MARKSAFE_PROGRAM_FILES.
class Profile {
 public:
  Profile();
  std::string favorites() const { return dir_.sub("Favorites"); }
  std::string places() const;
  std::string chrome() const;
  std::string root() const { return dir_.path(); }

  // Fills the three browsers with a few bookmarks each (non-ASCII titles
  // included); the empty forms are a browser with nothing in it.
  void FillIe();
  void FillFirefox();
  void FillChrome();
  void EmptyIe();
  void EmptyFirefox();
  void EmptyChrome();

  // Runs marksafe with these arguments and the environment pointing at this
  // profile (plus extra, where a value "" removes the variable).
  CliResult Run(const std::vector<std::string>& args,
                const std::map<std::string, std::string>& extra = {}) const;

 private:
  TempDir dir_;
};

CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env);

// A backup set of a full source profile, and a target profile whose three
// browsers are empty.
class BackupSetTest : public ::testing::Test {
 protected:
  void SetUp() override;
  Profile source_;
  Profile target_;
  TempDir backup_;
};

// Places: "Folder/Title -> URL" for every link, with the path of folder
// titles from below the untitled root down.
std::multiset<std::string> PlacesLinks(const std::string& places);
int PlacesRowCount(const std::string& places);
// The links of one browser ("ie", "firefox" or "chrome") of a profile.
std::multiset<std::string> Links(const Profile& profile,
                                 const std::string& browser);
// Chrome: the same for every url node below roots.bookmark_bar and
// roots.other.
std::multiset<std::string> ChromeLinks(const std::string& bookmarks);
// Favorites: the same for every .url file ("Folder/Title -> URL").
std::multiset<std::string> FavoritesLinks(const std::string& favorites);

bool Contains(const std::string& text, const std::string& fragment);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_CLI_POSIX_CLI_HARNESS_H_
