#include "cli/posix/cli_harness.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "firefox/places_fixture.h"
#include "support/posix/program_copy.h"

namespace fs = std::filesystem;

namespace marksafe {
namespace test {
namespace {

// Four links: two in the menu (one in a folder), one unsorted, one on the
// toolbar, which a backup leaves out.
const char kFirefoxRows[] =
    "INSERT INTO moz_places (id, url, title) VALUES "
    "(10, 'https://help.example.org/', 'Firefox Help'),"
    "(11, 'https://food.example.fr/creme', 'Crème brûlée'),"
    "(12, 'https://later.example.com/', 'Later'),"
    "(13, 'https://toolbar.example.com/', 'On the toolbar');"
    "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES "
    "(16, 1, 10, 2, 1, 'Firefox Help'), (17, 2, NULL, 2, 2, 'Küche'),"
    "(18, 1, 11, 17, 0, 'Crème brûlée'), (19, 1, 12, 5, 0, 'Later'),"
    "(20, 1, 13, 3, 0, 'On the toolbar');";

std::string Quote(const std::string& text) {
  return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env) {
  // No journal is kept, and none could reach the real home folder, unless
  // a test asks.
  std::map<std::string, std::string> all = {{"MARKSAFE_JOURNAL", "off"}};
  const char* state = std::getenv("XDG_STATE_HOME");
  all["XDG_STATE_HOME"] =
      state != nullptr ? state : fs::temp_directory_path().string();
  for (const auto& [name, value] : env) all[name] = value;
  std::string command = "env -i";
  for (const auto& [name, value] : all)
    command += " " + Quote(name + "=" + value);
  command += " " + Quote(MARKSAFE_CLI_PATH);
  for (const std::string& arg : args) command += " " + Quote(arg);
  TempDir io;
  command += " >" + Quote(io.sub("out")) + " 2>" + Quote(io.sub("err"));
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128,
          ReadBytes(io.sub("out")), ReadBytes(io.sub("err"))};
}

Profile::Profile(bool full) {
  WriteBytes(dir_.sub("Program Files/Internet Explorer/iexplore.exe"), "");
  MakeDirs(favorites());
  PlacesDb(places(), PlacesDb::Layout::kToday).Exec(full ? kFirefoxRows : "");
  // Today's Chromium file: one link on the bar, nothing in other.
  std::string chrome_text = DataFile("chrome/bookmarks-today.json");
  if (full) {
    chrome_text.replace(chrome_text.find("[ {"), 3, R"([
        {"id": "14", "name": "Mail", "type": "url",
         "url": "https://mail.example.com/"}, {"id": "15", "name": "Работа",
         "type": "folder", "children": [{"id": "16", "name": "Отчёт",
         "type": "url", "url": "https://report.example.ru/"}]}, {)");
    chrome_text.replace(chrome_text.find("[  ]"), 4, R"([{"id": "17",
        "name": "Other one", "type": "url",
        "url": "https://other.example.net/"}])");
    const std::string url = "[InternetShortcut]\r\nURL=https://";
    WriteBytes(favorites() + "/Start.url", url + "start.example/\r\n");
    WriteBytes(favorites() + "/Nachrichten/Zeitung für Österreich.url",
               url + "news.example.at/\r\n");
    WriteBytes(favorites() + "/Nachrichten/日本/天気.url",
               url + "tenki.example.jp/\r\n");
  }
  WriteBytes(chrome(), chrome_text);
}

CliResult Profile::Run(const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& extra) const {
  std::map<std::string, std::string> env = extra;
  env["MARKSAFE_FAVORITES"] = favorites();
  env["MARKSAFE_APPDATA"] = dir_.sub("AppData/Roaming");
  env["MARKSAFE_PROGRAM_FILES"] = dir_.sub("Program Files");
  return RunCli(args, env);
}

std::multiset<std::string> Profile::Links(const std::string& browser) const {
  if (browser == "ie") return UrlFiles(favorites());
  TempDir backup;
  EXPECT_EQ(Run({"backup", backup.path(), "--" + browser}).exit_code, 0);
  return UrlFiles(backup.sub(browser == "chrome" ? "Bookmarks/Chrome"
                                                 : "Bookmarks/Firefox"));
}

FakeBrowser::FakeBrowser(const std::string& folder, const std::string& name)
    : pid_(StartProgramCopy(folder, "/bin/sleep", {name, "60"})) {
  EXPECT_GT(pid_, 0);
}

FakeBrowser::~FakeBrowser() {
  if (pid_ <= 0 || ended_) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool FakeBrowser::Ended() const {
  ended_ = ended_ || waitpid(pid_, nullptr, WNOHANG) == pid_;
  return ended_;
}

void LockChromium(const std::string& user_data, pid_t pid) {
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof(host) - 1), 0);
  fs::create_symlink(std::string(host) + "-" + std::to_string(pid),
                     user_data + "/SingletonLock");
}

std::string Line(const std::string& text, const std::string& fragment) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (Contains(line, fragment)) return line;
  }
  return "";
}

std::multiset<std::string> UrlFiles(const std::string& folder) {
  std::multiset<std::string> links;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::path file = it->path();
    if (file.extension() != ".url") continue;
    // UTF-16LE files hold ASCII URLs here: dropping the zero bytes will do.
    std::string text = ReadBytes(file.string());
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    std::smatch url;
    std::regex_search(text, url, std::regex("\nURL=([^\r\n]*)"));
    links.insert(fs::relative(file, folder).replace_extension().string() +
                 " -> " + url.str(1));
  }
  return links;
}

}  // namespace test
}  // namespace marksafe
