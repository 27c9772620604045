#include "cli/posix/cli_harness.h"

#include <json/json.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace marksafe {
namespace test {
namespace {

const char kSchema[] =
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, "
    "title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, "
    "hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, "
    "favicon_id INTEGER, frecency INTEGER DEFAULT -1 NOT NULL, "
    "last_visit_date INTEGER);"
    "CREATE UNIQUE INDEX moz_places_url_uniqueindex ON moz_places (url);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, "
    "fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, "
    "title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, "
    "dateAdded INTEGER, lastModified INTEGER);"
    "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);"
    "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, "
    "position);"
    "INSERT INTO moz_bookmarks (id, type, parent, position, title) VALUES "
    "(1, 2, 0, 0, ''), (2, 2, 1, 0, 'Bookmarks Menu'), "
    "(3, 2, 1, 1, 'Bookmarks Toolbar'), (4, 2, 1, 2, 'Tags'), "
    "(5, 2, 1, 3, 'Unsorted Bookmarks');";

void Sql(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error("sql: " + text + " in " + sql);
  }
}

void WritePlaces(const std::string& file, const std::string& rows) {
  MakeDirs(fs::path(file).parent_path().string());
  fs::remove(file);
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  Sql(db, kSchema);
  if (!rows.empty()) Sql(db, rows);
  sqlite3_close(db);
}

// A Bookmarks file whose bar and other roots hold these children (JSON).
std::string ChromeText(const std::string& bar, const std::string& other) {
  auto root = [](const char* id, const char* name, const std::string& kids) {
    return std::string("{\"children\": [") + kids +
           "], \"date_added\": \"13300000000000000\", \"date_modified\": "
           "\"0\", \"id\": \"" +
           id + "\", \"name\": \"" + name + "\", \"type\": \"folder\"}";
  };
  return std::string("{\"checksum\": \"\", \"roots\": {\"bookmark_bar\": ") +
         root("1", "Bookmarks bar", bar) +
         ", \"other\": " + root("2", "Other bookmarks", other) +
         ", \"synced\": " + root("3", "Mobile bookmarks", "") +
         "}, \"version\": 1}";
}

void WriteUrl(const std::string& file, const std::string& url) {
  WriteBytes(file, "[InternetShortcut]\r\nURL=" + url + "\r\n");
}

// The first column of every row of a query on a places file, as text.
std::vector<std::string> Query(const std::string& places,
                               const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_open_v2(places.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
          SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      rows.emplace_back(
          reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

// .url files are ANSI or UTF-16LE with a byte order mark.
std::string DecodeUrlFile(const std::string& bytes) {
  if (bytes.rfind("\xFF\xFE", 0) != 0) return bytes;
  std::u16string wide((bytes.size() - 2) / 2, u'\0');
  std::memcpy(wide.data(), bytes.data() + 2, wide.size() * 2);
  return U8(wide);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env) {
  std::vector<std::string> env_strings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    // The child sees only the library variables the test gives it.
    if (text.rfind("MARKSAFE_", 0) == 0) continue;
    env_strings.push_back(text);
  }
  for (const auto& [name, value] : env) {
    if (!value.empty()) env_strings.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& text : env_strings) envp.push_back(text.data());
  envp.push_back(nullptr);

  std::vector<std::string> argv_strings = {MARKSAFE_CLI_PATH};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& text : argv_strings) argv.push_back(text.data());
  argv.push_back(nullptr);

  // Output goes to files, read once the child has ended.
  TempDir io;
  const std::string out_file = io.sub("out"), err_file = io.sub("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int rc =
      posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error(std::string("spawn: ") + strerror(rc));
  int status = 0;
  waitpid(pid, &status, 0);
  CliResult result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  result.out = ReadBytes(out_file);
  result.err = ReadBytes(err_file);
  return result;
}

Profile::Profile() {
  MakeDirs(favorites());
  WriteBytes(dir_.sub("Program Files/Internet Explorer/iexplore.exe"), "");
}

std::string Profile::places() const {
  return dir_.sub(
      "AppData/Roaming/Mozilla/Firefox/Profiles/t1.default/places.sqlite");
}

std::string Profile::chrome() const {
  return dir_.sub("AppData/Local/Google/Chrome/User Data/Default/Bookmarks");
}

void Profile::FillIe() {
  WriteUrl(favorites() + "/Start.url", "https://start.example/");
  WriteUrl(favorites() + "/Nachrichten/Zeitung für Österreich.url",
           "https://news.example.at/");
  WriteUrl(favorites() + "/Nachrichten/日本/天気.url",
           "https://tenki.example.jp/");
}

void Profile::FillFirefox() {
  WritePlaces(
      places(),
      "INSERT INTO moz_places (id, url, title) VALUES "
      "(10, 'https://help.example.org/', 'Firefox Help'),"
      "(11, 'https://food.example.fr/creme', 'Crème brûlée'),"
      "(12, 'https://later.example.com/', 'Later'),"
      "(13, 'https://toolbar.example.com/', 'On the toolbar');"
      "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) "
      "VALUES (6, 1, 10, 2, 0, 'Firefox Help'),"
      "(7, 2, NULL, 2, 1, 'Küche'),"
      "(8, 1, 11, 7, 0, 'Crème brûlée'),"
      "(9, 1, 12, 5, 0, 'Later'),"
      "(10, 1, 13, 3, 0, 'On the toolbar');");
}

void Profile::FillChrome() {
  WriteBytes(chrome(),
             ChromeText(R"({"id": "4", "name": "Mail", "type": "url",
                            "url": "https://mail.example.com/"},
                           {"id": "5", "name": "Работа", "type": "folder",
                            "children": [{"id": "6", "name": "Отчёт",
                              "type": "url",
                              "url": "https://report.example.ru/"}]})",
                        R"({"id": "7", "name": "Other one", "type": "url",
                            "url": "https://other.example.net/"})"));
}

void Profile::EmptyIe() { MakeDirs(favorites()); }

void Profile::EmptyFirefox() { WritePlaces(places(), ""); }

void Profile::EmptyChrome() { WriteBytes(chrome(), ChromeText("", "")); }

CliResult Profile::Run(const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& extra) const {
  std::map<std::string, std::string> env = {
      {"MARKSAFE_FAVORITES", favorites()},
      {"MARKSAFE_APPDATA", dir_.sub("AppData/Roaming")},
      {"MARKSAFE_PROGRAM_FILES", dir_.sub("Program Files")}};
  for (const auto& [name, value] : extra) env[name] = value;
  return RunCli(args, env);
}

std::multiset<std::string> PlacesLinks(const std::string& places) {
  const auto rows = Query(
      places,
      "WITH RECURSIVE tree(id, path) AS (SELECT 1, '' UNION ALL "
      "SELECT b.id, t.path || ifnull(b.title, '') || '/' FROM moz_bookmarks b "
      "JOIN tree t ON b.parent = t.id WHERE b.type = 2 AND length(t.path) < "
      "4000) SELECT t.path || ifnull(b.title, '') || ' -> ' || p.url FROM "
      "moz_bookmarks b JOIN tree t ON b.parent = t.id JOIN moz_places p ON "
      "b.fk = p.id WHERE b.type = 1");
  return {rows.begin(), rows.end()};
}

int PlacesRowCount(const std::string& places) {
  const auto rows = Query(places,
                          "SELECT (SELECT count(*) FROM moz_bookmarks) + "
                          "(SELECT count(*) FROM moz_places)");
  return rows.empty() ? -1 : std::stoi(rows[0]);
}

std::multiset<std::string> ChromeLinks(const std::string& bookmarks) {
  std::multiset<std::string> links;
  std::ifstream in(bookmarks, std::ios::binary);
  Json::Value doc;
  Json::CharReaderBuilder builder;
  std::string errors;
  if (!Json::parseFromStream(builder, in, &doc, &errors)) return links;
  std::function<void(const Json::Value&, const std::string&)> walk =
      [&](const Json::Value& node, const std::string& path) {
        if (node["type"].asString() == "url") {
          links.insert(path + node["name"].asString() + " -> " +
                       node["url"].asString());
          return;
        }
        for (const Json::Value& child : node["children"]) {
          walk(child, path + node["name"].asString() + "/");
        }
      };
  walk(doc["roots"]["bookmark_bar"], "");
  walk(doc["roots"]["other"], "");
  return links;
}

std::multiset<std::string> FavoritesLinks(const std::string& favorites) {
  std::multiset<std::string> links;
  std::error_code ec;
  const fs::path root = favorites;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::path file = it->path();
    if (file.extension() != ".url") continue;
    const std::string text = DecodeUrlFile(ReadBytes(file.string()));
    const size_t key = text.find("URL=");
    const std::string url =
        key == std::string::npos
            ? ""
            : text.substr(key + 4, text.find_first_of("\r\n", key) - key - 4);
    const std::string relative =
        fs::relative(file, root).replace_extension().generic_string();
    links.insert(relative + " -> " + url);
  }
  return links;
}

std::multiset<std::string> Links(const Profile& profile,
                                 const std::string& browser) {
  if (browser == "ie") return FavoritesLinks(profile.favorites());
  if (browser == "firefox") return PlacesLinks(profile.places());
  return ChromeLinks(profile.chrome());
}

void BackupSetTest::SetUp() {
  source_.FillIe();
  source_.FillFirefox();
  source_.FillChrome();
  ASSERT_EQ(source_.Run({"backup", backup_.path()}).exit_code, 0);
  target_.EmptyIe();
  target_.EmptyFirefox();
  target_.EmptyChrome();
}

bool Contains(const std::string& text, const std::string& fragment) {
  return text.find(fragment) != std::string::npos;
}

}  // namespace test
}  // namespace marksafe
