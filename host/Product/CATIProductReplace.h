// Replacing a child instance by an instance of another reference.
#ifndef KRVWD7_HOST_CATIPRODUCTREPLACE_H_
#define KRVWD7_HOST_CATIPRODUCTREPLACE_H_

#include "CATBaseUnknown.h"
#include "CATIProduct.h"

class CATIProductReplace;
typedef CATHandle<CATIProductReplace> CATIProductReplace_var;

extern const IID IID_CATIProductReplace;

// Answered by a product about its children (the collection of products).
class CATIProductReplace : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATIProductReplace; }

  // Replaces the child iOldInstance by a new instance of iNewReference at
  // the same place (name and position kept). With iAllInstances, every
  // instance of iOldInstance's reference in the session is replaced too.
  // oNewComponent is the instance that replaced iOldInstance. E_INVALIDARG
  // when iOldInstance is not a child of this product or iNewReference is
  // not a reference.
  virtual HRESULT ReplaceComponent(const CATIProduct_var& iOldInstance,
                                   const CATIProduct_var& iNewReference,
                                   CATBoolean iAllInstances,
                                   CATIProduct_var& oNewComponent) = 0;
};

#endif  // KRVWD7_HOST_CATIPRODUCTREPLACE_H_
