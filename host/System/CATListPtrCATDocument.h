// A 1-based list of borrowed document pointers.
//
// The list owns nothing: the documents belong to their session and must
// outlive the list's use of them. Positions run from 1 to Size(); an index
// outside that range aborts the process with a message (see CATCollec.h).
#ifndef KRVWD7_HOST_CATLISTPTRCATDOCUMENT_H_
#define KRVWD7_HOST_CATLISTPTRCATDOCUMENT_H_

#include <vector>

#include "CATCollec.h"

class CATDocument;

class CATListPtrCATDocument {
 public:
  int Size() const { return static_cast<int>(items_.size()); }
  CATDocument*& operator[](int iPos) {
    CATCollec::CheckPosition("CATListPtrCATDocument", iPos, Size());
    return items_[iPos - 1];
  }
  CATDocument* operator[](int iPos) const {
    CATCollec::CheckPosition("CATListPtrCATDocument", iPos, Size());
    return items_[iPos - 1];
  }
  void Append(CATDocument* iDocument) { items_.push_back(iDocument); }
  // The first position from iFrom on holding iDocument; 0 when none.
  int Locate(const CATDocument* iDocument, int iFrom = 1) const {
    for (int i = iFrom < 1 ? 1 : iFrom; i <= Size(); ++i) {
      if (items_[i - 1] == iDocument) return i;
    }
    return 0;
  }
  void RemoveAll(CATCollec::MemoryHandling iMode =
                     CATCollec::ReleaseAllocation) {
    items_.clear();
    if (iMode == CATCollec::ReleaseAllocation) items_.shrink_to_fit();
  }

  std::vector<CATDocument*>::const_iterator begin() const {
    return items_.begin();
  }
  std::vector<CATDocument*>::const_iterator end() const {
    return items_.end();
  }

 private:
  std::vector<CATDocument*> items_;
};

#endif  // KRVWD7_HOST_CATLISTPTRCATDOCUMENT_H_
