#include "LiteralCoreServices.h"

#include <vector>

#include "CATFormat.h"
#include "CATIProduct.h"
#include "CATListValCATUnicodeString.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"
#include "KRVWD7UtiVPMServices.h"

namespace krvwd7_literal {
namespace {

void Trace(const char* iText) {
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::Print(iText);
}

HRESULT FindInstanceInBB(const CATBaseUnknown_var& iBBFather,
                         const CATBaseUnknown_var& iPSNProduct,
                         CATBaseUnknown_var& oFound, CATBoolean iRecursive,
                         CATBoolean iAllowReplaced) {
  oFound = NULL_var;
  if (!iBBFather || !iPSNProduct) return E_INVALIDARG;
  CATUnicodeString target;
  CATBaseUnknown_var psn_root;
  if (SUCCEEDED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iPSNProduct, psn_root))) {
    KRVWD7PrdInfo record;
    record.RetrieveInfo(iPSNProduct, psn_root, 0);
    record.GetPrintableId(target, 0);
  }

  CATListValCATBaseUnknown_var* candidates = nullptr;
  HRESULT rc = iRecursive ? KRVWD7UtiPrdServices::GetAllChildren(iBBFather, candidates,
                                                                "CATIProduct", 0)
                          : KRVWD7UtiPrdServices::GetChildren(iBBFather, candidates,
                                                             "CATIProduct", 0);
  if (FAILED(rc)) {
    delete candidates;
    return E_FAIL;
  }
  if (candidates == nullptr) return S_FALSE;
  if (candidates->Size() == 0) {
    delete candidates;
    return S_FALSE;
  }
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct((*candidates)[1], root)) ||
      !root) {
    delete candidates;
    return S_FALSE;
  }
  std::vector<KRVWD7PrdInfo> records;
  for (int i = 1; i <= candidates->Size(); ++i) {
    if (!(*candidates)[i]) continue;
    KRVWD7PrdInfo record;
    CATUnicodeString id;
    if (SUCCEEDED(record.RetrieveInfo((*candidates)[i], root, 1)) &&
        SUCCEEDED(record.GetPrintableId(id, 0)) && !id.IsEmpty()) {
      records.push_back(record);
    }
  }
  delete candidates;

  rc = S_FALSE;
  for (const KRVWD7PrdInfo& record : records) {
    CATUnicodeString id;
    record.GetPrintableId(id, 0);
    if (id.Compare(target) == 2) {
      CATBaseUnknown_var product;
      record.GetProduct(product);
      if (product) {
        oFound = product;
        rc = S_OK;
      }
      break;
    }
  }
  if (rc == S_OK || !iAllowReplaced) return rc;

  CATListValCATUnicodeString clinks, envs, replacing;
  for (const KRVWD7PrdInfo& record : records) {
    CATUnicodeString id;
    record.GetPrintableId(id, 0);
    clinks.Append(id.SubString(id.GetLengthInChar() - 16, 16));
    CATBaseUnknown_var product;
    record.GetProduct(product);
    CATUnicodeString env;
    if (product) KRVWD7UtiPrdServices::GetProperty(product, "BBVpmEnv", env);
    KRVWD7UtiTracer::SetNoFileLine();
    KRVWD7UtiTracer::PrintV("usCurrentEnv=[%s]", env.ConvertToChar());
    env = env.SubString(env.GetLengthInChar() - 17, 8);
    KRVWD7UtiTracer::SetNoFileLine();
    KRVWD7UtiTracer::PrintV("usCurrentEnv=[%s]", env.ConvertToChar());
    envs.Append(env);
  }
  if (SUCCEEDED(KRVWD7UtiVPMServices::GetReplacingClinks(clinks, envs, replacing)) &&
      replacing.Size() == static_cast<int>(records.size())) {
    for (int i = 1; i <= replacing.Size(); ++i) {
      if (replacing[i] == "NotReplaced") continue;
      CATUnicodeString id;
      records[i - 1].GetPrintableId(id, 0);
      id.ReplaceSubString(id.GetLengthInChar() - 16, 16, replacing[i]);
      if (id.Compare(target) == 2) {
        records[i - 1].GetProduct(oFound);
        return S_OK;
      }
    }
  }
  return S_FALSE;
}

HRESULT AddNewComponent(const CATBaseUnknown_var& iBBFather,
                        const CATBaseUnknown_var& iPSNNode, CATBaseUnknown_var& oNew) {
  oNew = NULL_var;
  if (!iBBFather) return E_INVALIDARG;
  if (FAILED(KRVWD7UtiPrdServices::AddNewComponent(iBBFather, "", oNew))) {
    oNew = NULL_var;
    return E_FAIL;
  }
  if (oNew && iPSNNode &&
      SUCCEEDED(KRVWD7CoreServices::UpdateBBNodeFromPSN(oNew, iPSNNode, 0))) {
    return CopyPartNumber(iPSNNode, oNew);
  }
  return E_FAIL;
}

HRESULT BuildComponentsChain(const CATBaseUnknown_var& iPSNProduct,
                             const CATBaseUnknown_var& iPSNRoot,
                             const CATBaseUnknown_var& iBBStart,
                             CATBaseUnknown_var& oFather, CATBoolean iAllowReplaced) {
  oFather = NULL_var;
  if (!iPSNProduct || !iPSNRoot || !iBBStart) return E_INVALIDARG;
  CATListValCATBaseUnknown_var chain;
  CATIProduct_var product(iPSNProduct);
  if (product) {
    CATIProduct_var father = product->GetFatherProduct();
    while (father && !(father == iPSNRoot)) {
      chain.Append(CATBaseUnknown_var(father));
      father = father->GetFatherProduct();
    }
  }
  CATBaseUnknown_var current = iBBStart;
  for (int i = chain.Size(); i >= 1 && current; --i) {
    if (!chain[i]) continue;
    CATBaseUnknown_var found;
    HRESULT rc = FindInstanceInBB(current, chain[i], found, 0, iAllowReplaced);
    if (FAILED(rc)) {
      current = NULL_var;
    } else if (rc == S_OK) {
      current = found;
    } else {
      CATBaseUnknown_var created;
      if (FAILED(AddNewComponent(current, chain[i], created))) {
        current = NULL_var;
      } else {
        if (created) {
          KRVWD7PrdInfo record;
          CATUnicodeString id, env;
          if (SUCCEEDED(record.RetrieveInfo(chain[i], iPSNRoot, 0)) &&
              SUCCEEDED(record.GetPrintableId(id, 0)) &&
              SUCCEEDED(record.GetPDMEnv(env)) &&
              FAILED(KRVWD7CoreServices::SetPrintableIdParameterOnNode(created, id,
                                                                      env))) {
            created = NULL_var;
          }
        }
        current = created;
      }
    }
  }
  if (!current) return E_FAIL;
  oFather = current;
  return S_OK;
}

HRESULT AddLeaf(const CATBaseUnknown_var& iBBFather, const CATBaseUnknown_var& iPSNLeaf,
                int iNodeType, CATBaseUnknown_var& oNew) {
  Trace(">>KRVWD7CoreServices::AddLeaf()");
  oNew = NULL_var;
  if (!iBBFather || !iPSNLeaf || (iNodeType != 4 && iNodeType != 5 && iNodeType != 9)) {
    return E_INVALIDARG;
  }
  if (iNodeType == 5) {
    CATUnicodeString part_number, version, revision;
    CATBaseUnknown_var model;
    if (SUCCEEDED(KRVWD7UtiPrdServices::GetPartNumber(iPSNLeaf, part_number)) &&
        SUCCEEDED(KRVWD7PrdInfo::GetVersionOrRevision(iPSNLeaf, 0, version)) &&
        SUCCEEDED(KRVWD7PrdInfo::GetVersionOrRevision(iPSNLeaf, 1, revision))) {
      CATBaseUnknown_var root;
      KRVWD7UtiPrdDocServices::RetrieveRootProduct(iBBFather, root);
      CATListValCATBaseUnknown_var* list = nullptr;
      if (SUCCEEDED(RetrieveSimilarInstances(root, part_number, version, revision, 5,
                                             list)) &&
          list && list->Size() > 0) {
        model = (*list)[1];
      }
      delete list;
    }
    if (model) {
      HRESULT rc = KRVWD7UtiPrdCCPServices::CopyAndPaste(
          CATFormat::GetRegisteredFormat("CATProdCont"), model, iBBFather, oNew);
      if (FAILED(rc) || !oNew) return E_FAIL;
      HRESULT a = KRVWD7UtiPrdServices::CopyPropertiesOfInstanceProduct(oNew, iPSNLeaf, 0);
      HRESULT b = KRVWD7UtiPrdServices::CopyPropertiesOfReferenceProduct(oNew, iPSNLeaf, 0);
      HRESULT c = KRVWD7UtiPrdServices::CopyGraphicProperties(oNew, iPSNLeaf);
      HRESULT d = KRVWD7UtiPrdServices::CopyPosition(oNew, iPSNLeaf);
      return SUCCEEDED(a) && SUCCEEDED(b) && SUCCEEDED(c) && SUCCEEDED(d) ? S_OK : E_FAIL;
    }
  }
  const CATFormat* format = CATFormat::GetRegisteredFormat(
      iNodeType == 4 ? "CATProdCont" : "CATSpecBreakLink");
  HRESULT rc = KRVWD7UtiPrdCCPServices::CopyAndPaste(format, iPSNLeaf, iBBFather, oNew);
  rc = SUCCEEDED(rc) && oNew ? S_OK : E_FAIL;
  Trace("<<KRVWD7CoreServices::AddLeaf()");
  return rc;
}

}  // namespace

HRESULT AddProductFromPSNtoBB(const KRVWD7PrdInfo& iPSNProduct,
                              const CATBaseUnknown_var& iPSNRoot,
                              const CATBaseUnknown_var& iBBTarget,
                              CATBaseUnknown_var& oAdded, CATBoolean iAllowReplaced) {
  Trace(">>KRVWD7CoreServices::AddProductFromPSNtoBB()");
  oAdded = NULL_var;
  if (!iPSNRoot || !iBBTarget) return E_INVALIDARG;
  HRESULT rc = E_FAIL;
  CATBaseUnknown_var product;
  if (FAILED(iPSNProduct.GetProduct(product)) || !product) {
    Trace("<<KRVWD7CoreServices::AddProductFromPSNtoBB()");
    return rc;
  }
  CATBaseUnknown_var bb_root;
  KRVWD7UtiPrdDocServices::RetrieveRootProduct(iBBTarget, bb_root);
  CATBoolean flattened = 0;
  KRVIWD7BlackBox_var black_box(bb_root);
  if (!black_box || FAILED(black_box->GetIsFlatten(flattened))) flattened = 0;

  CATBaseUnknown_var father;
  if (flattened) {
    father = iBBTarget;
  } else if (FAILED(BuildComponentsChain(product, iPSNRoot, iBBTarget, father,
                                         iAllowReplaced))) {
    Trace("<<KRVWD7CoreServices::AddProductFromPSNtoBB()");
    return rc;
  }
  if (father) {
    CATBaseUnknown_var found;
    HRESULT found_rc = FindInstanceInBB(father, product, found, 0, iAllowReplaced);
    if (found_rc == S_OK) {
      oAdded = found;
      rc = S_FALSE;
    } else if (found_rc == S_FALSE) {
      int type = 0;
      CATBaseUnknown_var created;
      HRESULT made = E_FAIL;
      if (SUCCEEDED(iPSNProduct.GetNodeType(type))) {
        switch (type) {
          case 1:
            rc = S_FALSE;
            break;
          case 2:
          case 3:
            if (flattened) {
              rc = S_FALSE;
            } else {
              made = AddNewComponent(father, product, created);
            }
            break;
          case 4:
          case 5:
          case 9:
            made = AddLeaf(father, product, type, created);
            break;
          default:
            break;
        }
      }
      if (SUCCEEDED(made) && created) {
        CATUnicodeString id, env;
        if (SUCCEEDED(iPSNProduct.GetPrintableId(id, 0)) &&
            SUCCEEDED(iPSNProduct.GetPDMEnv(env)) &&
            SUCCEEDED(KRVWD7CoreServices::SetPrintableIdParameterOnNode(created, id, env))) {
          oAdded = created;
          rc = S_OK;
        }
      }
    }
  }
  Trace("<<KRVWD7CoreServices::AddProductFromPSNtoBB()");
  return rc;
}

HRESULT RetrieveSimilarInstances(const CATBaseUnknown_var& iRoot,
                                 const CATUnicodeString& iPartNumber,
                                 const CATUnicodeString& iVersion,
                                 const CATUnicodeString& iRevision, int iNodeType,
                                 CATListValCATBaseUnknown_var*& oList) {
  oList = nullptr;
  if (!iRoot) return E_INVALIDARG;
  if (FAILED(KRVWD7UtiPrdServices::GetAllChildren(iRoot, oList, "CATIProduct", 0)) ||
      oList == nullptr) {
    delete oList;
    oList = nullptr;
    return E_FAIL;
  }
  int i = 1;
  while (i <= oList->Size()) {
    const CATBaseUnknown_var product = (*oList)[i];
    bool remove = !product;
    CATUnicodeString value;
    int type = 0;
    if (!remove && !iPartNumber.IsEmpty()) {
      remove = FAILED(KRVWD7UtiPrdServices::GetPartNumber(product, value)) || value != iPartNumber;
    }
    if (!remove && !iVersion.IsEmpty()) {
      remove = FAILED(KRVWD7PrdInfo::GetVersionOrRevision(product, 0, value)) || value != iVersion;
    }
    if (!remove && !iRevision.IsEmpty()) {
      remove = FAILED(KRVWD7PrdInfo::GetVersionOrRevision(product, 1, value)) || value != iRevision;
    }
    if (!remove && iNodeType != 0) {
      remove = FAILED(KRVWD7UtiPrdServices::GetNodeType(product, type)) || type != iNodeType;
    }
    if (remove) {
      oList->RemovePosition(i);
    } else {
      ++i;
    }
  }
  return S_OK;
}

HRESULT CopyPartNumber(const CATBaseUnknown_var& iSource,
                       const CATBaseUnknown_var& iTarget) {
  if (!iSource || !iTarget) return E_INVALIDARG;
  CATUnicodeString number;
  if (FAILED(KRVWD7UtiPrdServices::GetPartNumber(iSource, number)) ||
      FAILED(KRVWD7UtiPrdServices::SetPartNumber(iTarget, number))) {
    return E_FAIL;
  }
  CATUnicodeString kept;
  if (SUCCEEDED(KRVWD7UtiPrdServices::GetPartNumber(iTarget, kept)) && kept == number) {
    return S_OK;
  }
  CATBaseUnknown_var root;
  CATListValCATBaseUnknown_var* products = nullptr;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iTarget, root)) ||
      FAILED(KRVWD7UtiPrdServices::GetAllChildren(root, products, "CATIProduct", 0))) {
    delete products;
    return S_FALSE;
  }
  const int length = number.GetLengthInChar();
  int counter = 0;
  for (int i = 1; products && i <= products->Size(); ++i) {
    CATUnicodeString other;
    if (FAILED(KRVWD7UtiPrdServices::GetPartNumber((*products)[i], other))) continue;
    if (other.SubString(0, length) != number) continue;
    CATUnicodeString rest = other.SubString(length, other.GetLengthInChar() - length);
    int value = 0;
    if (rest.IsEmpty()) {
      ++counter;
    } else if (rest.SubString(0, 1) == "_" &&
               rest.SubString(1, rest.GetLengthInChar() - 1).ConvertToNum(&value, "%d") ==
                   1 &&
               value >= counter) {
      ++counter;
    }
  }
  delete products;
  CATUnicodeString suffix;
  suffix.BuildFromNum(counter, "%d");
  return KRVWD7UtiPrdServices::SetPartNumber(iTarget, number + "_" + suffix) == S_OK
             ? S_OK
             : S_FALSE;
}

}  // namespace krvwd7_literal
