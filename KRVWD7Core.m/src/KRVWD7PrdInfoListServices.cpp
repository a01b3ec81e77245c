#include "KRVWD7PrdInfoListServices.h"

#include <memory>
#include <utility>

#include "CATListValCATBaseUnknown_var.h"
#include "CATMetaClass.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7UtiPrdServices.h"

using krvwd7_core::kClinkLength;
using krvwd7_core::kHeadLength;
using krvwd7_core::Trace;
using krvwd7_core::TraceF;

namespace {

const IID IID_KRVWD7PrdInfoListServices = {"KRVWD7PrdInfoListServices"};

// Reads every child into oList (or oFailedList); the toolbox's list is
// deleted here. The result of the listing step.
HRESULT ReadChildren(const CATBaseUnknown_var& iRoot,
                     const CATBaseUnknown_var& iPathRoot,
                     unsigned char iFromStoredIdentity,
                     krvwd7_core::ScopedProgress& ioProgress,
                     CATListValKRVWD7PrdInfo& oList,
                     CATListValKRVWD7PrdInfo* oFailedList) {
  CATListValCATBaseUnknown_var* raw_children = nullptr;
  const HRESULT listed = KRVWD7UtiPrdServices::GetAllChildren(
      iRoot, raw_children, "CATIProduct", 2);
  std::unique_ptr<CATListValCATBaseUnknown_var> children(raw_children);
  if (FAILED(listed)) {
    Trace("KRVWD7UtiPrdServices::GetAllChildren() has FAILED");
    return E_FAIL;
  }
  if (!children) {
    Trace("NO Child found (pListOfSubProduct = NULL)");
    return S_FALSE;
  }
  const int count = children->Size();
  if (count == 0) {
    Trace("NO Child found (pListOfSubProduct.Size = 0)");
    return S_FALSE;
  }
  ioProgress.Init(1, count, 1);
  TraceF("Nb of Child found = %d", count);

  HRESULT rc = S_OK;
  const CATBaseUnknown_var& path_root = iPathRoot ? iPathRoot : iRoot;
  for (int i = 1; i <= count; ++i) {
    KRVWD7PrdInfo info;
    if (FAILED(info.RetrieveInfo((*children)[i], path_root,
                                 iFromStoredIdentity))) {
      TraceF("KRVWD7PrdInfo.RetrieveInfo() has FAILED for child #%d", i);
      if (oFailedList) oFailedList->Append(info);
      rc = S_FALSE;
    } else {
      oList.Append(std::move(info));
    }
    ioProgress.Step();
  }
  return rc;
}

}  // namespace

KRVWD7PrdInfoListServices::KRVWD7PrdInfoListServices() = default;
KRVWD7PrdInfoListServices::~KRVWD7PrdInfoListServices() = default;

HRESULT KRVWD7PrdInfoListServices::BuildPrdInfoList(
    const CATBaseUnknown_var& iRoot, CATListValKRVWD7PrdInfo& oList,
    unsigned char iFromStoredIdentity, const CATBaseUnknown_var& iPathRoot,
    CATListValKRVWD7PrdInfo* oFailedList) {
  Trace(">> KRVWD7PrdInfoListServices::BuildPrdInfoList");
  oList.RemoveAll();
  if (!iRoot) {
    TraceF("<< KRVWD7PrdInfoListServices::BuildPrdInfoList = %ld",
           TraceValue(E_INVALIDARG));
    return E_INVALIDARG;
  }

  krvwd7_core::ScopedProgress progress("ProgressSwitchToProductModeId",
                                       "KRVWD7CoreServices", "BuildPrdInfoList");
  KRVWD7UtiTimer timer;
  const HRESULT rc = ReadChildren(iRoot, iPathRoot, iFromStoredIdentity,
                                  progress, oList, oFailedList);
  krvwd7_core::TracePerfo(
      "[PERFO] <Retrieving information on product structure> Total time = "
      "[%s]",
      timer);
  progress.End();
  TraceF("<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = %ld",
         TraceValue(rc));
  return rc;
}

HRESULT KRVWD7PrdInfoListServices::DumpPrdInfoList(
    const CATListValKRVWD7PrdInfo& iList) {
  for (int i = 1; i <= iList.Size(); ++i) iList[i].Dump();
  return S_OK;
}

HRESULT KRVWD7PrdInfoListServices::GetPrdInfo(
    const CATListValKRVWD7PrdInfo& iList, const CATBaseUnknown_var& iProduct,
    KRVWD7PrdInfo& oInfo) {
  oInfo.Init();
  if (!iProduct) return E_INVALIDARG;
  for (int i = 1; i <= iList.Size(); ++i) {
    CATBaseUnknown_var product;
    iList[i].GetProduct(product);
    if (product && product == iProduct) {
      oInfo = iList[i];
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT KRVWD7PrdInfoListServices::GetPrdInfo(
    const CATListValKRVWD7PrdInfo& iList, const CATUnicodeString& iPath,
    int iSkip, KRVWD7PrdInfo& oInfo) {
  oInfo.Init();
  if (iPath.GetLengthInChar() == 0) return E_INVALIDARG;
  for (int i = 1; i <= iList.Size(); ++i) {
    CATUnicodeString path;
    iList[i].GetInstancePath(path, iSkip);
    if (path == iPath) {
      oInfo = iList[i];
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT KRVWD7PrdInfoListServices::GetPrdInfo(
    const CATListValKRVWD7PrdInfo& iList, const CATUnicodeString& iPrintableId,
    KRVWD7PrdInfo& oInfo) {
  oInfo.Init();
  if (iPrintableId.GetLengthInChar() == 0) return E_INVALIDARG;
  TraceF("Nb of product=%d", iList.Size());
  for (int i = 1; i <= iList.Size(); ++i) {
    CATUnicodeString id;
    iList[i].GetPrintableId(id, 0);
    Trace("Comparaison : ");
    TraceF("c1=%s", id.ConvertToChar());
    TraceF("c2=%s", iPrintableId.ConvertToChar());
    if (id == iPrintableId) {
      oInfo = iList[i];
      Trace("c1 == c2 FOUND");
      return S_OK;
    }
    Trace("c1 != c2 CONTINUE");
  }
  return E_FAIL;
}

HRESULT KRVWD7PrdInfoListServices::UpdateClink(
    const CATUnicodeString& iCurrentClink,
    const CATListValCATUnicodeString& iClinks,
    const CATListValCATUnicodeString& iReplacingClinks,
    CATUnicodeString& oUpdatedClink) {
  const int length = iCurrentClink.GetLengthInChar();
  CATUnicodeString updated = iCurrentClink.SubString(0, kHeadLength);
  for (int p = kHeadLength; p < length; p += kClinkLength) {
    const CATUnicodeString clink = iCurrentClink.SubString(p, kClinkLength);
    const int k = iClinks.Locate(clink);
    // A replacing table shorter than the clink table counts as no
    // replacement rather than reading past its end.
    if (k != 0 && k <= iReplacingClinks.Size() &&
        iReplacingClinks[k] != "NotReplaced") {
      updated += iReplacingClinks[k];
    } else {
      updated += clink;
    }
  }
  oUpdatedClink = updated;
  return S_OK;
}

// --- Class information -----------------------------------------------------------

CATMetaClass* KRVWD7PrdInfoListServices::MetaObject() {
  static CATMetaClass meta(IID_KRVWD7PrdInfoListServices,
                           "KRVWD7PrdInfoListServices",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "CATNull", "External",
                           &KRVWD7PrdInfoListServices::CreateItself);
  return &meta;
}

const char* KRVWD7PrdInfoListServices::ClassName() {
  return "KRVWD7PrdInfoListServices";
}
const IID& KRVWD7PrdInfoListServices::ClassId() {
  return IID_KRVWD7PrdInfoListServices;
}
CATBaseUnknown* KRVWD7PrdInfoListServices::CreateItself() { return nullptr; }
CATMetaClass* KRVWD7PrdInfoListServices::GetMetaObject() const {
  return MetaObject();
}
const char* KRVWD7PrdInfoListServices::IsA() const { return ClassName(); }

int KRVWD7PrdInfoListServices::IsAKindOf(const char* iClassName) const {
  return GetMetaObject()->IsAKindOf(iClassName);
}
