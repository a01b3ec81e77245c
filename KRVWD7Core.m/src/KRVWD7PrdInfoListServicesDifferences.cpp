// Difference identification between a black box and its PSN.
//
// Phase 1 pairs black-box records with PSN records by printable id, phase 2
// finds the PSN records no black-box record carries, phase 3 turns removed
// and added products that VPM reports as replacements into one entry
// (KRVWD7PrdInfoListServicesReplaced.cpp).
//
// The traces are those of plain first-to-last scans, but the scans of
// phases 1 and 2 are answered by hash indexes built once per call (first
// occurrence of each key), so the two phases are linear. Phase 3's
// look-ups trace every comparison, so while a trace sink is on they stay
// scans; with tracing off they use an index as well, which finds the same
// record. Removals from lists are done by one compaction per list, never by
// an erase per removed element.
#include <vector>

#include "CATGetEnv.h"
#include "CATListValCATUnicodeString.h"
#include "CATRawCollint.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7PrdInfoListServicesInternal.h"
#include "KRVWD7UtiTimer.h"
#include "KRVWD7UtiTracer.h"

using krvwd7_core::EqualityIndex;
using krvwd7_core::IdIndex;
using krvwd7_core::PSNPosition;
using krvwd7_core::Similar;
using krvwd7_core::StoredPosition;
using krvwd7_core::Trace;
using krvwd7_core::TraceF;
using krvwd7_core::TracePerfo;
using krvwd7_core::VersionDifference;
using krvwd7_core::VisitHashed;

namespace {

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
