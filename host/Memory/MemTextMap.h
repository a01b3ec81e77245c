// Texts by name, in name order: the text properties and user properties of
// a product.
//
// A product carries two or three of them, and a large session has hundreds
// of thousands of products: kept in one sorted block, a product's
// properties take one allocation instead of a tree node each. Lookups are
// binary searches. Unlike std::map, inserting or erasing moves the entries:
// it invalidates iterators, pointers and references into the map.
#ifndef KRVWD7_HOST_MEMTEXTMAP_H_
#define KRVWD7_HOST_MEMTEXTMAP_H_

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class MemTextMap {
 public:
  using value_type = std::pair<std::string, std::string>;
  using iterator = std::vector<value_type>::iterator;
  using const_iterator = std::vector<value_type>::const_iterator;

  MemTextMap() = default;
  MemTextMap(std::initializer_list<value_type> iEntries) {
    for (const value_type& entry : iEntries) emplace(entry.first, entry.second);
  }
  MemTextMap(const std::map<std::string, std::string>& iMap)
      : entries_(iMap.begin(), iMap.end()) {}

  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void clear() { entries_.clear(); }
  void reserve(size_t iCount) { entries_.reserve(iCount); }

  iterator find(std::string_view iName) {
    iterator it = LowerBound(iName);
    return it != entries_.end() && it->first == iName ? it : entries_.end();
  }
  const_iterator find(std::string_view iName) const {
    return const_cast<MemTextMap*>(this)->find(iName);
  }
  size_t count(std::string_view iName) const { return find(iName) != end() ? 1 : 0; }

  // The value of iName, made empty when absent.
  std::string& operator[](std::string_view iName) {
    iterator it = LowerBound(iName);
    if (it == entries_.end() || it->first != iName) {
      it = entries_.emplace(it, std::string(iName), std::string());
    }
    return it->second;
  }
  // The value of iName; throws std::out_of_range when absent, as std::map.
  const std::string& at(std::string_view iName) const {
    const_iterator it = find(iName);
    if (it == end()) throw std::out_of_range("MemTextMap::at: no entry " + std::string(iName));
    return it->second;
  }
  // Adds iName unless present; the entry and whether it was added.
  std::pair<iterator, bool> emplace(std::string iName, std::string iValue) {
    iterator it = LowerBound(iName);
    if (it != entries_.end() && it->first == iName) return {it, false};
    it = entries_.emplace(it, std::move(iName), std::move(iValue));
    return {it, true};
  }
  size_t erase(std::string_view iName) {
    iterator it = find(iName);
    if (it == entries_.end()) return 0;
    entries_.erase(it);
    return 1;
  }
  iterator erase(const_iterator iPosition) { return entries_.erase(iPosition); }

  friend bool operator==(const MemTextMap& iLeft, const MemTextMap& iRight) {
    return iLeft.entries_ == iRight.entries_;
  }
  friend bool operator!=(const MemTextMap& iLeft, const MemTextMap& iRight) {
    return !(iLeft == iRight);
  }

 private:
  iterator LowerBound(std::string_view iName) {
    return std::lower_bound(entries_.begin(), entries_.end(), iName,
                            [](const value_type& iEntry, std::string_view iKey) {
                              return iEntry.first < iKey;
                            });
  }

  std::vector<value_type> entries_;  // by name, names unique
};

#endif  // KRVWD7_HOST_MEMTEXTMAP_H_
