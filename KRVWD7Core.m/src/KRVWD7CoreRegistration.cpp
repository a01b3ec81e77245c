// Dictionary entries of the library, made when it is loaded, and the
// interface objects and exported factories they name.
//
// An interface object forwards every operation to the implementation's
// operation of the same name inside the host's call context; counting,
// queries and type information are the host's (CATTieBase).
#include "CATTieBase.h"
#include "KRVEWD7BlackBox.h"
#include "KRVIWD7BlackBox.h"

// --- KRVIWD7BlackBox over KRVEWD7BlackBox -------------------------------------

namespace {

class TIEKRVIWD7BlackBoxKRVEWD7BlackBox
    : public CATTieBase<TIEKRVIWD7BlackBoxKRVEWD7BlackBox, KRVIWD7BlackBox,
                        KRVEWD7BlackBox> {
 public:
  HRESULT IsABlackBox(CATBoolean& oIsBlackBox) override {
    return Forward(&KRVEWD7BlackBox::IsABlackBox, oIsBlackBox);
  }
  HRESULT GetVersion(int& oVersion) override {
    return Forward(&KRVEWD7BlackBox::GetVersion, oVersion);
  }
  HRESULT SetVersion(int iVersion) override {
    return Forward(&KRVEWD7BlackBox::SetVersion, iVersion);
  }
  HRESULT GetType(int& oType, CATUnicodeString& oPSNPartNumber) override {
    return Forward(&KRVEWD7BlackBox::GetType, oType, oPSNPartNumber);
  }
  HRESULT SetType(int iType, const CATUnicodeString& iPSNPartNumber) override {
    return Forward(&KRVEWD7BlackBox::SetType, iType, iPSNPartNumber);
  }
  HRESULT GetNote(CATUnicodeString& oNote) override {
    return Forward(&KRVEWD7BlackBox::GetNote, oNote);
  }
  HRESULT SetNote(const CATUnicodeString& iNote) override {
    return Forward(&KRVEWD7BlackBox::SetNote, iNote);
  }
  HRESULT GetPSNFilename(CATUnicodeString& oPSNFilename) override {
    return Forward(&KRVEWD7BlackBox::GetPSNFilename, oPSNFilename);
  }
  HRESULT SetPSNFilename(const CATUnicodeString& iPSNFilename) override {
    return Forward(&KRVEWD7BlackBox::SetPSNFilename, iPSNFilename);
  }
  HRESULT SetIsFlatten(CATBoolean iIsFlatten) override {
    return Forward(&KRVEWD7BlackBox::SetIsFlatten, iIsFlatten);
  }
  HRESULT GetIsFlatten(CATBoolean& oIsFlatten) override {
    return Forward(&KRVEWD7BlackBox::GetIsFlatten, oIsFlatten);
  }
  HRESULT GetPSNPrintableId(CATUnicodeString& oPSNPrintableId) override {
    return Forward(&KRVEWD7BlackBox::GetPSNPrintableId, oPSNPrintableId);
  }
  HRESULT SetPSNPrintableId(const CATUnicodeString& iPSNPrintableId) override {
    return Forward(&KRVEWD7BlackBox::SetPSNPrintableId, iPSNPrintableId);
  }
};

}  // namespace

// Builds a KRVIWD7BlackBox interface object over iImpl (a KRVEWD7BlackBox;
// a new one when null) bound to iExtended. The object has a count of 1 and
// the identity of the object the extension is bound to. Null when out of
// memory or when iImpl is not a KRVEWD7BlackBox.
extern "C" CATBaseUnknown* CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl) {
  return TIEKRVIWD7BlackBoxKRVEWD7BlackBox::Create(iExtended, iImpl);
}

namespace {

CATFillDictionary g_black_box_entry(KRVEWD7BlackBox::MetaObject(),
                                    KRVIWD7BlackBox::MetaObject(),
                                    &CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox,
                                    nullptr, 1);

}  // namespace
