#include "CATRawCollint.h"

#include <algorithm>

#include "CATListImpl.h"

namespace {
const char kName[] = "CATRawCollint";
}

int& CATRawCollint::operator[](int iPos) { return CATListImpl::At(items_, iPos, kName); }

int CATRawCollint::operator[](int iPos) const {
  return CATListImpl::At(items_, iPos, kName);
}

void CATRawCollint::InsertAt(int iPos, int iValue) {
  CATListImpl::InsertAt(items_, iPos, iValue, kName);
}

int CATRawCollint::Locate(int iValue, int iFrom) const {
  return CATListImpl::Locate(items_, iFrom, [&](int item) { return item == iValue; });
}

void CATRawCollint::RemovePosition(int iPos) {
  CATListImpl::RemovePosition(items_, iPos, kName);
}

void CATRawCollint::RemoveAll(CATCollec::MemoryHandling iMode) {
  CATListImpl::RemoveAll(items_, iMode);
}

void CATRawCollint::QuickSort() { std::sort(items_.begin(), items_.end()); }
