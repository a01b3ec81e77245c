// The comparison of a black box with its PSN as the services prepare it
// before an update (the preparation of IsUpToDate, then
// RetrieveDifferences), shared by diff and sync.
#ifndef KRVWD7_TOOL_COMPARISON_H_
#define KRVWD7_TOOL_COMPARISON_H_

#include "CATBaseUnknown.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "Structures.h"

namespace krvwd7 {

// The outputs of one comparison: entry k is (types[k], bbEntries[k],
// psnEntries[k]); added holds the PSN products the black box lacks.
struct Comparison {
  CATListValKRVWD7PrdInfo bbEntries, psnEntries, added;
  CATListValCATUnicodeString types;
  int nbDiff = 0;
  HRESULT rc = 0;
};

// Compares the black box iBBRoot (attributes iBB, read by ReadBlackBox)
// with the PSN iPSNRoot. Switches both to product mode, locates the PSN
// node in the black box (oNode), builds both record lists and runs
// RetrieveDifferences. False when the black box has no node for its PSN
// part number (oResult is then empty); otherwise true, oResult.rc holding
// the comparison's result.
bool Compare(const CATBaseUnknown_var& iBBRoot, const BlackBoxAttributes& iBB,
             const CATBaseUnknown_var& iPSNRoot, CATBaseUnknown_var& oNode,
             Comparison& oResult);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_COMPARISON_H_
