#include "CATListValCATBaseUnknown_var.h"

#include <unordered_set>

#include "CATListImpl.h"

namespace {
const char kName[] = "CATListValCATBaseUnknown_var";
}

CATBaseUnknown_var& CATListValCATBaseUnknown_var::operator[](int iPos) {
  return CATListImpl::At(items_, iPos, kName);
}

const CATBaseUnknown_var& CATListValCATBaseUnknown_var::operator[](int iPos) const {
  return CATListImpl::At(items_, iPos, kName);
}

void CATListValCATBaseUnknown_var::Append(const CATListValCATBaseUnknown_var& iOther) {
  if (&iOther == this) {
    std::vector<CATBaseUnknown_var> copy = items_;
    items_.insert(items_.end(), copy.begin(), copy.end());
    return;
  }
  items_.insert(items_.end(), iOther.items_.begin(), iOther.items_.end());
}

void CATListValCATBaseUnknown_var::InsertAt(int iPos, const CATBaseUnknown_var& iValue) {
  CATListImpl::InsertAt(items_, iPos, iValue, kName);
}

void CATListValCATBaseUnknown_var::Replace(int iPos, const CATBaseUnknown_var& iValue) {
  CATListImpl::At(items_, iPos, kName) = iValue;
}

int CATListValCATBaseUnknown_var::Locate(const CATBaseUnknown_var& iValue,
                                         int iFrom) const {
  return CATListImpl::Locate(items_, iFrom, [&](const CATBaseUnknown_var& item) {
    return item == iValue;
  });
}

void CATListValCATBaseUnknown_var::RemovePosition(int iPos) {
  CATListImpl::RemovePosition(items_, iPos, kName);
}

int CATListValCATBaseUnknown_var::RemoveValue(const CATBaseUnknown_var& iValue) {
  int pos = Locate(iValue);
  if (pos > 0) RemovePosition(pos);
  return pos;
}

int CATListValCATBaseUnknown_var::RemoveDuplicates() {
  // Objects are told apart by identity, so a hash of identities is exact.
  std::unordered_set<const CATBaseUnknown*> seen;
  std::vector<CATBaseUnknown_var> kept;
  kept.reserve(items_.size());
  for (auto& item : items_) {
    const CATBaseUnknown* id = item ? item->GetIdentity() : nullptr;
    if (seen.insert(id).second) kept.push_back(std::move(item));
  }
  int removed = static_cast<int>(items_.size() - kept.size());
  items_.swap(kept);
  return removed;
}

void CATListValCATBaseUnknown_var::RemoveAll(CATCollec::MemoryHandling iMode) {
  CATListImpl::RemoveAll(items_, iMode);
}
