// A 1-based list of object handles; each element holds one reference.
//
// Positions run from 1 to Size(); an index outside that range aborts the
// process with a message (see CATCollec.h). Searches compare handles by
// object identity (handle ==), so two handles of different interfaces on
// the same object are equal, and empty handles equal each other.
#ifndef KRVWD7_HOST_CATLISTVALCATBASEUNKNOWN_VAR_H_
#define KRVWD7_HOST_CATLISTVALCATBASEUNKNOWN_VAR_H_

#include <vector>

#include "CATBaseUnknown.h"
#include "CATCollec.h"

class CATListValCATBaseUnknown_var {
 public:
  typedef std::vector<CATBaseUnknown_var>::iterator iterator;
  typedef std::vector<CATBaseUnknown_var>::const_iterator const_iterator;

  CATListValCATBaseUnknown_var() = default;

  int Size() const { return static_cast<int>(items_.size()); }
  CATBaseUnknown_var& operator[](int iPos);
  const CATBaseUnknown_var& operator[](int iPos) const;

  void Append(const CATBaseUnknown_var& iValue) { items_.push_back(iValue); }
  void Append(const CATListValCATBaseUnknown_var& iOther);
  // Inserts before position iPos (1..Size()+1; Size()+1 appends).
  void InsertAt(int iPos, const CATBaseUnknown_var& iValue);
  void Replace(int iPos, const CATBaseUnknown_var& iValue);

  // The first position from iFrom on holding the same object; 0 when none.
  int Locate(const CATBaseUnknown_var& iValue, int iFrom = 1) const;

  void RemovePosition(int iPos);
  // Removes the first occurrence; its former position, or 0 when absent.
  int RemoveValue(const CATBaseUnknown_var& iValue);
  // Keeps the first handle of every object, in order; returns the number
  // removed.
  int RemoveDuplicates();
  // Releases every handle and empties the list.
  void RemoveAll(CATCollec::MemoryHandling iMode =
                     CATCollec::ReleaseAllocation);

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  std::vector<CATBaseUnknown_var> items_;
};

#endif  // KRVWD7_HOST_CATLISTVALCATBASEUNKNOWN_VAR_H_
