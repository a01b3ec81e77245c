// Dictionary entries of the library, made when it is loaded, and the
// interface objects and exported factories they name.
//
// An interface object (tie) derives from the interface, holds the
// implementation object in a CATTieState and forwards every operation to the
// implementation's operation of the same name inside the host's call
// context. Counting, queries and type information are the host's Tie_*
// functions.
#include <new>

#include "CATMetaClass.h"
#include "CATTie.h"
#include "KRVEWD7BlackBox.h"
#include "KRVIWD7BlackBox.h"

// --- KRVIWD7BlackBox over KRVEWD7BlackBox -------------------------------------

namespace {

class TIEKRVIWD7BlackBoxKRVEWD7BlackBox : public KRVIWD7BlackBox {
 public:
  TIEKRVIWD7BlackBoxKRVEWD7BlackBox() = default;
  ~TIEKRVIWD7BlackBoxKRVEWD7BlackBox() override { Tie_Destruct(state_); }
  TIEKRVIWD7BlackBoxKRVEWD7BlackBox(const TIEKRVIWD7BlackBoxKRVEWD7BlackBox&) =
      delete;
  TIEKRVIWD7BlackBoxKRVEWD7BlackBox& operator=(
      const TIEKRVIWD7BlackBoxKRVEWD7BlackBox&) = delete;

  // The description of this interface object (kind 6), made on first use.
  static CATMetaClass* TieMetaObject() {
    static CATMetaClass meta(IID_KRVIWD7BlackBox, "KRVIWD7BlackBox",
                             KRVIWD7BlackBox::MetaObject(), CATTieKind,
                             "CATNull", "External", nullptr,
                             KRVEWD7BlackBox::MetaObject());
    return &meta;
  }

  CATTieState& State() { return state_; }

  HRESULT QueryInterface(const IID& iIID, void** oPtr) override {
    return Tie_Query(state_, this, static_cast<KRVIWD7BlackBox*>(this),
                     IID_KRVIWD7BlackBox, iIID, oPtr);
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

  HRESULT IsABlackBox(CATBoolean& oIsBlackBox) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->IsABlackBox(oIsBlackBox); });
  }
  HRESULT GetVersion(int& oVersion) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->GetVersion(oVersion); });
  }
  HRESULT SetVersion(int iVersion) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->SetVersion(iVersion); });
  }
  HRESULT GetType(int& oType, CATUnicodeString& oPSNPartNumber) override {
    return Tie_StackCtx::Run(
        this, [&] { return Impl()->GetType(oType, oPSNPartNumber); });
  }
  HRESULT SetType(int iType, const CATUnicodeString& iPSNPartNumber) override {
    return Tie_StackCtx::Run(
        this, [&] { return Impl()->SetType(iType, iPSNPartNumber); });
  }
  HRESULT GetNote(CATUnicodeString& oNote) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->GetNote(oNote); });
  }
  HRESULT SetNote(const CATUnicodeString& iNote) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->SetNote(iNote); });
  }
  HRESULT GetPSNFilename(CATUnicodeString& oPSNFilename) override {
    return Tie_StackCtx::Run(
        this, [&] { return Impl()->GetPSNFilename(oPSNFilename); });
  }
  HRESULT SetPSNFilename(const CATUnicodeString& iPSNFilename) override {
    return Tie_StackCtx::Run(
        this, [&] { return Impl()->SetPSNFilename(iPSNFilename); });
  }
  HRESULT SetIsFlatten(CATBoolean iIsFlatten) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->SetIsFlatten(iIsFlatten); });
  }
  HRESULT GetIsFlatten(CATBoolean& oIsFlatten) override {
    return Tie_StackCtx::Run(this, [&] { return Impl()->GetIsFlatten(oIsFlatten); });
  }
  HRESULT GetPSNPrintableId(CATUnicodeString& oPSNPrintableId) override {
    return Tie_StackCtx::Run(
        this, [&] { return Impl()->GetPSNPrintableId(oPSNPrintableId); });
  }
  HRESULT SetPSNPrintableId(const CATUnicodeString& iPSNPrintableId) override {
    return Tie_StackCtx::Run(
        this, [&] { return Impl()->SetPSNPrintableId(iPSNPrintableId); });
  }

 private:
  // The factory accepts only KRVEWD7BlackBox implementations.
  KRVEWD7BlackBox* Impl() const {
    return static_cast<KRVEWD7BlackBox*>(state_.implementation);
  }

  CATTieState state_;
};

}  // namespace

// Builds a KRVIWD7BlackBox interface object over iImpl (a KRVEWD7BlackBox;
// a new one when null) bound to iExtended. The object has a count of 1 and
// the identity of the object the extension is bound to. Null when out of
// memory or when iImpl is not a KRVEWD7BlackBox.
extern "C" CATBaseUnknown* CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl) {
  if (iImpl && !iImpl->IsAKindOf(KRVEWD7BlackBox::ClassName())) return nullptr;
  TIEKRVIWD7BlackBoxKRVEWD7BlackBox* tie =
      new (std::nothrow) TIEKRVIWD7BlackBoxKRVEWD7BlackBox;
  if (tie == nullptr) return nullptr;
  HRESULT rc = Tie_Construct(tie->State(), tie, iExtended, iImpl,
                             TIEKRVIWD7BlackBoxKRVEWD7BlackBox::TieMetaObject(),
                             KRVEWD7BlackBox::ClassId(), CATDataExtensionKind,
                             &KRVEWD7BlackBox::CreateItself);
  if (FAILED(rc)) {
    tie->Release();
    return nullptr;
  }
  return tie;
}

namespace {

CATFillDictionary g_black_box_entry(KRVEWD7BlackBox::MetaObject(),
                                    KRVIWD7BlackBox::MetaObject(),
                                    &CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox,
                                    nullptr, 1);

}  // namespace
