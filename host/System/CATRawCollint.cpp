#include "CATRawCollint.h"

#include <algorithm>

namespace {
const char kName[] = "CATRawCollint";
}

int& CATRawCollint::operator[](int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

int CATRawCollint::operator[](int iPos) const {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

void CATRawCollint::InsertAt(int iPos, int iValue) {
  CATCollec::CheckPosition(kName, iPos, Size() + 1);
  items_.insert(items_.begin() + (iPos - 1), iValue);
}

int CATRawCollint::Locate(int iValue, int iFrom) const {
  for (int i = iFrom < 1 ? 1 : iFrom; i <= Size(); ++i) {
    if (items_[i - 1] == iValue) return i;
  }
  return 0;
}

void CATRawCollint::RemovePosition(int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  items_.erase(items_.begin() + (iPos - 1));
}

void CATRawCollint::RemoveAll(CATCollec::MemoryHandling iMode) {
  items_.clear();
  if (iMode == CATCollec::ReleaseAllocation) items_.shrink_to_fit();
}

void CATRawCollint::QuickSort() { std::sort(items_.begin(), items_.end()); }
