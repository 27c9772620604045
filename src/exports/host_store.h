// Reading any store a host names (MARKSAFE_STORE_*) into a tree, shared by
// the host exports.
#ifndef MARKSAFE_EXPORTS_HOST_STORE_H_
#define MARKSAFE_EXPORTS_HOST_STORE_H_

#include <cstdint>
#include <string>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace exports {

// Reads the store at path of the given kind into tree. 0 done; 2 not
// found; 13 unreadable (a Problem in the current report says why); 87 an
// unknown kind.
int32_t ReadStore(const std::u16string& path, int32_t kind,
                  model::Tree* tree);

}  // namespace exports
}  // namespace marksafe

#endif  // MARKSAFE_EXPORTS_HOST_STORE_H_
