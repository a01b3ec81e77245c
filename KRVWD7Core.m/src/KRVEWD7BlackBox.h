// KRVEWD7BlackBox: the data extension of "ASMPRODUCT" that implements
// KRVIWD7BlackBox (see KRVIWD7BlackBox.h for the contract of each operation).
//
// The host attaches one to an assembly product when KRVIWD7BlackBox is asked
// of it; the extension is bound to that product (GetImpl(), one reference
// held by the host's binding) and keeps no state of its own: every answer
// comes from the attributes stored on the product's reference.
//
// Storage of the attributes:
//   properties  "BBVersion", "BBType", "BBPSNPartNumber", "BBFlatten",
//               "BBPSNPrintableId" (numbers written with "%d");
//   parameters  "BBNote", "BBPSNFilename" (their presence marks a black box).
//
// Not exported: callers reach it only through the interface object that the
// library's dictionary entry builds.
#ifndef KRVWD7CORE_SRC_KRVEWD7BLACKBOX_H_
#define KRVWD7CORE_SRC_KRVEWD7BLACKBOX_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

class CATMetaClass;

class KRVEWD7BlackBox : public CATBaseUnknown {
 public:
  KRVEWD7BlackBox();
  ~KRVEWD7BlackBox() override;
  KRVEWD7BlackBox(const KRVEWD7BlackBox&) = delete;
  KRVEWD7BlackBox& operator=(const KRVEWD7BlackBox&) = delete;

  // Class information: a data extension (kind 2) of "ASMPRODUCT", tag
  // "External". The description is made on first use and lives as long as
  // the library.
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  // A new unbound extension with a count of 1 (null when out of memory).
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;

  // The operations of KRVIWD7BlackBox, in its order.
  HRESULT IsABlackBox(CATBoolean& oIsBlackBox);
  HRESULT GetVersion(int& oVersion);
  HRESULT SetVersion(int iVersion);
  HRESULT GetType(int& oType, CATUnicodeString& oPSNPartNumber);
  HRESULT SetType(int iType, const CATUnicodeString& iPSNPartNumber);
  HRESULT GetNote(CATUnicodeString& oNote);
  HRESULT SetNote(const CATUnicodeString& iNote);
  HRESULT GetPSNFilename(CATUnicodeString& oPSNFilename);
  HRESULT SetPSNFilename(const CATUnicodeString& iPSNFilename);
  HRESULT SetIsFlatten(CATBoolean iIsFlatten);
  HRESULT GetIsFlatten(CATBoolean& oIsFlatten);
  HRESULT GetPSNPrintableId(CATUnicodeString& oPSNPrintableId);
  HRESULT SetPSNPrintableId(const CATUnicodeString& iPSNPrintableId);

 private:
  // The extended object (empty when the extension is not bound).
  CATBaseUnknown_var Extended() const;
  // True when the extended object is a product instance: setters refuse it.
  bool IsInstance() const;
  // Where getters read: the reference of an instance, else the object.
  CATBaseUnknown_var ReadTarget() const;
  // S_OK when IsABlackBox succeeds and answers true, else E_FAIL.
  HRESULT CheckBlackBox();
};

#endif  // KRVWD7CORE_SRC_KRVEWD7BLACKBOX_H_
