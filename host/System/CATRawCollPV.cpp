#include "CATRawCollPV.h"

#include <algorithm>

#include "CATListImpl.h"

namespace {
const char kName[] = "CATRawCollPV";
}

CATRawCollPV::CATRawCollPV(int iCapacity) {
  if (iCapacity > 0) items_.reserve(static_cast<size_t>(iCapacity));
}

void*& CATRawCollPV::operator[](int iPos) { return CATListImpl::At(items_, iPos, kName); }

void* CATRawCollPV::operator[](int iPos) const {
  return CATListImpl::At(items_, iPos, kName);
}

void CATRawCollPV::InsertAt(int iPos, void* iPtr) {
  CATListImpl::InsertAt(items_, iPos, iPtr, kName);
}

void CATRawCollPV::Replace(int iPos, void* iPtr) {
  CATListImpl::At(items_, iPos, kName) = iPtr;
}

void CATRawCollPV::Swap(int iPos1, int iPos2) {
  CATListImpl::Swap(items_, iPos1, iPos2, kName);
}

int CATRawCollPV::Locate(const void* iPtr, int iFrom) const {
  return CATListImpl::Locate(items_, iFrom, [&](const void* item) { return item == iPtr; });
}

void CATRawCollPV::RemovePosition(int iPos) {
  CATListImpl::RemovePosition(items_, iPos, kName);
}

void CATRawCollPV::RemoveAll(CATCollec::MemoryHandling iMode) {
  CATListImpl::RemoveAll(items_, iMode);
}

void CATRawCollPV::QuickSort(int (*iCompare)(void*, void*)) {
  std::stable_sort(items_.begin(), items_.end(),
                   [iCompare](void* a, void* b) { return iCompare(a, b) < 0; });
}
