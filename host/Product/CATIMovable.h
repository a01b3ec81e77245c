// Positions of products relative to each other.
#ifndef KRVWD7_HOST_CATIMOVABLE_H_
#define KRVWD7_HOST_CATIMOVABLE_H_

#include "CATBaseUnknown.h"
#include "CATMathTransformation.h"

class CATIMovable;
typedef CATHandle<CATIMovable> CATIMovable_var;

extern const IID IID_CATIMovable;

class CATIMovable : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATIMovable; }

  // The position of this product expressed in the frame of iReference:
  // inverse(absolute(iReference)) * absolute(this), where the absolute
  // position composes the positions in the father up to the top. An empty
  // iReference means the top of the structure. iStatus is passed in as 0,
  // iFlag as 1. E_FAIL when the two products are not in the same structure.
  virtual HRESULT GetPosition(CATMathTransformation& oPosition,
                              const CATIMovable_var& iReference, int iStatus,
                              int iFlag) = 0;
};

#endif  // KRVWD7_HOST_CATIMOVABLE_H_
