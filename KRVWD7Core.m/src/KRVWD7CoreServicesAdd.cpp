// KRVWD7CoreServices: adding a PSN product at its place in the black box.
//
// Every look-up gives the answer of the plain algorithm (fill a record for
// each candidate, keep the first that matches) at a cost that does not grow
// with the black box:
//  - FindInstanceInBB asks the toolbox for the children whose stored
//    printable id is the target and fills a whole record only for those (a
//    record that fails to fill is passed over, as the plain scan passes it
//    over); the replaced-link search, which needs every record, is done in
//    full;
//  - RetrieveSimilarInstances with a part number asks the toolbox for the
//    products of that number only, in the structure's order, and filters
//    those; without a part number it filters every product.
#include <memory>
#include <vector>

#include "CATFormat.h"
#include "CATIProduct.h"
#include "CATListValCATUnicodeString.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::kClinkLength;
using krvwd7_core::Trace;
using krvwd7_core::TraceF;

namespace {

using ProductList = std::unique_ptr<CATListValCATBaseUnknown_var>;

const char kProductInterface[] = "CATIProduct";
const char kPrintableIdProperty[] = "BBPrintableId";
const char kVpmEnvProperty[] = "BBVpmEnv";
const char kNotReplaced[] = "NotReplaced";
// In "BBVpmEnv", the node's environment: 8 characters beginning 17 before
// the end (the one before the last of the "/"-joined environments).
constexpr int kEnvFromEnd = 17;
constexpr int kEnvLength = 8;

// The printable id that VPM gives iPSNProduct, the one a record filled for
// it relative to its root would hold; empty when the root or the id cannot
// be had.
CATUnicodeString TargetId(const CATBaseUnknown_var& iPSNProduct) {
  CATBaseUnknown_var root;
  CATUnicodeString id;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iPSNProduct, root)) ||
      !root || FAILED(KRVWD7UtiVPMServices::GetPrintableId(iPSNProduct, id))) {
    id = "";
  }
  return id;
}

// The record of a black-box candidate, filled from its stored identity
// relative to iRoot. False when the record does not fill without error or
// carries no printable id: such a candidate stands for no PSN product.
bool FillStoredRecord(const CATBaseUnknown_var& iCandidate,
                      const CATBaseUnknown_var& iRoot, KRVWD7PrdInfo& oRecord) {
  if (FAILED(oRecord.RetrieveInfo(iCandidate, iRoot, 1))) return false;
  CATUnicodeString id;
  oRecord.GetPrintableId(id, 0);
  return !id.IsEmpty();
}

// The first of iCandidates whose record fills and carries iTarget as
// printable id (each one's stored id is iTarget already); empty when none.
CATBaseUnknown_var FirstFilling(const CATListValCATBaseUnknown_var& iCandidates,
                                const CATBaseUnknown_var& iRoot,
                                const CATUnicodeString& iTarget) {
  for (int i = 1; i <= iCandidates.Size(); ++i) {
    KRVWD7PrdInfo record;
    CATUnicodeString id;
    if (!iCandidates[i] || !FillStoredRecord(iCandidates[i], iRoot, record)) continue;
    record.GetPrintableId(id, 0);
    if (id == iTarget) return iCandidates[i];
  }
  return CATBaseUnknown_var();
}

// The first candidate whose printable id, its own component link replaced
// by the one that VPM says replaces it, is iTarget; empty when none or when
// VPM does not answer one link per record. Every candidate is filled; the
// environment of each is traced whole and cut.
CATBaseUnknown_var FirstReplacedWithId(
    const CATListValCATBaseUnknown_var& iCandidates,
    const CATBaseUnknown_var& iRoot, const CATUnicodeString& iTarget) {
  std::vector<KRVWD7PrdInfo> records;
  for (int i = 1; i <= iCandidates.Size(); ++i) {
    if (!iCandidates[i]) continue;
    KRVWD7PrdInfo record;
    if (FillStoredRecord(iCandidates[i], iRoot, record)) records.push_back(record);
  }
  CATListValCATUnicodeString clinks, environments;
  for (const KRVWD7PrdInfo& record : records) {
    CATUnicodeString id;
    record.GetPrintableId(id, 0);
    clinks.Append(id.SubString(id.GetLengthInChar() - kClinkLength, kClinkLength));
    CATBaseUnknown_var product;
    CATUnicodeString env;
    record.GetProduct(product);
    if (product &&
        FAILED(KRVWD7UtiPrdServices::GetProperty(product, kVpmEnvProperty, env))) {
      env = "";
    }
    TraceF("usCurrentEnv=[%s]", env.ConvertToChar());
    env = env.SubString(env.GetLengthInChar() - kEnvFromEnd, kEnvLength);
    TraceF("usCurrentEnv=[%s]", env.ConvertToChar());
    environments.Append(env);
  }
  CATListValCATUnicodeString replacing;
  if (FAILED(KRVWD7UtiVPMServices::GetReplacingClinks(clinks, environments,
                                                      replacing)) ||
      replacing.Size() != static_cast<int>(records.size())) {
    return CATBaseUnknown_var();
  }
  for (size_t i = 0; i < records.size(); ++i) {
    const CATUnicodeString& link = replacing[static_cast<int>(i) + 1];
    if (link == kNotReplaced) continue;
    CATUnicodeString id;
    records[i].GetPrintableId(id, 0);
    id.ReplaceSubString(id.GetLengthInChar() - kClinkLength, kClinkLength, link);
    CATBaseUnknown_var product;
    records[i].GetProduct(product);
    if (id == iTarget) return product;
  }
  return CATBaseUnknown_var();
}

// Whether iProduct passes the criteria of RetrieveSimilarInstances; a
// value that cannot be read fails its criterion.
bool IsSimilar(const CATBaseUnknown_var& iProduct, const CATUnicodeString& iPartNumber,
               const CATUnicodeString& iVersion, const CATUnicodeString& iRevision,
               int iNodeType) {
  if (!iProduct) return false;
  CATUnicodeString value;
  if (!iPartNumber.IsEmpty() &&
      (FAILED(KRVWD7UtiPrdServices::GetPartNumber(iProduct, value)) ||
       value != iPartNumber)) {
    return false;
  }
  if (!iVersion.IsEmpty() &&
      (FAILED(KRVWD7PrdInfo::GetVersionOrRevision(iProduct, 0, value)) ||
       value != iVersion)) {
    return false;
  }
  if (!iRevision.IsEmpty() &&
      (FAILED(KRVWD7PrdInfo::GetVersionOrRevision(iProduct, 1, value)) ||
       value != iRevision)) {
    return false;
  }
  int type = 0;
  if (iNodeType != 0 && (FAILED(KRVWD7UtiPrdServices::GetNodeType(iProduct, type)) ||
                         type != iNodeType)) {
    return false;
  }
  return true;
}

// A model of the black box (below iBBFather's root) with the part number,
// version and revision of the PSN leaf; empty when none or when a value of
// the leaf cannot be read.
CATBaseUnknown_var IdenticalModel(const CATBaseUnknown_var& iBBFather,
                                  const CATBaseUnknown_var& iPSNLeaf) {
  CATUnicodeString part_number, version, revision;
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdServices::GetPartNumber(iPSNLeaf, part_number)) ||
      FAILED(KRVWD7PrdInfo::GetVersionOrRevision(iPSNLeaf, 0, version)) ||
      FAILED(KRVWD7PrdInfo::GetVersionOrRevision(iPSNLeaf, 1, revision)) ||
      FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iBBFather, root))) {
    return CATBaseUnknown_var();
  }
  CATListValCATBaseUnknown_var* raw = nullptr;
  const HRESULT rc = KRVWD7CoreServices::RetrieveSimilarInstances(
      root, part_number, version, revision, 5, raw);
  ProductList models(raw);
  if (FAILED(rc) || !models || models->Size() == 0) return CATBaseUnknown_var();
  return (*models)[1];
}

// Copies onto the new leaf iNew the PSN leaf's instance and reference
// properties (both with flag false), graphic properties and position, each
// whatever the others gave. True when all four succeeded.
bool TakeLeafData(const CATBaseUnknown_var& iNew, const CATBaseUnknown_var& iPSNLeaf) {
  bool copied = SUCCEEDED(
      KRVWD7UtiPrdServices::CopyPropertiesOfInstanceProduct(iNew, iPSNLeaf, 0));
  copied &= SUCCEEDED(
      KRVWD7UtiPrdServices::CopyPropertiesOfReferenceProduct(iNew, iPSNLeaf, 0));
  copied &= SUCCEEDED(KRVWD7UtiPrdServices::CopyGraphicProperties(iNew, iPSNLeaf));
  copied &= SUCCEEDED(KRVWD7UtiPrdServices::CopyPosition(iNew, iPSNLeaf));
  return copied;
}

// Gives iCreated the printable id and environment of iRecord. True when
// both were read and written.
bool GiveIdentity(const CATBaseUnknown_var& iCreated, const KRVWD7PrdInfo& iRecord) {
  CATUnicodeString id, env;
  return SUCCEEDED(iRecord.GetPrintableId(id, 0)) &&
         SUCCEEDED(iRecord.GetPDMEnv(env)) &&
         SUCCEEDED(KRVWD7CoreServices::SetPrintableIdParameterOnNode(iCreated, id, env));
}

// The PSN products strictly between iPSNRoot and iPSNProduct, nearest
// first; empty when iPSNProduct is not a product.
std::vector<CATBaseUnknown_var> PSNChain(const CATBaseUnknown_var& iPSNProduct,
                                         const CATBaseUnknown_var& iPSNRoot) {
  std::vector<CATBaseUnknown_var> chain;
  CATIProduct_var product(iPSNProduct);
  if (!product) return chain;
  for (CATIProduct_var father = product->GetFatherProduct(); father;
       father = father->GetFatherProduct()) {
    if (father == iPSNRoot) break;
    chain.push_back(CATBaseUnknown_var(father));
  }
  return chain;
}

bool IsFlattened(const CATBaseUnknown_var& iBBTarget) {
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iBBTarget, root))) {
    return false;
  }
  KRVIWD7BlackBox_var black_box(root);
  CATBoolean flattened = 0;
  return black_box && SUCCEEDED(black_box->GetIsFlatten(flattened)) && flattened;
}

}  // namespace

HRESULT KRVWD7CoreServices::AddProductFromPSNtoBB(const KRVWD7PrdInfo& iPSNProduct,
                                                  const CATBaseUnknown_var& iPSNRoot,
                                                  const CATBaseUnknown_var& iBBTarget,
                                                  CATBaseUnknown_var& oAdded,
                                                  CATBoolean iAllowReplaced) {
  Trace(">>KRVWD7CoreServices::AddProductFromPSNtoBB()");
  oAdded = NULL_var;
  if (!iPSNRoot || !iBBTarget) return E_INVALIDARG;

  HRESULT rc = E_FAIL;
  CATBaseUnknown_var product;
  if (SUCCEEDED(iPSNProduct.GetProduct(product)) && product) {
    // A flattened black box has no intermediate products.
    const bool flattened = IsFlattened(iBBTarget);
    CATBaseUnknown_var father = iBBTarget;
    if (!flattened && FAILED(BuildComponentsChain(product, iPSNRoot, iBBTarget,
                                                  father, iAllowReplaced))) {
      father = NULL_var;
    }
    CATBaseUnknown_var found;
    const HRESULT look_up =
        father ? FindInstanceInBB(father, product, found, 0, iAllowReplaced) : E_FAIL;
    int type = 0;
    if (look_up == S_OK) {
      oAdded = found;
      rc = S_FALSE;
    } else if (look_up == S_FALSE && SUCCEEDED(iPSNProduct.GetNodeType(type))) {
      CATBaseUnknown_var created;
      HRESULT made = E_FAIL;
      if (type == 1 || ((type == 2 || type == 3) && flattened)) {
        rc = S_FALSE;  // a root, or an assembly in a flattened black box
      } else if (type == 2 || type == 3) {
        made = AddNewComponent(father, product, created);
      } else if (type == 4 || type == 5 || type == 9) {
        made = AddLeaf(father, product, type, created);
      }
      // What was made stays even when its identity cannot be written.
      if (SUCCEEDED(made) && created && GiveIdentity(created, iPSNProduct)) {
        oAdded = created;
        rc = S_OK;
      }
    }
  }
  Trace("<<KRVWD7CoreServices::AddProductFromPSNtoBB()");
  return rc;
}

HRESULT KRVWD7CoreServices::RetrieveSimilarInstances(
    const CATBaseUnknown_var& iRoot, const CATUnicodeString& iPartNumber,
    const CATUnicodeString& iVersion, const CATUnicodeString& iRevision,
    int iNodeType, CATListValCATBaseUnknown_var*& oList) {
  oList = nullptr;
  if (!iRoot) return E_INVALIDARG;
  CATListValCATBaseUnknown_var* raw = nullptr;
  const HRESULT rc =
      iPartNumber.IsEmpty()
          ? KRVWD7UtiPrdServices::GetAllChildren(iRoot, raw, kProductInterface, 0)
          : KRVWD7UtiPrdServices::GetAllChildrenByPartNumber(iRoot, iPartNumber, 0,
                                                             raw);
  ProductList products(raw);
  if (FAILED(rc) || !products) return E_FAIL;
  // The survivors in their order: the list filtered in place.
  auto similar = std::make_unique<CATListValCATBaseUnknown_var>();
  for (int i = 1; i <= products->Size(); ++i) {
    const CATBaseUnknown_var& product = (*products)[i];
    if (IsSimilar(product, iPartNumber, iVersion, iRevision, iNodeType)) {
      similar->Append(product);
    }
  }
  oList = similar.release();
  return S_OK;
}

HRESULT KRVWD7CoreServices::BuildComponentsChain(const CATBaseUnknown_var& iPSNProduct,
                                                 const CATBaseUnknown_var& iPSNRoot,
                                                 const CATBaseUnknown_var& iBBStart,
                                                 CATBaseUnknown_var& oFather,
                                                 CATBoolean iAllowReplaced) {
  oFather = NULL_var;
  if (!iPSNProduct || !iPSNRoot || !iBBStart) return E_INVALIDARG;
  const std::vector<CATBaseUnknown_var> chain = PSNChain(iPSNProduct, iPSNRoot);

  // From the product just below the PSN root down to the product's father.
  CATBaseUnknown_var current = iBBStart;
  for (auto it = chain.rbegin(); it != chain.rend() && current; ++it) {
    const CATBaseUnknown_var& intermediate = *it;
    if (!intermediate) continue;
    CATBaseUnknown_var found;
    const HRESULT look_up =
        FindInstanceInBB(current, intermediate, found, 0, iAllowReplaced);
    if (FAILED(look_up)) {
      current = NULL_var;
    } else if (look_up == S_OK) {
      current = found;
    } else {
      CATBaseUnknown_var created;
      if (FAILED(AddNewComponent(current, intermediate, created))) {
        current = NULL_var;
        continue;
      }
      KRVWD7PrdInfo record;
      if (created && SUCCEEDED(record.RetrieveInfo(intermediate, iPSNRoot, 0)) &&
          !GiveIdentity(created, record)) {
        created = NULL_var;  // it stays in the black box, but the chain ends
      }
      current = created;
    }
  }
  if (!current) return E_FAIL;
  oFather = current;
  return S_OK;
}

HRESULT KRVWD7CoreServices::FindInstanceInBB(const CATBaseUnknown_var& iBBFather,
                                             const CATBaseUnknown_var& iPSNProduct,
                                             CATBaseUnknown_var& oFound,
                                             CATBoolean iRecursive,
                                             CATBoolean iAllowReplaced) {
  oFound = NULL_var;
  if (!iBBFather || !iPSNProduct) return E_INVALIDARG;
  const CATUnicodeString target = TargetId(iPSNProduct);

  // Only a child whose stored id is the target can be found by it: the
  // toolbox hands out those alone, in order (a record is filled for them).
  if (!target.IsEmpty()) {
    CATListValCATBaseUnknown_var* raw = nullptr;
    const HRESULT listed = KRVWD7UtiPrdServices::GetChildrenWithProperty(
        iBBFather, kPrintableIdProperty, target, iRecursive, raw);
    ProductList matching(raw);
    if (FAILED(listed)) return E_FAIL;
    if (!matching) return S_FALSE;  // no child at all
    if (matching->Size() > 0) {
      CATBaseUnknown_var root;
      if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct((*matching)[1], root)) ||
          !root) {
        return S_FALSE;
      }
      oFound = FirstFilling(*matching, root, target);
      if (oFound) return S_OK;
    }
    if (!iAllowReplaced) return S_FALSE;
  }

  // No record carries an empty id; the replaced-link search needs them all.
  CATListValCATBaseUnknown_var* raw = nullptr;
  const HRESULT listed =
      iRecursive
          ? KRVWD7UtiPrdServices::GetAllChildren(iBBFather, raw, kProductInterface, 0)
          : KRVWD7UtiPrdServices::GetChildren(iBBFather, raw, kProductInterface, 0);
  ProductList candidates(raw);
  if (FAILED(listed)) return E_FAIL;
  if (!candidates || candidates->Size() == 0) return S_FALSE;
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct((*candidates)[1], root)) ||
      !root) {
    return S_FALSE;
  }
  if (iAllowReplaced) oFound = FirstReplacedWithId(*candidates, root, target);
  return oFound ? S_OK : S_FALSE;
}

HRESULT KRVWD7CoreServices::AddNewComponent(const CATBaseUnknown_var& iBBFather,
                                            const CATBaseUnknown_var& iPSNNode,
                                            CATBaseUnknown_var& oNew) {
  oNew = NULL_var;
  if (!iBBFather) return E_INVALIDARG;
  if (FAILED(KRVWD7UtiPrdServices::AddNewComponent(iBBFather, "", oNew))) {
    oNew = NULL_var;
    return E_FAIL;
  }
  if (oNew && iPSNNode && SUCCEEDED(UpdateBBNodeFromPSN(oNew, iPSNNode, 0))) {
    return CopyPartNumber(iPSNNode, oNew);
  }
  return E_FAIL;
}

HRESULT KRVWD7CoreServices::AddLeaf(const CATBaseUnknown_var& iBBFather,
                                    const CATBaseUnknown_var& iPSNLeaf, int iNodeType,
                                    CATBaseUnknown_var& oNew) {
  Trace(">>KRVWD7CoreServices::AddLeaf()");
  oNew = NULL_var;
  if (!iBBFather || !iPSNLeaf ||
      (iNodeType != 4 && iNodeType != 5 && iNodeType != 9)) {
    return E_INVALIDARG;
  }
  if (iNodeType == 5) {
    const CATBaseUnknown_var model = IdenticalModel(iBBFather, iPSNLeaf);
    if (model) {
      // Another instance of the model already in the black box, placed and
      // named as the PSN leaf. This path writes no exit line.
      if (FAILED(KRVWD7UtiPrdCCPServices::CopyAndPaste(
              CATFormat::GetRegisteredFormat("CATProdCont"), model, iBBFather,
              oNew)) ||
          !oNew) {
        return E_FAIL;
      }
      return TakeLeafData(oNew, iPSNLeaf) ? S_OK : E_FAIL;
    }
  }
  // A part instance shares the PSN part; a model (or a further leaf kind)
  // gets its own copy with the links broken.
  const char* format = iNodeType == 4 ? "CATProdCont" : "CATSpecBreakLink";
  const HRESULT pasted = KRVWD7UtiPrdCCPServices::CopyAndPaste(
      CATFormat::GetRegisteredFormat(format), iPSNLeaf, iBBFather, oNew);
  const HRESULT rc = SUCCEEDED(pasted) && oNew ? S_OK : E_FAIL;
  Trace("<<KRVWD7CoreServices::AddLeaf()");
  return rc;
}
