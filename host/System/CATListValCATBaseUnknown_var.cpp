#include "CATListValCATBaseUnknown_var.h"

namespace {
const char kName[] = "CATListValCATBaseUnknown_var";
}

CATBaseUnknown_var& CATListValCATBaseUnknown_var::operator[](int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

const CATBaseUnknown_var& CATListValCATBaseUnknown_var::operator[](
    int iPos) const {
  CATCollec::CheckPosition(kName, iPos, Size());
  return items_[iPos - 1];
}

void CATListValCATBaseUnknown_var::Append(
    const CATListValCATBaseUnknown_var& iOther) {
  if (&iOther == this) {
    std::vector<CATBaseUnknown_var> copy(items_);
    items_.insert(items_.end(), copy.begin(), copy.end());
    return;
  }
  items_.insert(items_.end(), iOther.items_.begin(), iOther.items_.end());
}

void CATListValCATBaseUnknown_var::InsertAt(int iPos,
                                            const CATBaseUnknown_var& iValue) {
  CATCollec::CheckPosition(kName, iPos, Size() + 1);
  items_.insert(items_.begin() + (iPos - 1), iValue);
}

void CATListValCATBaseUnknown_var::Replace(int iPos,
                                           const CATBaseUnknown_var& iValue) {
  (*this)[iPos] = iValue;
}

int CATListValCATBaseUnknown_var::Locate(const CATBaseUnknown_var& iValue,
                                         int iFrom) const {
  for (int i = iFrom < 1 ? 1 : iFrom; i <= Size(); ++i) {
    if (items_[i - 1] == iValue) return i;
  }
  return 0;
}

void CATListValCATBaseUnknown_var::RemovePosition(int iPos) {
  CATCollec::CheckPosition(kName, iPos, Size());
  items_.erase(items_.begin() + (iPos - 1));
}

int CATListValCATBaseUnknown_var::RemoveValue(
    const CATBaseUnknown_var& iValue) {
  int pos = Locate(iValue);
  if (pos > 0) RemovePosition(pos);
  return pos;
}

int CATListValCATBaseUnknown_var::RemoveDuplicates() {
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

void CATListValCATBaseUnknown_var::RemoveAll(CATCollec::MemoryHandling iMode) {
  items_.clear();
  if (iMode == CATCollec::ReleaseAllocation) items_.shrink_to_fit();
}
