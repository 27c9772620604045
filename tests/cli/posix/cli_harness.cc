#include "cli/posix/cli_harness.h"

#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

extern char** environ;

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

// A file of tests/data.
std::string Data(const std::string& name) {
  const std::string here = __FILE__;
  return ReadBytes(here.substr(0, here.rfind('/')) + "/../../data/" + name);
}

// A places file as today's Firefox makes it, with these rows added.
void WritePlaces(const std::string& file, const std::string& rows) {
  MakeDirs(fs::path(file).parent_path().string());
  sqlite3* db = nullptr;
  char* error = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, (Data("firefox/places-today.sql") + rows).c_str(),
                   nullptr, nullptr, &error) != SQLITE_OK) {
    ADD_FAILURE() << file << ": " << (error ? error : "cannot open");
  }
  sqlite3_free(error);
  sqlite3_close(db);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env) {
  auto quote = [](const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
      quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  };
  std::string command = "env";
  // The child sees only the library variables the test gives it.
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (text.rfind("MARKSAFE_", 0) == 0) {
      command += " -u " + text.substr(0, text.find('='));
    }
  }
  for (const auto& [name, value] : env)
    command += " " + quote(name + "=" + value);
  command += " " + quote(MARKSAFE_CLI_PATH);
  for (const std::string& arg : args) command += " " + quote(arg);
  TempDir io;
  const int status = std::system(
      (command + " >" + quote(io.sub("out")) + " 2>" + quote(io.sub("err")))
          .c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128,
          ReadBytes(io.sub("out")), ReadBytes(io.sub("err"))};
}

Profile::Profile(bool full) {
  WriteBytes(dir_.sub("Program Files/Internet Explorer/iexplore.exe"), "");
  MakeDirs(favorites());
  WritePlaces(places(), full ? kFirefoxRows : "");
  // Today's Chromium file: one link on the bar, nothing in other.
  std::string chrome_text = Data("chrome/bookmarks-today.json");
  if (full) {
    chrome_text.replace(chrome_text.find("[ {"), 3, R"([
        {"id": "14", "name": "Mail", "type": "url",
         "url": "https://mail.example.com/"},
        {"id": "15", "name": "Работа", "type": "folder", "children": [
          {"id": "16", "name": "Отчёт", "type": "url",
           "url": "https://report.example.ru/"}]}, {)");
    chrome_text.replace(chrome_text.find("[  ]"), 4, R"([
        {"id": "17", "name": "Other one", "type": "url",
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

std::string Profile::places() const {
  return dir_.sub(
      "AppData/Roaming/Mozilla/Firefox/Profiles/t1.default/places.sqlite");
}

std::string Profile::chrome() const {
  return dir_.sub("AppData/Local/Google/Chrome/User Data/Default/Bookmarks");
}

CliResult Profile::Run(const std::vector<std::string>& args) const {
  return RunCli(args, {{"MARKSAFE_FAVORITES", favorites()},
                       {"MARKSAFE_APPDATA", dir_.sub("AppData/Roaming")},
                       {"MARKSAFE_PROGRAM_FILES", dir_.sub("Program Files")}});
}

std::multiset<std::string> Profile::Links(const std::string& browser) const {
  if (browser == "ie") return UrlFiles(favorites());
  TempDir backup;
  const CliResult r = Run({"backup", backup.path(), "--" + browser});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  return UrlFiles(backup.sub(browser == "chrome" ? "Bookmarks/Chrome"
                                                 : "Bookmarks/Firefox"));
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
    const size_t key = text.find("\nURL=");
    const std::string url =
        key == std::string::npos
            ? ""
            : text.substr(key + 5,
                          text.find_first_of("\r\n", key + 1) - key - 5);
    links.insert(fs::relative(file, folder).replace_extension().string() +
                 " -> " + url);
  }
  return links;
}

void BackupSetTest::SetUp() {
  const CliResult r = source_.Run({"backup", backup_.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
}

bool Contains(const std::string& text, const std::string& fragment) {
  return text.find(fragment) != std::string::npos;
}

}  // namespace test
}  // namespace marksafe
