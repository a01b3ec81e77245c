// The shape representation of a product, seen by automation: its file, its
// name, and adding or removing a representation.
#ifndef KRVWD7_HOST_CATIPRODUCTSHAPE_H_
#define KRVWD7_HOST_CATIPRODUCTSHAPE_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

class CATIProductShape;
typedef CATHandle<CATIProductShape> CATIProductShape_var;

extern const IID IID_CATIProductShape;

class CATIProductShape : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATIProductShape; }

  // Path of the file of the product's active shape representation and the
  // representation's name. S_FALSE and empty texts when it has none.
  virtual HRESULT GetShapeFilePath(CATUnicodeString& oPath) = 0;
  virtual HRESULT GetShapeName(CATUnicodeString& oName) = 0;
  // Removes the representation iName (E_FAIL when there is none).
  virtual HRESULT RemoveShapeRepresentation(const CATUnicodeString& iName,
                                            int iKind, CATBoolean iInContext) = 0;
  // Adds a representation iName stored in file iPath (E_INVALIDARG for an
  // empty path or name, E_FAIL when one of that name exists).
  virtual HRESULT AddShapeRepresentation(const CATUnicodeString& iPath,
                                         const CATUnicodeString& iName,
                                         int iKind, CATBoolean iInContext) = 0;
};

#endif  // KRVWD7_HOST_CATIPRODUCTSHAPE_H_
