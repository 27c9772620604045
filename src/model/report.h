// What a backup, restore or conversion did, root by root, and every item it
// could not carry. Each call that moves bookmarks fills one Report (its
// job's); the last one of the calling thread is handed to the host as JSON
// (marksafe_last_report), which is how the command-line program prints
// honest counts.
#ifndef MARKSAFE_MODEL_REPORT_H_
#define MARKSAFE_MODEL_REPORT_H_

#include <string>
#include <utility>
#include <vector>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace model {

// What a merge added directly into one folder of the target (items in
// its sub-folders are counted with those).
struct FolderAdded {
  std::u16string folder;   // Tree::PathOf the target folder
  Counts added;
};

struct RootReport {
  std::string root;        // RootKey, or the name of a target folder
  std::u16string label;    // the folder it was read from or written into
  Counts source;           // what the source held
  Counts added;            // written anew
  Counts present;          // already in the target (not written again)
  Counts not_carried;      // the target cannot hold them
  Counts failed;           // could be held, but writing them failed
  // Filled by Merge: per target folder that gains items, in the order the
  // merge reached them (the source's order, parents first).
  std::vector<FolderAdded> folders;
};

struct Problem {
  std::u16string path;     // Tree::PathOf the item
  std::u16string url;
  std::string reason;      // "separator", "tags", "place: query",
                           // "write failed: ...", ...
  bool lost = false;       // the target could have held it: data was lost
};

struct Report {
  std::string operation;   // the export's name
  std::vector<RootReport> roots;
  std::vector<Problem> problems;
  // The call refused its arguments (a null pointer, a bad value) and did
  // nothing.
  bool refused = false;

  RootReport* AddRoot(std::string root, std::u16string label) {
    roots.push_back(RootReport{std::move(root), std::move(label), {}, {}, {},
                               {}, {}, {}});
    return &roots.back();
  }
  void AddProblem(std::u16string path, std::string reason, bool lost,
                  std::u16string url = {}) {
    problems.push_back(
        Problem{std::move(path), std::move(url), std::move(reason), lost});
  }
  bool AnythingLost() const;
  // Nothing of what the roots count as added was kept (a write taken
  // back): it is counted as failed, and a problem names path and reason
  // (once, when the last problem already says so).
  void AddedWasNotKept(const std::u16string& path, const std::string& reason);
  // Marks the call as one that refused its arguments, with a problem that
  // says so.
  void Refuse();
};

// The report as UTF-8 JSON:
// {"operation": "...", "lost": bool, "refused": bool,
//  "roots": [{"root": "...", "label": "...", "source": {"links": n,
//             "folders": n, "separators": n}, "added": {...}, "present":
//             {...}, "not_carried": {...}, "failed": {...},
//             "folders": [{"folder": "...", "added": {...}}]}],
//  "problems": [{"path": "...", "url": "...", "reason": "...", "lost":
//                bool}]}
std::string ReportJson(const Report& report);

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_REPORT_H_
