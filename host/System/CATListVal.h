// The 1-based list of values both host value lists are made of.
//
// A CATListVal holds its own copies of its elements. Positions run from 1
// to Size(); an index outside that range aborts the process with a message
// naming the list (Self::kClassName, see CATCollec.h). Searches compare
// elements with ==. Iteration with begin()/end() visits positions 1 to
// Size() in order.
#ifndef KRVWD7_HOST_CATLISTVAL_H_
#define KRVWD7_HOST_CATLISTVAL_H_

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "CATCollec.h"

template <class T, class Self>
class CATListVal {
 public:
  typedef typename std::vector<T>::iterator iterator;
  typedef typename std::vector<T>::const_iterator const_iterator;

  CATListVal() = default;
  CATListVal(std::initializer_list<T> iItems) : items_(iItems) {}

  int Size() const { return static_cast<int>(items_.size()); }
  T& operator[](int iPos) {
    Check(iPos, Size());
    return items_[static_cast<size_t>(iPos - 1)];
  }
  const T& operator[](int iPos) const {
    Check(iPos, Size());
    return items_[static_cast<size_t>(iPos - 1)];
  }

  void Append(const T& iValue) { items_.push_back(iValue); }
  // Appends every element of iOther (the list itself included).
  void Append(const CATListVal& iOther) {
    if (&iOther == this) {
      const std::vector<T> copy(items_);
      items_.insert(items_.end(), copy.begin(), copy.end());
      return;
    }
    items_.insert(items_.end(), iOther.items_.begin(), iOther.items_.end());
  }
  // Inserts before position iPos (1..Size()+1; Size()+1 appends).
  void InsertAt(int iPos, const T& iValue) {
    Check(iPos, Size() + 1);
    items_.insert(items_.begin() + (iPos - 1), iValue);
  }
  void Replace(int iPos, const T& iValue) { (*this)[iPos] = iValue; }
  void Swap(int iPos1, int iPos2) {
    std::swap((*this)[iPos1], (*this)[iPos2]);
  }

  // The first position from iFrom on holding iValue; 0 when there is none
  // or iFrom lies beyond Size() (an iFrom below 1 counts as 1).
  int Locate(const T& iValue, int iFrom = 1) const {
    for (int i = std::max(iFrom, 1); i <= Size(); ++i) {
      if (items_[static_cast<size_t>(i - 1)] == iValue) return i;
    }
    return 0;
  }
  int NbOccur(const T& iValue) const {
    return static_cast<int>(std::count(items_.begin(), items_.end(), iValue));
  }

  void RemovePosition(int iPos) {
    Check(iPos, Size());
    items_.erase(items_.begin() + (iPos - 1));
  }
  // Removes the first occurrence; its former position, or 0 when absent.
  int RemoveValue(const T& iValue) {
    const int pos = Locate(iValue);
    if (pos > 0) RemovePosition(pos);
    return pos;
  }
  // Keeps the first of every group of equal elements, in order; returns
  // the number removed.
  int RemoveDuplicates() {
    std::vector<T> kept;
    for (const T& item : items_) {
      if (std::find(kept.begin(), kept.end(), item) == kept.end()) {
        kept.push_back(item);
      }
    }
    const int removed = Size() - static_cast<int>(kept.size());
    items_.swap(kept);
    return removed;
  }
  void RemoveAll(CATCollec::MemoryHandling iMode = CATCollec::ReleaseAllocation) {
    items_.clear();
    if (iMode == CATCollec::ReleaseAllocation) items_.shrink_to_fit();
  }

  // Same size and equal elements at every position.
  bool operator==(const CATListVal& iOther) const { return items_ == iOther.items_; }
  bool operator!=(const CATListVal& iOther) const { return items_ != iOther.items_; }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  static void Check(int iPos, int iSize) {
    CATCollec::CheckPosition(Self::kClassName, iPos, iSize);
  }

  std::vector<T> items_;
};

#endif  // KRVWD7_HOST_CATLISTVAL_H_
