// Texts by name, in name order: the text properties of a product object,
// the user properties of a reference, and the other small name-to-text
// maps of a session (its environment, the records of a snapshot).
//
// A large session holds hundreds of thousands of these maps, most of them
// of one to three entries, and reads them far more often than it changes
// them. So a map is one pointer: every name and value lives in one heap
// block that the map owns, and an empty map has no block at all. Each
// change builds a new block, in O(bytes of the map); a large map is best
// built at once, from a list of entries (the range constructor).
//
// Contract:
//  - Names are unique. Iteration gives the entries by value, as
//    (name, value) views, in byte order of the names (the order of
//    std::string's comparison). Names and values may hold any bytes, NUL
//    included, and have any length.
//  - Find is a binary search: O(log n) comparisons, no allocation.
//  - The views that Find and iteration give, and the iterators, point into
//    the block: they stay valid until the map is next changed, assigned,
//    moved from or destroyed. The arguments of a change may be views into
//    the map itself (or into another map): the old block goes only once the
//    new one is complete.
//  - The block is canonical: two maps with the same entries have the same
//    bytes, which is what equality compares.
//
// Block layout. Byte 0 holds w, the width in bytes (1, 2, 4 or 8) of every
// number that follows: the smallest width that can express the size of the
// whole block. Then come the count of entries, the offset of each entry
// from the start of the block, in name order, and the entries themselves,
// each as its name's length, its value's length, the name's bytes and the
// value's bytes. Numbers are in the machine's byte order: blocks live in
// memory only.
#ifndef KRVWD7_HOST_MEMTEXTMAP_H_
#define KRVWD7_HOST_MEMTEXTMAP_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class MemTextMap {
 public:
  // A name and its value, both borrowed from the map (see the contract).
  using Entry = std::pair<std::string_view, std::string_view>;

  // Walks the entries in name order, giving each by value.
  class Iterator {
   public:
    // An input iterator in the standard's terms: it gives values, not
    // references, so it cannot claim to be a forward iterator; it may still
    // be copied and walked again.
    using iterator_category = std::input_iterator_tag;
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Entry;

    Iterator() = default;
    Entry operator*() const { return EntryAt(block_, index_); }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++index_;
      return before;
    }
    friend bool operator==(const Iterator& iLeft, const Iterator& iRight) {
      return iLeft.block_ == iRight.block_ && iLeft.index_ == iRight.index_;
    }
    friend bool operator!=(const Iterator& iLeft, const Iterator& iRight) {
      return !(iLeft == iRight);
    }

   private:
    friend class MemTextMap;
    Iterator(const char* iBlock, size_t iIndex) : block_(iBlock), index_(iIndex) {}

    const char* block_ = nullptr;  // borrowed from the map
    size_t index_ = 0;
  };
  using iterator = Iterator;
  using const_iterator = Iterator;
  using value_type = Entry;

  MemTextMap() = default;
  // The entries of a list; of entries with the same name, the first is
  // kept. O(n log n).
  MemTextMap(std::initializer_list<Entry> iEntries)
      : MemTextMap(iEntries.begin(), iEntries.end()) {}
  // The entries of [iFirst, iLast), anything whose elements have `first`
  // and `second` members that convert to std::string_view (a std::map of
  // strings, a vector of pairs, another map's entries); of entries with the
  // same name, the first is kept. O(n log n).
  template <typename InputIt>
  MemTextMap(InputIt iFirst, InputIt iLast) {
    std::vector<Entry> entries;
    for (; iFirst != iLast; ++iFirst) {
      const auto& entry = *iFirst;
      entries.emplace_back(entry.first, entry.second);
    }
    block_ = Encode(SortedUnique(std::move(entries)));
  }

  MemTextMap(const MemTextMap& iOther);
  MemTextMap(MemTextMap&& iOther) noexcept = default;  // iOther is left empty
  MemTextMap& operator=(const MemTextMap& iOther);
  MemTextMap& operator=(MemTextMap&& iOther) noexcept = default;  // iOther is left empty
  ~MemTextMap() = default;

  Iterator begin() const { return Iterator(block_.get(), 0); }
  Iterator end() const { return Iterator(block_.get(), size()); }
  size_t size() const { return block_ ? ReadNumber(block_.get() + 1, Width(block_.get())) : 0; }
  bool empty() const { return block_ == nullptr; }
  void clear() { block_.reset(); }

  // The value of iName; none when the map has no such name.
  std::optional<std::string_view> Find(std::string_view iName) const;
  bool Contains(std::string_view iName) const { return Find(iName).has_value(); }

  // Gives iName the value iValue, adding the name when absent.
  void Set(std::string_view iName, std::string_view iValue);
  // Adds iName with iValue unless the name is present; true when it added.
  bool Insert(std::string_view iName, std::string_view iValue);
  // Removes iName; true when it was there.
  bool Erase(std::string_view iName);
  // Every entry of iOther is Set (SetAll) or Inserted (InsertAll), in one
  // new block: O(bytes of both maps). iOther may be this map.
  void SetAll(const MemTextMap& iOther) { Merge(iOther, /*iReplace=*/true); }
  void InsertAll(const MemTextMap& iOther) { Merge(iOther, /*iReplace=*/false); }

  friend bool operator==(const MemTextMap& iLeft, const MemTextMap& iRight);
  friend bool operator!=(const MemTextMap& iLeft, const MemTextMap& iRight) {
    return !(iLeft == iRight);
  }

 private:
  // The width of the numbers of iBlock. REQUIRES: iBlock is not null.
  static size_t Width(const char* iBlock) { return static_cast<unsigned char>(iBlock[0]); }
  static size_t ReadNumber(const char* iAt, size_t iWidth);
  // The iIndex-th entry of iBlock. REQUIRES: iIndex < the block's count.
  static Entry EntryAt(const char* iBlock, size_t iIndex);
  // The bytes of iBlock (0 for none).
  static size_t BlockSize(const char* iBlock);
  // iEntries sorted by name, the first of each name kept.
  static std::vector<Entry> SortedUnique(std::vector<Entry> iEntries);
  // The block of iEntries (null when there are none). REQUIRES: iEntries
  // is sorted by name and names are unique.
  static std::unique_ptr<char[]> Encode(const std::vector<Entry>& iEntries);
  // The position of the first entry whose name is not below iName.
  size_t LowerBound(std::string_view iName) const;
  // The entries, as views into the current block.
  std::vector<Entry> Entries() const { return std::vector<Entry>(begin(), end()); }
  // Replaces the block by that of iEntries (see Encode).
  void Assign(const std::vector<Entry>& iEntries) { block_ = Encode(iEntries); }
  void Merge(const MemTextMap& iOther, bool iReplace);

  std::unique_ptr<char[]> block_;  // owned; null when the map is empty
};

#endif  // KRVWD7_HOST_MEMTEXTMAP_H_
