// Dictionary entries of the library, made when it is loaded, and the
// interface objects and exported factories they name.
//
// An interface object forwards every operation to the implementation's
// operation of the same name inside the host's call context; counting,
// queries and type information are the host's (CATTieBase).
#include "CATICreateInstance.h"
#include "CATTieBase.h"
#include "KRVEWD7BlackBox.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVIWD7BlackBoxServices.h"

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

// --- KRVIWD7BlackBoxServices and CATICreateInstance over KRVEWD7BlackBoxServices

namespace {

using Services = KRVEWD7BlackBoxServices;

class TIEKRVIWD7BlackBoxServicesKRVEWD7BlackBoxServices
    : public CATTieBase<TIEKRVIWD7BlackBoxServicesKRVEWD7BlackBoxServices,
                        KRVIWD7BlackBoxServices, Services> {
 public:
  HRESULT AddToBlackBox(const CATBaseUnknown_var& iPSNProduct,
                        const CATBaseUnknown_var& iPSNRoot,
                        const CATBaseUnknown_var& iTarget,
                        CATBaseUnknown_var& oNewProduct,
                        CATLONG64 iUnused) override {
    return Forward(&Services::AddToBlackBox, iPSNProduct, iPSNRoot, iTarget,
                   oNewProduct, iUnused);
  }
  HRESULT Flatten(CATDocument& iDocument,
                  const unsigned char& iOption) override {
    return Forward(&Services::Flatten, iDocument, iOption);
  }
  HRESULT Migrate(CATDocument& iDocument,
                  const CATUnicodeString& iPSNFilename) override {
    return Forward(&Services::Migrate, iDocument, iPSNFilename);
  }
  HRESULT Migrate2(CATDocument& iDocument,
                   const CATUnicodeString& iPSNFilename) override {
    return Forward(&Services::Migrate2, iDocument, iPSNFilename);
  }
  HRESULT MigrateAfterRootPartVersionning(
      CATDocument& iDocument, const CATUnicodeString& iNewPSNPrintableId,
      const CATUnicodeString& iNewPSNFilename,
      const CATUnicodeString& iNewPSNPartNumber) override {
    return Forward(&Services::MigrateAfterRootPartVersionning, iDocument,
                   iNewPSNPrintableId, iNewPSNFilename, iNewPSNPartNumber);
  }
  HRESULT MoveToPersonalizedStructure(
      const CATBaseUnknown_var& iProduct,
      const CATBaseUnknown_var& iDestination) override {
    return Forward(&Services::MoveToPersonalizedStructure, iProduct,
                   iDestination);
  }
  HRESULT CopyPosition(const CATBaseUnknown_var& iReference,
                       const CATBaseUnknown_var& iTarget) override {
    return Forward(&Services::CopyPosition, iReference, iTarget);
  }
  HRESULT UpdatePosition(const CATBaseUnknown_var& iPSNRoot,
                         const CATBaseUnknown_var& iBlackBox) override {
    return Forward(&Services::UpdatePosition, iPSNRoot, iBlackBox);
  }
  HRESULT Identify(const CATListValCATBaseUnknown_var& iComponents) override {
    return Forward(&Services::Identify, iComponents);
  }
  HRESULT UpdatePSNFile(const CATUnicodeString& iPSNFilename) override {
    return Forward(&Services::UpdatePSNFile, iPSNFilename);
  }
  HRESULT IsUpToDate(CATDocument& iBBDocument, CATDocument& iPSNDocument,
                     unsigned char& oIsUpToDate) override {
    return Forward(&Services::IsUpToDate, iBBDocument, iPSNDocument,
                   oIsUpToDate);
  }
};

class TIECATICreateInstanceKRVEWD7BlackBoxServices
    : public CATTieBase<TIECATICreateInstanceKRVEWD7BlackBoxServices,
                        CATICreateInstance, Services> {
 public:
  HRESULT CreateInstance(void** oObject) override {
    return Forward(&Services::CreateInstance, oObject);
  }
};

}  // namespace

// Build a KRVIWD7BlackBoxServices or CATICreateInstance interface object
// over iImpl (a KRVEWD7BlackBoxServices; a new one when null) bound to
// iExtended (an object of the component, or null). Null when out of memory
// or when iImpl is not a KRVEWD7BlackBoxServices.
extern "C" CATBaseUnknown* CreateTIEKRVIWD7BlackBoxServicesKRVEWD7BlackBoxServices(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl) {
  return TIEKRVIWD7BlackBoxServicesKRVEWD7BlackBoxServices::Create(iExtended,
                                                                   iImpl);
}

extern "C" CATBaseUnknown* CreateTIECATICreateInstanceKRVEWD7BlackBoxServices(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl) {
  return TIECATICreateInstanceKRVEWD7BlackBoxServices::Create(iExtended, iImpl);
}

// --- The dictionary entries, made when the library is loaded -------------------

namespace {

CATFillDictionary g_black_box_entry(KRVEWD7BlackBox::MetaObject(),
                                    KRVIWD7BlackBox::MetaObject(),
                                    &CreateTIEKRVIWD7BlackBoxKRVEWD7BlackBox,
                                    nullptr, 1);
CATFillDictionary g_services_entry(
    KRVEWD7BlackBoxServices::MetaObject(), KRVIWD7BlackBoxServices::MetaObject(),
    &CreateTIEKRVIWD7BlackBoxServicesKRVEWD7BlackBoxServices, nullptr, 1);
CATFillDictionary g_create_instance_entry(
    KRVEWD7BlackBoxServices::MetaObject(), CATICreateInstance::MetaObject(),
    &CreateTIECATICreateInstanceKRVEWD7BlackBoxServices, nullptr, 1);

}  // namespace
