// A 1-based list of integers.
//
// Positions run from 1 to Size(); an index outside that range aborts the
// process with a message (see CATCollec.h).
#ifndef KRVWD7_HOST_CATRAWCOLLINT_H_
#define KRVWD7_HOST_CATRAWCOLLINT_H_

#include <initializer_list>
#include <vector>

#include "CATCollec.h"

class CATRawCollint {
 public:
  CATRawCollint() = default;
  CATRawCollint(std::initializer_list<int> iItems) : items_(iItems) {}

  int Size() const { return static_cast<int>(items_.size()); }
  int& operator[](int iPos);
  int operator[](int iPos) const;

  void Append(int iValue) { items_.push_back(iValue); }
  // Inserts before position iPos (1..Size()+1; Size()+1 appends).
  void InsertAt(int iPos, int iValue);
  // The first position from iFrom on holding iValue; 0 when none.
  int Locate(int iValue, int iFrom = 1) const;
  void RemovePosition(int iPos);
  void RemoveAll(CATCollec::MemoryHandling iMode =
                     CATCollec::ReleaseAllocation);
  // Sorts the values in ascending order.
  void QuickSort();

  bool operator==(const CATRawCollint& o) const { return items_ == o.items_; }
  bool operator!=(const CATRawCollint& o) const { return items_ != o.items_; }

  std::vector<int>::const_iterator begin() const { return items_.begin(); }
  std::vector<int>::const_iterator end() const { return items_.end(); }

 private:
  std::vector<int> items_;
};

#endif  // KRVWD7_HOST_CATRAWCOLLINT_H_
