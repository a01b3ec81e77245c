#include "CATTie.h"

#include <string>
#include <utility>
#include <vector>

namespace {

struct Entry {
  CATMetaClass* implementation;
  CATMetaClass* interface;
  CATTieFactory factory;
};

// Entries are few (a handful per library): a vector searched in order is
// both the simplest and the fastest structure here.
std::vector<Entry>& Entries() {
  static std::vector<Entry> entries;
  return entries;
}

std::vector<CATBaseUnknown*>& CallStack() {
  static std::vector<CATBaseUnknown*> stack;
  return stack;
}

bool IsExtension(CATClassKind kind) {
  return kind == CATDataExtensionKind || kind == CATCodeExtensionKind;
}

}  // namespace

HRESULT Tie_Construct(CATTieState& iState, CATBaseUnknown* iTie,
                      CATBaseUnknown* iExtended, CATBaseUnknown* iImplementation,
                      CATMetaClass* iTieMeta, const IID& /*iImplementationId*/,
                      CATClassKind iImplementationKind,
                      CATMetaClass::Creator iCreator) {
  iState.meta = iTieMeta;
  CATBaseUnknown* implementation = iImplementation;
  if (implementation) {
    implementation->AddRef();
  } else if (iCreator) {
    implementation = iCreator();
  }
  if (implementation == nullptr) return E_OUTOFMEMORY;
  if (IsExtension(iImplementationKind) && iExtended &&
      implementation->GetImpl() == nullptr) {
    implementation->SetImpl(iExtended);
  }
  iState.implementation = implementation;
  // The interface object stands for its implementation (and so for the
  // object an extension extends): IsEqual and handle equality see one
  // object whatever interface it is reached through.
  if (iTie) iTie->SetImpl(implementation);
  return S_OK;
}

void Tie_Destruct(CATTieState& iState) {
  if (iState.implementation) iState.implementation->Release();
  iState.implementation = nullptr;
}

HRESULT Tie_Query(CATTieState& iState, CATBaseUnknown* iTie, void* iSelf,
                  const IID& iTieIID, const IID& iIID, void** oPtr) {
  *oPtr = nullptr;
  if (iIID == iTieIID || iIID == IID_CATBaseUnknown) {
    *oPtr = iSelf;
    iTie->AddRef();
    return S_OK;
  }
  CATBaseUnknown* implementation = iState.implementation;
  if (implementation == nullptr) return E_NOINTERFACE;
  CATBaseUnknown* target =
      implementation->GetImpl() ? implementation->GetImpl() : implementation;
  return target->QueryInterface(iIID, oPtr);
}

ULONG Tie_AddRef(CATBaseUnknown* iTie) { return iTie->CATBaseUnknown::AddRef(); }

ULONG Tie_Release(CATBaseUnknown* iTie) {
  return iTie->CATBaseUnknown::Release();
}

HRESULT Tie_GetTypeInfoCount(CATTieState&, unsigned int* oCount) {
  if (oCount == nullptr) return E_INVALIDARG;
  *oCount = 0;
  return S_OK;
}

HRESULT Tie_GetTypeInfo(CATTieState&, unsigned int, void** oInfo) {
  if (oInfo) *oInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT Tie_GetIDsOfNames(CATTieState&, const char*, long* oDispId) {
  if (oDispId) *oDispId = -1;
  return E_NOTIMPL;
}

HRESULT Tie_Invoke(CATTieState&, long, void*, void*) { return E_NOTIMPL; }

Tie_StackCtx::Tie_StackCtx(CATBaseUnknown* iTie) { CallStack().push_back(iTie); }
Tie_StackCtx::~Tie_StackCtx() { CallStack().pop_back(); }
int Tie_StackCtx::Depth() { return static_cast<int>(CallStack().size()); }
CATBaseUnknown* Tie_StackCtx::Current() {
  return CallStack().empty() ? nullptr : CallStack().back();
}

CATFillDictionary::CATFillDictionary(CATMetaClass* iImplementation,
                                     CATMetaClass* iInterface,
                                     CATTieFactory iFactory, void* /*iSecond*/,
                                     int /*iFlag*/)
    : implementation_(iImplementation), interface_(iInterface) {
  Entries().push_back({iImplementation, iInterface, iFactory});
}

CATFillDictionary::~CATFillDictionary() {
  std::vector<Entry>& entries = Entries();
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->implementation == implementation_ && it->interface == interface_) {
      entries.erase(it);
      return;
    }
  }
}

CATTieFactory CATInterfaceDictionary::Find(const char* iType, const IID& iIID,
                                           CATMetaClass** oImplementation) {
  if (oImplementation) *oImplementation = nullptr;
  if (iType == nullptr) return nullptr;
  for (const Entry& entry : Entries()) {
    if (std::strcmp(entry.implementation->GetType(), iType) == 0 &&
        entry.interface->GetClassId() == iIID) {
      if (oImplementation) *oImplementation = entry.implementation;
      return entry.factory;
    }
  }
  return nullptr;
}

HRESULT CATInterfaceDictionary::Query(CATBaseUnknown* iObject, const char* iType,
                                      const IID& iIID, void** oPtr) {
  *oPtr = nullptr;
  CATTieFactory factory = Find(iType, iIID);
  if (factory == nullptr) return E_NOINTERFACE;
  CATBaseUnknown* tie = factory(iObject, nullptr);
  if (tie == nullptr) return E_OUTOFMEMORY;
  HRESULT rc = tie->QueryInterface(iIID, oPtr);
  tie->Release();
  return rc;
}

int CATInterfaceDictionary::Size() { return static_cast<int>(Entries().size()); }
