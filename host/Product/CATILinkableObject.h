// The document that holds an object.
#ifndef KRVWD7_HOST_CATILINKABLEOBJECT_H_
#define KRVWD7_HOST_CATILINKABLEOBJECT_H_

#include "CATBaseUnknown.h"

class CATDocument;
class CATILinkableObject;
typedef CATHandle<CATILinkableObject> CATILinkableObject_var;

extern const IID IID_CATILinkableObject;

class CATILinkableObject : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATILinkableObject; }

  // The document, borrowed: it belongs to the session and lives while it is
  // open. Null when the object is in no document.
  virtual CATDocument* GetDocument() = 0;
};

#endif  // KRVWD7_HOST_CATILINKABLEOBJECT_H_
