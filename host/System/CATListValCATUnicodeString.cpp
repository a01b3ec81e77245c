#include "CATListValCATUnicodeString.h"

namespace {
const char kName[] = "CATListValCATUnicodeString";
}

CATUnicodeString& CATListValCATUnicodeString::operator[](int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

const CATUnicodeString& CATListValCATUnicodeString::operator[](int iPos) const {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

void CATListValCATUnicodeString::Append(
    const CATListValCATUnicodeString& iOther) {
  if (&iOther == this) {
    std::vector<CATUnicodeString> copy(items_);
    items_.insert(items_.end(), copy.begin(), copy.end());
    return;
  }
  items_.insert(items_.end(), iOther.items_.begin(), iOther.items_.end());
}

void CATListValCATUnicodeString::InsertAt(int iPos,
                                          const CATUnicodeString& iValue) {
  CATCollec::CheckPosition(kName, iPos, Size() + 1);
  items_.insert(items_.begin() + (iPos - 1), iValue);
}

void CATListValCATUnicodeString::Replace(int iPos,
                                         const CATUnicodeString& iValue) {
  (*this)[iPos] = iValue;
}

void CATListValCATUnicodeString::Swap(int iPos1, int iPos2) {
  std::swap((*this)[iPos1], (*this)[iPos2]);
}

int CATListValCATUnicodeString::Locate(const CATUnicodeString& iValue,
                                       int iFrom) const {
  for (int i = iFrom < 1 ? 1 : iFrom; i <= Size(); ++i) {
    if (items_[i - 1] == iValue) return i;
  }
  return 0;
}

int CATListValCATUnicodeString::NbOccur(const CATUnicodeString& iValue) const {
  int n = 0;
  for (const CATUnicodeString& item : items_) n += (item == iValue);
  return n;
}

void CATListValCATUnicodeString::RemovePosition(int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  items_.erase(items_.begin() + (iPos - 1));
}

int CATListValCATUnicodeString::RemoveValue(const CATUnicodeString& iValue) {
  int pos = Locate(iValue);
  if (pos > 0) RemovePosition(pos);
  return pos;
}

int CATListValCATUnicodeString::RemoveDuplicates() {
  int removed = 0;
  for (int i = 1; i <= Size(); ++i) {
    for (int j = i + 1; j <= Size();) {
      if (items_[j - 1] == items_[i - 1]) {
        items_.erase(items_.begin() + (j - 1));
        ++removed;
      } else {
        ++j;
      }
    }
  }
  return removed;
}

void CATListValCATUnicodeString::RemoveAll(CATCollec::MemoryHandling iMode) {
  items_.clear();
  if (iMode == CATCollec::ReleaseAllocation) items_.shrink_to_fit();
}
