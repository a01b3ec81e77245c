// One comparison of a black box with its PSN, as `krvwd7 diff` makes it:
// the two record lists, the outputs of RetrieveDifferences, and the facts
// that the reports show beside them. Every output of diff (table, tree,
// JSON, HTML) reads it; nothing changes it once made.
#ifndef KRVWD7_TOOL_COMPARISON_H_
#define KRVWD7_TOOL_COMPARISON_H_

#include <string>

#include "CATBaseUnknown.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "Structures.h"

namespace krvwd7 {

// The kinds of difference, in the order in which reports list them: the
// comparison's entry types, then the added PSN products (which have no
// entry, only a record in the added list).
enum DiffKind {
  kRemoved,
  kVersionRevision,
  kVersion,
  kRevision,
  kAltCusto,
  kPosition,
  kReplace,
  kIdChange,
  kAdded,
  kDiffKinds
};

// "REMOVED", ..., "IDCHANGE", "ADDED". REQUIRES: 0 <= iKind < kDiffKinds.
const char* KindName(int iKind);
// The kind of an entry type; -1 for a text that is no entry type.
int KindOf(const std::string& iType);

struct Comparison {
  // What was compared. The lists are 1-based like every host list.
  std::string session;   // the session file, as given
  std::string blackBox;  // document names
  std::string psn;
  int bbType = 0;        // 1: the black-box root stands for the PSN root; 2: an instance below it
  bool flatten = false;
  bool secondMethod = false;  // KRV_WD7_RETRIEVEDIFFERENCES2 was defined
  std::string bbRootPath;     // "BB-CAR"
  std::string bbNodePath;     // the node standing for the PSN root: "BB-CAR/CAR.1"
  std::string psnRootPath;    // "CAR"
  std::string bbRootPart, bbNodePart, psnRootPart;  // their part numbers
  CATListValKRVWD7PrdInfo bbList, psnList;

  // The outputs of RetrieveDifferences.
  CATListValKRVWD7PrdInfo bbEntries, psnEntries, added;
  CATListValCATUnicodeString types;
  int nbDiff = 0;
  HRESULT rc = 0;

  // Entries plus added products of each kind.
  void CountKinds(int oCounts[kDiffKinds]) const;
  // "RetrieveDifferences1 (...)" or "RetrieveDifferences2 (...)".
  std::string MethodText() const;
};

// What changed in entry iEntry (1-based), in a few words ("version 1 -> 2",
// "document 00000000000002A3 -> 00000000000002B7"); "" for "REMOVED".
std::string ChangeText(const Comparison& iComparison, int iEntry);
// What an added product is: "part RADIO, version 1, revision A".
std::string AddedText(const KRVWD7PrdInfo& iRecord);
// The same for one entry type and its two records.
std::string ChangeText(const std::string& iType, const KRVWD7PrdInfo& iBB,
                       const KRVWD7PrdInfo& iPSN);

// Compares the black box iBBRoot (attributes iBB, read by ReadBlackBox)
// with the PSN iPSNRoot as the services prepare an update: switches both to
// product mode, locates the PSN node in the black box (oNode), builds both
// record lists and runs RetrieveDifferences. Fills the lists and the
// comparison's outputs only. False when the black box has no node for its
// PSN part number (oResult is then empty); otherwise true, oResult.rc
// holding the comparison's result.
bool Compare(const CATBaseUnknown_var& iBBRoot, const BlackBoxAttributes& iBB,
             const CATBaseUnknown_var& iPSNRoot, CATBaseUnknown_var& oNode,
             Comparison& oResult);
// The two steps of Compare after the PSN node iNode is located: the PSN
// list and the black-box list below iNode (paths from iBBRoot), then
// RetrieveDifferences on them (its outputs and result in ioResult).
void BuildLists(const CATBaseUnknown_var& iBBRoot, const CATBaseUnknown_var& iPSNRoot,
                const CATBaseUnknown_var& iNode, Comparison& ioResult);
void RetrieveDifferences(const BlackBoxAttributes& iBB, const CATBaseUnknown_var& iPSNRoot,
                         Comparison& ioResult);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_COMPARISON_H_
