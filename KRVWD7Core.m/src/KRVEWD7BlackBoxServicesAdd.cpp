// AddToBlackBox: adds a product picked in the PSN structure, with every
// product below it, to the black box.
//
// Both documents are checked and both structures read into record lists
// first; the father in the black box is the node of the PSN root (or the
// target itself when the PSN root is another product); a black box that
// holds the picked part number with another version or revision must be
// updated first ("ErrId7"). Nothing changes before the picked product is
// added (KRVWD7CoreServices::AddProductFromPSNtoBB); its children follow,
// and a child that cannot be added is only traced. Errors use the catalog
// "KRVWD7AddToBB".
//
// The children look their records up by product: one hash look-up each
// (an index of the lists by product identity, the first record of a product
// winning as a scan from the first record would find it), so adding a
// branch of n products costs O(n) look-ups, not n scans of the lists.
#include <memory>
#include <unordered_map>

#include "CATDocument.h"
#include "CATILinkableObject.h"
#include "CATIProduct.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiPrdServices.h"

using krvwd7_core::RaiseError;
using krvwd7_core::Trace;

namespace {

const char kCatalog[] = "KRVWD7AddToBB";

// The records of a list by the identity of their product: Find answers what
// KRVWD7PrdInfoListServices::GetPrdInfo by product answers (the first
// record whose product is the same object; a reset record otherwise).
class RecordsByProduct {
 public:
  explicit RecordsByProduct(const CATListValKRVWD7PrdInfo& iList) : list_(iList) {
    index_.reserve(static_cast<size_t>(iList.Size()));
    for (int i = 1; i <= iList.Size(); ++i) {
      CATBaseUnknown_var product;
      iList[i].GetProduct(product);
      if (product) index_.emplace(product->GetIdentity(), i);
    }
  }
  void Find(const CATBaseUnknown_var& iProduct, KRVWD7PrdInfo& oInfo) const {
    oInfo.Init();
    if (!iProduct) return;
    auto found = index_.find(iProduct->GetIdentity());
    if (found != index_.end()) oInfo = list_[found->second];
  }

 private:
  const CATListValKRVWD7PrdInfo& list_;
  std::unordered_map<const CATBaseUnknown*, int> index_;
};

// The document that holds iObject; null without one.
CATDocument* DocumentOf(const CATBaseUnknown_var& iObject) {
  const CATILinkableObject_var linkable(iObject);
  return linkable ? linkable->GetDocument() : nullptr;
}

// The black-box product below which the picked product goes: the node of
// the PSN root when iPSNRoot's part number is the black box's PSN part
// number, iTarget itself when it is another one; empty when there is none.
CATBaseUnknown_var FatherOf(const CATBaseUnknown_var& iPSNRoot,
                            const CATBaseUnknown_var& iTarget) {
  CATUnicodeString psn_part_number;
  KRVWD7UtiPrdServices::GetPartNumber(iPSNRoot, psn_part_number);
  int type = 0;
  CATUnicodeString bb_psn_part_number;
  const KRVIWD7BlackBox_var black_box(iTarget);
  if (black_box) black_box->GetType(type, bb_psn_part_number);
  CATBaseUnknown_var father;
  if (psn_part_number == bb_psn_part_number) {
    if (type == 2) {
      KRVWD7UtiPrdServices::FindInstance(iTarget, bb_psn_part_number, 0, father, 0);
    } else if (type == 1) {
      father = iTarget;
    }
  } else if (CATIProduct_var(iTarget)) {
    father = iTarget;
  }
  return father;
}

// The record of iProduct in iList, found by walking the records from the
// first and dumping each to the trace until it; false when it is not there.
bool FindPicked(const CATListValKRVWD7PrdInfo& iList,
                const CATBaseUnknown_var& iProduct, KRVWD7PrdInfo& oRecord) {
  for (int i = 1; i <= iList.Size(); ++i) {
    CATBaseUnknown_var product;
    iList[i].GetProduct(product);
    iList[i].Dump();
    if (product && product == iProduct) {
      oRecord = iList[i];
      return true;
    }
  }
  return false;
}

// True when the black box holds iPicked's part number with another
// revision or another version.
bool HoldsAnotherVersion(const CATListValKRVWD7PrdInfo& iBBList,
                         const KRVWD7PrdInfo& iPicked) {
  CATUnicodeString part_number, version, revision;
  iPicked.GetPartNumber(part_number);
  iPicked.GetVersion(version);
  iPicked.GetRevision(revision);
  for (int i = 1; i <= iBBList.Size(); ++i) {
    CATUnicodeString bb_part_number, bb_version, bb_revision;
    iBBList[i].GetPartNumber(bb_part_number);
    if (bb_part_number != part_number) continue;
    iBBList[i].GetVersion(bb_version);
    iBBList[i].GetRevision(bb_revision);
    if (bb_revision != revision || bb_version != version) return true;
  }
  return false;
}

// Adds every product below iPSNProduct, in the toolbox's order. A child
// inside a black box nested in the PSN structure is added only when both
// its revision and its version differ from those of its black-box record.
void AddChildren(const CATBaseUnknown_var& iPSNProduct,
                 const CATBaseUnknown_var& iPSNRoot,
                 const CATBaseUnknown_var& iTarget,
                 const CATBaseUnknown_var& iFather,
                 const CATListValKRVWD7PrdInfo& iPSNList,
                 const CATListValKRVWD7PrdInfo& iBBList) {
  CATListValCATBaseUnknown_var* children = nullptr;
  if (FAILED(KRVWD7UtiPrdServices::GetAllChildren(iPSNProduct, children,
                                                  "CATIProduct", 0))) {
    Trace("KRVWD7UtiPrdServices::GetAllChildren failed");
    delete children;
    return;
  }
  if (children == nullptr) return;
  const RecordsByProduct psn_records(iPSNList);
  std::unique_ptr<RecordsByProduct> bb_records;  // made when first needed
  for (int i = 1; i <= children->Size(); ++i) {
    const CATBaseUnknown_var& child = (*children)[i];
    if (!child) continue;
    KRVWD7PrdInfo psn_record;
    psn_records.Find(child, psn_record);
    CATBaseUnknown_var added;
    if (KRVWD7CoreServices::CheckIsInsideSubBB(child, iTarget)) {
      if (!bb_records) bb_records = std::make_unique<RecordsByProduct>(iBBList);
      KRVWD7PrdInfo bb_record;
      bb_records->Find(child, bb_record);
      CATUnicodeString bb_version, bb_revision, psn_version, psn_revision;
      bb_record.GetVersion(bb_version);
      bb_record.GetRevision(bb_revision);
      psn_record.GetVersion(psn_version);
      psn_record.GetRevision(psn_revision);
      if (bb_revision == psn_revision || bb_version == psn_version) {
        Trace("Test (VersionInBB !=  VersionInPSN) && (RevisionInBB != RevisionInPSN)");
        continue;
      }
      if (FAILED(KRVWD7CoreServices::AddProductFromPSNtoBB(psn_record, iPSNRoot,
                                                           iFather, added, 0))) {
        Trace("KRVWD7CoreServices::AddProductFromPSNtoBB (3) failed");
      }
    } else if (FAILED(KRVWD7CoreServices::AddProductFromPSNtoBB(
                   psn_record, iPSNRoot, iFather, added, 0))) {
      Trace("KRVWD7CoreServices::AddProductFromPSNtoBB (2) failed");
    }
  }
  delete children;
}

}  // namespace

HRESULT KRVEWD7BlackBoxServices::AddToBlackBox(
    const CATBaseUnknown_var& iPSNProduct, const CATBaseUnknown_var& iPSNRoot,
    const CATBaseUnknown_var& iTarget, CATBaseUnknown_var& oNewProduct,
    CATLONG64) {
  Trace(">> KRVEWD7BlackBoxServices::AddToBlackBox");
  oNewProduct = CATBaseUnknown_var();
  if (!iPSNProduct || !iPSNRoot || !iTarget) return E_INVALIDARG;

  // Both documents must be worked on.
  CATDocument* psn_document = DocumentOf(iPSNRoot);
  if (psn_document == nullptr) return RaiseError("ErrId0", kCatalog);
  if (FAILED(KRVWD7CoreServices::CheckVPMDocument(*psn_document))) {
    return RaiseError("ErrId1", kCatalog);
  }
  CATDocument* bb_document = DocumentOf(iTarget);
  if (bb_document == nullptr) return RaiseError("ErrId2", kCatalog);
  if (FAILED(KRVWD7CoreServices::CheckVPMDocument(*bb_document))) {
    return RaiseError("ErrId3", kCatalog);
  }
  KRVWD7CoreServices::SwitchToProductMode(iPSNRoot);
  KRVWD7CoreServices::SwitchToProductMode(iTarget);

  CATListValKRVWD7PrdInfo psn_list;
  CATListValKRVWD7PrdInfo bb_list;
  HRESULT rc = KRVWD7PrdInfoListServices::BuildPrdInfoList(
      iPSNRoot, psn_list, 0, CATBaseUnknown_var(), nullptr);
  if (SUCCEEDED(rc)) {
    rc = KRVWD7PrdInfoListServices::BuildPrdInfoList(
        iTarget, bb_list, 1, CATBaseUnknown_var(), nullptr);
  }
  if (FAILED(rc)) return RaiseError("ErrId4", kCatalog);

  const CATBaseUnknown_var father = FatherOf(iPSNRoot, iTarget);
  if (!father) return RaiseError("ErrId5", kCatalog);

  KRVWD7PrdInfo picked;
  if (FindPicked(psn_list, iPSNProduct, picked)) {
    KRVWD7PrdInfo record;
    KRVWD7PrdInfoListServices::GetPrdInfo(psn_list, iPSNProduct, record);
    if (HoldsAnotherVersion(bb_list, record)) return RaiseError("ErrId7", kCatalog);
    if (FAILED(KRVWD7CoreServices::AddProductFromPSNtoBB(picked, iPSNRoot, father,
                                                         oNewProduct, 0))) {
      return RaiseError("ErrId6", kCatalog);
    }
    AddChildren(iPSNProduct, iPSNRoot, iTarget, father, psn_list, bb_list);
  }

  Trace("<< KRVEWD7BlackBoxServices::AddToBlackBox");
  return S_OK;
}
