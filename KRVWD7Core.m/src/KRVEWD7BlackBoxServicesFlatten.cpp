// The operations that rearrange the products of a black box: Flatten,
// MoveToPersonalizedStructure and CopyPosition.
//
// A product is moved with the maker's cut-and-paste toolbox and the host's
// clipboard format "CATProdCont": part instances (node type 4) by
// CutAndPaste, model instances (5) and further leaves (9) by DragAndDrop.
// The moved instance is given its VPM identity ("BBPrintableId",
// "BBVpmEnv") again, since a host may make a new instance for it.
#include <new>
#include <vector>

#include "CATDlgNotify.h"
#include "CATDocument.h"
#include "CATFormat.h"
#include "CATILinkableObject.h"
#include "CATIProduct.h"
#include "CATInternalError.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"

using krvwd7_core::RaiseError;
using krvwd7_core::Trace;

namespace {

constexpr int kPartInstance = 4;
constexpr int kModelInstance = 5;
constexpr int kOtherLeaf = 9;
constexpr int kComponentInstance = 2;

const char kMoveCatalog[] = "KRVWD7MoveToPersonalizedStructure";

// Style of the "ERROR" notification of CopyPosition.
constexpr int kErrorNotifyStyle = 0x10100200;

// True when iBlackBox is a black box of version 2.
bool IsValidBlackBox(const KRVIWD7BlackBox_var& iBlackBox) {
  if (!krvwd7_core::IsABlackBox(iBlackBox)) return false;
  int version = 0;
  return SUCCEEDED(iBlackBox->GetVersion(version)) && version == 2;
}

// Moves iProduct below iDestination by the rule of its node type (4: cut
// and paste; 5 and 9: drag and drop). oNew: the instance at its new place.
// E_FAIL when the format is not registered.
HRESULT MoveByNodeType(int iNodeType, const CATBaseUnknown_var& iProduct,
                       const CATBaseUnknown_var& iDestination,
                       CATBaseUnknown_var& oNew) {
  oNew = CATBaseUnknown_var();
  const CATFormat* format = CATFormat::GetRegisteredFormat("CATProdCont");
  if (format == nullptr) return E_FAIL;
  if (iNodeType == kPartInstance) {
    return KRVWD7UtiPrdCCPServices::CutAndPaste(format, iProduct, iDestination,
                                                oNew);
  }
  return KRVWD7UtiPrdCCPServices::DragAndDrop(format, iProduct, iDestination,
                                              oNew);
}

// What the moving phase of Flatten did with one record.
enum class MoveOutcome {
  kLeft,       // left in the list, no progress step
  kStepped,    // left in the list, progress stepped
  kMoved       // moved: removed from the list, progress stepped
};

// One record of the moving phase: a leaf that is not yet directly below
// iDestination is moved there and given its identity again.
MoveOutcome MoveLeaf(const KRVWD7PrdInfo& iRecord,
                     const CATBaseUnknown_var& iDestination) {
  int node_type = 0;
  iRecord.GetNodeType(node_type);
  if (node_type != kPartInstance && node_type != kModelInstance &&
      node_type != kOtherLeaf) {
    return MoveOutcome::kLeft;
  }
  CATBaseUnknown_var product;
  iRecord.GetProduct(product);
  if (!product) return MoveOutcome::kStepped;
  CATIProduct_var as_product(product);
  if (!as_product) return MoveOutcome::kLeft;
  CATIProduct_var father = as_product->GetFatherProduct();
  if (!father || father == iDestination) return MoveOutcome::kLeft;

  CATBaseUnknown_var moved;
  if (FAILED(MoveByNodeType(node_type, product, iDestination, moved)) ||
      !moved) {
    return MoveOutcome::kStepped;
  }
  CATUnicodeString printable_id;
  CATUnicodeString vpm_env;
  if (SUCCEEDED(iRecord.GetPrintableId(printable_id, 0)) &&
      SUCCEEDED(iRecord.GetPDMEnv(vpm_env)) &&
      printable_id.GetLengthInChar() > 0) {
    KRVWD7CoreServices::SetPrintableIdParameterOnNode(moved, printable_id,
                                                      vpm_env);
  }
  return MoveOutcome::kMoved;
}

}  // namespace

// --- Flatten ---------------------------------------------------------------------

// The record list is walked once, first to last. The list that the walk
// leaves (every record not moved, in order) is kept as a list of indexes
// compacted as the walk goes, instead of removing each moved record from
// the middle of one array: the moves, their order, the progress steps and
// what the clean-up sees are those of removing each moved record and going
// on at the same index, in linear time.
HRESULT KRVEWD7BlackBoxServices::Flatten(CATDocument& iDocument,
                                         const unsigned char& iOption) {
  CATBaseUnknown_var root;
  KRVWD7UtiPrdDocServices::RetrieveRootProduct(&iDocument, root);
  const KRVIWD7BlackBox_var black_box(root);
  if (!root || !IsValidBlackBox(black_box)) return E_INVALIDARG;
  CATBoolean is_flatten = 0;
  if (FAILED(black_box->GetIsFlatten(is_flatten)) || is_flatten) {
    return E_FAIL;
  }
  KRVWD7CoreServices::SwitchToProductMode(root);

  int type = 0;
  CATUnicodeString psn_part_number;
  const CATBaseUnknown_var psn_node =
      krvwd7_core::PSNNodeOf(root, black_box, type, psn_part_number);
  if (!psn_node) return E_FAIL;
  const bool remove_psn_level = iOption == 1;
  const CATBaseUnknown_var destination = remove_psn_level ? root : psn_node;

  CATListValKRVWD7PrdInfo records;
  if (FAILED(KRVWD7PrdInfoListServices::BuildPrdInfoList(psn_node, records, 1,
                                                         root, nullptr))) {
    return E_FAIL;
  }
  krvwd7_core::ScopedProgress progress("BlackBoxFlattenProgress",
                                       "KRVEWD7BlackBoxServices",
                                       "BlackBoxFlattenInProgress");
  progress.Init(1, records.Size(), 1);

  // Moving phase: kept holds the positions of the records still listed.
  std::vector<int> kept;
  kept.reserve(records.Size());
  for (int i = 1; i <= records.Size(); ++i) {
    const MoveOutcome outcome = MoveLeaf(records[i], destination);
    if (outcome != MoveOutcome::kMoved) kept.push_back(i);
    if (outcome != MoveOutcome::kLeft) progress.Step();
  }

  // Clean-up phase.
  if (!remove_psn_level) {
    for (int i : kept) {
      int node_type = 0;
      records[i].GetNodeType(node_type);
      if (node_type != kComponentInstance) continue;
      CATBaseUnknown_var product;
      records[i].GetProduct(product);
      CATIProduct_var as_product(product);
      if (!as_product) continue;
      CATIProduct_var father = as_product->GetFatherProduct();
      if (!father || father != psn_node) continue;
      KRVWD7UtiPrdCCPServices::Delete(product);
      progress.Step();
    }
  } else {
    // With a type 1 black box the PSN root instance is the black-box root
    // itself: it is never handed to Delete, and the type stays as it is.
    if (psn_node != root &&
        SUCCEEDED(KRVWD7UtiPrdCCPServices::Delete(psn_node))) {
      black_box->SetType(1, psn_part_number);
    }
    progress.Step();
  }

  black_box->SetIsFlatten(1);
  progress.End();
  return S_OK;
}

// --- MoveToPersonalizedStructure -------------------------------------------------

HRESULT KRVEWD7BlackBoxServices::MoveToPersonalizedStructure(
    const CATBaseUnknown_var& iProduct,
    const CATBaseUnknown_var& iDestination) {
  if (!iProduct || !iDestination) return RaiseError("ErrId0", kMoveCatalog);

  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iDestination,
                                                          root)) ||
      !root) {
    return RaiseError("ErrId1", kMoveCatalog);
  }
  CATILinkableObject_var linkable(root);
  CATDocument* document = linkable ? linkable->GetDocument() : nullptr;
  if (document == nullptr) return RaiseError("ErrId2", kMoveCatalog);

  // The root of the destination's structure is its document's root.
  const KRVIWD7BlackBox_var black_box(root);
  if (FAILED(KRVWD7CoreServices::CheckVPMDocument(*document)) ||
      !IsValidBlackBox(black_box)) {
    return RaiseError("ErrId3", kMoveCatalog);
  }
  CATBoolean is_flatten = 0;
  if (FAILED(black_box->GetIsFlatten(is_flatten)) || !is_flatten) {
    return RaiseError("ErrId4", kMoveCatalog);
  }
  KRVWD7CoreServices::SwitchToProductMode(root);

  int node_type = 0;
  if (FAILED(KRVWD7UtiPrdServices::GetNodeType(iProduct, node_type))) {
    return RaiseError("ErrId5", kMoveCatalog);
  }
  if (node_type != kPartInstance && node_type != kModelInstance) {
    return RaiseError("ErrId6", kMoveCatalog);
  }
  // A missing property reads as empty.
  CATUnicodeString printable_id;
  CATUnicodeString vpm_env;
  KRVWD7UtiPrdServices::GetProperty(iProduct, "BBPrintableId", printable_id);
  KRVWD7UtiPrdServices::GetProperty(iProduct, "BBVpmEnv", vpm_env);

  CATBaseUnknown_var moved;
  if (FAILED(MoveByNodeType(node_type, iProduct, iDestination, moved)) ||
      !moved) {
    return RaiseError("ErrId7", kMoveCatalog);
  }
  if (printable_id.GetLengthInChar() > 0 &&
      FAILED(KRVWD7CoreServices::SetPrintableIdParameterOnNode(
          moved, printable_id, vpm_env))) {
    return RaiseError("ErrId8", kMoveCatalog);
  }
  return S_OK;
}

// --- CopyPosition ----------------------------------------------------------------

namespace {

// Shows the error iKey of iCatalog in a blocking notification titled
// "ERROR". The notification has no parent: the host's application is no
// dialog.
void NotifyError(const char* iKey, const char* iCatalog) {
  CATInternalError* error = new (std::nothrow) CATInternalError(iKey, iCatalog);
  CATUnicodeString message;
  if (error != nullptr) {
    message = error->GetNLSMessage();
    error->Release();
  }
  CATDlgNotify* notify =
      new CATDlgNotify(nullptr, "ERROR", kErrorNotifyStyle);
  notify->DisplayBlocked(message, "ERROR");
  notify->RequestDelayedDestruction();
}

}  // namespace

HRESULT KRVEWD7BlackBoxServices::CopyPosition(
    const CATBaseUnknown_var& iReference, const CATBaseUnknown_var& iTarget) {
  Trace(">> KRVEWD7BlackBoxServices::CopyPosition()");
  if (!iReference || !iTarget) {
    Trace("   Error: reference or target NULL");
    return E_FAIL;
  }
  CATBaseUnknown_var source_root;
  CATBaseUnknown_var target_root;
  KRVWD7UtiPrdDocServices::RetrieveRootProduct(iReference, source_root);
  KRVWD7UtiPrdDocServices::RetrieveRootProduct(iTarget, target_root);
  if (!source_root || !target_root) {
    Trace("   Error: failed to RetrieveRootProduct");
    return E_FAIL;
  }
  const KRVIWD7BlackBox_var source(source_root);
  const KRVIWD7BlackBox_var target(target_root);
  if (!source || !target) {
    Trace("   Error: failed to get KRVIWD7BlackBox interface");
    return E_FAIL;
  }
  CATBoolean source_is_black_box = 0;
  CATBoolean target_is_black_box = 0;
  HRESULT rc = source->IsABlackBox(source_is_black_box);
  if (FAILED(rc)) {
    Trace("   Error: failed to IsABlackBox on spSourceWP");
    return rc;
  }
  rc = target->IsABlackBox(target_is_black_box);
  if (FAILED(rc)) {
    Trace("   Error: failed to IsABlackBox on spCibleWP");
    return rc;
  }
  CATBoolean source_flattened = 0;
  CATBoolean target_flattened = 0;
  if (source_is_black_box) {
    rc = source->GetIsFlatten(source_flattened);
    if (FAILED(rc)) {
      Trace("   Error: failed to GetIsFlatten on spSourceWP");
      return rc;
    }
  }
  if (target_is_black_box) {
    rc = target->GetIsFlatten(target_flattened);
    if (FAILED(rc)) {
      Trace("   Error: failed to GetIsFlatten on spCibleWP");
      return rc;
    }
  }
  if (source_flattened || target_flattened) {
    NotifyError("ErrId1", "KRVWD7CopyPosition");
    return E_FAIL;
  }
  KRVWD7CoreServices::SwitchToProductMode(iReference);
  KRVWD7CoreServices::SwitchToProductMode(iTarget);
  rc = KRVWD7UtiPrdServices::CopyPosition(iTarget, iReference);
  Trace("<< KRVEWD7BlackBoxServices::CopyPosition");
  return rc;
}
