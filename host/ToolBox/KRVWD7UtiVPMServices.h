// The maker's VPM identity services.
//
// A printable identifier is a 58-character head (object identifier 0-15,
// link 16-31, environment 32-39, table name 40-57) followed by one
// 16-character component link (clink) per level, the topmost first and the
// product's own last.
#ifndef KRVWD7_HOST_KRVWD7UTIVPMSERVICES_H_
#define KRVWD7_HOST_KRVWD7UTIVPMSERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListValCATUnicodeString.h"
#include "CATUnicodeString.h"

class KRVWD7UtiVPMServices {
 public:
  // The product's printable identifier in VPM; E_FAIL when it has none
  // (a product not loaded from VPM).
  static HRESULT GetPrintableId(const CATBaseUnknown_var& iProduct,
                                CATUnicodeString& oId);
  // The VPM environments of the instance chain joined by "/"; E_FAIL when
  // none.
  static HRESULT GetInstanceEnvPath(const CATBaseUnknown_var& iProduct,
                                    CATUnicodeString& oPath);
  // The revision of the product's model in VPM; E_FAIL when none.
  static HRESULT GetModelRevision(const CATBaseUnknown_var& iProduct,
                                  CATUnicodeString& oRevision);
  // For each clink of iClinks (with its environment), the clink that now
  // replaces it in VPM, or "NotReplaced" (also for an empty entry). The
  // output is aligned with iClinks. Answered from the session's replacement
  // table (a row without environment applies to every environment). O(n).
  // E_INVALIDARG when the two inputs differ in length.
  static HRESULT GetReplacingClinks(const CATListValCATUnicodeString& iClinks,
                                    const CATListValCATUnicodeString& iEnvs,
                                    CATListValCATUnicodeString& oReplacing);
  // For each new link of iLinks (with the object identifier and environment
  // of its father), the clink of iOldClinks that it replaces, or
  // "NotReplaced": the old clink of the table's row for that new link in the
  // father's environment, when iOldClinks holds it. Empty links answer
  // "NotReplaced"; the father identifiers are not needed by this host. The
  // output is aligned with iLinks. O(n). E_INVALIDARG when iFatherCoids or
  // iFatherEnvs differ in length from iLinks.
  static HRESULT GetReplacingClinks2(
      const CATListValCATUnicodeString& iLinks,
      const CATListValCATUnicodeString& iFatherCoids,
      const CATListValCATUnicodeString& iFatherEnvs,
      const CATListValCATUnicodeString& iOldClinks,
      CATListValCATUnicodeString& oReplaced);
};

#endif  // KRVWD7_HOST_KRVWD7UTIVPMSERVICES_H_
