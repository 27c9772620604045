// What the host extras share: a store of any kind read into the bookmark
// tree, and a tree written out whole as one file.
#ifndef MARKSAFE_EXPORTS_HOST_STORES_H_
#define MARKSAFE_EXPORTS_HOST_STORES_H_

#include <cstdint>
#include <functional>
#include <string>

#include <json/json.h>

#include "marksafe/marksafe.h"
#include "model/bookmark_tree.h"

namespace marksafe {
namespace exports {

// Adds a problem naming path to the current report, as lost.
void Note(const std::u16string& path, const std::string& reason);

// Reads the store at path, of a MARKSAFE_STORE_ kind, into tree. 0 done; 2
// not found; 13 unreadable (a problem in the current report says why); 87
// an unknown kind.
int32_t ReadStore(const std::u16string& path, int32_t kind, model::Tree* tree);

// One of two stores a call compares: its path and MARKSAFE_STORE_ kind, the
// words that name it in an error, and the tree it is read into.
struct StoreToRead {
  const MS_CHAR* path;
  int32_t kind;
  const char* label;  // "the backup"
  model::Tree* tree;
};

// Reads first, then second (not when first cannot be read). 0 when both
// were read; else the code of the one that could not be, with "code" and
// "error" set in *out (the last problem of the current report, else
// "<label> cannot be read"). A null path is 87.
int32_t ReadPair(const StoreToRead& first, const StoreToRead& second,
                 Json::Value* out);

// Reads source (of kind) and writes write(tree) to file, beside it and then
// over it; the current report counts per root what was written. 0 done; 5
// file cannot be written; else as ReadStore.
int32_t ExportStore(const char16_t* source, int32_t kind, const char16_t* file,
                    const std::function<std::string(const model::Tree&)>& write);

}  // namespace exports
}  // namespace marksafe

#endif  // MARKSAFE_EXPORTS_HOST_STORES_H_
