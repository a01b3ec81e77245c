// Session-side operations of a product.
#ifndef KRVWD7_HOST_CATIPRODUCTINSESSION_H_
#define KRVWD7_HOST_CATIPRODUCTINSESSION_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

class CATIProductInSession;
typedef CATHandle<CATIProductInSession> CATIProductInSession_var;

extern const IID IID_CATIProductInSession;

class CATIProductInSession : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATIProductInSession; }

  // Makes the representation iShapeName the active one after it was added.
  // E_FAIL when the product has no representation of that name.
  virtual HRESULT ActivateShape(const CATUnicodeString& iShapeName) = 0;
};

#endif  // KRVWD7_HOST_CATIPRODUCTINSESSION_H_
