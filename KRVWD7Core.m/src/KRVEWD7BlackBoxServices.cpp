#include "KRVEWD7BlackBoxServices.h"

#include "CATDocument.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"

namespace {

// The root of iDocument, empty when it has none.
CATBaseUnknown_var RootOf(CATDocument& iDocument) {
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(&iDocument, root))) {
    return CATBaseUnknown_var();
  }
  return root;
}

// True when iRoot is a black box of version 2.
bool IsCurrentBlackBox(const KRVIWD7BlackBox_var& iBlackBox) {
  if (!iBlackBox) return false;
  CATBoolean is_black_box = 0;
  if (FAILED(iBlackBox->IsABlackBox(is_black_box)) || !is_black_box) {
    return false;
  }
  int version = 0;
  return SUCCEEDED(iBlackBox->GetVersion(version)) && version == 2;
}

// The node of the black box that stands for the PSN root: the root itself
// (type 1) or the instance of the PSN part number below it (type 2); empty
// otherwise.
CATBaseUnknown_var PSNNodeOf(const CATBaseUnknown_var& iRoot,
                             const KRVIWD7BlackBox_var& iBlackBox,
                             int& oType) {
  CATUnicodeString part_number;
  oType = 0;
  if (FAILED(iBlackBox->GetType(oType, part_number))) return CATBaseUnknown_var();
  if (oType == 1) return iRoot;
  if (oType != 2) return CATBaseUnknown_var();
  CATBaseUnknown_var node;
  if (KRVWD7UtiPrdServices::FindInstance(iRoot, part_number, 0, node, 0) !=
      S_OK) {
    return CATBaseUnknown_var();
  }
  return node;
}

}  // namespace

KRVEWD7BlackBoxServices::KRVEWD7BlackBoxServices() = default;
KRVEWD7BlackBoxServices::~KRVEWD7BlackBoxServices() = default;

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
  const CATBaseUnknown_var node = PSNNodeOf(bb_root, black_box, type);
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
