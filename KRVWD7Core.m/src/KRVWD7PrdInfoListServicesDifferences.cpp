// Difference identification between a black box and its PSN.
//
// Phase 1 pairs black-box records with PSN records by printable id, phase 2
// finds the PSN records no black-box record carries, phase 3 turns removed
// and added products that VPM reports as replacements into one entry.
//
// The traces are those of plain first-to-last scans, but the scans of
// phases 1 and 2 are answered by hash indexes built once per call (first
// occurrence of each key), so the two phases are linear. Phase 3's
// look-ups trace every comparison, so while a trace sink is on they stay
// scans; with tracing off they use an index as well, which finds the same
// record. Removals from lists are done by one compaction per list, never by
// an erase per removed element.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CATGetEnv.h"
#include "CATIMovable.h"
#include "CATListValCATUnicodeString.h"
#include "CATMathTransformation.h"
#include "CATRawCollint.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTimer.h"
#include "KRVWD7UtiTracer.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::kClinkLength;
using krvwd7_core::kHeadLength;
using krvwd7_core::Trace;
using krvwd7_core::TraceF;
using krvwd7_core::TracePerfo;

namespace {

constexpr double kPositionTolerance = 0.001;
const char kNotReplaced[] = "NotReplaced";

// --- Record fields ----------------------------------------------------------------

CATUnicodeString IdOf(const KRVWD7PrdInfo& iInfo, int iSelector) {
  CATUnicodeString id;
  iInfo.GetPrintableId(id, iSelector);
  return id;
}

CATUnicodeString PathOf(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString path;
  iInfo.GetInstancePath(path, 0);
  return path;
}

CATUnicodeString PartNumberOf(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString part_number;
  iInfo.GetPartNumber(part_number);
  return part_number;
}

CATMathTransformation StoredPosition(const KRVWD7PrdInfo& iInfo) {
  CATMathTransformation position;
  iInfo.GetPosition(position);
  return position;
}

// The position a PSN record is compared with: in a flattened black box the
// product's position in the frame of the PSN root (the stored one when the
// product cannot tell it), otherwise the stored one.
CATMathTransformation PSNPosition(const KRVWD7PrdInfo& iInfo,
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

bool Similar(const CATMathTransformation& iFirst,
             const CATMathTransformation& iSecond) {
  return KRVWD7UtiPrdServices::IsSimilarPosition(iFirst, iSecond,
                                                 kPositionTolerance) != 0;
}

// "VERSION/REVISION", "VERSION" or "REVISION" when iFirst and iSecond
// differ that way, null when both agree.
const char* VersionDifference(const KRVWD7PrdInfo& iFirst,
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

// "ALTCUSTO": both records name their document's component and the two
// names differ.
bool IsAlternateCustomization(const KRVWD7PrdInfo& iFirst,
                              const KRVWD7PrdInfo& iSecond) {
  CATUnicodeString compid1, compid2;
  iFirst.GetDocCompid(compid1);
  iSecond.GetDocCompid(compid2);
  return compid1.GetLengthInChar() > 0 && compid2.GetLengthInChar() > 0 &&
         compid1 != compid2;
}

// --- Printable ids --------------------------------------------------------------

// Number of whole clinks after the head; the division truncates towards
// zero, so an id shorter than its head counts 0 or fewer.
int ClinkCount(const CATUnicodeString& iId) {
  return (iId.GetLengthInByte() - kHeadLength) / kClinkLength;
}

// Clink j (1-based).
CATUnicodeString ClinkAt(const CATUnicodeString& iId, int iJ) {
  return iId.SubString(kHeadLength + kClinkLength * (iJ - 1), kClinkLength);
}

// The environments of a "/"-separated path, read up to the first empty
// token.
std::vector<CATUnicodeString> SplitEnvironments(const CATUnicodeString& iPath) {
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

// A clink table with the first position of each clink, for the inline
// substitution of replaced clinks (what UpdateClink does, without its
// linear search per clink).
class ClinkTable {
 public:
  ClinkTable(const CATListValCATUnicodeString& iClinks,
             const CATListValCATUnicodeString& iReplacing)
      : replacing_(iReplacing) {
    for (int k = 1; k <= iClinks.Size(); ++k) {
      first_.emplace(iClinks[k].ToStdString(), k);
    }
  }

  // iId with each clink found in the table replaced by its replacing clink
  // unless that is "NotReplaced"; the head is kept.
  CATUnicodeString Update(const CATUnicodeString& iId) const {
    const int length = iId.GetLengthInChar();
    CATUnicodeString updated = iId.SubString(0, kHeadLength);
    for (int p = kHeadLength; p < length; p += kClinkLength) {
      const CATUnicodeString clink = iId.SubString(p, kClinkLength);
      auto found = first_.find(clink.ToStdString());
      const int k = found == first_.end() ? 0 : found->second;
      if (k != 0 && k <= replacing_.Size() && replacing_[k] != kNotReplaced) {
        updated += replacing_[k];
      } else {
        updated += clink;
      }
    }
    return updated;
  }

 private:
  const CATListValCATUnicodeString& replacing_;
  std::unordered_map<std::string, int> first_;
};

// --- Indexes ----------------------------------------------------------------------

size_t HashOf(const CATUnicodeString& iId) {
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

// The look-up by printable id (selector 0) of the list services: the first
// record whose id is iId. With a trace sink on, a scan that traces every
// comparison as GetPrdInfo does; with tracing off, an index built on first
// use. REQUIRES: the list does not change while the look-up is used.
class TracedIdLookUp {
 public:
  explicit TracedIdLookUp(const CATListValKRVWD7PrdInfo& iList)
      : list_(iList) {}

  // The position found, 0 when none. REQUIRES: iId is not empty.
  int Find(const CATUnicodeString& iId) {
    if (!KRVWD7UtiTracer::IsOn()) {
      if (!index_) index_.reset(new IdIndex(list_, 0));
      return index_->Find(iId);
    }
    TraceF("Nb of product=%d", list_.Size());
    for (int i = 1; i <= list_.Size(); ++i) {
      const CATUnicodeString id = IdOf(list_[i], 0);
      Trace("Comparaison : ");
      TraceF("c1=%s", id.ConvertToChar());
      TraceF("c2=%s", iId.ConvertToChar());
      if (id == iId) {
        Trace("c1 == c2 FOUND");
        return i;
      }
      Trace("c1 != c2 CONTINUE");
    }
    return 0;
  }

 private:
  const CATListValKRVWD7PrdInfo& list_;
  std::unique_ptr<IdIndex> index_;  // built on first use, tracing off
};

// --- Removing marked positions ------------------------------------------------

void Truncate(CATListValKRVWD7PrdInfo& ioList, int iSize) {
  ioList.Size(iSize, nullptr);
}

void Truncate(CATListValCATUnicodeString& ioList, int iSize) {
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

std::vector<int> SortedDistinct(std::vector<int> iMarks) {
  std::sort(iMarks.begin(), iMarks.end());
  iMarks.erase(std::unique(iMarks.begin(), iMarks.end()), iMarks.end());
  return iMarks;
}

// --- Phase 3: classification of a removed/added pair --------------------------

// The entry lists that phase 3 rewrites, the marks of one call, and the
// classification rules both replaced-product methods share.
class Pairing {
 public:
  Pairing(const CATBaseUnknown_var& iPSNRoot, unsigned char iIsFlatten,
          CATListValKRVWD7PrdInfo& ioIndexinListBB,
          CATListValKRVWD7PrdInfo& ioIndexinListPSN,
          CATListValCATUnicodeString& ioDiffTypeList, int& ioNbDiff)
      : psn_root_(iPSNRoot),
        is_flatten_(iIsFlatten),
        bb_(ioIndexinListBB),
        psn_(ioIndexinListPSN),
        types_(ioDiffTypeList),
        nb_diff_(ioNbDiff),
        bb_index_(ioIndexinListBB) {}

  void MarkAdded(int iPos) { added_marks_.push_back(iPos); }

  // r's own link was kept; the pair was found through a replaced ancestor.
  // Rewrites the first entry of r when it is still "REMOVED".
  void NotReplaced(const KRVWD7PrdInfo& iRemoved, const KRVWD7PrdInfo& iAdded) {
    const int k = bb_index_.Find(iRemoved);
    if (k == 0 || types_[k] != "REMOVED") return;
    const CATMathTransformation added_position = AddedPosition(iAdded);
    if (PartNumberOf(iRemoved) != PartNumberOf(iAdded)) {
      CheckPosition(iRemoved, iAdded, added_position);
      return;
    }
    if (const char* type = VersionDifference(iRemoved, iAdded)) {
      Write(k, type, iRemoved, iAdded);
      CheckPosition(iRemoved, iAdded, added_position);
    } else if (Similar(StoredPosition(iRemoved), added_position)) {
      entry_marks_.push_back(k);  // nothing about the product changed
    } else {
      Write(k, "POSITION", iRemoved, iAdded);
    }
  }

  // r was replaced by a: entry k becomes the replacement's entry.
  // iBeforeFormat names the list in the "(before)" trace.
  void Replaced(int iK, const KRVWD7PrdInfo& iRemoved,
                const KRVWD7PrdInfo& iAdded, const char* iBeforeFormat) {
    TraceF("IndexInDiffTypeList=%d", iK);
    TraceF(iBeforeFormat, types_[iK].ConvertToChar());
    types_.Replace(iK, "REPLACE");
    const CATMathTransformation added_position = AddedPosition(iAdded);
    if (PartNumberOf(iRemoved) != PartNumberOf(iAdded)) {
      TraceAfter("REPLACE");
      CheckPosition(iRemoved, iAdded, added_position);
    } else if (const char* type = VersionDifference(iRemoved, iAdded)) {
      types_.Replace(iK, type);
      TraceAfter(type);
      CheckPosition(iRemoved, iAdded, added_position);
    } else {
      const char* same = Similar(StoredPosition(iRemoved), added_position)
                             ? "IDCHANGE"
                             : "POSITION";
      types_.Replace(iK, same);
      TraceAfter(same);
    }
    bb_.Replace(iK, iRemoved);
    psn_.Replace(iK, iAdded);
  }

  // Removes the marked added records, each position once.
  void RemoveMarkedAdded(CATListValKRVWD7PrdInfo& ioAddedList) {
    const std::vector<int> marks = SortedDistinct(added_marks_);
    RemovePositions(ioAddedList, marks);
    nb_diff_ -= static_cast<int>(marks.size());
  }

  // Removes the marked entries from the three entry lists. A position
  // marked twice is one entry, removed once.
  void RemoveMarkedEntries() {
    const std::vector<int> marks = SortedDistinct(entry_marks_);
    RemovePositions(types_, marks);
    RemovePositions(bb_, marks);
    RemovePositions(psn_, marks);
    nb_diff_ -= static_cast<int>(marks.size());
  }

 private:
  CATMathTransformation AddedPosition(const KRVWD7PrdInfo& iAdded) const {
    return PSNPosition(iAdded, psn_root_, is_flatten_);
  }

  void TraceAfter(const char* iType) {
    TraceF("iDiffTypeList[IndexInDiffTypeList]=%s (after)", iType);
  }

  // Entry k := (iType, r, a). r is equal to the record at k (k was found
  // from r), so the index of the black-box side stays valid.
  void Write(int iK, const char* iType, const KRVWD7PrdInfo& iRemoved,
             const KRVWD7PrdInfo& iAdded) {
    types_.Replace(iK, iType);
    bb_.Replace(iK, iRemoved);
    psn_.Replace(iK, iAdded);
    TraceAfter(iType);
  }

  // Appends ("POSITION", r, a) when the two positions are not similar.
  void CheckPosition(const KRVWD7PrdInfo& iRemoved, const KRVWD7PrdInfo& iAdded,
                     const CATMathTransformation& iAddedPosition) {
    if (Similar(StoredPosition(iRemoved), iAddedPosition)) return;
    types_.Append("POSITION");
    bb_.Append(iRemoved);
    psn_.Append(iAdded);
    bb_index_.Add(iRemoved, bb_.Size());
    ++nb_diff_;
  }

  const CATBaseUnknown_var& psn_root_;
  const unsigned char is_flatten_;
  CATListValKRVWD7PrdInfo& bb_;
  CATListValKRVWD7PrdInfo& psn_;
  CATListValCATUnicodeString& types_;
  int& nb_diff_;
  EqualityIndex bb_index_;  // first entry of each black-box record
  std::vector<int> added_marks_;
  std::vector<int> entry_marks_;
};

// Adds, for a flattened black box, the ancestor clinks 1 to iCount - 1 of
// iId (walked from the lowest up) that are neither in iOwn nor already in
// ioAncestors; ioAncestorEnvs gets the environment of each when given.
void GatherAncestors(const CATUnicodeString& iId, int iCount,
                     const std::unordered_set<std::string>& iOwn,
                     const std::vector<CATUnicodeString>* iEnvironments,
                     std::unordered_set<std::string>& ioSeen,
                     CATListValCATUnicodeString& ioAncestors,
                     CATListValCATUnicodeString* ioAncestorEnvs) {
  for (int j = iCount - 1; j >= 1; --j) {
    const CATUnicodeString clink = ClinkAt(iId, j);
    const std::string& key = clink.ToStdString();
    if (iOwn.count(key) != 0 || ioSeen.count(key) != 0) continue;
    ioSeen.insert(key);
    ioAncestors.Append(clink);
    if (ioAncestorEnvs) ioAncestorEnvs->Append((*iEnvironments)[j - 1]);
  }
}

// The outputs of one comparison, as its caller handed them.
struct DiffOutputs {
  CATListValKRVWD7PrdInfo& inBB;
  CATListValKRVWD7PrdInfo& inPSN;
  CATListValKRVWD7PrdInfo& added;
  CATListValCATUnicodeString& types;
  int& count;

  void Append(const char* iType, const KRVWD7PrdInfo& iB,
              const KRVWD7PrdInfo& iP) {
    types.Append(iType);
    inBB.Append(iB);
    inPSN.Append(iP);
    ++count;
  }
};

// Marks that phase 1 leaves on the PSN records that are the first of their
// id (1-based): inBB when a black-box record carries that id, paired when
// an entry was made with that record. Phase 2 reads them instead of
// searching lists.
struct PsnMarks {
  explicit PsnMarks(int iSize)
      : inBB(static_cast<size_t>(iSize) + 1, 0),
        paired(static_cast<size_t>(iSize) + 1, 0) {}
  std::vector<char> inBB;
  std::vector<char> paired;
};

// Phase 1: each black-box record is paired with the first PSN record of
// its id; an unpaired one is a "REMOVED" entry (and goes to the removed
// list), a pair whose version, revision, document or position differs
// makes its entries.
void IdentifyRemovedAndChanged(const CATBaseUnknown_var& iPSNRoot,
                               const CATListValKRVWD7PrdInfo& iListBB,
                               const CATListValKRVWD7PrdInfo& iListPSN,
                               const IdIndex& iPsnIds, int iBBType,
                               unsigned char iIsFlatten, DiffOutputs& ioOut,
                               PsnMarks& ioMarks,
                               CATListValKRVWD7PrdInfo& oRemovedList,
                               CATRawCollint& oRemovedEntryIndexes,
                               krvwd7_core::ScopedProgress& ioProgress) {
  VisitHashed(iListBB, iBBType, iPsnIds,
              [&](int i, const CATUnicodeString& iId, size_t iHash) {
    const KRVWD7PrdInfo& b = iListBB[i];
    const int found = iPsnIds.Find(iId, iHash);
    if (found == 0) {
      ioOut.Append("REMOVED", b, b);
      oRemovedList.Append(b);
      oRemovedEntryIndexes.Append(ioOut.types.Size());
    } else {
      const size_t mark = static_cast<size_t>(found);
      ioMarks.inBB[mark] = 1;
      const KRVWD7PrdInfo& p = iListPSN[found];
      const char* type = VersionDifference(b, p);
      if (type == nullptr && IsAlternateCustomization(b, p)) type = "ALTCUSTO";
      if (type != nullptr) {
        ioOut.Append(type, b, p);
        ioMarks.paired[mark] = 1;
      }
      if (!Similar(StoredPosition(b), PSNPosition(p, iPSNRoot, iIsFlatten))) {
        ioOut.Append("POSITION", b, p);
        ioMarks.paired[mark] = 1;
      }
    }
    ioProgress.Step();
  });
}

// Phase 2: the PSN records that no black-box record carries are added
// products (in a flattened black box only leaves count). A PSN record with
// an id is in the entries exactly when the first record of its id was
// paired: every entry so far holds a PSN record found by id, or a removed
// black-box record whose id no PSN record carries. Records without an id
// compare by instance path, so those are looked up among the entries.
void IdentifyAdded(const CATListValKRVWD7PrdInfo& iListPSN,
                   const IdIndex& iPsnIds, int iNbBB, unsigned char iIsFlatten,
                   const PsnMarks& iMarks, DiffOutputs& ioOut,
                   krvwd7_core::ScopedProgress& ioProgress) {
  const EqualityIndex entries(ioOut.inPSN);
  const int first_without_id = iPsnIds.Find(CATUnicodeString());
  for (int j = 1; j <= iListPSN.Size(); ++j) {
    const KRVWD7PrdInfo& p = iListPSN[j];
    const size_t first = static_cast<size_t>(iPsnIds.FirstOf(j));
    const bool skip = static_cast<int>(first) == first_without_id
                          ? entries.Find(p) != 0
                          : iMarks.paired[first] != 0;
    if (skip) {
      TraceF("%d > Skip (already in oIndexinListPSN)", j);
      continue;
    }
    if (iMarks.inBB[first] != 0) {
      TraceF("%d > Not an added product", j);
    } else {
      TraceF("%d > An added product", j);
      int node_type = 0;
      p.GetNodeType(node_type);
      const bool leaf = node_type == 4 || node_type == 5 || node_type == 9;
      if (iNbBB == 0 || iIsFlatten == 0 || leaf) {
        ioOut.added.Append(p);
        ++ioOut.count;
      }
    }
    ioProgress.Step();
  }
}

}  // namespace

// --- RetrieveDifferences --------------------------------------------------------

HRESULT KRVWD7PrdInfoListServices::RetrieveDifferences(
    const CATBaseUnknown_var& iPSNRoot, const CATListValKRVWD7PrdInfo& iListBB,
    const CATListValKRVWD7PrdInfo& iListPSN,
    CATListValKRVWD7PrdInfo& oIndexinListBB,
    CATListValKRVWD7PrdInfo& oIndexinListPSN,
    CATListValKRVWD7PrdInfo& oAddedList,
    CATListValCATUnicodeString& oDiffTypeList, int& oNbDiff, int iBBType,
    unsigned char iIsFlatten) {
  Trace(">> KRVWD7PrdInfoListServices::RetrieveDifferences");
  KRVWD7UtiTimer total_timer;
  oNbDiff = 0;
  oDiffTypeList.RemoveAll();
  oIndexinListPSN.RemoveAll();
  oIndexinListBB.RemoveAll();
  oAddedList.RemoveAll();

  const int nb_bb = iListBB.Size();
  const int nb_psn = iListPSN.Size();
  TraceF("Number of product in the BB=%d", nb_bb);
  TraceF("Number of product in the PSN=%d", nb_psn);

  krvwd7_core::ScopedProgress progress("BlackBoxSynchronizationProgress",
                                       "KRVWD7CoreServices",
                                       "BlackBoxDiffIdentificationInProgress");
  progress.Init(1, nb_bb + nb_psn, 1);
  DiffOutputs out{oIndexinListBB, oIndexinListPSN, oAddedList, oDiffTypeList,
                  oNbDiff};
  const IdIndex psn_ids(iListPSN, 1);
  PsnMarks marks(nb_psn);

  Trace("Identification of removed products in the WP (start)");
  KRVWD7UtiTimer phase1_timer;
  CATListValKRVWD7PrdInfo removed_list;
  CATRawCollint removed_entry_indexes;
  IdentifyRemovedAndChanged(iPSNRoot, iListBB, iListPSN, psn_ids, iBBType,
                            iIsFlatten, out, marks, removed_list,
                            removed_entry_indexes, progress);
  TracePerfo(
      "[PERFO] <Differences Identification> <1 Identification of removed "
      "products in the WP> = [%s]",
      phase1_timer);
  Trace("Identification of removed products in the WP (end)");

  Trace("Identification of added products in the PSN (start)");
  TraceF("Size of oIndexinListPSN=%d", oIndexinListPSN.Size());
  KRVWD7UtiTimer phase2_timer;
  IdentifyAdded(iListPSN, psn_ids, nb_bb, iIsFlatten, marks, out, progress);
  TracePerfo(
      "[PERFO] <Differences Identification> <2 Identification of added "
      "products in the PSN> = [%s]",
      phase2_timer);
  Trace("Identification of added products in the PSN (end)");

  // Phase 3: replaced products.
  HRESULT rc;
  if (CATGetEnv("KRV_WD7_RETRIEVEDIFFERENCES2") != nullptr) {
    rc = RetrieveDifferences2(iPSNRoot, removed_list, oAddedList,
                              removed_entry_indexes, oIndexinListBB,
                              oIndexinListPSN, oDiffTypeList, oNbDiff, iBBType,
                              iIsFlatten);
  } else {
    rc = RetrieveDifferences1(iPSNRoot, removed_list, oAddedList,
                              removed_entry_indexes, oIndexinListBB,
                              oIndexinListPSN, oDiffTypeList, oNbDiff, iBBType,
                              iIsFlatten);
  }

  progress.End();
  TracePerfo("[PERFO] <Differences Identification> Total time = [%s]",
             total_timer);
  Trace("<< KRVWD7PrdInfoListServices::RetrieveDifferences");
  return rc;
}

// --- First method: from the removed records -----------------------------------

HRESULT KRVWD7PrdInfoListServices::RetrieveDifferences1(
    const CATBaseUnknown_var& iPSNRoot, CATListValKRVWD7PrdInfo& iRemovedList,
    CATListValKRVWD7PrdInfo& oAddedList, CATRawCollint& iRemovedEntryIndexes,
    CATListValKRVWD7PrdInfo& oIndexinListBB,
    CATListValKRVWD7PrdInfo& oIndexinListPSN,
    CATListValCATUnicodeString& oDiffTypeList, int& oNbDiff, int iBBType,
    unsigned char iIsFlatten) {
  Trace("Identification of replaced products in the WP (start)");
  KRVWD7UtiTimer method_timer;
  KRVWD7UtiTimer step_timer;

  // 3.1 The clink table: the own clink of each removed component, then
  // (flattened black boxes) the ancestor clinks, with their environments.
  CATListValCATUnicodeString clinks;
  CATListValCATUnicodeString environments;
  CATListValCATUnicodeString ancestors;
  CATListValCATUnicodeString ancestor_environments;
  std::unordered_set<std::string> own_clinks;
  std::unordered_set<std::string> ancestor_clinks;
  const int nb_removed = iRemovedList.Size();
  for (int i = 1; i <= nb_removed; ++i) {
    const KRVWD7PrdInfo& r = iRemovedList[i];
    CATBaseUnknown_var product;
    r.GetProduct(product);
    if (!product) continue;
    const CATUnicodeString id = IdOf(r, iBBType);
    CATUnicodeString env_path;
    if (FAILED(KRVWD7UtiPrdServices::GetProperty(product, "BBVpmEnv",
                                                 env_path))) {
      env_path = "";
    }
    if (env_path.GetLengthInChar() == 0 || id.GetLengthInChar() == 0) {
      clinks.Append("");
      environments.Append("");
      continue;
    }
    const int count = ClinkCount(id);
    const std::vector<CATUnicodeString> envs = SplitEnvironments(env_path);
    if (count != static_cast<int>(envs.size()) - 1) continue;
    if (count < 1) {
      // No own clink to send: a placeholder keeps the table in step.
      clinks.Append("");
      environments.Append("");
      continue;
    }
    const CATUnicodeString own = ClinkAt(id, count);
    clinks.Append(own);
    environments.Append(envs[count - 1]);
    own_clinks.insert(own.ToStdString());
    if (iIsFlatten == 1) {
      GatherAncestors(id, count, own_clinks, &envs, ancestor_clinks, ancestors,
                      &ancestor_environments);
    }
  }
  clinks.Append(ancestors);
  environments.Append(ancestor_environments);
  CATListValCATUnicodeString replacing;
  const HRESULT rc =
      KRVWD7UtiVPMServices::GetReplacingClinks(clinks, environments, replacing);
  TracePerfo(
      "[PERFO] <Differences Identification> <3.1 GetReplacingClinks> = [%s]",
      step_timer);

  if (FAILED(rc) || replacing.Size() < nb_removed) {
    Trace("GetReplacingClinks() FAILED");
  } else {
    Trace("GetReplacingClinks() SUCCEEDED");
    // 3.2 Matching, from the last removed record to the first.
    KRVWD7UtiTimer match_timer;
    const ClinkTable table(clinks, replacing);
    TracedIdLookUp added_look_up(oAddedList);
    Pairing pairing(iPSNRoot, iIsFlatten, oIndexinListBB, oIndexinListPSN,
                    oDiffTypeList, oNbDiff);
    for (int i = nb_removed; i >= 1; --i) {
      const CATUnicodeString& rep = replacing[i];
      const KRVWD7PrdInfo& r = iRemovedList[i];
      const CATUnicodeString cur = IdOf(r, iBBType);
      const CATUnicodeString upd = table.Update(cur);
      TraceF("Deleted element has a Current CLink=%s", cur.ConvertToChar());
      TraceF(
          "Try to find a matching product in the added list with the Updated "
          "Clink=%s",
          upd.ConvertToChar());
      const int found = upd.GetLengthInChar() > 0 ? added_look_up.Find(upd) : 0;
      if (found == 0) {
        Trace("-> Product NOT found in the added list");
        continue;
      }
      Trace("-> Product found in the added list");
      // The first record equal to a is a itself: ids are not empty here and
      // the look-up returned the first record with that id.
      const KRVWD7PrdInfo& a = oAddedList[found];
      if (rep == kNotReplaced) {
        pairing.MarkAdded(found);
        pairing.NotReplaced(r, a);
      } else {
        pairing.Replaced(iRemovedEntryIndexes[i], r, a,
                         "oDiffTypeList[IndexInDiffTypeList]=%s (before)");
        pairing.MarkAdded(found);
      }
    }
    TracePerfo(
        "[PERFO] <Differences Identification> <3.2 Matching of removed/added "
        "products as replaced products> = [%s]",
        match_timer);

    KRVWD7UtiTimer added_timer;
    pairing.RemoveMarkedAdded(oAddedList);
    TracePerfo(
        "[PERFO] <Differences Identification> <3.3 Update of the list of added "
        "products> = [%s]",
        added_timer);

    KRVWD7UtiTimer removed_timer;
    pairing.RemoveMarkedEntries();
    TracePerfo(
        "[PERFO] <Differences Identification> <3.4 Update of the list of "
        "removed products> = [%s]",
        removed_timer);
  }

  TracePerfo(
      "[PERFO] <Differences Identification> <3 Identification of replaced "
      "products in the WP> = [%s]",
      method_timer);
  Trace("Identification of replaced products in the WP (end)");
  return rc;
}

// --- Second method: from the added records -------------------------------------

HRESULT KRVWD7PrdInfoListServices::RetrieveDifferences2(
    const CATBaseUnknown_var& iPSNRoot, CATListValKRVWD7PrdInfo& iRemovedList,
    CATListValKRVWD7PrdInfo& oAddedList, CATRawCollint& iRemovedEntryIndexes,
    CATListValKRVWD7PrdInfo& oIndexinListBB,
    CATListValKRVWD7PrdInfo& oIndexinListPSN,
    CATListValCATUnicodeString& oDiffTypeList, int& oNbDiff, int iBBType,
    unsigned char iIsFlatten) {
  Trace("Identification of replaced products in the WP-Impl2 (start)");
  KRVWD7UtiTimer step_timer;
  Trace(
      "COID        ENV      TABLE     COID_FAT     ENV_FAT    TABLE_FAT      "
      "LINK");

  // 3.1 The link table: the own link of each added product with its
  // father's identifiers, and the old clinks it may replace.
  CATListValCATUnicodeString new_links;
  CATListValCATUnicodeString father_coids;
  CATListValCATUnicodeString father_envs;
  const int nb_added = oAddedList.Size();
  for (int i = 1; i <= nb_added; ++i) {
    const KRVWD7PrdInfo& a = oAddedList[i];
    const CATUnicodeString id = IdOf(a, iBBType);
    CATBaseUnknown_var product;
    a.GetProduct(product);
    CATUnicodeString coid, env, table, coid_fat, env_fat, table_fat, link;
    if (product) {
      a.GetVPMInfo(product, coid, env, table, coid_fat, env_fat, table_fat,
                   link);
    }
    TraceF("[%s][%s][%s] [%s][%s][%s][%s]", coid.ConvertToChar(),
           env.ConvertToChar(), table.ConvertToChar(), coid_fat.ConvertToChar(),
           env_fat.ConvertToChar(), table_fat.ConvertToChar(),
           link.ConvertToChar());
    father_coids.Append(coid_fat);
    father_envs.Append(env_fat);
    const int count = ClinkCount(id);
    const bool usable = product && env.GetLengthInChar() > 0 &&
                        id.GetLengthInChar() > 0 && count >= 1;
    new_links.Append(usable ? ClinkAt(id, count) : CATUnicodeString());
  }

  CATListValCATUnicodeString old_clinks;
  CATListValCATUnicodeString ancestors;
  std::unordered_set<std::string> own_clinks;
  std::unordered_set<std::string> ancestor_clinks;
  for (int i = 1; i <= iRemovedList.Size(); ++i) {
    const CATUnicodeString id = IdOf(iRemovedList[i], iBBType);
    const int count = ClinkCount(id);
    const CATUnicodeString own = count >= 1 ? ClinkAt(id, count)
                                            : CATUnicodeString();
    old_clinks.Append(own);
    own_clinks.insert(own.ToStdString());
    if (iIsFlatten == 1) {
      GatherAncestors(id, count, own_clinks, nullptr, ancestor_clinks,
                      ancestors, nullptr);
    }
  }
  old_clinks.Append(ancestors);

  CATListValCATUnicodeString replaced;
  const HRESULT rc = KRVWD7UtiVPMServices::GetReplacingClinks2(
      new_links, father_coids, father_envs, old_clinks, replaced);
  TracePerfo(
      "[PERFO] <Differences Identification> <3.1 GetReplacingClinks2> = [%s]",
      step_timer);
  if (FAILED(rc) || replaced.Size() != new_links.Size()) {
    Trace("GetReplacingClinks2() FAILED");
    return rc;
  }
  Trace("GetReplacingClinks2() SUCCEEDED");

  // 3.2 Matching, from the last added record to the first.
  const ClinkTable table(new_links, replaced);
  TracedIdLookUp removed_look_up(iRemovedList);
  const EqualityIndex added_index(oAddedList);
  Pairing pairing(iPSNRoot, iIsFlatten, oIndexinListBB, oIndexinListPSN,
                  oDiffTypeList, oNbDiff);
  for (int i = nb_added; i >= 1; --i) {
    const CATUnicodeString& rep = replaced[i];
    const KRVWD7PrdInfo& a = oAddedList[i];
    const CATUnicodeString cur = IdOf(a, iBBType);
    const CATUnicodeString upd = table.Update(cur);
    TraceF("PSN element has a Current CLink=%s", cur.ConvertToChar());
    TraceF(
        "Try to find a matching product in the Deleted list with the Updated "
        "Clink=%s",
        upd.ConvertToChar());
    if (upd.GetLengthInChar() == 0) continue;
    // The removed record found is the first one equal to itself (its id is
    // not empty and is the first with that id).
    const int found = removed_look_up.Find(upd);
    if (found == 0) continue;
    Trace("-> Product found in the deleted list");
    const KRVWD7PrdInfo& r = iRemovedList[found];
    pairing.MarkAdded(added_index.Find(a));
    if (rep == kNotReplaced) {
      pairing.NotReplaced(r, a);
    } else {
      pairing.Replaced(iRemovedEntryIndexes[found], r, a,
                       "iDiffTypeList[IndexInDiffTypeList]=%s (before)");
    }
  }
  pairing.RemoveMarkedAdded(oAddedList);
  pairing.RemoveMarkedEntries();
  return rc;
}
