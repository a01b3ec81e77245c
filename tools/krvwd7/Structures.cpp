#include "Structures.h"

#include <cstdio>

#include "CATDocument.h"
#include "CATIProduct.h"
#include "CATMathTransformation.h"
#include "JsonOut.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"

namespace krvwd7 {

namespace {

std::string Text(const CATUnicodeString& iText) { return iText.ToStdString(); }

}  // namespace

CATBaseUnknown_var RootOf(CATDocument* iDocument) {
  CATBaseUnknown_var root;
  if (KRVWD7UtiPrdDocServices::RetrieveRootProduct(iDocument, root) < 0) {
    return CATBaseUnknown_var();
  }
  return root;
}

BlackBoxAttributes ReadBlackBox(const CATBaseUnknown_var& iRoot) {
  BlackBoxAttributes out;
  KRVIWD7BlackBox_var bb(iRoot);
  if (!bb) return out;
  CATBoolean is_bb = 0;
  if (bb->IsABlackBox(is_bb) < 0 || !is_bb) return out;
  out.isBlackBox = true;
  out.versionRc = bb->GetVersion(out.version);
  CATUnicodeString text;
  out.typeRc = bb->GetType(out.type, text);
  out.psnPartNumber = Text(text);
  if (bb->GetNote(text) >= 0) out.note = Text(text);
  if (bb->GetPSNFilename(text) >= 0) out.psnFilename = Text(text);
  CATICkeParm_var parm;
  CATUnicodeString stored;
  if (KRVWD7UtiPrdServices::GetParameter(iRoot, "BBPSNFilename", parm,
                                         &stored) == 0) {
    out.psnFilenameStored = Text(stored);
  }
  CATBoolean flatten = 0;
  if (bb->GetIsFlatten(flatten) >= 0) out.flatten = flatten != 0;
  if (bb->GetPSNPrintableId(text) >= 0) out.psnPrintableId = Text(text);
  return out;
}

std::string NotOfVersion2(const std::string& iFile, const std::string& iName,
                          const BlackBoxAttributes& iBlackBox, const std::string& iDone) {
  if (!iBlackBox.isBlackBox) return iFile + ": document '" + iName + "' is not a black box";
  if (iBlackBox.versionRc < 0 || iBlackBox.version != 2) {
    const std::string hint =
        iBlackBox.version == 1 ? " (krvwd7 migrate brings version 1 to 2)" : "";
    return iFile + ": black box '" + iName + "' is of version " +
           std::to_string(iBlackBox.version) + "; only version 2 can be " + iDone + hint;
  }
  return "";
}

int CountProducts(const CATBaseUnknown_var& iRoot) {
  CATListValCATBaseUnknown_var* all = nullptr;
  if (KRVWD7UtiPrdServices::GetAllChildren(iRoot, all, "CATIProduct", 0) < 0) {
    delete all;
    return 1;
  }
  int count = 1 + (all ? all->Size() : 0);
  delete all;
  return count;
}

HRESULT BuildRecords(const CATBaseUnknown_var& iRoot,
                     CATListValKRVWD7PrdInfo& oRecords) {
  KRVWD7CoreServices::SwitchToProductMode(iRoot);
  BlackBoxAttributes bb = ReadBlackBox(iRoot);
  if (!bb.isBlackBox) {
    return KRVWD7PrdInfoListServices::BuildPrdInfoList(
        iRoot, oRecords, 0, CATBaseUnknown_var(), nullptr);
  }
  CATBaseUnknown_var node;
  int type = 0;
  if (FAILED(KRVWD7CoreServices::RetrievePSNNode(iRoot, node, type))) {
    oRecords.RemoveAll();
    return E_FAIL;
  }
  return KRVWD7PrdInfoListServices::BuildPrdInfoList(node, oRecords, 1, iRoot,
                                                     nullptr);
}

std::string PathOf(const KRVWD7PrdInfo& iRecord) {
  CATUnicodeString text;
  iRecord.GetInstancePath(text, 0);
  return Text(text);
}
std::string PartNumberOf(const KRVWD7PrdInfo& iRecord) {
  CATUnicodeString text;
  iRecord.GetPartNumber(text);
  return Text(text);
}
std::string VersionOf(const KRVWD7PrdInfo& iRecord) {
  CATUnicodeString text;
  iRecord.GetVersion(text);
  return Text(text);
}
std::string RevisionOf(const KRVWD7PrdInfo& iRecord) {
  CATUnicodeString text;
  iRecord.GetRevision(text);
  return Text(text);
}
std::string PrintableIdOf(const KRVWD7PrdInfo& iRecord) {
  CATUnicodeString text;
  iRecord.GetPrintableId(text, 1);
  return Text(text);
}
int NodeTypeOf(const KRVWD7PrdInfo& iRecord) {
  int type = 0;
  iRecord.GetNodeType(type);
  return type;
}

void WriteRecord(const KRVWD7PrdInfo& iRecord, JsonOut& oOut) {
  // Keys in byte order.
  CATUnicodeString text;
  oOut.BeginObject();
  iRecord.GetDocCompid(text);
  oOut.Key("docCompid").String(Text(text));
  iRecord.GetDocDisplayName(text);
  oOut.Key("docDisplayName").String(Text(text));
  oOut.Key("instancePath").String(PathOf(iRecord));
  unsigned char is_bb = 0;
  iRecord.GetIsBlackBox(is_bb);
  oOut.Key("isBlackBox").Boolean(is_bb != 0);
  int type = NodeTypeOf(iRecord);
  oOut.Key("nodeType").Integer(type);
  oOut.Key("nodeTypeName").String(KRVWD7PrdInfo::NodeTypeText(type));
  oOut.Key("partNumber").String(PartNumberOf(iRecord));
  CATMathTransformation position;
  iRecord.GetPosition(position);
  double coef[12];
  position.GetCoef(coef);
  oOut.Key("position").BeginArray();
  for (double value : coef) oOut.Double(value);
  oOut.EndArray();
  oOut.Key("printableId").String(PrintableIdOf(iRecord));
  CATBaseUnknown_var product;
  iRecord.GetProduct(product);
  CATIProduct_var as_product(product);
  oOut.Key("product");
  if (as_product) {
    oOut.String(Text(as_product->GetDescriptiveText()));
  } else {
    oOut.Null();
  }
  oOut.Key("revision").String(RevisionOf(iRecord));
  oOut.Key("version").String(VersionOf(iRecord));
  iRecord.GetPDMEnv(text);
  oOut.Key("vpmEnv").String(Text(text));
  oOut.EndObject();
}

std::string ResultText(HRESULT iRc) {
  if (iRc >= 0) return std::to_string(iRc);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(iRc));
  return buffer;
}

}  // namespace krvwd7
