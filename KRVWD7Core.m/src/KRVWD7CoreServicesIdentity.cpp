// KRVWD7CoreServices: giving black-box nodes the identity of the PSN
// products they stand for (printable id and environment properties, part
// number, properties, position, shape representation).
#include <memory>

#include "CATIProduct.h"
#include "CATIProductInSession.h"
#include "CATIProductReplace.h"
#include "CATIProductShape.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::Trace;
using krvwd7_core::TraceF;

namespace {

const char kPrintableIdProperty[] = "BBPrintableId";
const char kVpmEnvProperty[] = "BBVpmEnv";
// The environment that leaves "BBVpmEnv" as it is.
const char kUnchangedEnv[] = "Unchanged";

// Writes the text property iName of iNode: set when it exists, created when
// absent. oReadable is false, and nothing is written, when the property
// cannot be read (a negative or unexpected answer).
HRESULT WriteIdentityProperty(const CATBaseUnknown_var& iNode, const char* iName,
                              const CATUnicodeString& iValue, bool& oReadable) {
  CATUnicodeString current;
  const HRESULT found = KRVWD7UtiPrdServices::GetProperty(iNode, iName, current);
  oReadable = found == S_OK || found == S_FALSE;
  if (found == S_OK) return KRVWD7UtiPrdServices::SetProperty(iNode, iName, iValue);
  if (found == S_FALSE) {
    return KRVWD7UtiPrdServices::CreateProperty(iNode, iName, iValue);
  }
  return E_FAIL;
}

// The text property iName of iNode; empty when absent or unreadable.
CATUnicodeString ReadProperty(const CATBaseUnknown_var& iNode, const char* iName) {
  CATUnicodeString value;
  if (FAILED(KRVWD7UtiPrdServices::GetProperty(iNode, iName, value))) value = "";
  return value;
}

// The suffix counter of CopyPartNumber over iProducts, in their order: +1
// for a product numbered iNumber, +1 for iNumber + "_" + a number not
// smaller than the count so far. Products whose number cannot be read or
// does not begin with iNumber are passed over.
int CountVariants(const CATListValCATBaseUnknown_var& iProducts,
                  const CATUnicodeString& iNumber) {
  const int length = iNumber.GetLengthInChar();
  int counter = 0;
  for (int i = 1; i <= iProducts.Size(); ++i) {
    CATUnicodeString number;
    if (FAILED(KRVWD7UtiPrdServices::GetPartNumber(iProducts[i], number)) ||
        number.SubString(0, length) != iNumber) {
      continue;
    }
    const CATUnicodeString rest = number.SubString(length, number.GetLengthInChar());
    if (rest.IsEmpty()) {
      ++counter;
      continue;
    }
    int value = 0;
    if (rest.SubString(0, 1) == "_" &&
        rest.SubString(1, rest.GetLengthInChar()).ConvertToNum(&value, "%d") == 1 &&
        value >= counter) {
      ++counter;
    }
  }
  return counter;
}

// Both leaves keep their place; the black-box leaf's shape representation
// is exchanged for the PSN leaf's when their files differ, between design
// mode and visualisation then product mode. S_OK when nothing needed
// changing or the exchange succeeded, E_FAIL otherwise.
HRESULT ExchangeShape(const CATBaseUnknown_var& iBBLeaf,
                      const CATBaseUnknown_var& iPSNLeaf) {
  CATIProductShape_var bb_shape(iBBLeaf);
  CATIProductShape_var psn_shape(iPSNLeaf);
  if (!bb_shape || !psn_shape) return E_FAIL;
  CATUnicodeString bb_path, bb_name, psn_path, psn_name;
  bb_shape->GetShapeFilePath(bb_path);
  bb_shape->GetShapeName(bb_name);
  psn_shape->GetShapeFilePath(psn_path);
  psn_shape->GetShapeName(psn_name);
  if (bb_path == psn_path) return S_OK;

  KRVWD7UtiPrdServices::SwitchToDesignMode(iBBLeaf);
  KRVWD7UtiPrdServices::SwitchToDesignMode(iPSNLeaf);
  HRESULT rc = bb_shape->RemoveShapeRepresentation(bb_name, 0, 1);
  if (SUCCEEDED(rc)) rc = bb_shape->AddShapeRepresentation(psn_path, psn_name, 0, 1);
  if (SUCCEEDED(rc)) {
    CATIProductInSession_var in_session(iBBLeaf);
    if (in_session) {
      CATUnicodeString previous;  // not needed here
      rc = in_session->ActivateShape(psn_name, 1, 0, previous, 1, 0);
    }
  }
  KRVWD7UtiPrdServices::SwitchToVisuMode(iBBLeaf);
  KRVWD7UtiPrdServices::SwitchToVisuMode(iPSNLeaf);
  KRVWD7UtiPrdServices::SwitchToProductMode(iBBLeaf);
  KRVWD7UtiPrdServices::SwitchToProductMode(iPSNLeaf);
  return FAILED(rc) ? E_FAIL : S_OK;
}

// Replaces the black-box leaf, in its father's collection of products, by
// an instance of the PSN leaf's reference. The host's result; E_FAIL when a
// view fails.
HRESULT ReplaceLeaf(const CATBaseUnknown_var& iBBLeaf,
                    const CATBaseUnknown_var& iPSNLeaf, CATBoolean iAllInstances) {
  CATIProduct_var bb_leaf(iBBLeaf);
  CATIProduct_var psn_leaf(iPSNLeaf);
  if (!bb_leaf || !psn_leaf) return E_FAIL;
  CATIProductReplace_var collection(bb_leaf->GetFatherProduct());
  CATIProduct_var reference = psn_leaf->GetReferenceProduct();
  if (!collection || !reference) return E_FAIL;
  CATIProduct_var replacing;  // released when it goes
  return collection->ReplaceComponent(bb_leaf, reference, iAllInstances, replacing);
}

}  // namespace

HRESULT KRVWD7CoreServices::SetPrintableIdParameterOnNode(
    const CATBaseUnknown_var& iNode, const CATUnicodeString& iPrintableId,
    const CATUnicodeString& iVpmEnv) {
  Trace(">> KRVWD7CoreServices::SetPrintableIdParameterOnNode");
  if (!iNode) return E_INVALIDARG;
  bool readable = false;
  HRESULT rc = WriteIdentityProperty(iNode, kPrintableIdProperty, iPrintableId,
                                     readable);
  if (FAILED(rc)) return rc;
  if (iVpmEnv != kUnchangedEnv) {
    const HRESULT env_rc =
        WriteIdentityProperty(iNode, kVpmEnvProperty, iVpmEnv, readable);
    if (readable) rc = env_rc;
  }
  Trace("<< KRVWD7CoreServices::SetPrintableIdParameterOnNode");
  return rc;
}

HRESULT KRVWD7CoreServices::CopyPartNumber(const CATBaseUnknown_var& iSource,
                                           const CATBaseUnknown_var& iTarget) {
  if (!iSource || !iTarget) return E_INVALIDARG;
  CATUnicodeString number;
  if (FAILED(KRVWD7UtiPrdServices::GetPartNumber(iSource, number)) ||
      FAILED(KRVWD7UtiPrdServices::SetPartNumber(iTarget, number))) {
    return E_FAIL;
  }
  CATUnicodeString kept;
  if (SUCCEEDED(KRVWD7UtiPrdServices::GetPartNumber(iTarget, kept)) &&
      kept == number) {
    return S_OK;
  }

  // The host kept another number: count the variants of this one in the
  // target's structure. Only the products whose number begins with it can
  // count, and the toolbox lists exactly those, in the structure's order,
  // without walking the others.
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iTarget, root)) || !root) {
    return S_FALSE;
  }
  CATListValCATBaseUnknown_var* raw = nullptr;
  const HRESULT listed = KRVWD7UtiPrdServices::GetAllChildrenByPartNumber(
      root, number, 1, raw);
  std::unique_ptr<CATListValCATBaseUnknown_var> products(raw);
  if (FAILED(listed)) return S_FALSE;
  const int counter = products ? CountVariants(*products, number) : 0;
  CATUnicodeString suffix;
  suffix.BuildFromNum(counter, "%d");
  const HRESULT set =
      KRVWD7UtiPrdServices::SetPartNumber(iTarget, number + "_" + suffix);
  return set == S_OK ? S_OK : S_FALSE;
}

HRESULT KRVWD7CoreServices::UpdateBBNodeFromPSN(const CATBaseUnknown_var& iBBNode,
                                                const CATBaseUnknown_var& iPSNNode,
                                                CATBoolean iRefProperties) {
  Trace(">>KRVWD7CoreServices::UpdateBBNodeFromPSN()");
  if (!iBBNode || !iPSNNode) return E_INVALIDARG;

  // Every copy runs whatever the others gave.
  bool copied = SUCCEEDED(KRVWD7UtiPrdServices::CopyPropertiesOfInstanceProduct(
      iBBNode, iPSNNode, 1));
  copied &= SUCCEEDED(KRVWD7UtiPrdServices::CopyPropertiesOfReferenceProduct(
      iBBNode, iPSNNode, iRefProperties));
  copied &= SUCCEEDED(KRVWD7UtiPrdServices::CopyGraphicProperties(iBBNode, iPSNNode));
  copied &= SUCCEEDED(KRVWD7UtiPrdServices::CopyPosition(iBBNode, iPSNNode));

  CATUnicodeString printable_id, env_path;
  if (SUCCEEDED(KRVWD7UtiVPMServices::GetPrintableId(iPSNNode, printable_id)) &&
      SUCCEEDED(KRVWD7UtiVPMServices::GetInstanceEnvPath(iPSNNode, env_path))) {
    TraceF("  m_ustrPrintableId = %s", printable_id.ConvertToChar());
    TraceF("  m_ustrVpmEnv = %s", env_path.ConvertToChar());
    TraceF("old ident = %s",
           ReadProperty(iBBNode, kPrintableIdProperty).ConvertToChar());
    TraceF("old env = %s", ReadProperty(iBBNode, kVpmEnvProperty).ConvertToChar());
    SetPrintableIdParameterOnNode(iBBNode, printable_id, env_path);
    TraceF("new ident = %s",
           ReadProperty(iBBNode, kPrintableIdProperty).ConvertToChar());
    TraceF("new env = %s", ReadProperty(iBBNode, kVpmEnvProperty).ConvertToChar());
  }
  Trace("<<KRVWD7CoreServices::UpdateBBNodeFromPSN()");
  return copied ? S_OK : E_FAIL;
}

HRESULT KRVWD7CoreServices::UpdateBBLeafFromPSN(const CATBaseUnknown_var& iBBLeaf,
                                                const CATBaseUnknown_var& iPSNLeaf,
                                                CATBoolean iAllInstances) {
  Trace(">>KRVWD7CoreServices::UpdateBBLeafFromPSN");
  if (!iBBLeaf || !iPSNLeaf) return E_INVALIDARG;
  int bb_type = 0;
  int psn_type = 0;
  if (FAILED(KRVWD7UtiPrdServices::GetNodeType(iBBLeaf, bb_type))) bb_type = 0;
  if (FAILED(KRVWD7UtiPrdServices::GetNodeType(iPSNLeaf, psn_type))) psn_type = 0;
  TraceF("NodeTypeBB = %d", bb_type);
  TraceF("NodeTypePSN = %d", psn_type);

  HRESULT rc;
  if ((bb_type == 5 && psn_type == 5) || (bb_type == 9 && psn_type == 9)) {
    rc = ExchangeShape(iBBLeaf, iPSNLeaf);
    if (SUCCEEDED(rc)) rc = UpdateBBNodeFromPSN(iBBLeaf, iPSNLeaf, 1);
  } else {
    rc = ReplaceLeaf(iBBLeaf, iPSNLeaf, iAllInstances);
  }
  Trace("<<KRVWD7CoreServices::UpdateBBLeafFromPSN");
  return rc;
}
