// KRVWD7CoreServices: static services on black boxes.
//
// Checks done before a black box is changed (does a document come from VPM,
// is a product a black box, does it lie inside a nested black box), the
// switch of a structure to product mode, and the look-up of the open PSN
// document of a black box. The class is never instantiated.
//
// Results: S_OK (0) on success, E_FAIL (0x80004005) when the thing looked
// for is not there or the host refuses, E_INVALIDARG (0x80070057) for an
// empty handle; each operation says which applies. Outputs are cleared
// before any check. Runs on the host's user-interface thread only.
#ifndef KRVWD7_INCLUDE_KRVWD7CORESERVICES_H_
#define KRVWD7_INCLUDE_KRVWD7CORESERVICES_H_

#include "CATBaseUnknown.h"

class CATDocument;
class CATMetaClass;

class KRVWD7CoreServices : public CATBaseUnknown {
 public:
  ~KRVWD7CoreServices() override;

  // 0 when iDocument may be worked on: always when KRV_WD7_FILE_BASED is
  // "MODE4_ON_A_FILEBASE", otherwise when it is a PDM (VPM) document.
  // E_FAIL for any other document.
  static HRESULT CheckVPMDocument(CATDocument& iDocument);

  // oIsBlackBox := whether iProduct is a black box. E_INVALIDARG for an
  // empty handle, E_FAIL when the object has no black-box interface,
  // otherwise the black-box test's result (the flag is cleared when that is
  // negative).
  static HRESULT CheckIsBlackBox(const CATBaseUnknown_var& iProduct,
                                 CATBoolean& oIsBlackBox);

  // True when a product strictly between iProduct and iRoot on the father
  // chain, iProduct included, is a black box; false when iProduct is itself
  // a black box, when it is not a product, or when the walk reaches iRoot
  // (never tested) or the top first. An empty iRoot walks to the top.
  static CATBoolean CheckIsInsideSubBB(const CATBaseUnknown_var& iProduct,
                                       const CATBaseUnknown_var& iRoot);

  // Brings the structure below iProduct into product mode, with a progress
  // bar in interactive sessions and a timing trace. The toolbox's result;
  // E_INVALIDARG for an empty handle.
  static HRESULT SwitchToProductMode(const CATBaseUnknown_var& iProduct);

  // The open product document, other than iBlackBox's own, whose root's
  // VPM printable id is iBlackBox's PSN printable id (the first such in
  // session order). oDocument is borrowed from the session. 0 found, E_FAIL
  // none (also when iBlackBox has no PSN printable id or the documents
  // cannot be listed), E_INVALIDARG for an empty handle.
  static HRESULT RetrieveAssociatedPSNDoc(const CATBaseUnknown_var& iBlackBox,
                                          CATDocument*& oDocument);

  // The node of the black box iBlackBoxRoot that stands for its PSN root:
  // iBlackBoxRoot itself for a black box of type 1, the instance of its PSN
  // part number below it for type 2 (the services locate it the same way).
  // oType is the black box's type (0 when it cannot be read). 0 found,
  // E_FAIL when there is no such node (not a black box, another type, the
  // instance missing), E_INVALIDARG for an empty handle.
  static HRESULT RetrievePSNNode(const CATBaseUnknown_var& iBlackBoxRoot,
                                 CATBaseUnknown_var& oNode, int& oType);

  // Writes the build version text (catalog "KRVWD7", key "BPCVersion") to
  // the standard output.
  static void DumpBPCVersion();

  // Class information. CreateItself answers null.
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;

 private:
  KRVWD7CoreServices();
  KRVWD7CoreServices(const KRVWD7CoreServices&) = delete;
  KRVWD7CoreServices& operator=(const KRVWD7CoreServices&) = delete;
};

#endif  // KRVWD7_INCLUDE_KRVWD7CORESERVICES_H_
