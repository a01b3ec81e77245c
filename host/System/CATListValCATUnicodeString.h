// A 1-based list of texts, holding its own copies.
//
// Positions run from 1 to Size(); an index outside that range aborts the
// process with a message (see CATCollec.h). Searches compare texts with ==.
// Iteration with begin()/end() visits positions 1 to Size() in order.
#ifndef KRVWD7_HOST_CATLISTVALCATUNICODESTRING_H_
#define KRVWD7_HOST_CATLISTVALCATUNICODESTRING_H_

#include <initializer_list>
#include <vector>

#include "CATCollec.h"
#include "CATUnicodeString.h"

class CATListValCATUnicodeString {
 public:
  typedef std::vector<CATUnicodeString>::iterator iterator;
  typedef std::vector<CATUnicodeString>::const_iterator const_iterator;

  CATListValCATUnicodeString() = default;
  CATListValCATUnicodeString(std::initializer_list<CATUnicodeString> iItems)
      : items_(iItems) {}

  int Size() const { return static_cast<int>(items_.size()); }
  CATUnicodeString& operator[](int iPos);
  const CATUnicodeString& operator[](int iPos) const;

  void Append(const CATUnicodeString& iValue) { items_.push_back(iValue); }
  void Append(const CATListValCATUnicodeString& iOther);
  // Inserts before position iPos (1..Size()+1; Size()+1 appends).
  void InsertAt(int iPos, const CATUnicodeString& iValue);
  void Replace(int iPos, const CATUnicodeString& iValue);
  void Swap(int iPos1, int iPos2);

  // The first position from iFrom on holding iValue; 0 when there is none
  // or iFrom lies beyond Size() (an iFrom below 1 counts as 1).
  int Locate(const CATUnicodeString& iValue, int iFrom = 1) const;
  int NbOccur(const CATUnicodeString& iValue) const;

  void RemovePosition(int iPos);
  // Removes the first occurrence; its former position, or 0 when absent.
  int RemoveValue(const CATUnicodeString& iValue);
  // Keeps the first of every group of equal texts, in order; returns the
  // number removed.
  int RemoveDuplicates();
  void RemoveAll(CATCollec::MemoryHandling iMode =
                     CATCollec::ReleaseAllocation);

  // Same size and equal texts at every position.
  bool operator==(const CATListValCATUnicodeString& o) const {
    return items_ == o.items_;
  }
  bool operator!=(const CATListValCATUnicodeString& o) const {
    return items_ != o.items_;
  }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  std::vector<CATUnicodeString> items_;
};

#endif  // KRVWD7_HOST_CATLISTVALCATUNICODESTRING_H_
