// Small integer values (rows, node numbers) found by a key that the caller
// keeps elsewhere, in open addressing: a slot holds 32 bits of the key's
// hash and the value (8 bytes), and the key itself is compared, through a
// predicate the caller gives, only when the hashes agree. No allocation per
// entry and no copy of the keys: the tables of a large comparison or PSN
// file hold hundreds of thousands of them.
//
// Values are >= 0. Of two values whose keys the predicate calls equal, the
// first inserted stays. Not thread-safe.
#ifndef KRVWD7_HOST_KRVWD7UTIHASHINDEX_H_
#define KRVWD7_HOST_KRVWD7UTIHASHINDEX_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class KRVWD7UtiHashIndex {
 public:
  // Room for iCount values before it grows (at most 3/4 full).
  explicit KRVWD7UtiHashIndex(size_t iCount = 0) {
    size_t capacity = 16;
    while (capacity * 3 < iCount * 4) capacity *= 2;
    slots_.resize(capacity);
    mask_ = capacity - 1;
  }

  // The value stored for a key of hash iHash that iSame(value) accepts; -1
  // when none.
  template <typename Same>
  int Find(uint64_t iHash, Same iSame) const {
    const uint32_t hash = static_cast<uint32_t>(iHash);
    for (size_t i = hash & mask_; slots_[i].value >= 0; i = (i + 1) & mask_) {
      if (slots_[i].hash == hash && iSame(slots_[i].value)) return slots_[i].value;
    }
    return -1;
  }

  // Stores iValue unless a key of hash iHash that iSame accepts is there.
  template <typename Same>
  void Insert(uint64_t iHash, int iValue, Same iSame) {
    if (Find(iHash, iSame) >= 0) return;
    if ((count_ + 1) * 4 > slots_.size() * 3) {
      KRVWD7UtiHashIndex larger((count_ + 1) * 2);
      for (const Slot& slot : slots_) {
        if (slot.value >= 0) larger.Place(slot);
      }
      *this = std::move(larger);
    }
    Place(Slot{static_cast<uint32_t>(iHash), iValue});
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    int32_t value = -1;  // -1: a free slot
  };

  // REQUIRES: a free slot left.
  void Place(const Slot& iSlot) {
    size_t i = iSlot.hash & mask_;
    while (slots_[i].value >= 0) i = (i + 1) & mask_;
    slots_[i] = iSlot;
    ++count_;
  }

  std::vector<Slot> slots_;  // a power of two
  size_t mask_ = 0;
  size_t count_ = 0;
};

#endif  // KRVWD7_HOST_KRVWD7UTIHASHINDEX_H_
