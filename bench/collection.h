// A synthetic bookmark collection with the shape people's collections have
// (about a thousand folders up to six levels deep, long and short titles in
// several scripts, long URLs, some URLs kept twice), built from a fixed seed,
// and the three forms it is written in: a Favorites tree of .url files, a
// places.sqlite and a Chrome Bookmarks file.
#ifndef MARKSAFE_BENCH_COLLECTION_H_
#define MARKSAFE_BENCH_COLLECTION_H_

#include <string>
#include <vector>

namespace bench {

struct Folder {
  std::string title;  // UTF-8
  int parent;         // index into folders; -1 under root 0, -2 under root 1
  int depth;          // 1 for a folder directly under a root
};

struct Link {
  std::string title;  // UTF-8
  std::string url;
  int parent;  // as Folder::parent
};

// Two roots: 0 is the bookmarks menu / bookmark bar / top of Favorites,
// 1 the unsorted bookmarks / other bookmarks / Favorites\Links.
struct Collection {
  std::vector<Folder> folders;  // parents come before their children
  std::vector<Link> links;
};

Collection MakeCollection(int links, unsigned seed);

// The file or folder name a title becomes: the characters no file name may
// hold left out, blanks trimmed.
std::string FileNameOf(const std::string& title);

// Each writer returns false (with a line on stderr) when it fails.
bool WriteFavorites(const Collection& c, const std::string& dir);
bool WritePlaces(const Collection& c, const std::string& file);
bool WriteChrome(const Collection& c, const std::string& file);

// Stores that hold no bookmark: the five places roots only, Chrome's three
// roots without children.
bool WriteEmptyPlaces(const std::string& file);
bool WriteEmptyChrome(const std::string& file);

}  // namespace bench

#endif  // MARKSAFE_BENCH_COLLECTION_H_
