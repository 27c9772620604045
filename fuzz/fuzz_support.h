// Shared pieces of the fuzz harnesses: a private scratch folder for the
// inputs that the readers take as files, and a walk that reads every field
// of a tree so that the sanitizers see anything a reader left broken.
#ifndef MARKSAFE_FUZZ_FUZZ_SUPPORT_H_
#define MARKSAFE_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace fuzz {

// The process's scratch folder (made on first use under $TMPDIR, or /dev/shm
// when it exists, and removed at exit), with a trailing "/".
const std::u16string& ScratchFolder();

// Writes bytes to name inside the scratch folder and returns its path.
// Aborts when the file cannot be written: a harness that silently tests
// nothing is worse than one that stops.
std::u16string WriteScratchFile(const std::u16string& name,
                                const std::string& bytes);

// Removes everything inside the scratch folder.
void ClearScratch();

// The input's pieces between lines "----": always three, the missing
// ones empty.
std::vector<std::string> Pieces(const std::string& text);

// Reads every item of every root (titles, URLs, tags, the path of each
// item) and checks the tree's own invariants: parents and depths agree,
// no folder deeper than model::kMaxDepth. Aborts on a broken tree.
void CheckTree(const model::Tree& tree);

// What a round trip must keep of each item.
struct Kept {
  bool titles = true;
  bool urls = true;
  bool tags_and_keywords = true;
  int64_t date_unit = 1;  // dates compared in this many microseconds; 0: not
  bool empty_roots_may_appear = false;  // the writer writes every root
};

// Compares two trees root by root, item by item in order. Prints the first
// difference to stderr and aborts when they differ in what `kept` names.
void ExpectSameTrees(const model::Tree& a, const model::Tree& b,
                     const Kept& kept);

}  // namespace fuzz
}  // namespace marksafe

#endif  // MARKSAFE_FUZZ_FUZZ_SUPPORT_H_
