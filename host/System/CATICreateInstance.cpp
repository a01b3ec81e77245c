#include "CATICreateInstance.h"

#include "CATMetaClass.h"
#include "CATTie.h"

const IID IID_CATICreateInstance = {"CATICreateInstance"};

CATMetaClass* CATICreateInstance::MetaObject() {
  static CATMetaClass meta(IID_CATICreateInstance, "CATICreateInstance",
                           CATBaseUnknown::MetaObject(), CATInterfaceKind,
                           "CATNull", "Host");
  return &meta;
}

HRESULT CATInstantiateComponent(const char* iComponent, const IID& iIID,
                                void** oObject) {
  if (oObject == nullptr) return E_INVALIDARG;
  *oObject = nullptr;
  CATTieFactory factory =
      CATInterfaceDictionary::Find(iComponent, IID_CATICreateInstance);
  if (factory == nullptr) return E_NOINTERFACE;
  CATBaseUnknown* tie = factory(nullptr, nullptr);
  if (tie == nullptr) return E_OUTOFMEMORY;
  CATICreateInstance_var creator(tie);
  tie->Release();
  if (!creator) return E_NOINTERFACE;
  void* made = nullptr;
  HRESULT rc = creator->CreateInstance(&made);
  if (FAILED(rc) || made == nullptr) return FAILED(rc) ? rc : E_FAIL;
  CATBaseUnknown* component = static_cast<CATBaseUnknown*>(made);
  rc = component->QueryInterface(iIID, oObject);
  component->Release();
  return rc;
}
