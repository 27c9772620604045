#include "baselines.h"

#include <dirent.h>
#include <fcntl.h>
#include <json/json.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utf8.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "collection.h"
#include "sqlite_handles.h"

namespace bench {
namespace {

bool ReadWhole(const std::string& path, std::string* out) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  out->clear();
  char buf[65536];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0)
    out->append(buf, static_cast<size_t>(n));
  close(fd);
  return n == 0;
}

bool WriteWhole(const std::string& path, const std::string& text) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok =
      write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && ok;
}

// A file written whole and flushed.
bool WriteLasting(const std::string& path, const std::string& text) {
  return WriteWhole(path, text) && Flushed(path);
}

bool MakeDir(const std::string& dir) {
  return mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

// Calls on_dir(path, depth_parent_token) for each folder and on_file for each
// file, depth first, in listing order.
struct Walker {
  std::function<bool(const std::string& path, int parent, int* token)> on_dir;
  std::function<bool(const std::string& path, int parent)> on_file;

  bool Walk(const std::string& dir, int token) {
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return false;
    std::vector<std::pair<std::string, bool>> entries;
    while (dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
        continue;
      entries.emplace_back(e->d_name, e->d_type == DT_DIR);
    }
    closedir(d);
    bool ok = true;
    for (const auto& [name, is_dir] : entries) {
      const std::string path = dir + "/" + name;
      if (is_dir) {
        int sub = 0;
        if (on_dir && !on_dir(path, token, &sub)) ok = false;
        if (!Walk(path, sub)) ok = false;
      } else if (on_file && !on_file(path, token)) {
        ok = false;
      }
    }
    return ok;
  }
};

std::string ShortcutText(const std::string& url) {
  return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

// The URL= line of a shortcut, ANSI or UTF-16 (as the Chrome part writes
// every shortcut).
std::string UrlOf(const std::string& bytes) {
  std::string text;
  if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe') {
    std::u16string units((bytes.size() - 2) / 2, u'\0');
    std::memcpy(&units[0], bytes.data() + 2, units.size() * 2);
    utf8::utf16to8(units.begin(), units.end(), std::back_inserter(text));
  } else {
    text = bytes;
  }
  size_t at = text.find("URL=");
  if (at == std::string::npos) return std::string();
  size_t end = text.find_first_of("\r\n", at);
  return text.substr(at + 4, end == std::string::npos ? end : end - at - 4);
}

}  // namespace

bool Flushed(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (ok && S_ISDIR(st.st_mode)) ok = syncfs(fd) == 0;
  if (ok) ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

bool CopyTreeWithCp(const std::string& source, const std::string& destination) {
  execlp("sh", "sh", "-c", "cp -r \"$0\" \"$1\" && sync -f \"$1\"",
         source.c_str(), destination.c_str(), static_cast<char*>(nullptr));
  return false;
}

bool StatTree(const std::string& dir) {
  uint64_t total = 0;
  Walker w;
  w.on_file = [&](const std::string& path, int) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    total += static_cast<uint64_t>(st.st_size);
    return true;
  };
  return w.Walk(dir, 0) && total > 0;
}

bool ReadAndWriteTree(const std::string& source,
                      const std::string& destination) {
  if (!MakeDir(destination)) return false;
  std::string text;
  Walker w;
  w.on_dir = [&](const std::string& path, int, int*) {
    return MakeDir(destination + path.substr(source.size()));
  };
  w.on_file = [&](const std::string& path, int) {
    return ReadWhole(path, &text) &&
           WriteWhole(destination + path.substr(source.size()), text);
  };
  return w.Walk(source, 0) && Flushed(destination);
}

namespace {

Db Open(const std::string& file) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  Db db(raw);
  return rc == SQLITE_OK ? std::move(db) : nullptr;
}

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
  return Stmt(s);
}

std::string Column(sqlite3_stmt* s, int i) {
  const unsigned char* t = sqlite3_column_text(s, i);
  return t == nullptr ? std::string() : reinterpret_cast<const char*>(t);
}

// Adds folders and links to a places store with prepared statements, each
// after the earlier children of its parent, as both places baselines do.
class Inserter {
 public:
  explicit Inserter(sqlite3* db)
      : db_(db),
        folder_(Prepare(db,
                        "INSERT INTO moz_bookmarks(type,parent,position,title,"
                        "dateAdded,lastModified) VALUES(2,?,?,?,1,1)")),
        place_(Prepare(db,
                       "INSERT OR IGNORE INTO moz_places(url,title,rev_host) "
                       "VALUES(?,?,'')")),
        find_(Prepare(db, "SELECT id FROM moz_places WHERE url=?")),
        link_(Prepare(db,
                      "INSERT INTO moz_bookmarks(type,fk,parent,position,title,"
                      "dateAdded,lastModified) VALUES(1,?,?,?,?,1,1)")) {}

  // The new folder's id; -1 on failure.
  int Folder(int parent, const std::string& title) {
    sqlite3_reset(folder_.get());
    sqlite3_bind_int(folder_.get(), 1, parent);
    sqlite3_bind_int(folder_.get(), 2, next_[parent]++);
    sqlite3_bind_text(folder_.get(), 3, title.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(folder_.get()) != SQLITE_DONE) return -1;
    return static_cast<int>(sqlite3_last_insert_rowid(db_));
  }

  bool Link(int parent, const std::string& url, const std::string& title) {
    sqlite3_reset(place_.get());
    sqlite3_bind_text(place_.get(), 1, url.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(place_.get(), 2, title.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(place_.get()) != SQLITE_DONE) return false;
    sqlite3_reset(find_.get());
    sqlite3_bind_text(find_.get(), 1, url.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(find_.get()) != SQLITE_ROW) return false;
    sqlite3_reset(link_.get());
    sqlite3_bind_int(link_.get(), 1, sqlite3_column_int(find_.get(), 0));
    sqlite3_bind_int(link_.get(), 2, parent);
    sqlite3_bind_int(link_.get(), 3, next_[parent]++);
    sqlite3_bind_text(link_.get(), 4, title.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(link_.get()) == SQLITE_DONE;
  }

 private:
  sqlite3* db_;
  Stmt folder_, place_, find_, link_;
  std::map<int, int> next_;  // parent -> next position
};

struct Row {
  int id, type;
  std::string title, url;
};

// Every bookmark row of a places store, by parent id, in position order.
std::map<int, std::vector<Row>> ChildrenByParent(sqlite3* db) {
  Stmt rows = Prepare(
      db,
      "SELECT b.id, b.type, b.parent, b.title, p.url FROM moz_bookmarks b "
      "LEFT JOIN moz_places p ON b.fk = p.id ORDER BY b.parent, b.position");
  std::map<int, std::vector<Row>> children;
  while (sqlite3_step(rows.get()) == SQLITE_ROW) {
    children[sqlite3_column_int(rows.get(), 2)].push_back(
        {sqlite3_column_int(rows.get(), 0), sqlite3_column_int(rows.get(), 1),
         Column(rows.get(), 3), Column(rows.get(), 4)});
  }
  return children;
}

}  // namespace

bool PlacesToFiles(const std::string& places, const std::string& destination) {
  Db db = Open(places);
  if (!db) return false;
  std::map<int, std::vector<Row>> children = ChildrenByParent(db.get());
  if (!MakeDir(destination)) return false;
  std::function<bool(int, const std::string&)> emit =
      [&](int parent, const std::string& dir) {
        if (!MakeDir(dir)) return false;
        bool ok = true;
        for (const Row& row : children[parent]) {
          if (row.type == 2) {
            ok = emit(row.id, dir + "/" + FileNameOf(row.title)) && ok;
          } else if (row.type == 1) {
            ok = WriteWhole(dir + "/" + FileNameOf(row.title) + ".url",
                            ShortcutText(row.url)) &&
                 ok;
          }
        }
        return ok;
      };
  return (emit(2, destination + "/Bookmarks Menu") &
          emit(5, destination + "/Unsorted Bookmarks")) &&
         Flushed(destination);
}

namespace {

bool ParseFile(const std::string& file, Json::Value* doc) {
  std::string text;
  if (!ReadWhole(file, &text)) return false;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  return reader->parse(text.data(), text.data() + text.size(), doc, &errors);
}

}  // namespace

bool ChromeToFiles(const std::string& chrome, const std::string& destination) {
  Json::Value doc;
  if (!ParseFile(chrome, &doc) || !MakeDir(destination)) return false;
  std::function<bool(const Json::Value&, const std::string&)> emit =
      [&](const Json::Value& folder, const std::string& dir) {
        if (!MakeDir(dir)) return false;
        bool ok = true;
        for (const Json::Value& node : folder["children"]) {
          const std::string name = FileNameOf(node["name"].asString());
          if (node["type"].asString() == "folder") {
            ok = emit(node, dir + "/" + name) && ok;
          } else {
            ok = WriteWhole(dir + "/" + name + ".url",
                            ShortcutText(node["url"].asString())) &&
                 ok;
          }
        }
        return ok;
      };
  return (emit(doc["roots"]["bookmark_bar"], destination + "/Bookmarks bar") &
          emit(doc["roots"]["other"], destination + "/Other bookmarks")) &&
         Flushed(destination);
}

bool ReadAndInsert(const std::string& source, const std::string& places) {
  Db db = Open(places);
  if (!db) return false;
  sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
  {
    Inserter insert(db.get());
    auto base = [](const std::string& path) {
      return path.substr(path.rfind('/') + 1);
    };
    std::string text;
    Walker w;
    w.on_dir = [&](const std::string& path, int parent, int* token) {
      *token = insert.Folder(parent, base(path));
      return *token >= 0;
    };
    w.on_file = [&](const std::string& path, int parent) {
      if (!ReadWhole(path, &text)) return false;
      const std::string url = UrlOf(text);
      if (url.empty()) return true;  // position files and the like
      std::string title = base(path);
      title.resize(title.size() - 4);
      return insert.Link(parent, url, title);
    };
    if (!w.Walk(source, 2)) return false;
  }
  return sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) ==
         SQLITE_OK;
}

bool ReadAndRewriteJson(const std::string& source, const std::string& document,
                        const std::string& out) {
  std::string text;
  size_t bytes = 0;
  Walker w;
  w.on_file = [&](const std::string& path, int) {
    bytes += text.size();
    return ReadWhole(path, &text);
  };
  Json::Value doc;
  if (!w.Walk(source, 0) || !ParseFile(document, &doc)) return false;
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  builder["emitUTF8"] = true;
  return WriteLasting(out, Json::writeString(builder, doc)) && bytes > 0;
}

namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Calls folder(title) at each <H3>, end() at each </DL> that closes one,
// and link(url, title) at each <A>: enough for a file written one item per
// line.
bool ScanHtml(const std::string& html,
              const std::function<bool(const std::string&)>& folder,
              const std::function<bool()>& end,
              const std::function<bool(const std::string&,
                                       const std::string&)>& link) {
  std::string text;
  if (!ReadWhole(html, &text)) return false;
  std::istringstream lines(text);
  int depth = 0;
  for (std::string line; std::getline(lines, line);) {
    const size_t h3 = line.find("<DT><H3");
    const size_t a = line.find("<DT><A HREF=\"");
    if (h3 != std::string::npos) {
      const size_t open = line.find('>', h3 + 7);
      const size_t close = line.find("</H3>", open);
      if (open == std::string::npos || close == std::string::npos) continue;
      if (!folder(line.substr(open + 1, close - open - 1))) return false;
      ++depth;
    } else if (a != std::string::npos) {
      const size_t from = a + 14;
      const size_t quote = line.find('"', from);
      const size_t open = line.find('>', quote);
      const size_t close = line.find("</A>", open);
      if (quote == std::string::npos || open == std::string::npos ||
          close == std::string::npos)
        continue;
      if (!link(line.substr(from, quote - from),
                line.substr(open + 1, close - open - 1)))
        return false;
    } else if (line.find("</DL>") != std::string::npos && depth > 0) {
      --depth;
      if (!end()) return false;
    }
  }
  return true;
}

}  // namespace

bool PlacesToHtml(const std::string& places, const std::string& html) {
  Db db = Open(places);
  if (!db) return false;
  std::map<int, std::vector<Row>> children = ChildrenByParent(db.get());
  std::string out =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
      "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
      "<H1>Bookmarks Menu</H1>\n<DL><p>\n";
  std::function<void(int, size_t)> emit = [&](int parent, size_t level) {
    const std::string indent(level * 4, ' ');
    for (const Row& row : children[parent]) {
      if (row.type == 2) {
        out += indent + "<DT><H3>" + Escaped(row.title) + "</H3>\n" + indent +
               "<DL><p>\n";
        emit(row.id, level + 1);
        out += indent + "</DL><p>\n";
      } else if (row.type == 1) {
        out += indent + "<DT><A HREF=\"" + Escaped(row.url) + "\">" +
               Escaped(row.title) + "</A>\n";
      } else {
        out += indent + "<HR>\n";
      }
    }
  };
  emit(2, 1);
  // The benchmark's stores have the old schema: no mobile root (id 6 is a
  // folder of the menu).
  for (const auto& [id, title] :
       {std::pair<int, const char*>{3, "Bookmarks Toolbar"},
        {5, "Other Bookmarks"}}) {
    out += std::string("    <DT><H3>") + title + "</H3>\n    <DL><p>\n";
    emit(id, 2);
    out += "    </DL><p>\n";
  }
  out += "</DL>\n";
  return WriteLasting(html, out);
}

bool HtmlToPlaces(const std::string& html, const std::string& places) {
  Db db = Open(places);
  if (!db) return false;
  sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
  {
    Inserter insert(db.get());
    std::vector<int> parents = {2};
    const bool scanned = ScanHtml(
        html,
        [&](const std::string& title) {
          parents.push_back(insert.Folder(parents.back(), title));
          return parents.back() >= 0;
        },
        [&] {
          parents.pop_back();
          return !parents.empty();
        },
        [&](const std::string& url, const std::string& title) {
          return insert.Link(parents.back(), url, title);
        });
    if (!scanned) return false;
  }
  return sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) ==
         SQLITE_OK;
}

bool HtmlToChrome(const std::string& html, const std::string& out) {
  Json::Value doc(Json::objectValue);
  Json::Value& roots = doc["roots"];
  for (const char* name : {"bookmark_bar", "other", "synced"}) {
    roots[name]["type"] = "folder";
    roots[name]["children"] = Json::Value(Json::arrayValue);
  }
  int id = 4;
  std::vector<Json::Value*> parents = {&roots["other"]};
  // Every node carries what Chrome writes for one: when it was added and
  // last used, and a GUID of its own (here from a plain generator).
  std::mt19937_64 random(id);
  const std::string now = "13350000000000000";
  auto node = [&](const char* type, const std::string& title) -> Json::Value& {
    Json::Value& made = (*parents.back())["children"].append(
        Json::Value(Json::objectValue));
    char guid[40];
    const uint64_t high = random();
    const uint64_t low = random();
    std::snprintf(guid, sizeof(guid), "%08x-%04x-4%03x-a%03x-%012llx",
                  static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>(high >> 16) & 0xffffu,
                  static_cast<unsigned>(high) & 0xfffu,
                  static_cast<unsigned>(low >> 48) & 0xfffu,
                  static_cast<unsigned long long>(low & 0xffffffffffffull));
    made["date_added"] = now;
    made["date_last_used"] = "0";
    made["guid"] = guid;
    made["id"] = std::to_string(id++);
    made["type"] = type;
    made["name"] = title;
    return made;
  };
  const bool scanned = ScanHtml(
      html,
      [&](const std::string& title) {
        Json::Value& folder = node("folder", title);
        folder["children"] = Json::Value(Json::arrayValue);
        folder["date_modified"] = now;
        parents.push_back(&folder);
        return true;
      },
      [&] {
        parents.pop_back();
        return !parents.empty();
      },
      [&](const std::string& url, const std::string& title) {
        node("url", title)["url"] = url;
        return true;
      });
  doc["version"] = 1;
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  builder["emitUTF8"] = true;
  return scanned && WriteLasting(out, Json::writeString(builder, doc));
}

bool CountPlaces(const std::string& places) {
  struct stat st;
  if (stat(places.c_str(), &st) != 0) return false;
  Db db = Open(places);
  if (!db) return false;
  // The two figures the size needs: named folders outside the toolbar and
  // tags, and web links below the roots.
  Stmt folders =
      Prepare(db.get(),
              "SELECT count(*) FROM moz_bookmarks WHERE type=2 AND "
              "title!='' AND id NOT IN (3,4) AND parent NOT IN (3,4)");
  Stmt links = Prepare(db.get(),
                       "SELECT count(*) FROM moz_bookmarks b JOIN moz_places p "
                       "ON b.fk=p.id WHERE b.type=1 AND b.parent>=2 AND "
                       "(p.url LIKE 'ftp%' OR p.url LIKE 'http://%' OR "
                       "p.url LIKE 'https://%')");
  return sqlite3_step(folders.get()) == SQLITE_ROW &&
         sqlite3_step(links.get()) == SQLITE_ROW &&
         sqlite3_column_int(links.get(), 0) > 0;
}

bool ParseChrome(const std::string& chrome) {
  Json::Value doc;
  return ParseFile(chrome, &doc);
}

}  // namespace bench
