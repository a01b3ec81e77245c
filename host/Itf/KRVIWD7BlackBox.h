// The black-box interface of the maker's interface library.
//
// Every assembly product of a session answers it (the library registers an
// implementation for the late type "ASMPRODUCT"). It reads and writes the
// black-box attributes kept on the product's reference product:
//   "BBVersion", "BBType", "BBPSNPartNumber", "BBFlatten", "BBPSNPrintableId"
//   (properties) and "BBNote", "BBPSNFilename" (parameters).
// A product is a black box when its reference carries "BBNote" or
// "BBPSNFilename".
//
// Conventions of every operation: outputs are cleared before any check, so
// they hold 0, false or an empty text whatever the result. Setters refuse an
// instance product (E_FAIL, nothing written); getters read through an
// instance to its reference and fail (E_FAIL) on a product that is not a
// black box.
//
// The order of the operations is binding: callers reach them by their place
// in the interface. Do not reorder.
#ifndef KRVWD7_HOST_KRVIWD7BLACKBOX_H_
#define KRVWD7_HOST_KRVIWD7BLACKBOX_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

class CATMetaClass;

extern const IID IID_KRVIWD7BlackBox;

class KRVIWD7BlackBox : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_KRVIWD7BlackBox; }
  // The interface's description (kind CATInterfaceKind), made on first use.
  static CATMetaClass* MetaObject();

  // 1. oIsBlackBox by the black-box test. S_OK for a product, E_FAIL when
  // the object is not a product.
  virtual HRESULT IsABlackBox(CATBoolean& oIsBlackBox) = 0;
  // 2. "BBVersion": S_OK with the number; S_FALSE with 1 when the property
  // is absent (the earlier form); E_FAIL with 0 when it is not a number.
  virtual HRESULT GetVersion(int& oVersion) = 0;
  // 3. Writes "BBVersion".
  virtual HRESULT SetVersion(int iVersion) = 0;
  // 4. "BBType" and "BBPSNPartNumber"; only on a black box of version 2.
  virtual HRESULT GetType(int& oType, CATUnicodeString& oPSNPartNumber) = 0;
  // 5. Writes both; E_INVALIDARG for a type other than 1 and 2.
  virtual HRESULT SetType(int iType,
                          const CATUnicodeString& iPSNPartNumber) = 0;
  // 6. "BBNote": S_OK when present, S_FALSE when absent.
  virtual HRESULT GetNote(CATUnicodeString& oNote) = 0;
  // 7. Writes "BBNote" (valuates it when it exists, else creates it).
  virtual HRESULT SetNote(const CATUnicodeString& iNote) = 0;
  // 8. "BBPSNFilename" made absolute against the default PSN directory:
  // S_OK when present, S_FALSE when absent.
  virtual HRESULT GetPSNFilename(CATUnicodeString& oPSNFilename) = 0;
  // 9. Stores iPSNFilename relative to the default PSN directory where it
  // can ("./..."), always ending in ".psn".
  virtual HRESULT SetPSNFilename(const CATUnicodeString& iPSNFilename) = 0;
  // 10. Writes "BBFlatten" as 0 or 1.
  virtual HRESULT SetIsFlatten(CATBoolean iIsFlatten) = 0;
  // 11. "BBFlatten"; false with S_OK when absent.
  virtual HRESULT GetIsFlatten(CATBoolean& oIsFlatten) = 0;
  // 12. "BBPSNPrintableId": S_OK when present, S_FALSE when absent.
  virtual HRESULT GetPSNPrintableId(CATUnicodeString& oPSNPrintableId) = 0;
  // 13. Writes "BBPSNPrintableId".
  virtual HRESULT SetPSNPrintableId(
      const CATUnicodeString& iPSNPrintableId) = 0;
};

typedef CATHandle<KRVIWD7BlackBox> KRVIWD7BlackBox_var;

#endif  // KRVWD7_HOST_KRVIWD7BLACKBOX_H_
