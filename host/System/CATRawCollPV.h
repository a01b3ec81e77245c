// A 1-based list of untyped pointers.
//
// The list owns nothing: it never deletes what its pointers designate, so
// a typed list built on it destroys its elements itself before removing or
// clearing them. Null pointers are stored like any other. Positions run
// from 1 to Size(); an index outside that range aborts the process with a
// message (see CATCollec.h).
#ifndef KRVWD7_HOST_CATRAWCOLLPV_H_
#define KRVWD7_HOST_CATRAWCOLLPV_H_

#include <vector>

#include "CATCollec.h"

class CATRawCollPV {
 public:
  CATRawCollPV() = default;
  // An empty list with room for iCapacity pointers.
  explicit CATRawCollPV(int iCapacity);

  int Size() const { return static_cast<int>(items_.size()); }
  void*& operator[](int iPos);
  void* operator[](int iPos) const;

  void Append(void* iPtr) { items_.push_back(iPtr); }
  // Inserts before position iPos (1..Size()+1; Size()+1 appends).
  void InsertAt(int iPos, void* iPtr);
  void Replace(int iPos, void* iPtr);
  void Swap(int iPos1, int iPos2);
  // The first position from iFrom on holding iPtr (pointer equality); 0
  // when none.
  int Locate(const void* iPtr, int iFrom = 1) const;
  void RemovePosition(int iPos);
  void RemoveAll(CATCollec::MemoryHandling iMode =
                     CATCollec::ReleaseAllocation);
  // Sorts the positions with iCompare (negative, 0, positive as strcmp) on
  // the stored pointers. The sort is stable. REQUIRES: iCompare != nullptr.
  void QuickSort(int (*iCompare)(void*, void*));

 private:
  std::vector<void*> items_;
};

#endif  // KRVWD7_HOST_CATRAWCOLLPV_H_
