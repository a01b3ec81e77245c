// The factory interface of a component, and creation of a component by name.
#ifndef KRVWD7_HOST_CATICREATEINSTANCE_H_
#define KRVWD7_HOST_CATICREATEINSTANCE_H_

#include "CATBaseUnknown.h"

extern const IID IID_CATICreateInstance;

class CATICreateInstance : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATICreateInstance; }
  static CATMetaClass* MetaObject();
  // Makes a new object of the component. E_INVALIDARG when oObject is null;
  // otherwise *oObject is cleared, then set to the new object (count 1) with
  // S_OK, or E_OUTOFMEMORY when it cannot be made.
  virtual HRESULT CreateInstance(void** oObject) = 0;
};
typedef CATHandle<CATICreateInstance> CATICreateInstance_var;

// Makes an object of the component named iComponent through the
// CATICreateInstance that the dictionary declares for it, and answers iIID
// on it. *oObject holds one reference on success. E_NOINTERFACE when the
// component or the interface is unknown.
HRESULT CATInstantiateComponent(const char* iComponent, const IID& iIID,
                                void** oObject);

#endif  // KRVWD7_HOST_CATICREATEINSTANCE_H_
