#include "LiteralAddToBlackBox.h"

#include <new>

#include "CATDocument.h"
#include "CATError.h"
#include "CATILinkableObject.h"
#include "CATIProduct.h"
#include "CATInternalError.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"

namespace krvwd7_literal {

namespace {

void Trace(const char* iText) {
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::Print(iText);
}

HRESULT Raise(const char* iKey) {
  CATInternalError* error = new (std::nothrow) CATInternalError(iKey, "KRVWD7AddToBB");
  return CATError::GetReturn(2, error, nullptr, __FILE__, __LINE__);
}

CATDocument* DocumentOf(const CATBaseUnknown_var& iObject) {
  CATILinkableObject_var linkable(iObject);
  return linkable ? linkable->GetDocument() : nullptr;
}

}  // namespace

HRESULT AddToBlackBox(const CATBaseUnknown_var& iPSNProduct,
                      const CATBaseUnknown_var& iPSNRoot,
                      const CATBaseUnknown_var& iTarget, CATBaseUnknown_var& oNewProduct) {
  Trace(">> KRVEWD7BlackBoxServices::AddToBlackBox");
  oNewProduct = CATBaseUnknown_var();
  if (!iPSNProduct || !iPSNRoot || !iTarget) return E_INVALIDARG;
  CATDocument* psn_document = DocumentOf(iPSNRoot);
  if (!psn_document) return Raise("ErrId0");
  if (KRVWD7CoreServices::CheckVPMDocument(*psn_document) < 0) return Raise("ErrId1");
  CATDocument* bb_document = DocumentOf(iTarget);
  if (!bb_document) return Raise("ErrId2");
  if (KRVWD7CoreServices::CheckVPMDocument(*bb_document) < 0) return Raise("ErrId3");
  KRVWD7CoreServices::SwitchToProductMode(iPSNRoot);
  KRVWD7CoreServices::SwitchToProductMode(iTarget);
  CATListValKRVWD7PrdInfo psn_list, bb_list;
  HRESULT rc = KRVWD7PrdInfoListServices::BuildPrdInfoList(iPSNRoot, psn_list, 0, NULL_var,
                                                           nullptr);
  if (rc >= 0) {
    rc = KRVWD7PrdInfoListServices::BuildPrdInfoList(iTarget, bb_list, 1, NULL_var, nullptr);
  }
  if (rc < 0) return Raise("ErrId4");

  CATUnicodeString psn_part_number, bb_part_number;
  KRVWD7UtiPrdServices::GetPartNumber(iPSNRoot, psn_part_number);
  int type = 0;
  KRVIWD7BlackBox_var black_box(iTarget);
  if (black_box) black_box->GetType(type, bb_part_number);
  CATBaseUnknown_var father;
  if (psn_part_number == bb_part_number) {
    if (type == 2) {
      KRVWD7UtiPrdServices::FindInstance(iTarget, bb_part_number, 0, father, 0);
    } else if (type == 1) {
      father = iTarget;
    }
  } else if (CATIProduct_var(iTarget)) {
    father = iTarget;
  }
  if (!father) return Raise("ErrId5");

  int found = 0;
  for (int i = 1; i <= psn_list.Size() && !found; ++i) {
    CATBaseUnknown_var product;
    psn_list[i].GetProduct(product);
    psn_list[i].Dump();
    if (product && product == iPSNProduct) found = i;
  }
  if (found) {
    KRVWD7PrdInfo again;
    KRVWD7PrdInfoListServices::GetPrdInfo(psn_list, iPSNProduct, again);
    CATUnicodeString part_number, version, revision;
    again.GetPartNumber(part_number);
    again.GetVersion(version);
    again.GetRevision(revision);
    for (int i = 1; i <= bb_list.Size(); ++i) {
      CATUnicodeString bb_number, bb_version, bb_revision;
      bb_list[i].GetPartNumber(bb_number);
      bb_list[i].GetVersion(bb_version);
      bb_list[i].GetRevision(bb_revision);
      if (bb_number == part_number && (bb_revision != revision || bb_version != version)) {
        return Raise("ErrId7");
      }
    }
    if (KRVWD7CoreServices::AddProductFromPSNtoBB(psn_list[found], iPSNRoot, father,
                                                  oNewProduct, 0) < 0) {
      return Raise("ErrId6");
    }
    CATListValCATBaseUnknown_var* children = nullptr;
    if (KRVWD7UtiPrdServices::GetAllChildren(iPSNProduct, children, "CATIProduct", 0) < 0) {
      Trace("KRVWD7UtiPrdServices::GetAllChildren failed");
    } else {
      for (int i = 1; children && i <= children->Size(); ++i) {
        const CATBaseUnknown_var child = (*children)[i];
        if (!child) continue;
        KRVWD7PrdInfo psn_record;
        KRVWD7PrdInfoListServices::GetPrdInfo(psn_list, child, psn_record);
        CATBaseUnknown_var added;
        if (KRVWD7CoreServices::CheckIsInsideSubBB(child, iTarget)) {
          KRVWD7PrdInfo bb_record;
          KRVWD7PrdInfoListServices::GetPrdInfo(bb_list, child, bb_record);
          CATUnicodeString bb_version, bb_revision, psn_version, psn_revision;
          bb_record.GetVersion(bb_version);
          bb_record.GetRevision(bb_revision);
          psn_record.GetVersion(psn_version);
          psn_record.GetRevision(psn_revision);
          if (bb_revision == psn_revision || bb_version == psn_version) {
            Trace("Test (VersionInBB !=  VersionInPSN) && (RevisionInBB != RevisionInPSN)");
          } else if (KRVWD7CoreServices::AddProductFromPSNtoBB(psn_record, iPSNRoot, father,
                                                               added, 0) < 0) {
            Trace("KRVWD7CoreServices::AddProductFromPSNtoBB (3) failed");
          }
        } else if (KRVWD7CoreServices::AddProductFromPSNtoBB(psn_record, iPSNRoot, father,
                                                             added, 0) < 0) {
          Trace("KRVWD7CoreServices::AddProductFromPSNtoBB (2) failed");
        }
      }
    }
    delete children;
  }
  Trace("<< KRVEWD7BlackBoxServices::AddToBlackBox");
  return S_OK;
}

}  // namespace krvwd7_literal
