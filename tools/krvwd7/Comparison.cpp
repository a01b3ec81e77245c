#include "Comparison.h"

#include <sstream>

#include "CATMathTransformation.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfoListServices.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

const char* const kKindNames[kDiffKinds] = {
    "REMOVED",  "VERSION/REVISION", "VERSION", "REVISION", "ALTCUSTO",
    "POSITION", "REPLACE",          "IDCHANGE", "ADDED"};

}  // namespace

const char* KindName(int iKind) { return kKindNames[iKind]; }

int KindOf(const std::string& iType) {
  for (int k = 0; k < kAdded; ++k) {
    if (iType == kKindNames[k]) return k;
  }
  return -1;
}

void Comparison::CountKinds(int oCounts[kDiffKinds]) const {
  for (int k = 0; k < kDiffKinds; ++k) oCounts[k] = 0;
  for (int k = 1; k <= types.Size(); ++k) {
    int kind = KindOf(types[k].ToStdString());
    if (kind >= 0) ++oCounts[kind];
  }
  oCounts[kAdded] = added.Size();
}

std::string Comparison::MethodText() const {
  return secondMethod
             ? "RetrieveDifferences2 (replacements found from the added products)"
             : "RetrieveDifferences1 (replacements found from the removed products)";
}

std::string ChangeText(const std::string& iType, const KRVWD7PrdInfo& iBB,
                       const KRVWD7PrdInfo& iPSN) {
  auto arrow = [](const std::string& a, const std::string& b) {
    return (a.empty() ? "\"\"" : a) + " -> " + (b.empty() ? "\"\"" : b);
  };
  if (iType == "VERSION") return "version " + arrow(VersionOf(iBB), VersionOf(iPSN));
  if (iType == "REVISION") return "revision " + arrow(RevisionOf(iBB), RevisionOf(iPSN));
  if (iType == "VERSION/REVISION") {
    return "version " + arrow(VersionOf(iBB), VersionOf(iPSN)) + ", revision " +
           arrow(RevisionOf(iBB), RevisionOf(iPSN));
  }
  if (iType == "ALTCUSTO") {
    CATUnicodeString a, b;
    iBB.GetDocCompid(a);
    iPSN.GetDocCompid(b);
    return "document " + arrow(a.ToStdString(), b.ToStdString());
  }
  if (iType == "POSITION") {
    CATMathTransformation a, b;
    iBB.GetPosition(a);
    iPSN.GetPosition(b);
    std::ostringstream text;
    text << "moved by up to " << a.MaxDifference(b);
    return text.str();
  }
  if (iType == "REPLACE") return "part " + arrow(PartNumberOf(iBB), PartNumberOf(iPSN));
  if (iType == "IDCHANGE") return "identity changed";
  return "";
}

std::string AddedText(const KRVWD7PrdInfo& iRecord) {
  auto shown = [](const std::string& a) { return a.empty() ? std::string("\"\"") : a; };
  return "part " + shown(PartNumberOf(iRecord)) + ", version " + shown(VersionOf(iRecord)) +
         ", revision " + shown(RevisionOf(iRecord));
}

std::string ChangeText(const Comparison& iComparison, int iEntry) {
  return ChangeText(iComparison.types[iEntry].ToStdString(), iComparison.bbEntries[iEntry],
                    iComparison.psnEntries[iEntry]);
}

bool Compare(const CATBaseUnknown_var& iBBRoot, const BlackBoxAttributes& iBB,
             const CATBaseUnknown_var& iPSNRoot, CATBaseUnknown_var& oNode,
             Comparison& oResult) {
  oResult = Comparison();
  oNode = CATBaseUnknown_var();
  KRVWD7CoreServices::SwitchToProductMode(iBBRoot);
  KRVWD7CoreServices::SwitchToProductMode(iPSNRoot);
  int type = 0;
  if (FAILED(KRVWD7CoreServices::RetrievePSNNode(iBBRoot, oNode, type))) return false;
  oResult.bbType = iBB.type;
  oResult.flatten = iBB.flatten;
  BuildLists(iBBRoot, iPSNRoot, oNode, oResult);
  RetrieveDifferences(iBB, iPSNRoot, oResult);
  return true;
}

void BuildLists(const CATBaseUnknown_var& iBBRoot, const CATBaseUnknown_var& iPSNRoot,
                const CATBaseUnknown_var& iNode, Comparison& ioResult) {
  KRVWD7PrdInfoListServices::BuildPrdInfoList(iPSNRoot, ioResult.psnList, 0,
                                              CATBaseUnknown_var(), nullptr);
  KRVWD7PrdInfoListServices::BuildPrdInfoList(iNode, ioResult.bbList, 1, iBBRoot, nullptr);
}

void RetrieveDifferences(const BlackBoxAttributes& iBB, const CATBaseUnknown_var& iPSNRoot,
                         Comparison& ioResult) {
  ioResult.rc = KRVWD7PrdInfoListServices::RetrieveDifferences(
      iPSNRoot, ioResult.bbList, ioResult.psnList, ioResult.bbEntries, ioResult.psnEntries,
      ioResult.added, ioResult.types, ioResult.nbDiff, iBB.type, iBB.flatten ? 1 : 0);
}

}  // namespace krvwd7
