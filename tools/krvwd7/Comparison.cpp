#include "Comparison.h"

#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfoListServices.h"

namespace krvwd7 {

bool Compare(const CATBaseUnknown_var& iBBRoot, const BlackBoxAttributes& iBB,
             const CATBaseUnknown_var& iPSNRoot, CATBaseUnknown_var& oNode,
             Comparison& oResult) {
  oResult = Comparison();
  oNode = CATBaseUnknown_var();
  KRVWD7CoreServices::SwitchToProductMode(iBBRoot);
  KRVWD7CoreServices::SwitchToProductMode(iPSNRoot);
  int type = 0;
  if (FAILED(KRVWD7CoreServices::RetrievePSNNode(iBBRoot, oNode, type))) return false;
  CATListValKRVWD7PrdInfo psn_list, bb_list;
  KRVWD7PrdInfoListServices::BuildPrdInfoList(iPSNRoot, psn_list, 0, CATBaseUnknown_var(),
                                              nullptr);
  KRVWD7PrdInfoListServices::BuildPrdInfoList(oNode, bb_list, 1, iBBRoot, nullptr);
  oResult.rc = KRVWD7PrdInfoListServices::RetrieveDifferences(
      iPSNRoot, bb_list, psn_list, oResult.bbEntries, oResult.psnEntries, oResult.added,
      oResult.types, oResult.nbDiff, iBB.type, iBB.flatten ? 1 : 0);
  return true;
}

}  // namespace krvwd7
