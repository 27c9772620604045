#include "collection.h"

#include <json/json.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "sqlite_handles.h"

namespace bench {
namespace {

// A small generator of our own: the same numbers on every system and
// library, unlike the standard distributions.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 2654435761u + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 11);
  }
  int Below(int n) {
    return static_cast<int>(Next() % static_cast<uint32_t>(n));
  }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Percent(int p) { return Below(100) < p; }

 private:
  uint64_t state_;
};

const char* const kAsciiWords[] = {
    "news",    "home",      "Guide",   "how",      "to",      "the",
    "Best",    "recipes",   "for",     "Linux",    "kernel",  "docs",
    "API",     "reference", "weather", "forecast", "travel",  "blog",
    "Shop",    "deals",     "2024",    "review",   "music",   "video",
    "Python",  "tutorial",  "garden",  "tips",     "and",     "tricks",
    "Project", "wiki",      "Map",     "of",       "city",    "bank",
    "login",   "Photos",    "school",  "health",   "science", "journal",
    "open",    "source",    "cars",    "football"};
// Words in other scripts; the last ones lie outside the Basic Multilingual
// Plane (UTF-16 surrogate pairs).
const char* const kOtherWords[] = {
    "café",     "über",  "niño",    "résumé", "Straße",   "crème",
    "Ærø",      "naïve", "новости", "погода", "Москва",   "Αθήνα",
    "ειδήσεις", "新闻",  "天气",    "東京",   "ニュース", "서울",
    "日本語",   "עברית", "مرحبا",   "हिन्दी"};
const char* const kAstralWords[] = {"📚", "🎵", "😀", "🚀", "𝔘𝔫𝔦", "𠀋"};
const char* const kPunctuation[] = {" | ", ": ", " - ", " / ", " ? "};
const char* const kTlds[] = {".com", ".org", ".net",   ".de",
                             ".fr",  ".io",  ".co.uk", ".jp"};

size_t CodePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// A title of lo..hi code points.
std::string MakeTitle(Random* r, int lo, int hi, bool plain) {
  const size_t target = static_cast<size_t>(r->Between(lo, hi));
  const bool other = !plain && r->Percent(20);
  const bool astral = !plain && r->Percent(6);
  const bool punct = !plain && r->Percent(8);
  std::string t;
  while (CodePoints(t) < target) {
    if (!t.empty()) {
      t += punct && r->Percent(15) ? kPunctuation[r->Below(5)] : " ";
    }
    if (astral && r->Percent(20)) {
      t += kAstralWords[r->Below(6)];
    } else if (other && r->Percent(40)) {
      t += kOtherWords[r->Below(22)];
    } else {
      t += kAsciiWords[r->Below(46)];
    }
  }
  // Cut at a whole code point, end on a word character.
  size_t cut = 0, count = 0;
  while (cut < t.size() && count < target) {
    ++cut;
    while (cut < t.size() &&
           (static_cast<unsigned char>(t[cut]) & 0xC0) == 0x80)
      ++cut;
    ++count;
  }
  t.resize(cut);
  while (!t.empty() && (t.back() == ' ' || t.back() == '|' || t.back() == ':' ||
                        t.back() == '-' || t.back() == '/' || t.back() == '?'))
    t.pop_back();
  if (t.empty()) t = "untitled";
  return t;
}

std::string MakeUrl(Random* r) {
  int target;
  int band = r->Below(100);
  if (band < 60)
    target = r->Between(20, 80);
  else if (band < 90)
    target = r->Between(80, 160);
  else
    target = r->Between(160, 300);
  std::string url = r->Percent(85) ? "https://" : "http://";
  if (r->Percent(50)) url += "www.";
  url += kAsciiWords[r->Below(46)];
  url += kAsciiWords[r->Below(46)];
  url += kTlds[r->Below(8)];
  for (char& c : url)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789-_";
  bool query = false;
  while (static_cast<int>(url.size()) < target) {
    int pick = r->Below(20);
    if (pick == 0 && !query) {
      url += "?id=";
      query = true;
    } else if (pick == 1 && query) {
      url += "&q=";
    } else if (pick == 2) {
      url += "%20";
    } else if (pick < 6) {
      url += '/';
    } else {
      url += kChars[r->Below(38)];
    }
  }
  url.resize(static_cast<size_t>(target));
  return url;
}

std::string Upper(const std::string& s) {
  std::string u(s);
  for (char& c : u)
    c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return u;
}

bool Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  return false;
}

bool MakeDir(const std::string& dir) {
  return mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

std::string FileNameOf(const std::string& title) {
  std::string out;
  for (unsigned char c : title) {
    if (c < 0x20 || std::string(":\\/?*|<>\"").find(static_cast<char>(c)) !=
                        std::string::npos)
      continue;
    out += static_cast<char>(c);
  }
  size_t b = out.find_first_not_of(' ');
  size_t e = out.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : out.substr(b, e - b + 1);
}

Collection MakeCollection(int links, unsigned seed) {
  Random r(seed);
  Collection c;
  const int folder_count = std::min(1000, std::max(5, links / 10));
  // Names taken in each parent (keyed by parent), upper case, so that no
  // two entries of a folder share a file name on any system.
  std::set<std::pair<int, std::string>> taken;
  taken.insert({-1, "LINKS"});  // root 1 is Favorites\Links
  auto unique = [&](int parent, std::string title) {
    std::string key = Upper(FileNameOf(title));
    for (int k = 2;
         key.empty() || key.find_first_not_of(". ") == std::string::npos ||
         !taken.insert({parent, key}).second;
         ++k) {
      title += " (" + std::to_string(k) + ")";
      key = Upper(FileNameOf(title));
    }
    return title;
  };
  for (int i = 0; i < folder_count; ++i) {
    Folder f;
    if (i < 8 || r.Percent(12)) {
      f.parent = r.Percent(80) ? -1 : -2;
      f.depth = 1;
    } else {
      int p = r.Below(i);
      while (c.folders[static_cast<size_t>(p)].depth >= 6) p = r.Below(i);
      f.parent = p;
      f.depth = c.folders[static_cast<size_t>(p)].depth + 1;
    }
    f.title = unique(f.parent, MakeTitle(&r, 4, 16, true));
    c.folders.push_back(f);
  }
  for (int i = 0; i < links; ++i) {
    Link l;
    int pick = r.Below(100);
    l.parent = pick < 4 ? -1 : pick < 6 ? -2 : r.Below(folder_count);
    l.url = (i > 10 && r.Percent(3))
                ? c.links[static_cast<size_t>(r.Below(i))].url
                : MakeUrl(&r);
    l.title = unique(l.parent, MakeTitle(&r, 10, 80, false));
    c.links.push_back(l);
  }
  return c;
}

bool WriteFavorites(const Collection& c, const std::string& dir) {
  std::vector<std::string> paths(c.folders.size());
  const std::string links = dir + "/Links";
  if (!MakeDir(dir) || !MakeDir(links)) return Fail("mkdir " + dir);
  auto where = [&](int parent) {
    return parent == -1   ? dir
           : parent == -2 ? links
                          : paths[static_cast<size_t>(parent)];
  };
  for (size_t i = 0; i < c.folders.size(); ++i) {
    paths[i] =
        where(c.folders[i].parent) + "/" + FileNameOf(c.folders[i].title);
    if (!MakeDir(paths[i])) return Fail("mkdir " + paths[i]);
  }
  for (const Link& l : c.links) {
    const std::string file =
        where(l.parent) + "/" + FileNameOf(l.title) + ".url";
    if (!WriteText(file,
                   "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n"
                   "[InternetShortcut]\r\nIDList=\r\nURL=" +
                       l.url + "\r\n"))
      return Fail("write " + file);
  }
  return true;
}

namespace {

const char kPlacesSchema[] =
    "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
    "LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden "
    "INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, favicon_id "
    "INTEGER, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER);"
    "CREATE UNIQUE INDEX moz_places_url_uniqueindex ON moz_places(url);"
    "CREATE TABLE moz_bookmarks(id INTEGER PRIMARY KEY, type INTEGER, fk "
    "INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title "
    "LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, "
    "lastModified INTEGER);"
    "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks(parent, position);"
    "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks(fk, type);"
    "INSERT INTO moz_bookmarks(id,type,parent,position,title) VALUES"
    "(1,2,0,0,''),(2,2,1,0,'menu'),(3,2,1,1,'toolbar'),(4,2,1,2,'tags'),"
    "(5,2,1,3,'unfiled');";

Db OpenNew(const std::string& file) {
  std::remove(file.c_str());
  sqlite3* raw = nullptr;
  if (sqlite3_open(file.c_str(), &raw) != SQLITE_OK) {
    sqlite3_close(raw);
    return nullptr;
  }
  Db db(raw);
  if (sqlite3_exec(raw, kPlacesSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
    return nullptr;
  return db;
}

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
  return Stmt(s);
}

std::string RevHost(const std::string& url) {
  size_t b = url.find("://");
  b = b == std::string::npos ? 0 : b + 3;
  size_t e = url.find('/', b);
  std::string host = url.substr(b, e == std::string::npos ? e : e - b);
  return std::string(host.rbegin(), host.rend()) + ".";
}

}  // namespace

bool WriteEmptyPlaces(const std::string& file) {
  return OpenNew(file) != nullptr || Fail("places " + file);
}

bool WritePlaces(const Collection& c, const std::string& file) {
  Db db = OpenNew(file);
  if (!db) return Fail("places " + file);
  sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
  Stmt folder = Prepare(
      db.get(),
      "INSERT INTO moz_bookmarks(id,type,parent,position,title,dateAdded,"
      "lastModified) VALUES(?,2,?,?,?,1700000000000000,1700000000000000)");
  Stmt place =
      Prepare(db.get(),
              "INSERT OR IGNORE INTO moz_places(url,title,rev_host,frecency) "
              "VALUES(?,?,?,100)");
  Stmt find = Prepare(db.get(), "SELECT id FROM moz_places WHERE url=?");
  Stmt link = Prepare(
      db.get(),
      "INSERT INTO moz_bookmarks(type,fk,parent,position,title,dateAdded,"
      "lastModified) VALUES(1,?,?,?,?,1700000000000000,1700000000000000)");
  std::vector<int> next(c.folders.size() + 6, 0);
  auto parent_id = [](int parent) {
    return parent == -1 ? 2 : parent == -2 ? 5 : parent + 6;
  };
  for (size_t i = 0; i < c.folders.size(); ++i) {
    int p = parent_id(c.folders[i].parent);
    sqlite3_reset(folder.get());
    sqlite3_bind_int(folder.get(), 1, static_cast<int>(i) + 6);
    sqlite3_bind_int(folder.get(), 2, p);
    sqlite3_bind_int(folder.get(), 3, next[static_cast<size_t>(p)]++);
    sqlite3_bind_text(folder.get(), 4, c.folders[i].title.c_str(), -1,
                      SQLITE_TRANSIENT);
    if (sqlite3_step(folder.get()) != SQLITE_DONE) return Fail("folder row");
  }
  for (const Link& l : c.links) {
    sqlite3_reset(place.get());
    sqlite3_bind_text(place.get(), 1, l.url.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(place.get(), 2, l.title.c_str(), -1, SQLITE_TRANSIENT);
    std::string rev = RevHost(l.url);
    sqlite3_bind_text(place.get(), 3, rev.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(place.get()) != SQLITE_DONE) return Fail("place row");
    sqlite3_reset(find.get());
    sqlite3_bind_text(find.get(), 1, l.url.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(find.get()) != SQLITE_ROW) return Fail("place id");
    int fk = sqlite3_column_int(find.get(), 0);
    int p = parent_id(l.parent);
    sqlite3_reset(link.get());
    sqlite3_bind_int(link.get(), 1, fk);
    sqlite3_bind_int(link.get(), 2, p);
    sqlite3_bind_int(link.get(), 3, next[static_cast<size_t>(p)]++);
    sqlite3_bind_text(link.get(), 4, l.title.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(link.get()) != SQLITE_DONE) return Fail("link row");
  }
  folder.reset();
  place.reset();
  find.reset();
  link.reset();
  return sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) ==
             SQLITE_OK ||
         Fail("commit " + file);
}

namespace {

class ChromeBuilder {
 public:
  explicit ChromeBuilder(const Collection& c) : c_(c), r_(7) {
    kids_.resize(c.folders.size() + 2);
    links_.resize(c.folders.size() + 2);
    for (size_t i = 0; i < c.folders.size(); ++i)
      kids_[Slot(c.folders[i].parent)].push_back(static_cast<int>(i));
    for (size_t i = 0; i < c.links.size(); ++i)
      links_[Slot(c.links[i].parent)].push_back(static_cast<int>(i));
  }

  Json::Value Root(int root, const char* name) {
    Json::Value node = Node(name, "folder");
    node["children"] = Children(root);
    node["date_modified"] = "13340000000000000";
    return node;
  }

  Json::Value Empty(const char* name) {
    Json::Value node = Node(name, "folder");
    node["children"] = Json::Value(Json::arrayValue);
    node["date_modified"] = "0";
    return node;
  }

 private:
  static size_t Slot(int parent) {
    return parent == -1   ? 0
           : parent == -2 ? 1
                          : static_cast<size_t>(parent) + 2;
  }

  Json::Value Node(const std::string& name, const char* type) {
    Json::Value node(Json::objectValue);
    node["date_added"] = "13340000000000000";
    node["date_last_used"] = "0";
    char guid[40];
    std::snprintf(guid, sizeof guid, "%08x-%04x-4%03x-a%03x-%08x%04x",
                  r_.Next(), r_.Next() & 0xFFFF, r_.Next() & 0xFFF,
                  r_.Next() & 0xFFF, r_.Next(), r_.Next() & 0xFFFF);
    node["guid"] = guid;
    node["id"] = std::to_string(++id_);
    node["name"] = name;
    node["type"] = type;
    return node;
  }

  Json::Value Children(int parent) {
    Json::Value list(Json::arrayValue);
    size_t slot = Slot(parent);
    for (int f : kids_[slot]) {
      Json::Value node =
          Node(c_.folders[static_cast<size_t>(f)].title, "folder");
      node["children"] = Children(f);
      node["date_modified"] = "13340000000000000";
      list.append(node);
    }
    for (int l : links_[slot]) {
      Json::Value node = Node(c_.links[static_cast<size_t>(l)].title, "url");
      node["url"] = c_.links[static_cast<size_t>(l)].url;
      list.append(node);
    }
    return list;
  }

  const Collection& c_;
  Random r_;
  int id_ = 0;
  std::vector<std::vector<int>> kids_;
  std::vector<std::vector<int>> links_;
};

bool WriteJson(const Json::Value& doc, const std::string& file) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  builder["emitUTF8"] = true;
  std::ofstream out(file, std::ios::binary);
  std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
  writer->write(doc, &out);
  out << "\n";
  return static_cast<bool>(out) || Fail("write " + file);
}

Json::Value Document(ChromeBuilder* b, bool empty) {
  Json::Value doc(Json::objectValue);
  doc["checksum"] = "00000000000000000000000000000000";
  Json::Value roots(Json::objectValue);
  roots["bookmark_bar"] =
      empty ? b->Empty("Bookmarks bar") : b->Root(-1, "Bookmarks bar");
  roots["other"] =
      empty ? b->Empty("Other bookmarks") : b->Root(-2, "Other bookmarks");
  roots["synced"] = b->Empty("Mobile bookmarks");
  doc["roots"] = roots;
  doc["version"] = 1;
  return doc;
}

}  // namespace

bool WriteChrome(const Collection& c, const std::string& file) {
  ChromeBuilder b(c);
  return WriteJson(Document(&b, false), file);
}

bool WriteEmptyChrome(const std::string& file) {
  Collection none;
  ChromeBuilder b(none);
  return WriteJson(Document(&b, true), file);
}

}  // namespace bench
