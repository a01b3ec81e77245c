// Helpers of the difference identification between a black box and its
// PSN (not exported), shared by the source of phases 1 and 2
// (KRVWD7PrdInfoListServicesDifferences.cpp) and that of phase 3, the
// replaced products (KRVWD7PrdInfoListServicesReplaced.cpp):
//
// - the fields of a record as values, and the comparisons of two records;
// - the clinks of a printable id and the environments of a path;
// - indexes that answer a first-to-last scan for an equal id or an equal
//   record (first occurrence of each key) without the scan;
// - the removal of many positions of a list in one compaction.
//
// Every index borrows the list it was built on; the list must not change
// while the index is used, except where a class says otherwise.
#ifndef KRVWD7CORE_SRC_KRVWD7PRDINFOLISTSERVICESINTERNAL_H_
#define KRVWD7CORE_SRC_KRVWD7PRDINFOLISTSERVICESINTERNAL_H_

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "CATIMovable.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATMathTransformation.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7UtiPrdServices.h"

namespace krvwd7_core {

// The tolerance of the position comparison.
constexpr double kPositionTolerance = 0.001;

// --- Record fields ----------------------------------------------------------------

inline CATUnicodeString IdOf(const KRVWD7PrdInfo& iInfo, int iSelector) {
  CATUnicodeString id;
  iInfo.GetPrintableId(id, iSelector);
  return id;
}

inline CATUnicodeString PathOf(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString path;
  iInfo.GetInstancePath(path, 0);
  return path;
}

inline CATUnicodeString PartNumberOf(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString part_number;
  iInfo.GetPartNumber(part_number);
  return part_number;
}

inline CATMathTransformation StoredPosition(const KRVWD7PrdInfo& iInfo) {
  CATMathTransformation position;
  iInfo.GetPosition(position);
  return position;
}

// The position a PSN record is compared with: in a flattened black box the
// product's position in the frame of the PSN root (the stored one when the
// product cannot tell it), otherwise the stored one.
inline CATMathTransformation PSNPosition(const KRVWD7PrdInfo& iInfo,
                                         const CATBaseUnknown_var& iPSNRoot,
                                         unsigned char iIsFlatten) {
  CATMathTransformation position = StoredPosition(iInfo);
  if (iIsFlatten != 1) return position;
  CATBaseUnknown_var product;
  iInfo.GetProduct(product);
  CATIMovable_var movable(product);
  if (!movable) return position;
  CATIMovable_var reference(iPSNRoot);
  CATMathTransformation relative;
  if (SUCCEEDED(movable->GetPosition(relative, reference, 0, 1))) {
    position = relative;
  }
  return position;
}

inline bool Similar(const CATMathTransformation& iFirst,
                    const CATMathTransformation& iSecond) {
  return KRVWD7UtiPrdServices::IsSimilarPosition(iFirst, iSecond,
                                                 kPositionTolerance) != 0;
}

// "VERSION/REVISION", "VERSION" or "REVISION" when iFirst and iSecond
// differ that way, null when both agree.
inline const char* VersionDifference(const KRVWD7PrdInfo& iFirst,
                                     const KRVWD7PrdInfo& iSecond) {
  CATUnicodeString version1, version2, revision1, revision2;
  iFirst.GetVersion(version1);
  iSecond.GetVersion(version2);
  iFirst.GetRevision(revision1);
  iSecond.GetRevision(revision2);
  const bool versions = version1 != version2;
  const bool revisions = revision1 != revision2;
  if (versions && revisions) return "VERSION/REVISION";
  if (versions) return "VERSION";
  if (revisions) return "REVISION";
  return nullptr;
}

// --- Printable ids --------------------------------------------------------------

// Number of whole clinks after the head; the division truncates towards
// zero, so an id shorter than its head counts 0 or fewer.
inline int ClinkCount(const CATUnicodeString& iId) {
  return (iId.GetLengthInByte() - kHeadLength) / kClinkLength;
}

// Clink j (1-based).
inline CATUnicodeString ClinkAt(const CATUnicodeString& iId, int iJ) {
  return iId.SubString(kHeadLength + kClinkLength * (iJ - 1), kClinkLength);
}

// The environments of a "/"-separated path, read up to the first empty
// token.
inline std::vector<CATUnicodeString> SplitEnvironments(
    const CATUnicodeString& iPath) {
  std::vector<CATUnicodeString> environments;
  const std::string& text = iPath.ToStdString();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    if (end == start) break;
    environments.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return environments;
}

// --- Indexes ----------------------------------------------------------------------

inline size_t HashOf(const CATUnicodeString& iId) {
  return std::hash<std::string>()(iId.ToStdString());
}

class IdIndex;
template <class Visit>
void VisitHashed(const CATListValKRVWD7PrdInfo& iList, int iSelector,
                 const IdIndex& iIndex, Visit&& iVisit);

// First position of each printable id (any text, the empty one included)
// of a list: the answer of a first-to-last scan for an equal id. An open-
// addressing table of (hash tag, position) pairs, 8 bytes a slot at most
// half full, so that large lists stay cache friendly; a matching tag is
// confirmed against the record's id. Also answers, for every position, the
// first position carrying the same id.
// REQUIRES: the list does not change while the index is used.
class IdIndex {
 public:
  IdIndex(const CATListValKRVWD7PrdInfo& iList, int iSelector)
      : list_(iList), selector_(iSelector) {
    size_t capacity = 16;
    while (capacity < 2 * static_cast<size_t>(iList.Size())) capacity *= 2;
    mask_ = capacity - 1;
    slots_.assign(capacity, Slot());
    first_of_.assign(static_cast<size_t>(iList.Size()) + 1, 0);
    VisitHashed(iList, iSelector, *this,
                [this](int iPos, const CATUnicodeString& iId, size_t iHash) {
                  first_of_[static_cast<size_t>(iPos)] = Insert(iId, iHash, iPos);
                });
  }

  // 0 when no record carries iId; iHash is HashOf(iId).
  int Find(const CATUnicodeString& iId, size_t iHash) const {
    return slots_[Probe(iId, iHash)].pos;
  }
  int Find(const CATUnicodeString& iId) const { return Find(iId, HashOf(iId)); }

  // The first position whose record carries the id of the record at iPos.
  int FirstOf(int iPos) const { return first_of_[static_cast<size_t>(iPos)]; }

  // Asks for the slot a later Find(.., iHash) starts at.
  void Prefetch(size_t iHash) const { __builtin_prefetch(&slots_[iHash & mask_]); }

 private:
  struct Slot {
    uint32_t tag = 0;
    int32_t pos = 0;  // 0: empty
  };
  static uint32_t Tag(size_t iHash) {
    return static_cast<uint32_t>(static_cast<uint64_t>(iHash) >> 32);
  }
  // The record's id, read into a buffer reused from call to call.
  const CATUnicodeString& IdAt(int iPos) const {
    list_[iPos].GetPrintableId(scratch_, selector_);
    return scratch_;
  }
  // The slot that holds iId, or the empty slot where it belongs.
  size_t Probe(const CATUnicodeString& iId, size_t iHash) const {
    const uint32_t tag = Tag(iHash);
    size_t at = iHash & mask_;
    while (slots_[at].pos != 0 &&
           !(slots_[at].tag == tag && IdAt(slots_[at].pos) == iId)) {
      at = (at + 1) & mask_;
    }
    return at;
  }
  // Keeps the first position of an id; answers the position kept for iId.
  int Insert(const CATUnicodeString& iId, size_t iHash, int iPos) {
    Slot& slot = slots_[Probe(iId, iHash)];
    if (slot.pos == 0) slot = Slot{Tag(iHash), iPos};
    return slot.pos;
  }

  const CATListValKRVWD7PrdInfo& list_;
  const int selector_;
  size_t mask_ = 0;
  std::vector<Slot> slots_;
  std::vector<int> first_of_;          // by position, element 0 unused
  mutable CATUnicodeString scratch_;   // IdAt's buffer
};

// Calls iVisit(position, id, hash) for each record of iList in order. The
// ids are hashed a chunk ahead and iIndex is asked for the slot of each,
// so that a visit finds its slot, and its record, in the cache: random
// slots of a large table otherwise miss the caches at every record.
template <class Visit>
void VisitHashed(const CATListValKRVWD7PrdInfo& iList, int iSelector,
                 const IdIndex& iIndex, Visit&& iVisit) {
  constexpr int kChunk = 32;
  size_t hashes[kChunk];
  CATUnicodeString id;  // reused, so that no id is copied to the heap
  for (int base = 1; base <= iList.Size(); base += kChunk) {
    const int end = std::min(iList.Size(), base + kChunk - 1);
    for (int i = base; i <= end; ++i) {
      iList[i].GetPrintableId(id, iSelector);
      hashes[i - base] = HashOf(id);
      iIndex.Prefetch(hashes[i - base]);
    }
    for (int i = base; i <= end; ++i) {
      iList[i].GetPrintableId(id, iSelector);
      iVisit(i, id, hashes[i - base]);
    }
  }
}

// First position of the records equal to a value by record equality:
// printable ids when both have one, instance paths when neither has one.
// Records with an id and records without never meet, so they are kept in
// two tables. Gives exactly what CATListValKRVWD7PrdInfo::Locate gives,
// provided records are only appended (or replaced by equal records).
class EqualityIndex {
 public:
  EqualityIndex() = default;
  explicit EqualityIndex(const CATListValKRVWD7PrdInfo& iList) {
    for (int i = 1; i <= iList.Size(); ++i) Add(iList[i], i);
  }
  void Add(const KRVWD7PrdInfo& iInfo, int iPos) {
    CATUnicodeString id = IdOf(iInfo, 0);
    if (id.GetLengthInChar() > 0) {
      by_id_.emplace(std::move(id), iPos);
    } else {
      by_path_.emplace(PathOf(iInfo), iPos);
    }
  }
  int Find(const KRVWD7PrdInfo& iInfo) const {
    const CATUnicodeString id = IdOf(iInfo, 0);
    if (id.GetLengthInChar() > 0) return Lookup(by_id_, id);
    return Lookup(by_path_, PathOf(iInfo));
  }

 private:
  typedef std::unordered_map<CATUnicodeString, int> Table;
  static int Lookup(const Table& iTable, const CATUnicodeString& iKey) {
    auto found = iTable.find(iKey);
    return found == iTable.end() ? 0 : found->second;
  }

  Table by_id_;
  Table by_path_;
};

// --- Removing marked positions ------------------------------------------------

inline void Truncate(CATListValKRVWD7PrdInfo& ioList, int iSize) {
  ioList.Size(iSize, nullptr);
}

inline void Truncate(CATListValCATUnicodeString& ioList, int iSize) {
  while (ioList.Size() > iSize) ioList.RemovePosition(ioList.Size());
}

// Removes the positions iMarks (sorted, distinct, valid) from ioList in one
// pass: the kept elements move forward by swaps, in order, and the tail is
// cut. The same result as removing each mark from the highest down.
template <class List>
void RemovePositions(List& ioList, const std::vector<int>& iMarks) {
  if (iMarks.empty()) return;
  int write = iMarks.front();
  size_t next = 0;
  for (int read = iMarks.front(); read <= ioList.Size(); ++read) {
    if (next < iMarks.size() && iMarks[next] == read) {
      ++next;
      continue;
    }
    if (write != read) ioList.Swap(write, read);
    ++write;
  }
  Truncate(ioList, write - 1);
}

inline std::vector<int> SortedDistinct(std::vector<int> iMarks) {
  std::sort(iMarks.begin(), iMarks.end());
  iMarks.erase(std::unique(iMarks.begin(), iMarks.end()), iMarks.end());
  return iMarks;
}

}  // namespace krvwd7_core

#endif  // KRVWD7CORE_SRC_KRVWD7PRDINFOLISTSERVICESINTERNAL_H_
