// Difference identification, phase 3: removed and added products that VPM
// reports as replacements become one entry.
//
// Two methods: RetrieveDifferences1 asks VPM for the clinks that replace
// those of the removed records, RetrieveDifferences2 for the clinks that
// the added records replace. Each then pairs removed and added records
// whose ids agree once the replaced clinks are substituted, and rewrites
// the entries of phases 1 and 2 (KRVWD7PrdInfoListServicesDifferences.cpp)
// accordingly.
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CATListValCATUnicodeString.h"
#include "CATMathTransformation.h"
#include "CATRawCollint.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7PrdInfoListServicesInternal.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTimer.h"
#include "KRVWD7UtiTracer.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::ClinkAt;
using krvwd7_core::ClinkCount;
using krvwd7_core::EqualityIndex;
using krvwd7_core::IdIndex;
using krvwd7_core::IdOf;
using krvwd7_core::kClinkLength;
using krvwd7_core::kHeadLength;
using krvwd7_core::PartNumberOf;
using krvwd7_core::PSNPosition;
using krvwd7_core::RemovePositions;
using krvwd7_core::Similar;
using krvwd7_core::SortedDistinct;
using krvwd7_core::SplitEnvironments;
using krvwd7_core::StoredPosition;
using krvwd7_core::Trace;
using krvwd7_core::TraceF;
using krvwd7_core::TracePerfo;
using krvwd7_core::VersionDifference;

namespace {

const char kNotReplaced[] = "NotReplaced";

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

  // Update(iId) after the matching step's two trace lines: iCurrentFormat
  // with iId, iUpdatedFormat with the updated id.
  CATUnicodeString TracedUpdate(const CATUnicodeString& iId, const char* iCurrentFormat,
                                const char* iUpdatedFormat) const {
    const CATUnicodeString updated = Update(iId);
    TraceF(iCurrentFormat, iId.ConvertToChar());
    TraceF(iUpdatedFormat, updated.ConvertToChar());
    return updated;
  }

 private:
  const CATListValCATUnicodeString& replacing_;
  std::unordered_map<std::string, int> first_;
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

  // The removed record r and the added record a were found to match
  // through iReplacing, the replacing clink VPM gave: NotReplaced when it
  // is "NotReplaced", else Replaced at entry iK.
  void Pair(const CATUnicodeString& iReplacing, int iK, const KRVWD7PrdInfo& iRemoved,
            const KRVWD7PrdInfo& iAdded, const char* iBeforeFormat) {
    if (iReplacing == kNotReplaced) {
      NotReplaced(iRemoved, iAdded);
    } else {
      Replaced(iK, iRemoved, iAdded, iBeforeFormat);
    }
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

}  // namespace

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
      const KRVWD7PrdInfo& r = iRemovedList[i];
      const CATUnicodeString upd = table.TracedUpdate(
          IdOf(r, iBBType), "Deleted element has a Current CLink=%s",
          "Try to find a matching product in the added list with the Updated "
          "Clink=%s");
      const int found = upd.GetLengthInChar() > 0 ? added_look_up.Find(upd) : 0;
      if (found == 0) {
        Trace("-> Product NOT found in the added list");
        continue;
      }
      Trace("-> Product found in the added list");
      // The added record found is the first one equal to itself (ids are not
      // empty here and the look-up returned the first record with that id),
      // so its own position is the one to mark.
      pairing.MarkAdded(found);
      pairing.Pair(replacing[i], iRemovedEntryIndexes[i], r, oAddedList[found],
                   "oDiffTypeList[IndexInDiffTypeList]=%s (before)");
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
    const KRVWD7PrdInfo& a = oAddedList[i];
    const CATUnicodeString upd = table.TracedUpdate(
        IdOf(a, iBBType), "PSN element has a Current CLink=%s",
        "Try to find a matching product in the Deleted list with the Updated "
        "Clink=%s");
    if (upd.GetLengthInChar() == 0) continue;
    // The removed record found is the first one equal to itself (its id is
    // not empty and is the first with that id).
    const int found = removed_look_up.Find(upd);
    if (found == 0) continue;
    Trace("-> Product found in the deleted list");
    pairing.MarkAdded(added_index.Find(a));
    pairing.Pair(replaced[i], iRemovedEntryIndexes[found], iRemovedList[found], a,
                 "iDiffTypeList[IndexInDiffTypeList]=%s (before)");
  }
  pairing.RemoveMarkedAdded(oAddedList);
  pairing.RemoveMarkedEntries();
  return rc;
}
