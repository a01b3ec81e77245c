#include "CATListValCATUnicodeString.h"

#include <unordered_set>

#include "CATListImpl.h"

namespace {
const char kName[] = "CATListValCATUnicodeString";
}

CATUnicodeString& CATListValCATUnicodeString::operator[](int iPos) {
  return CATListImpl::At(items_, iPos, kName);
}

const CATUnicodeString& CATListValCATUnicodeString::operator[](int iPos) const {
  return CATListImpl::At(items_, iPos, kName);
}

void CATListValCATUnicodeString::Append(const CATListValCATUnicodeString& iOther) {
  if (&iOther == this) {
    std::vector<CATUnicodeString> copy = items_;
    items_.insert(items_.end(), copy.begin(), copy.end());
    return;
  }
  items_.insert(items_.end(), iOther.items_.begin(), iOther.items_.end());
}

void CATListValCATUnicodeString::InsertAt(int iPos, const CATUnicodeString& iValue) {
  CATListImpl::InsertAt(items_, iPos, iValue, kName);
}

void CATListValCATUnicodeString::Replace(int iPos, const CATUnicodeString& iValue) {
  CATListImpl::At(items_, iPos, kName) = iValue;
}

void CATListValCATUnicodeString::Swap(int iPos1, int iPos2) {
  CATListImpl::Swap(items_, iPos1, iPos2, kName);
}

int CATListValCATUnicodeString::Locate(const CATUnicodeString& iValue,
                                       int iFrom) const {
  return CATListImpl::Locate(items_, iFrom, [&](const CATUnicodeString& item) {
    return item == iValue;
  });
}

int CATListValCATUnicodeString::NbOccur(const CATUnicodeString& iValue) const {
  int n = 0;
  for (const auto& item : items_) n += item == iValue ? 1 : 0;
  return n;
}

void CATListValCATUnicodeString::RemovePosition(int iPos) {
  CATListImpl::RemovePosition(items_, iPos, kName);
}

int CATListValCATUnicodeString::RemoveValue(const CATUnicodeString& iValue) {
  int pos = Locate(iValue);
  if (pos > 0) RemovePosition(pos);
  return pos;
}

int CATListValCATUnicodeString::RemoveDuplicates() {
  std::unordered_set<std::string> seen;
  std::vector<CATUnicodeString> kept;
  kept.reserve(items_.size());
  for (auto& item : items_) {
    if (seen.insert(item.ToStdString()).second) kept.push_back(std::move(item));
  }
  int removed = static_cast<int>(items_.size() - kept.size());
  items_.swap(kept);
  return removed;
}

void CATListValCATUnicodeString::RemoveAll(CATCollec::MemoryHandling iMode) {
  CATListImpl::RemoveAll(items_, iMode);
}
