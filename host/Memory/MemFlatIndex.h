// An index of borrowed objects found by a key that each object carries
// (the part number of a reference, the storage name of a document).
//
// Open addressing with linear probing: a slot holds the object's hash
// beside the pointer, so a look-up reads one slot, usually one cache line,
// and touches the object only when the hashes agree. A std::unordered_map
// reads a bucket, then a node, then the key: three cache misses per
// look-up on a large session. Erasing shifts the rest of the run back, so
// there are no tombstones and look-ups stay short after many edits.
//
// Traits gives `using Key`, `static Key KeyOf(const T*)` and
// `static size_t Hash(const Key&)`; keys compare with ==. An object's key
// must not change while it is in the index (take it out, change it, put
// it back). Not thread-safe.
#ifndef KRVWD7_HOST_MEMFLATINDEX_H_
#define KRVWD7_HOST_MEMFLATINDEX_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

template <typename T, typename Traits>
class MemFlatIndex {
 public:
  using Key = typename Traits::Key;

  size_t size() const { return size_; }

  // The object whose key is iKey; null when none.
  T* Find(const Key& iKey) const {
    if (size_ == 0) return nullptr;
    const uint64_t hash = Mixed(iKey);
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.object == nullptr) return nullptr;
      if (slot.hash == hash && Traits::KeyOf(slot.object) == iKey) return slot.object;
    }
  }

  // Adds iObject; false, nothing changed, when an object with its key is
  // there already.
  bool Insert(T* iObject) {
    // Doubles the table when it would pass three quarters full.
    if ((size_ + 1) * 4 > slots_.size() * 3) Grow(slots_.size() * 3 / 4 + 1);
    const Key key = Traits::KeyOf(iObject);
    const uint64_t hash = Mixed(key);
    size_t i = hash & mask_;
    for (; slots_[i].object != nullptr; i = (i + 1) & mask_) {
      if (slots_[i].hash == hash && Traits::KeyOf(slots_[i].object) == key) return false;
    }
    slots_[i] = Slot{hash, iObject};
    ++size_;
    return true;
  }

  // Takes iObject out; false when it is not in the index (another object
  // with its key is left alone).
  bool Erase(const T* iObject) {
    if (size_ == 0) return false;
    const uint64_t hash = Mixed(Traits::KeyOf(iObject));
    size_t i = hash & mask_;
    for (; slots_[i].object != iObject; i = (i + 1) & mask_) {
      if (slots_[i].object == nullptr) return false;
    }
    // Backward shift: move up every later object of the run that may sit
    // in the freed slot, so that no look-up meets a hole before its object.
    for (size_t j = (i + 1) & mask_; slots_[j].object != nullptr; j = (j + 1) & mask_) {
      const size_t home = slots_[j].hash & mask_;
      if (((j - home) & mask_) >= ((j - i) & mask_)) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = Slot();
    --size_;
    return true;
  }

  // Makes room for iCount objects without growing again.
  void Reserve(size_t iCount) {
    if (iCount * 4 > slots_.size() * 3) Grow(iCount);
  }

  void clear() {
    slots_.clear();
    mask_ = 0;
    size_ = 0;
  }

  void swap(MemFlatIndex& ioOther) {
    slots_.swap(ioOther.slots_);
    std::swap(mask_, ioOther.mask_);
    std::swap(size_, ioOther.size_);
  }

 private:
  struct Slot {
    uint64_t hash = 0;
    T* object = nullptr;  // null: a free slot
  };

  // The traits' hash with its bits spread, as the low bits pick the slot.
  static uint64_t Mixed(const Key& iKey) {
    uint64_t h = static_cast<uint64_t>(Traits::Hash(iKey));
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
  }

  // Rehashes into a table with room for iCount objects (at most 3/4 full).
  void Grow(size_t iCount) {
    size_t capacity = 16;
    while (capacity * 3 < iCount * 4) capacity *= 2;
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(capacity, Slot());
    mask_ = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.object == nullptr) continue;
      size_t i = slot.hash & mask_;
      while (slots_[i].object != nullptr) i = (i + 1) & mask_;
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;  // empty or a power of two
  size_t mask_ = 0;
  size_t size_ = 0;
};

#endif  // KRVWD7_HOST_MEMFLATINDEX_H_
