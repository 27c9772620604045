// The folders where the library finds the user's browsers and their data,
// for tests of the exports that locate them themselves.
#ifndef MARKSAFE_TESTS_SUPPORT_BROWSER_HOME_H_
#define MARKSAFE_TESTS_SUPPORT_BROWSER_HOME_H_

#include <memory>
#include <string>

namespace marksafe {
namespace test {

// On POSIX a temporary tree that the MARKSAFE_* variables point at. On
// Windows the user profile's own shell folders: a test may use them only
// under Wine (a fresh prefix in CI), and only while they hold no Firefox,
// Chrome or Favorites data; what the test leaves there is removed at the
// end. Paths are UTF-8.
class BrowserHome {
 public:
  BrowserHome();
  ~BrowserHome();
  BrowserHome(const BrowserHome&) = delete;
  BrowserHome& operator=(const BrowserHome&) = delete;

  // Empty when the folders can be used, or why not (the test then skips).
  const std::string& unusable() const { return unusable_; }
  // Roaming application data, where the Firefox profiles are found.
  const std::string& roaming() const { return roaming_; }
  // Where the Chrome locator looks for the Bookmarks file.
  std::string ChromeBookmarks() const;

 private:
  // Installs or removes Internet Explorer (its iexplore.exe): Windows only.
  void SetIeInstalled(bool installed);
  struct State;
  std::unique_ptr<State> state_;
  std::string unusable_;
  std::string roaming_;
  std::string favorites_;
  std::string program_files_;
};

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_SUPPORT_BROWSER_HOME_H_
