// CATListValKRVWD7PrdInfo: a 1-based value list of product records.
//
// The list owns a separate heap copy of every record put into it (made with
// the record's copy constructor); removing a record destroys its copy, and
// destroying or clearing the list destroys them all. Positions run from 1
// to Size(); a position outside that range aborts the process with a
// message (see CATCollec.h). Searches use the record's == (printable id
// when both have one, instance path when neither has one); ordering uses
// the record's < and > (instance paths).
//
// Append is O(1) amortised; searches are linear scans from the start.
//
// List comparisons look at sizes first: a longer list is always greater,
// whatever its records. Equal sizes are compared position by position, ==
// with record identity, the orderings with record paths, so two lists can
// be == and still be ordered by < or >.
//
// Three-way convention of QuickSort and Compare: a comparison function
// answers a negative number when its first record goes before the second,
// 0 when they tie, a positive number when it goes after (as strcmp).
// Not thread safe: lists live on the host's user-interface thread.
#ifndef KRVWD7_INCLUDE_CATLISTVALKRVWD7PRDINFO_H_
#define KRVWD7_INCLUDE_CATLISTVALKRVWD7PRDINFO_H_

#include "CATCollec.h"
#include "CATRawCollPV.h"
#include "KRVWD7PrdInfo.h"

class CATListValKRVWD7PrdInfo {
 public:
  typedef int (*PFCompare)(KRVWD7PrdInfo*, KRVWD7PrdInfo*);

  CATListValKRVWD7PrdInfo();
  // An empty list with room for iCapacity records; the second integer of
  // the two-integer form is ignored.
  explicit CATListValKRVWD7PrdInfo(int iCapacity);
  CATListValKRVWD7PrdInfo(int iCapacity, int iUnused);
  // Copies of the first iCount records of a contiguous array.
  CATListValKRVWD7PrdInfo(KRVWD7PrdInfo* iArray, int iCount);
  // Copies of the records the first iCount pointers designate; null
  // pointers are skipped.
  CATListValKRVWD7PrdInfo(KRVWD7PrdInfo** iArray, int iCount);
  CATListValKRVWD7PrdInfo(const CATListValKRVWD7PrdInfo& iOther);
  // Assigning a list to itself does nothing.
  CATListValKRVWD7PrdInfo& operator=(const CATListValKRVWD7PrdInfo& iOther);
  // Destroys the records from the last position to the first.
  ~CATListValKRVWD7PrdInfo();

  int Size() const { return items_.Size(); }
  // Grows to iSize with copies of *iFill, or shrinks to iSize destroying
  // the records beyond it. REQUIRES: iFill != nullptr when growing.
  void Size(int iSize, const KRVWD7PrdInfo* iFill);

  KRVWD7PrdInfo& operator[](int iPos);
  const KRVWD7PrdInfo& operator[](int iPos) const;

  // oArray[i - 1] = record i. REQUIRES: oArray holds Size() records.
  void Array(KRVWD7PrdInfo* oArray) const;
  // oArray[i - 1] = address of stored record i (borrowed, no copy).
  void Array(KRVWD7PrdInfo** oArray) const;

  void Append(const KRVWD7PrdInfo& iInfo);
  // Stores iInfo itself, its texts moved rather than copied.
  void Append(KRVWD7PrdInfo&& iInfo);
  void Append(const CATListValKRVWD7PrdInfo& iOther);
  // A copy at iPos (1..Size()+1); the records from iPos on move up by one.
  void InsertAt(int iPos, const KRVWD7PrdInfo& iInfo);
  void InsertBefore(int iPos, const KRVWD7PrdInfo& iInfo);
  // A copy at iPos + 1.
  void InsertAfter(int iPos, const KRVWD7PrdInfo& iInfo);
  // Destroys the record at iPos and stores a copy of iInfo there.
  void Replace(int iPos, const KRVWD7PrdInfo& iInfo);
  void Swap(int iPos1, int iPos2);

  // The first position from iFrom on holding a record equal to iInfo; 0
  // when none or iFrom > Size() (an iFrom below 1 counts as 1).
  int Locate(const KRVWD7PrdInfo& iInfo, int iFrom = 1) const;
  int NbOccur(const KRVWD7PrdInfo& iInfo) const;

  void RemovePosition(int iPos);
  // Removes the first record equal to iInfo; its former position, or 0.
  int RemoveValue(const KRVWD7PrdInfo& iInfo);
  // For each record of iOther in order, removes the first equal record of
  // this list; the number removed.
  int Remove(const CATListValKRVWD7PrdInfo& iOther);
  // Keeps the first of every group of equal records, in order; the number
  // removed. The second form appends a copy of each removed record to
  // oRemoved, in the order of removal.
  int RemoveDuplicates();
  void RemoveDuplicates(CATListValKRVWD7PrdInfo& oRemoved);
  void RemoveAll(CATCollec::MemoryHandling iMode =
                     CATCollec::ReleaseAllocation);

  // Appends to oResult a copy of each record of iFirst that has an equal
  // record in iSecond, walking iFirst from its last position to its first
  // (so the copies arrive in reverse order). oResult is not emptied.
  static void Intersection(const CATListValKRVWD7PrdInfo& iFirst,
                           const CATListValKRVWD7PrdInfo& iSecond,
                           CATListValKRVWD7PrdInfo& oResult);

  // Sorts the positions with iCompare (three-way, see above); stable.
  // REQUIRES: iCompare != nullptr.
  void QuickSort(PFCompare iCompare);
  // Three-way comparison of two lists, sizes first like the operators
  // below: -1 when iFirst is shorter, 1 when it is longer; for equal sizes
  // the sign of iCompare at the first position where it is not 0, and 0
  // when every position ties. Answers -1, 0 or 1.
  // REQUIRES: iCompare != nullptr.
  static int Compare(const CATListValKRVWD7PrdInfo& iFirst,
                     const CATListValKRVWD7PrdInfo& iSecond,
                     PFCompare iCompare);

  int operator==(const CATListValKRVWD7PrdInfo& iOther) const;
  int operator!=(const CATListValKRVWD7PrdInfo& iOther) const;
  int operator<=(const CATListValKRVWD7PrdInfo& iOther) const;
  int operator>=(const CATListValKRVWD7PrdInfo& iOther) const;
  int operator<(const CATListValKRVWD7PrdInfo& iOther) const;
  int operator>(const CATListValKRVWD7PrdInfo& iOther) const;

 private:
  KRVWD7PrdInfo* At(int iPos) const;
  void DestroyAll();

  CATRawCollPV items_;  // each pointer owns one KRVWD7PrdInfo
};

#endif  // KRVWD7_INCLUDE_CATLISTVALKRVWD7PRDINFO_H_
