#include "KRVWD7CoreServices.h"

#include <iostream>

#include "CATDocument.h"
#include "CATIProduct.h"
#include "CATListPtrCATDocument.h"
#include "CATMetaClass.h"
#include "CATMsgCatalog.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::IsABlackBox;
using krvwd7_core::Trace;

namespace {

const IID IID_KRVWD7CoreServices = {"KRVWD7CoreServices"};

}  // namespace

KRVWD7CoreServices::KRVWD7CoreServices() = default;
KRVWD7CoreServices::~KRVWD7CoreServices() = default;

HRESULT KRVWD7CoreServices::CheckVPMDocument(CATDocument& iDocument) {
  if (KRVWD7UtiGeneral::IsEnvVarSet("KRV_WD7_FILE_BASED",
                                    "MODE4_ON_A_FILEBASE") == 1) {
    return S_OK;
  }
  const HRESULT rc = KRVWD7UtiPDMServices::IsPDMDocument(&iDocument);
  if (FAILED(rc) || rc == 1) return E_FAIL;
  return S_OK;
}

HRESULT KRVWD7CoreServices::CheckIsBlackBox(const CATBaseUnknown_var& iProduct,
                                            CATBoolean& oIsBlackBox) {
  oIsBlackBox = 0;
  if (!iProduct) return E_INVALIDARG;
  KRVIWD7BlackBox_var black_box(iProduct);
  if (!black_box) return E_FAIL;
  const HRESULT rc = black_box->IsABlackBox(oIsBlackBox);
  if (FAILED(rc)) oIsBlackBox = 0;
  return rc;
}

CATBoolean KRVWD7CoreServices::CheckIsInsideSubBB(
    const CATBaseUnknown_var& iProduct, const CATBaseUnknown_var& iRoot) {
  if (iProduct && IsABlackBox(KRVIWD7BlackBox_var(iProduct))) return 0;
  CATIProduct_var current(iProduct);
  if (!current) return 0;
  // Walks the father chain: O(depth).
  while (current) {
    if (current == iRoot) return 0;
    if (IsABlackBox(KRVIWD7BlackBox_var(current))) return 1;
    current = current->GetFatherProduct();
  }
  return 0;
}

HRESULT KRVWD7CoreServices::SwitchToProductMode(
    const CATBaseUnknown_var& iProduct) {
  Trace(">> KRVWD7CoreServices::SwitchToProductMode");
  if (!iProduct) return E_INVALIDARG;

  krvwd7_core::ScopedProgress progress("ProgressSwitchToProductModeId",
                                       "KRVWD7CoreServices",
                                       "SwitchToProductModeInProgress");
  progress.Init(0, 1, 1);
  KRVWD7UtiTimer timer;
  const HRESULT rc = KRVWD7UtiPrdServices::SwitchToProductMode(iProduct);
  krvwd7_core::TracePerfo(
      "[PERFO] <Retrieving Document from VPM> Total time = [%s]", timer);
  progress.Step();
  progress.End();
  Trace("<< KRVWD7CoreServices::SwitchToProductMode");
  return rc;
}

HRESULT KRVWD7CoreServices::RetrieveAssociatedPSNDoc(
    const CATBaseUnknown_var& iBlackBox, CATDocument*& oDocument) {
  oDocument = nullptr;
  if (!iBlackBox) return E_INVALIDARG;

  CATUnicodeString psn_id;
  KRVIWD7BlackBox_var black_box(iBlackBox);
  if (!black_box || FAILED(black_box->GetPSNPrintableId(psn_id))) psn_id = "";

  int count = 0;
  CATListPtrCATDocument documents;
  if (FAILED(KRVWD7UtiPrdDocServices::GetNbProductDocumentInSession(
          count, documents))) {
    return E_FAIL;
  }
  if (psn_id.GetLengthInChar() == 0) return E_FAIL;
  for (int i = 1; i <= documents.Size(); ++i) {
    CATDocument* document = documents[i];
    if (document == nullptr) continue;
    CATBaseUnknown_var root;
    if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(document, root)) ||
        !root || root == iBlackBox) {
      continue;
    }
    CATUnicodeString root_id;
    if (FAILED(KRVWD7UtiVPMServices::GetPrintableId(root, root_id))) {
      root_id = "";
    }
    if (root_id.GetLengthInChar() > 0 && root_id == psn_id) {
      oDocument = document;
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT KRVWD7CoreServices::RetrievePSNNode(
    const CATBaseUnknown_var& iBlackBoxRoot, CATBaseUnknown_var& oNode,
    int& oType) {
  oNode = CATBaseUnknown_var();
  oType = 0;
  if (!iBlackBoxRoot) return E_INVALIDARG;
  CATUnicodeString psn_part_number;
  oNode = krvwd7_core::PSNNodeOf(iBlackBoxRoot, KRVIWD7BlackBox_var(iBlackBoxRoot),
                                 oType, psn_part_number);
  return oNode ? S_OK : E_FAIL;
}

void KRVWD7CoreServices::DumpBPCVersion() {
  const CATUnicodeString version =
      CATMsgCatalog::BuildMessage("KRVWD7", "BPCVersion", nullptr, 0, "???");
  std::cout << version.ConvertToChar() << std::endl;
}

// --- Class information -----------------------------------------------------------

CATMetaClass* KRVWD7CoreServices::MetaObject() {
  static CATMetaClass meta(IID_KRVWD7CoreServices, "KRVWD7CoreServices",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "CATNull", "External",
                           &KRVWD7CoreServices::CreateItself);
  return &meta;
}

const char* KRVWD7CoreServices::ClassName() { return "KRVWD7CoreServices"; }
const IID& KRVWD7CoreServices::ClassId() { return IID_KRVWD7CoreServices; }
CATBaseUnknown* KRVWD7CoreServices::CreateItself() { return nullptr; }
CATMetaClass* KRVWD7CoreServices::GetMetaObject() const { return MetaObject(); }
const char* KRVWD7CoreServices::IsA() const { return ClassName(); }

int KRVWD7CoreServices::IsAKindOf(const char* iClassName) const {
  return GetMetaObject()->IsAKindOf(iClassName);
}
