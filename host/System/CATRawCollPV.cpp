#include "CATRawCollPV.h"

#include <algorithm>
#include <utility>

namespace {
const char kName[] = "CATRawCollPV";
}

CATRawCollPV::CATRawCollPV(int iCapacity) {
  if (iCapacity > 0) items_.reserve(static_cast<size_t>(iCapacity));
}

void*& CATRawCollPV::operator[](int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

void* CATRawCollPV::operator[](int iPos) const {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

void CATRawCollPV::InsertAt(int iPos, void* iPtr) {
  CATCollec::CheckPosition(kName, iPos, Size() + 1);
  items_.insert(items_.begin() + (iPos - 1), iPtr);
}

void CATRawCollPV::Replace(int iPos, void* iPtr) { (*this)[iPos] = iPtr; }

void CATRawCollPV::Swap(int iPos1, int iPos2) {
  std::swap((*this)[iPos1], (*this)[iPos2]);
}

int CATRawCollPV::Locate(const void* iPtr, int iFrom) const {
  for (int i = iFrom < 1 ? 1 : iFrom; i <= Size(); ++i) {
    if (items_[i - 1] == iPtr) return i;
  }
  return 0;
}

void CATRawCollPV::RemovePosition(int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  items_.erase(items_.begin() + (iPos - 1));
}

void CATRawCollPV::RemoveAll(CATCollec::MemoryHandling iMode) {
  items_.clear();
  if (iMode == CATCollec::ReleaseAllocation) items_.shrink_to_fit();
}

void CATRawCollPV::QuickSort(int (*iCompare)(void*, void*)) {
  std::stable_sort(items_.begin(), items_.end(), [iCompare](void* a, void* b) {
    return iCompare(a, b) < 0;
  });
}
