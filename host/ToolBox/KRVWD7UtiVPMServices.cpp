// The maker's VPM identity services over the in-memory session: identities
// are read from each product's VPM data, replacements from the session's
// replacement table.
#include "KRVWD7UtiVPMServices.h"

#include <string>
#include <unordered_set>
#include <utility>

#include "MemFaults.h"
#include "MemProduct.h"
#include "MemSession.h"

namespace {

const char kNotReplaced[] = "NotReplaced";

// One field of the product's VPM data; E_FAIL when it is empty.
HRESULT ReadVpm(MemFaultPoint iOp, const CATBaseUnknown_var& iProduct,
                std::string_view (MemVpm::*iField)() const, CATUnicodeString& oValue) {
  oValue = "";  // in place: the caller's storage is kept for the value
  HRESULT rc = S_OK;
  if (MemFaults::Hit(iOp, iProduct, rc)) return rc;
  if (!iProduct) return E_INVALIDARG;
  MemProduct* product = MemProduct::From(iProduct);
  if (product == nullptr) return E_FAIL;
  const std::string_view value = (std::as_const(*product).Vpm().*iField)();
  if (value.empty()) return E_FAIL;
  oValue.BuildFromUTF8(value.data(), value.size());
  return S_OK;
}

}  // namespace

HRESULT KRVWD7UtiVPMServices::GetPrintableId(const CATBaseUnknown_var& iProduct,
                                             CATUnicodeString& oId) {
  return ReadVpm(MemFaultPoint::kGetPrintableId, iProduct, &MemVpm::PrintableId, oId);
}

HRESULT KRVWD7UtiVPMServices::GetInstanceEnvPath(
    const CATBaseUnknown_var& iProduct, CATUnicodeString& oPath) {
  return ReadVpm(MemFaultPoint::kGetInstanceEnvPath, iProduct, &MemVpm::Env, oPath);
}

HRESULT KRVWD7UtiVPMServices::GetModelRevision(const CATBaseUnknown_var& iProduct,
                                               CATUnicodeString& oRevision) {
  return ReadVpm(MemFaultPoint::kGetModelRevision, iProduct, &MemVpm::ModelRevision,
                 oRevision);
}

HRESULT KRVWD7UtiVPMServices::GetReplacingClinks(
    const CATListValCATUnicodeString& iClinks,
    const CATListValCATUnicodeString& iEnvs,
    CATListValCATUnicodeString& oReplacing) {
  oReplacing.RemoveAll();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetReplacingClinks, rc)) return rc;
  if (iClinks.Size() != iEnvs.Size()) return E_INVALIDARG;
  const MemSession& session = MemSession::Current();
  for (int i = 1; i <= iClinks.Size(); ++i) {
    const std::string& clink = iClinks[i].ToStdString();
    const std::string* replacing =
        clink.empty() ? nullptr : session.FindReplacing(clink, iEnvs[i].ToStdString());
    oReplacing.Append(replacing ? CATUnicodeString(*replacing)
                                : CATUnicodeString(kNotReplaced));
  }
  return S_OK;
}

HRESULT KRVWD7UtiVPMServices::GetReplacingClinks2(
    const CATListValCATUnicodeString& iLinks,
    const CATListValCATUnicodeString& iFatherCoids,
    const CATListValCATUnicodeString& iFatherEnvs,
    const CATListValCATUnicodeString& iOldClinks,
    CATListValCATUnicodeString& oReplaced) {
  oReplaced.RemoveAll();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetReplacingClinks2, rc)) return rc;
  if (iFatherCoids.Size() != iLinks.Size() || iFatherEnvs.Size() != iLinks.Size()) {
    return E_INVALIDARG;
  }
  std::unordered_set<std::string> old_clinks;
  old_clinks.reserve(static_cast<size_t>(iOldClinks.Size()));
  for (const CATUnicodeString& clink : iOldClinks) {
    if (!clink.IsEmpty()) old_clinks.insert(clink.ToStdString());
  }
  const MemSession& session = MemSession::Current();
  for (int i = 1; i <= iLinks.Size(); ++i) {
    const std::string& link = iLinks[i].ToStdString();
    const std::string* replaced =
        link.empty() ? nullptr : session.FindReplaced(link, iFatherEnvs[i].ToStdString());
    if (replaced && old_clinks.count(*replaced)) {
      oReplaced.Append(CATUnicodeString(*replaced));
    } else {
      oReplaced.Append(CATUnicodeString(kNotReplaced));
    }
  }
  return S_OK;
}
