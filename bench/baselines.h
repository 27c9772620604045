// The unavoidable work of each job done by plain C and C++ against the same
// data: what the library is measured against.
#ifndef MARKSAFE_BENCH_BASELINES_H_
#define MARKSAFE_BENCH_BASELINES_H_

#include <string>

namespace bench {

// Makes what was written at path last, as the library does for everything
// it writes: one flush of the file system for a tree of new files, one
// fsync for a single file. Every baseline that writes ends with it.
bool Flushed(const std::string& path);
// `cp -r source destination`, then one flush of the copy (replaces the
// calling process).
bool CopyTreeWithCp(const std::string& source, const std::string& destination);
// Lists every folder below dir and stats every file.
bool StatTree(const std::string& dir);
// Reads every file below source and writes it to the same place below
// destination (folders created as met).
bool ReadAndWriteTree(const std::string& source,
                      const std::string& destination);
// Reads the links and folders of places roots 2 and 5 and writes one small
// file per link into the same folder shape below destination.
bool PlacesToFiles(const std::string& places, const std::string& destination);
// Parses the Chrome file and writes one small file per url node into the
// same folder shape below destination.
bool ChromeToFiles(const std::string& chrome, const std::string& destination);
// Reads every file below source and inserts a folder row per folder and a
// place and a bookmark row per file into places (old schema) in one
// transaction with prepared statements.
bool ReadAndInsert(const std::string& source, const std::string& places);
// Reads every file below source, then parses document and writes it to out.
bool ReadAndRewriteJson(const std::string& source, const std::string& document,
                        const std::string& out);
// Reads every bookmark row of places (as PlacesToFiles) and writes them as
// one bookmark HTML file: the menu at the top level, the toolbar and
// unsorted roots as folders.
bool PlacesToHtml(const std::string& places, const std::string& html);
// Reads a bookmark HTML file (one item per line, as browsers write it) and
// inserts its folders and links below the menu of places (old schema) in
// one transaction with prepared statements.
bool HtmlToPlaces(const std::string& html, const std::string& places);
// Reads a bookmark HTML file and writes its folders and links as a Chrome
// Bookmarks file (its top level in "other").
bool HtmlToChrome(const std::string& html, const std::string& out);
// Opens places and counts its folders and web links (count(*) queries).
bool CountPlaces(const std::string& places);
// Reads and parses a Chrome file.
bool ParseChrome(const std::string& chrome);

}  // namespace bench

#endif  // MARKSAFE_BENCH_BASELINES_H_
