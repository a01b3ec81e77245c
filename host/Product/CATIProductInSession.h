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

  // Makes the representation iShapeName of the product's reference the
  // active one (the one shown and read), after it was added.
  //  iLoad: the product is marked loaded too.
  //  iKind: the kind of representation, 0 for a shape (as
  //    CATIProductShape::AddShapeRepresentation); no other kind exists.
  //  oPrevious: the name of the representation active before ("" none).
  //  iShow: the product is shown (its no-show state cleared).
  //  iAllInstances: loading and showing apply to every instance of the
  //    reference, not only to this product. The active representation
  //    belongs to the reference, so every instance shows it either way.
  // E_INVALIDARG for another kind; E_FAIL, nothing changed, when the
  // reference has no representation of that name.
  virtual HRESULT ActivateShape(const CATUnicodeString& iShapeName,
                                CATBoolean iLoad, int iKind,
                                CATUnicodeString& oPrevious, CATBoolean iShow,
                                CATBoolean iAllInstances) = 0;
};

#endif  // KRVWD7_HOST_CATIPRODUCTINSESSION_H_
