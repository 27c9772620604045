// A damaged places.sqlite -> tree. The bytes become the store's file, opened
// through the places handle the exports use and read with ReadPlaces.
//
// The handle is made here rather than through BuildPlacesHandle: that one
// first asks whether Firefox runs (a walk over every process), which would
// make each input hundreds of times slower and fuzzes nothing of ours.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "stores/places/places_handle.h"
#include "stores/places/places_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::u16string path = fuzz::WriteScratchFile(
      u"places.sqlite", std::string(reinterpret_cast<const char*>(data), size));
  {
    std::unique_ptr<ms_places> handle(new ms_places);
    handle->databasePath = path;
    handle->database.Open(path.c_str(),
                          SQLite::Database::OpenMode::kExistingOnly);
    (void)firefox::PlacesReadable(handle.get());
    model::Tree tree;
    Status status = firefox::ReadPlaces(handle.get(), &tree);
    if (status.ok()) fuzz::CheckTree(tree);
  }
  // The connection is closed: remove the store with any journal or WAL
  // files SQLite made beside it.
  fuzz::ClearScratch();
  return 0;
}
