#include "PlainScanDifferences.h"

#include "CATIMovable.h"
#include "CATMathTransformation.h"
#include "KRVWD7UtiPrdServices.h"

namespace krvwd7_test {

namespace {

CATUnicodeString IdOf(const KRVWD7PrdInfo& iInfo, int iSelector) {
  CATUnicodeString id;
  iInfo.GetPrintableId(id, iSelector);
  return id;
}

// The PSN record's position as phase 1 compares it: relative to the PSN
// root in a flattened black box when its product can tell it.
CATMathTransformation PSNPosition(const KRVWD7PrdInfo& iInfo,
                                  const CATBaseUnknown_var& iPSNRoot,
                                  unsigned char iIsFlatten) {
  CATMathTransformation position;
  iInfo.GetPosition(position);
  if (iIsFlatten != 1) return position;
  CATBaseUnknown_var product;
  iInfo.GetProduct(product);
  CATIMovable_var movable(product);
  if (!movable) return position;
  CATMathTransformation relative;
  if (movable->GetPosition(relative, CATIMovable_var(iPSNRoot), 0, 1) >= 0) {
    position = relative;
  }
  return position;
}

}  // namespace

void PlainScanPhases(const CATBaseUnknown_var& iPSNRoot,
                     const CATListValKRVWD7PrdInfo& iListBB,
                     const CATListValKRVWD7PrdInfo& iListPSN, int iBBType,
                     unsigned char iIsFlatten, PlainScanOutputs& oOut) {
  oOut = PlainScanOutputs();
  auto entry = [&oOut](const char* iType, const KRVWD7PrdInfo& iB,
                       const KRVWD7PrdInfo& iP) {
    oOut.types.Append(iType);
    oOut.inBB.Append(iB);
    oOut.inPSN.Append(iP);
    ++oOut.count;
  };
  oOut.trace.push_back("Identification of removed products in the WP (start)");
  for (int i = 1; i <= iListBB.Size(); ++i) {
    const KRVWD7PrdInfo& b = iListBB[i];
    const CATUnicodeString id = IdOf(b, iBBType);
    int found = 0;
    for (int j = 1; j <= iListPSN.Size() && found == 0; ++j) {
      if (IdOf(iListPSN[j], 1) == id) found = j;
    }
    if (found == 0) {
      entry("REMOVED", b, b);
      oOut.removed.Append(b);
      oOut.removedEntries.Append(oOut.types.Size());
      continue;
    }
    const KRVWD7PrdInfo& p = iListPSN[found];
    CATUnicodeString bv, pv, br, pr, bc, pc;
    b.GetVersion(bv), p.GetVersion(pv), b.GetRevision(br), p.GetRevision(pr);
    b.GetDocCompid(bc), p.GetDocCompid(pc);
    if (bv != pv && br != pr) entry("VERSION/REVISION", b, p);
    else if (bv != pv) entry("VERSION", b, p);
    else if (br != pr) entry("REVISION", b, p);
    else if (!bc.IsEmpty() && !pc.IsEmpty() && bc != pc) entry("ALTCUSTO", b, p);
    CATMathTransformation bp;
    b.GetPosition(bp);
    if (!KRVWD7UtiPrdServices::IsSimilarPosition(
            bp, PSNPosition(p, iPSNRoot, iIsFlatten), 0.001)) {
      entry("POSITION", b, p);
    }
  }
  oOut.trace.push_back(
      "[PERFO] <Differences Identification> <1 Identification of removed "
      "products in the WP> = [T]");
  oOut.trace.push_back("Identification of removed products in the WP (end)");
  oOut.trace.push_back("Identification of added products in the PSN (start)");
  oOut.trace.push_back("Size of oIndexinListPSN=" + std::to_string(oOut.inPSN.Size()));
  for (int j = 1; j <= iListPSN.Size(); ++j) {
    const KRVWD7PrdInfo& p = iListPSN[j];
    const std::string number = std::to_string(j);
    if (oOut.inPSN.Locate(p) != 0) {
      oOut.trace.push_back(number + " > Skip (already in oIndexinListPSN)");
      continue;
    }
    const CATUnicodeString id = IdOf(p, 1);
    bool in_bb = false;
    for (int i = 1; i <= iListBB.Size() && !in_bb; ++i) {
      in_bb = IdOf(iListBB[i], iBBType) == id;
    }
    if (in_bb) {
      oOut.trace.push_back(number + " > Not an added product");
      continue;
    }
    oOut.trace.push_back(number + " > An added product");
    int type = 0;
    p.GetNodeType(type);
    if (iListBB.Size() == 0 || !iIsFlatten || type == 4 || type == 5 ||
        type == 9) {
      oOut.added.Append(p);
      ++oOut.count;
    }
  }
  oOut.trace.push_back(
      "[PERFO] <Differences Identification> <2 Identification of added "
      "products in the PSN> = [T]");
}

}  // namespace krvwd7_test
