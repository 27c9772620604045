// A hash table that keeps its entries in one array (open addressing with
// linear probing). Matching two trees keeps a few entries per item, and a
// node allocated for each cost more than the rest of the match. The caller
// hashes and compares: a value knows its key, or where to find it.
#ifndef MARKSAFE_HISTORY_FLAT_TABLE_H_
#define MARKSAFE_HISTORY_FLAT_TABLE_H_

#include <cstddef>
#include <utility>
#include <vector>

namespace marksafe {
namespace history {

template <typename Value>
class FlatTable {
 public:
  // Room for entries entries before the table first grows.
  explicit FlatTable(size_t entries) { Resize(entries); }

  // The value stored under hash for which same(value) holds; nullptr when
  // there is none.
  template <typename Same>
  Value* Find(size_t hash, const Same& same) {
    hash |= 1;
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.hash == 0) return nullptr;
      if (slot.hash == hash && same(slot.value)) return &slot.value;
    }
  }

  // As Find; when there is none, a new value-initialised entry under hash
  // (and *added is set).
  template <typename Same>
  Value* FindOrAdd(size_t hash, const Same& same, bool* added) {
    *added = false;
    if (Value* found = Find(hash, same)) return found;
    if (2 * (count_ + 1) > slots_.size()) Resize(2 * count_ + 2);
    *added = true;
    ++count_;
    Slot& slot = FreeSlot(hash | 1);
    slot.hash = hash | 1;
    return &slot.value;
  }

 private:
  // A slot is free while its hash is 0: the hashes kept have their lowest
  // bit set.
  struct Slot {
    size_t hash = 0;
    Value value{};
  };

  Slot& FreeSlot(size_t hash) {
    size_t i = hash & mask_;
    while (slots_[i].hash != 0) i = (i + 1) & mask_;
    return slots_[i];
  }

  // At least twice entries slots (a power of two), the entries moved over.
  void Resize(size_t entries) {
    size_t size = 16;
    while (size < 2 * entries) size *= 2;
    std::vector<Slot> old(size);
    old.swap(slots_);
    mask_ = size - 1;
    for (Slot& slot : old) {
      if (slot.hash != 0) FreeSlot(slot.hash) = std::move(slot);
    }
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t count_ = 0;
};

}  // namespace history
}  // namespace marksafe

#endif  // MARKSAFE_HISTORY_FLAT_TABLE_H_
