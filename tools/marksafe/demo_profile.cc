#include "demo_profile.h"

#include <json/json.h>
#include <sqlite3.h>

#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include "demo_data.h"
#include "errors.h"
#include "os.h"
#include "text.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

const char kStep[] = "demo: build sandbox";

// Microseconds since 1970 (Firefox) and since 1601 (Chrome) of a fixed
// moment, so that every sandbox is the same.
constexpr int64_t kFirefoxTime = 1700000000000000;
constexpr int64_t kChromeTime = 13346473600000000;

void MakeDirs(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec)
    Fail(kStep, "cannot create " + PathToUtf8(folder) + ": " + ec.message());
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  MakeDirs(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) Fail(kStep, "cannot write " + PathToUtf8(file));
}

// ---- Internet Explorer: a folder tree of Internet Shortcut files --------

void BuildFavorites(const fs::path& favorites) {
  MakeDirs(favorites);
  for (const DemoBookmark& mark : DemoFavorites()) {
    const fs::path folder = favorites / PathFromUtf8(mark.folder);
    WriteFile(folder / PathFromUtf8(std::string(mark.title) + ".url"),
              std::string("[InternetShortcut]\r\nURL=") + mark.url + "\r\n");
  }
  // Windows keeps one of these in the folder; every reader ignores it.
  WriteFile(favorites / "desktop.ini",
            "[.ShellClassInfo]\r\nLocalizedResourceName=Favorites\r\n");
}

// ---- Firefox: places.sqlite with the places schema of its era -----------

const char kPlacesSchema[] =
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
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, dateAdded,"
    " lastModified) VALUES "
    "(1, 2, 0, 0, '', 1700000000000000, 1700000000000000),"
    "(2, 2, 1, 0, 'Bookmarks Menu', 1700000000000000, 1700000000000000),"
    "(3, 2, 1, 1, 'Bookmarks Toolbar', 1700000000000000, 1700000000000000),"
    "(4, 2, 1, 2, 'Tags', 1700000000000000, 1700000000000000),"
    "(5, 2, 1, 3, 'Unsorted Bookmarks', 1700000000000000, 1700000000000000);";

// "https://www.bbc.com/x" -> "moc.cbb.www." as Firefox stores hosts.
std::string ReversedHost(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return "";
  const size_t start = scheme + 3;
  const size_t end = url.find('/', start);
  const std::string host = url.substr(start, end - start);
  return std::string(host.rbegin(), host.rend()) + ".";
}

class PlacesWriter {
 public:
  explicit PlacesWriter(const fs::path& file) {
    if (sqlite3_open(PathToUtf8(file).c_str(), &db_) != SQLITE_OK) {
      Fail(kStep, "cannot create " + PathToUtf8(file));
    }
    Exec(kPlacesSchema);
  }
  ~PlacesWriter() { sqlite3_close(db_); }
  PlacesWriter(const PlacesWriter&) = delete;
  PlacesWriter& operator=(const PlacesWriter&) = delete;

  void Add(int64_t root, const DemoBookmark& mark) {
    const int64_t parent = Folder(root, mark.folder);
    Exec(
        "INSERT INTO moz_places (url, title, rev_host, visit_count, "
        "frecency) VALUES (?, ?, ?, 1, 100);",
        {mark.url, mark.title, ReversedHost(mark.url)});
    const int64_t place = sqlite3_last_insert_rowid(db_);
    Exec(
        "INSERT INTO moz_bookmarks (type, fk, parent, position, title, "
        "dateAdded, lastModified) VALUES (1, ?, ?, ?, ?, ?, ?);",
        {std::to_string(place), std::to_string(parent),
         std::to_string(next_position_[parent]++), mark.title,
         std::to_string(kFirefoxTime), std::to_string(kFirefoxTime)});
  }

 private:
  // The folder at path ("a/b") below root, made on first use.
  int64_t Folder(int64_t root, const std::string& path) {
    int64_t parent = root;
    std::string so_far = std::to_string(root);
    size_t start = 0;
    while (start < path.size()) {
      size_t end = path.find('/', start);
      if (end == std::string::npos) end = path.size();
      const std::string name = path.substr(start, end - start);
      so_far += "/" + name;
      auto known = folders_.find(so_far);
      if (known == folders_.end()) {
        Exec(
            "INSERT INTO moz_bookmarks (type, parent, position, title, "
            "dateAdded, lastModified) VALUES (2, ?, ?, ?, ?, ?);",
            {std::to_string(parent), std::to_string(next_position_[parent]++),
             name, std::to_string(kFirefoxTime), std::to_string(kFirefoxTime)});
        known = folders_.emplace(so_far, sqlite3_last_insert_rowid(db_)).first;
      }
      parent = known->second;
      start = end + 1;
    }
    return parent;
  }

  void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string text = error ? error : "unknown error";
      sqlite3_free(error);
      Fail(kStep, "places.sqlite: " + text);
    }
  }

  void Exec(const char* sql, const std::vector<std::string>& values) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    for (size_t i = 0; rc == SQLITE_OK && i < values.size(); ++i) {
      rc = sqlite3_bind_text(statement, static_cast<int>(i + 1),
                             values[i].c_str(), -1, SQLITE_TRANSIENT);
    }
    if (rc == SQLITE_OK) rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
      Fail(kStep, std::string("places.sqlite: ") + sqlite3_errmsg(db_));
    }
  }

  sqlite3* db_ = nullptr;
  std::map<std::string, int64_t> folders_;
  std::map<int64_t, int64_t> next_position_;
};

void BuildPlaces(const fs::path& file) {
  MakeDirs(file.parent_path());
  std::error_code ec;
  fs::remove(file, ec);
  PlacesWriter places(file);
  const std::pair<int64_t, const std::vector<DemoBookmark>*> kRoots[] = {
      {3, &DemoFirefoxToolbar()},
      {2, &DemoFirefoxMenu()},
      {5, &DemoFirefoxUnsorted()}};
  // As in a new profile, the smart bookmarks ("place:" queries) come first
  // and hold the lowest place ids.
  for (bool smart : {true, false}) {
    for (const auto& [root, marks] : kRoots) {
      for (const DemoBookmark& mark : *marks) {
        if ((std::string(mark.url).rfind("place:", 0) == 0) == smart) {
          places.Add(root, mark);
        }
      }
    }
  }
}

// ---- Chrome: the Bookmarks JSON file of the Default profile ------------

class ChromeWriter {
 public:
  ChromeWriter() {
    Json::Value& roots = document_["roots"];
    roots["bookmark_bar"] = MakeFolder("Bookmarks bar");
    roots["other"] = MakeFolder("Other bookmarks");
    roots["synced"] = MakeFolder("Mobile bookmarks");
    document_["checksum"] = "";
    document_["version"] = 1;
  }

  void Add(const char* root, const DemoBookmark& mark) {
    Json::Value& folder = Folder(document_["roots"][root], mark.folder);
    Json::Value node(Json::objectValue);
    node["date_added"] = std::to_string(kChromeTime + next_id_);
    node["id"] = std::to_string(next_id_++);
    node["name"] = mark.title;
    node["type"] = "url";
    node["url"] = mark.url;
    folder["children"].append(node);
  }

  std::string Text() const {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, document_) + "\n";
  }

 private:
  Json::Value MakeFolder(const std::string& name) {
    Json::Value node(Json::objectValue);
    node["children"] = Json::Value(Json::arrayValue);
    node["date_added"] = std::to_string(kChromeTime + next_id_);
    node["date_modified"] = std::to_string(kChromeTime + next_id_);
    node["id"] = std::to_string(next_id_++);
    node["name"] = name;
    node["type"] = "folder";
    return node;
  }

  Json::Value& Folder(Json::Value& root, const std::string& path) {
    Json::Value* parent = &root;
    size_t start = 0;
    while (start < path.size()) {
      size_t end = path.find('/', start);
      if (end == std::string::npos) end = path.size();
      const std::string name = path.substr(start, end - start);
      Json::Value* found = nullptr;
      for (Json::Value& child : (*parent)["children"]) {
        if (child["type"] == "folder" && child["name"] == name) found = &child;
      }
      if (found == nullptr) {
        found = &(*parent)["children"].append(MakeFolder(name));
      }
      parent = found;
      start = end + 1;
    }
    return *parent;
  }

  Json::Value document_{Json::objectValue};
  int next_id_ = 1;
};

void BuildChrome(const fs::path& file) {
  ChromeWriter chrome;
  for (const DemoBookmark& mark : DemoChromeBar()) {
    chrome.Add("bookmark_bar", mark);
  }
  for (const DemoBookmark& mark : DemoChromeOther()) chrome.Add("other", mark);
  WriteFile(file, chrome.Text());
}

}  // namespace

Sandbox LayOutSandbox(const fs::path& root) {
  Sandbox sandbox;
  sandbox.root = root;
  sandbox.favorites = root / "Favorites";
  sandbox.program_files = root / "Program Files";
  sandbox.appdata = root / "AppData" / "Roaming";
  sandbox.places = sandbox.appdata / "Mozilla" / "Firefox" / "Profiles" /
                   "k2x7demo.default" / "places.sqlite";
  sandbox.chrome_bookmarks = root / "AppData" / "Local" / "Google" / "Chrome" /
                             "User Data" / "Default" / "Bookmarks";
  sandbox.backup = root / "Backup";
  return sandbox;
}

void BuildSandbox(const Sandbox& sandbox) {
  BuildFavorites(sandbox.favorites);
  // The library takes Internet Explorer as installed when its program is
  // there; an empty file is enough.
  WriteFile(sandbox.program_files / "Internet Explorer" / "iexplore.exe", "");
  BuildPlaces(sandbox.places);
  BuildChrome(sandbox.chrome_bookmarks);
  MakeDirs(sandbox.backup);
}

void PointLibraryAt(const Sandbox& sandbox) {
  SetEnvVar("MARKSAFE_FAVORITES", PathToUtf8(sandbox.favorites));
  SetEnvVar("MARKSAFE_APPDATA", PathToUtf8(sandbox.appdata));
  SetEnvVar("MARKSAFE_PROGRAM_FILES", PathToUtf8(sandbox.program_files));
}

}  // namespace marksafe_cli
