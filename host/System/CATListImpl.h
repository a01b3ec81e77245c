// Internal: the operations that every 1-based list of the host shares,
// written once over a std::vector. Not part of the host's interface.
#ifndef KRVWD7_HOST_CATLISTIMPL_H_
#define KRVWD7_HOST_CATLISTIMPL_H_

#include <algorithm>
#include <utility>
#include <vector>

#include "CATCollec.h"

namespace CATListImpl {

template <class T>
T& At(std::vector<T>& iItems, int iPos, const char* iList) {
  CATCollec::CheckPosition(iList, iPos, static_cast<int>(iItems.size()));
  return iItems[iPos - 1];
}

template <class T>
const T& At(const std::vector<T>& iItems, int iPos, const char* iList) {
  CATCollec::CheckPosition(iList, iPos, static_cast<int>(iItems.size()));
  return iItems[iPos - 1];
}

template <class T>
void InsertAt(std::vector<T>& iItems, int iPos, const T& iValue,
              const char* iList) {
  CATCollec::CheckPosition(iList, iPos, static_cast<int>(iItems.size()) + 1);
  iItems.insert(iItems.begin() + (iPos - 1), iValue);
}

template <class T>
void RemovePosition(std::vector<T>& iItems, int iPos, const char* iList) {
  CATCollec::CheckPosition(iList, iPos, static_cast<int>(iItems.size()));
  iItems.erase(iItems.begin() + (iPos - 1));
}

template <class T>
void Swap(std::vector<T>& iItems, int iPos1, int iPos2, const char* iList) {
  std::swap(At(iItems, iPos1, iList), At(iItems, iPos2, iList));
}

// First position from iFrom on whose item matches; 0 when none.
template <class T, class Match>
int Locate(const std::vector<T>& iItems, int iFrom, Match iMatch) {
  for (size_t i = iFrom < 1 ? 0 : static_cast<size_t>(iFrom - 1);
       i < iItems.size(); ++i) {
    if (iMatch(iItems[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

template <class T>
void RemoveAll(std::vector<T>& iItems, CATCollec::MemoryHandling iMode) {
  iItems.clear();
  if (iMode == CATCollec::ReleaseAllocation) iItems.shrink_to_fit();
}

}  // namespace CATListImpl

#endif  // KRVWD7_HOST_CATLISTIMPL_H_
