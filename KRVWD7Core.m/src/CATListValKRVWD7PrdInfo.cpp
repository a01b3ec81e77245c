#include "CATListValKRVWD7PrdInfo.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const char kListName[] = "CATListValKRVWD7PrdInfo";

}  // namespace

CATListValKRVWD7PrdInfo::CATListValKRVWD7PrdInfo() = default;

CATListValKRVWD7PrdInfo::CATListValKRVWD7PrdInfo(int iCapacity)
    : items_(iCapacity > 0 ? iCapacity : 0) {}

CATListValKRVWD7PrdInfo::CATListValKRVWD7PrdInfo(int iCapacity, int)
    : CATListValKRVWD7PrdInfo(iCapacity) {}

CATListValKRVWD7PrdInfo::CATListValKRVWD7PrdInfo(KRVWD7PrdInfo* iArray,
                                                 int iCount)
    : CATListValKRVWD7PrdInfo(iCount) {
  if (iArray == nullptr) return;
  for (int i = 0; i < iCount; ++i) Append(iArray[i]);
}

CATListValKRVWD7PrdInfo::CATListValKRVWD7PrdInfo(KRVWD7PrdInfo** iArray,
                                                 int iCount)
    : CATListValKRVWD7PrdInfo(iCount) {
  if (iArray == nullptr) return;
  for (int i = 0; i < iCount; ++i) {
    if (iArray[i]) Append(*iArray[i]);
  }
}

CATListValKRVWD7PrdInfo::CATListValKRVWD7PrdInfo(
    const CATListValKRVWD7PrdInfo& iOther)
    : CATListValKRVWD7PrdInfo(iOther.Size()) {
  Append(iOther);
}

CATListValKRVWD7PrdInfo& CATListValKRVWD7PrdInfo::operator=(
    const CATListValKRVWD7PrdInfo& iOther) {
  if (this == &iOther) return *this;
  RemoveAll();
  Append(iOther);
  return *this;
}

CATListValKRVWD7PrdInfo::~CATListValKRVWD7PrdInfo() { DestroyAll(); }

KRVWD7PrdInfo* CATListValKRVWD7PrdInfo::At(int iPos) const {
  CATCollec::CheckPosition(kListName, iPos, Size());
  return static_cast<KRVWD7PrdInfo*>(items_[iPos]);
}

void CATListValKRVWD7PrdInfo::DestroyAll() {
  for (int i = Size(); i >= 1; --i) delete At(i);
}

void CATListValKRVWD7PrdInfo::Size(int iSize, const KRVWD7PrdInfo* iFill) {
  if (iSize < 0) iSize = 0;
  if (iSize > Size() && iFill == nullptr) {
    CATCollec::OutOfRange("CATListValKRVWD7PrdInfo::Size (no fill record)",
                          iSize, Size());
  }
  while (Size() < iSize) Append(*iFill);
  while (Size() > iSize) RemovePosition(Size());
}

KRVWD7PrdInfo& CATListValKRVWD7PrdInfo::operator[](int iPos) {
  return *At(iPos);
}

const KRVWD7PrdInfo& CATListValKRVWD7PrdInfo::operator[](int iPos) const {
  return *At(iPos);
}

void CATListValKRVWD7PrdInfo::Array(KRVWD7PrdInfo* oArray) const {
  for (int i = 1; i <= Size(); ++i) oArray[i - 1] = *At(i);
}

void CATListValKRVWD7PrdInfo::Array(KRVWD7PrdInfo** oArray) const {
  for (int i = 1; i <= Size(); ++i) oArray[i - 1] = At(i);
}

void CATListValKRVWD7PrdInfo::Append(const KRVWD7PrdInfo& iInfo) {
  items_.Append(new KRVWD7PrdInfo(iInfo));
}

void CATListValKRVWD7PrdInfo::Append(KRVWD7PrdInfo&& iInfo) {
  items_.Append(new KRVWD7PrdInfo(std::move(iInfo)));
}

void CATListValKRVWD7PrdInfo::Append(const CATListValKRVWD7PrdInfo& iOther) {
  // Appending a list to itself copies the records that were there before.
  const int count = iOther.Size();
  for (int i = 1; i <= count; ++i) Append(*iOther.At(i));
}

void CATListValKRVWD7PrdInfo::InsertAt(int iPos, const KRVWD7PrdInfo& iInfo) {
  if (iPos < 1 || iPos > Size() + 1) {
    CATCollec::OutOfRange(kListName, iPos, Size() + 1);
  }
  items_.InsertAt(iPos, new KRVWD7PrdInfo(iInfo));
}

void CATListValKRVWD7PrdInfo::InsertBefore(int iPos,
                                           const KRVWD7PrdInfo& iInfo) {
  InsertAt(iPos, iInfo);
}

void CATListValKRVWD7PrdInfo::InsertAfter(int iPos,
                                          const KRVWD7PrdInfo& iInfo) {
  InsertAt(iPos + 1, iInfo);
}

void CATListValKRVWD7PrdInfo::Replace(int iPos, const KRVWD7PrdInfo& iInfo) {
  KRVWD7PrdInfo* old = At(iPos);
  // Copy first: iInfo may be the record being replaced.
  items_.Replace(iPos, new KRVWD7PrdInfo(iInfo));
  delete old;
}

void CATListValKRVWD7PrdInfo::Swap(int iPos1, int iPos2) {
  At(iPos1);
  At(iPos2);
  items_.Swap(iPos1, iPos2);
}

int CATListValKRVWD7PrdInfo::Locate(const KRVWD7PrdInfo& iInfo,
                                    int iFrom) const {
  if (iFrom < 1) iFrom = 1;
  for (int i = iFrom; i <= Size(); ++i) {
    if (*At(i) == iInfo) return i;
  }
  return 0;
}

int CATListValKRVWD7PrdInfo::NbOccur(const KRVWD7PrdInfo& iInfo) const {
  int count = 0;
  for (int i = 1; i <= Size(); ++i) {
    if (*At(i) == iInfo) ++count;
  }
  return count;
}

void CATListValKRVWD7PrdInfo::RemovePosition(int iPos) {
  KRVWD7PrdInfo* old = At(iPos);
  items_.RemovePosition(iPos);
  delete old;
}

int CATListValKRVWD7PrdInfo::RemoveValue(const KRVWD7PrdInfo& iInfo) {
  const int pos = Locate(iInfo);
  if (pos != 0) RemovePosition(pos);
  return pos;
}

int CATListValKRVWD7PrdInfo::Remove(const CATListValKRVWD7PrdInfo& iOther) {
  if (this == &iOther) {
    const int count = Size();
    RemoveAll();
    return count;
  }
  int removed = 0;
  for (int i = 1; i <= iOther.Size(); ++i) {
    if (RemoveValue(*iOther.At(i)) != 0) ++removed;
  }
  return removed;
}

int CATListValKRVWD7PrdInfo::RemoveDuplicates() {
  int removed = 0;
  for (int i = 1; i <= Size(); ++i) {
    int j = i + 1;
    while (j <= Size()) {
      if (*At(j) == *At(i)) {
        RemovePosition(j);
        ++removed;
      } else {
        ++j;
      }
    }
  }
  return removed;
}

void CATListValKRVWD7PrdInfo::RemoveDuplicates(
    CATListValKRVWD7PrdInfo& oRemoved) {
  if (this == &oRemoved) {
    // Appending to the list being cleaned would feed it its own removals.
    CATListValKRVWD7PrdInfo removed;
    RemoveDuplicates(removed);
    Append(removed);
    return;
  }
  for (int i = 1; i <= Size(); ++i) {
    int j = i + 1;
    while (j <= Size()) {
      if (*At(j) == *At(i)) {
        oRemoved.Append(*At(j));
        RemovePosition(j);
      } else {
        ++j;
      }
    }
  }
}

void CATListValKRVWD7PrdInfo::RemoveAll(CATCollec::MemoryHandling iMode) {
  DestroyAll();
  items_.RemoveAll(iMode);
}

void CATListValKRVWD7PrdInfo::Intersection(
    const CATListValKRVWD7PrdInfo& iFirst,
    const CATListValKRVWD7PrdInfo& iSecond, CATListValKRVWD7PrdInfo& oResult) {
  // Collect first: oResult may be one of the inputs.
  CATListValKRVWD7PrdInfo found;
  for (int i = iFirst.Size(); i >= 1; --i) {
    if (iSecond.Locate(iFirst[i]) != 0) found.Append(iFirst[i]);
  }
  oResult.Append(found);
}

void CATListValKRVWD7PrdInfo::QuickSort(PFCompare iCompare) {
  std::vector<KRVWD7PrdInfo*> order;
  order.reserve(static_cast<size_t>(Size()));
  for (int i = 1; i <= Size(); ++i) order.push_back(At(i));
  std::stable_sort(order.begin(), order.end(),
                   [iCompare](KRVWD7PrdInfo* a, KRVWD7PrdInfo* b) {
                     return iCompare(a, b) < 0;
                   });
  for (int i = 1; i <= Size(); ++i) items_.Replace(i, order[i - 1]);
}

int CATListValKRVWD7PrdInfo::Compare(const CATListValKRVWD7PrdInfo& iFirst,
                                     const CATListValKRVWD7PrdInfo& iSecond,
                                     PFCompare iCompare) {
  if (iFirst.Size() != iSecond.Size()) {
    return iFirst.Size() < iSecond.Size() ? -1 : 1;
  }
  for (int i = 1; i <= iFirst.Size(); ++i) {
    const int c = iCompare(iFirst.At(i), iSecond.At(i));
    if (c != 0) return c < 0 ? -1 : 1;
  }
  return 0;
}

int CATListValKRVWD7PrdInfo::operator==(
    const CATListValKRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 1;
  if (Size() != iOther.Size()) return 0;
  for (int i = 1; i <= Size(); ++i) {
    if (*At(i) != *iOther.At(i)) return 0;
  }
  return 1;
}

int CATListValKRVWD7PrdInfo::operator!=(
    const CATListValKRVWD7PrdInfo& iOther) const {
  return (*this == iOther) ? 0 : 1;
}

int CATListValKRVWD7PrdInfo::operator<=(
    const CATListValKRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 1;
  if (Size() != iOther.Size()) return Size() < iOther.Size() ? 1 : 0;
  for (int i = 1; i <= Size(); ++i) {
    if (*At(i) > *iOther.At(i)) return 0;
    if (*At(i) < *iOther.At(i)) return 1;
  }
  return 1;
}

int CATListValKRVWD7PrdInfo::operator>=(
    const CATListValKRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 1;
  if (Size() != iOther.Size()) return Size() > iOther.Size() ? 1 : 0;
  for (int i = 1; i <= Size(); ++i) {
    if (*At(i) < *iOther.At(i)) return 0;
    if (*At(i) > *iOther.At(i)) return 1;
  }
  return 1;
}

int CATListValKRVWD7PrdInfo::operator<(
    const CATListValKRVWD7PrdInfo& iOther) const {
  return (*this >= iOther) ? 0 : 1;
}

int CATListValKRVWD7PrdInfo::operator>(
    const CATListValKRVWD7PrdInfo& iOther) const {
  return (*this <= iOther) ? 0 : 1;
}
