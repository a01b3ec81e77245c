// The common part of every interface object, written once.
//
// An interface object of a library derives from
// CATTieBase<Tie, Interface, Implementation> (Tie being the class itself)
// and writes one line per operation of the interface:
//
//   HRESULT GetVersion(int& oVersion) override {
//     return Forward(&KRVEWD7BlackBox::GetVersion, oVersion);
//   }
//
// and its exported factory function returns Tie::Create(iExtended, iImpl).
// Counting, queries, type information and the call context are the host's
// Tie_* functions (CATTie.h); the object's description (kind 6) is made on
// first use from the interface's and the implementation's descriptions.
//
// REQUIRES: Interface has static ClassId() and MetaObject(); Implementation
// has static ClassId(), ClassName(), MetaObject() and CreateItself().
#ifndef KRVWD7_HOST_CATTIEBASE_H_
#define KRVWD7_HOST_CATTIEBASE_H_

#include <new>
#include <utility>

#include "CATBaseUnknown.h"
#include "CATMetaClass.h"
#include "CATTie.h"

template <class Tie, class Interface, class Implementation>
class CATTieBase : public Interface {
 public:
  ~CATTieBase() override { Tie_Destruct(state_); }
  CATTieBase(const CATTieBase&) = delete;
  CATTieBase& operator=(const CATTieBase&) = delete;

  // The description of this interface object, made on first use.
  static CATMetaClass* TieMetaObject() {
    static CATMetaClass meta(Interface::ClassId(),
                             Interface::MetaObject()->GetClassName(),
                             Interface::MetaObject(), CATTieKind, "CATNull",
                             "External", nullptr, Implementation::MetaObject());
    return &meta;
  }

  // Builds an interface object over iImpl (a new implementation object when
  // it is null) bound to iExtended, with a count of 1. Null when out of
  // memory or when iImpl is not an Implementation.
  static CATBaseUnknown* Create(CATBaseUnknown* iExtended,
                                CATBaseUnknown* iImpl) {
    if (iImpl && !iImpl->IsAKindOf(Implementation::ClassName())) return nullptr;
    Tie* tie = new (std::nothrow) Tie;
    if (tie == nullptr) return nullptr;
    const HRESULT rc = Tie_Construct(
        tie->state_, tie, iExtended, iImpl, TieMetaObject(),
        Implementation::ClassId(), Implementation::MetaObject()->GetKind(),
        &Implementation::CreateItself);
    if (FAILED(rc)) {
      tie->Release();
      return nullptr;
    }
    return tie;
  }

  HRESULT QueryInterface(const IID& iIID, void** oPtr) override {
    return Tie_Query(state_, this, static_cast<Interface*>(this),
                     Interface::ClassId(), iIID, oPtr);
  }
  ULONG AddRef() override { return Tie_AddRef(this); }
  ULONG Release() override { return Tie_Release(this); }
  HRESULT GetTypeInfoCount(unsigned int* oCount) override {
    return Tie_GetTypeInfoCount(state_, oCount);
  }
  HRESULT GetTypeInfo(unsigned int iIndex, void** oInfo) override {
    return Tie_GetTypeInfo(state_, iIndex, oInfo);
  }
  HRESULT GetIDsOfNames(const char* iName, long* oDispId) override {
    return Tie_GetIDsOfNames(state_, iName, oDispId);
  }
  HRESULT Invoke(long iDispId, void* iArguments, void* oResult) override {
    return Tie_Invoke(state_, iDispId, iArguments, oResult);
  }
  CATMetaClass* GetMetaObject() const override { return TieMetaObject(); }
  const char* IsA() const override { return TieMetaObject()->GetClassName(); }
  int IsAKindOf(const char* iClassName) const override {
    return TieMetaObject()->IsAKindOf(iClassName);
  }

 protected:
  CATTieBase() = default;

  // Runs iOperation of the implementation with iArgs inside the host's call
  // context and returns its result unchanged.
  template <class... Params, class... Args>
  HRESULT Forward(HRESULT (Implementation::*iOperation)(Params...),
                  Args&&... iArgs) {
    return Tie_StackCtx::Run(this, [&] {
      return (Impl()->*iOperation)(std::forward<Args>(iArgs)...);
    });
  }

 private:
  // Create() accepts only Implementation objects.
  Implementation* Impl() const {
    return static_cast<Implementation*>(state_.implementation);
  }

  CATTieState state_;
};

#endif  // KRVWD7_HOST_CATTIEBASE_H_
