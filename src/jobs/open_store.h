// Every kind of store a host names (MARKSAFE_STORE_*), as a Store.
#ifndef MARKSAFE_JOBS_OPEN_STORE_H_
#define MARKSAFE_JOBS_OPEN_STORE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "stores/store.h"

namespace marksafe {
namespace jobs {

// The store of kind at path; null for an unknown kind. Nothing is opened
// before the store is used.
std::unique_ptr<stores::Store> OpenStore(int32_t kind,
                                         const std::u16string& path);

// True for a MARKSAFE_STORE_ kind OpenStore knows.
bool IsKnownKind(int32_t kind);

// The kinds that can be written: places and a Chrome file.
bool IsWritableKind(int32_t kind);

}  // namespace jobs
}  // namespace marksafe

#endif  // MARKSAFE_JOBS_OPEN_STORE_H_
