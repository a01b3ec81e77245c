// The services component's extension: its class information, the making of
// the component, and the comparison of a black box with its PSN. The other
// operations have a source each (KRVEWD7BlackBoxServices*.cpp).
#include "KRVEWD7BlackBoxServices.h"

#include <new>

#include "CATDocument.h"
#include "CATMetaClass.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7BlackBoxServices.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiDocServices.h"

namespace {

const IID kClassId = {"KRVEWD7BlackBoxServices"};

// The root of iDocument, empty when it has none.
CATBaseUnknown_var RootOf(CATDocument& iDocument) {
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(&iDocument, root))) {
    return CATBaseUnknown_var();
  }
  return root;
}

// True when iBlackBox is a black box of version 2.
bool IsCurrentBlackBox(const KRVIWD7BlackBox_var& iBlackBox) {
  if (!krvwd7_core::IsABlackBox(iBlackBox)) return false;
  int version = 0;
  return SUCCEEDED(iBlackBox->GetVersion(version)) && version == 2;
}

}  // namespace

KRVEWD7BlackBoxServices::KRVEWD7BlackBoxServices() = default;
KRVEWD7BlackBoxServices::~KRVEWD7BlackBoxServices() = default;

// --- Class information and the component ------------------------------------

CATMetaClass* KRVEWD7BlackBoxServices::MetaObject() {
  static CATMetaClass meta(kClassId, "KRVEWD7BlackBoxServices",
                           CATBaseUnknown::MetaObject(), CATCodeExtensionKind,
                           "KRVWD7BlackBoxServices", "External",
                           &KRVEWD7BlackBoxServices::CreateItself);
  return &meta;
}

const char* KRVEWD7BlackBoxServices::ClassName() {
  return "KRVEWD7BlackBoxServices";
}
const IID& KRVEWD7BlackBoxServices::ClassId() { return kClassId; }

CATBaseUnknown* KRVEWD7BlackBoxServices::CreateItself() {
  return new (std::nothrow) KRVEWD7BlackBoxServices;
}

CATMetaClass* KRVEWD7BlackBoxServices::GetMetaObject() const {
  return MetaObject();
}
const char* KRVEWD7BlackBoxServices::IsA() const { return ClassName(); }
int KRVEWD7BlackBoxServices::IsAKindOf(const char* iClassName) const {
  return MetaObject()->IsAKindOf(iClassName);
}

HRESULT KRVEWD7BlackBoxServices::CreateInstance(void** oObject) {
  if (oObject == nullptr) return E_INVALIDARG;
  *oObject = nullptr;
  CATBaseUnknown* component = KRVWD7BlackBoxServices::CreateItself();
  if (component == nullptr) return E_OUTOFMEMORY;
  *oObject = component;
  return S_OK;
}

// --- IsUpToDate -----------------------------------------------------------------

HRESULT KRVEWD7BlackBoxServices::IsUpToDate(CATDocument& iBBDocument,
                                            CATDocument& iPSNDocument,
                                            unsigned char& oIsUpToDate) {
  oIsUpToDate = 1;
  if (FAILED(KRVWD7CoreServices::CheckVPMDocument(iBBDocument))) {
    return E_INVALIDARG;
  }
  const CATBaseUnknown_var bb_root = RootOf(iBBDocument);
  const KRVIWD7BlackBox_var black_box(bb_root);
  if (!IsCurrentBlackBox(black_box)) return E_INVALIDARG;
  if (FAILED(KRVWD7CoreServices::CheckVPMDocument(iPSNDocument))) {
    return E_INVALIDARG;
  }
  const CATBaseUnknown_var psn_root = RootOf(iPSNDocument);
  if (!bb_root || !psn_root) return E_FAIL;

  KRVWD7CoreServices::SwitchToProductMode(bb_root);
  KRVWD7CoreServices::SwitchToProductMode(psn_root);

  int type = 0;
  CATUnicodeString psn_part_number;
  const CATBaseUnknown_var node =
      krvwd7_core::PSNNodeOf(bb_root, black_box, type, psn_part_number);
  if (!node) return E_FAIL;

  CATListValKRVWD7PrdInfo psn_list;
  CATListValKRVWD7PrdInfo bb_list;
  KRVWD7PrdInfoListServices::BuildPrdInfoList(psn_root, psn_list, 0,
                                              CATBaseUnknown_var(), nullptr);
  KRVWD7PrdInfoListServices::BuildPrdInfoList(node, bb_list, 1, bb_root,
                                              nullptr);
  CATBoolean is_flatten = 0;
  if (FAILED(black_box->GetIsFlatten(is_flatten))) is_flatten = 0;

  CATListValKRVWD7PrdInfo in_bb, in_psn, added;
  CATListValCATUnicodeString types;
  int count = 0;
  const HRESULT rc = KRVWD7PrdInfoListServices::RetrieveDifferences(
      psn_root, bb_list, psn_list, in_bb, in_psn, added, types, count, type,
      is_flatten ? 1 : 0);
  if (count > 0) oIsUpToDate = 0;
  return rc;
}
