// The black-box services interface of the maker's interface library.
//
// Answered by the stand-alone component "KRVWD7BlackBoxServices": a command
// creates the component by name (CATInstantiateComponent, or the
// component's CATICreateInstance) and asks it for this interface. Every
// operation returns a result code; what each result means is documented
// beside its implementation (KRVEWD7BlackBoxServices). Failures that a user
// must see are raised through the host's error mechanism (CATError), whose
// failure code the operation returns.
//
// The order of the operations is binding: callers reach them by their place
// in the interface. Do not reorder.
#ifndef KRVWD7_HOST_KRVIWD7BLACKBOXSERVICES_H_
#define KRVWD7_HOST_KRVIWD7BLACKBOXSERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATUnicodeString.h"

class CATDocument;
class CATMetaClass;

extern const IID IID_KRVIWD7BlackBoxServices;

class KRVIWD7BlackBoxServices : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_KRVIWD7BlackBoxServices; }
  // The interface's description (kind CATInterfaceKind), made on first use.
  static CATMetaClass* MetaObject();

  // 1. Adds iPSNProduct of the PSN structure under iPSNRoot, with every
  // product below it, to the black box of iTarget; oNewProduct is the
  // black-box product made for it. iUnused is not read.
  virtual HRESULT AddToBlackBox(const CATBaseUnknown_var& iPSNProduct,
                                const CATBaseUnknown_var& iPSNRoot,
                                const CATBaseUnknown_var& iTarget,
                                CATBaseUnknown_var& oNewProduct,
                                CATLONG64 iUnused) = 0;
  // 2. Flattens the black box of iDocument: below its PSN root instance, or
  // directly below its root when iOption is 1.
  virtual HRESULT Flatten(CATDocument& iDocument,
                          const unsigned char& iOption) = 0;
  // 3. Makes a black box of version 1 a version 2 black box of the PSN
  // document open beside it.
  virtual HRESULT Migrate(CATDocument& iDocument,
                          const CATUnicodeString& iPSNFilename) = 0;
  // 4. Re-attaches a version 2 black box to the PSN document open beside it.
  virtual HRESULT Migrate2(CATDocument& iDocument,
                           const CATUnicodeString& iPSNFilename) = 0;
  // 5. Follows a new version of the PSN root part.
  virtual HRESULT MigrateAfterRootPartVersionning(
      CATDocument& iDocument, const CATUnicodeString& iNewPSNPrintableId,
      const CATUnicodeString& iNewPSNFilename,
      const CATUnicodeString& iNewPSNPartNumber) = 0;
  // 6. Moves a part or model instance of a flattened black box below
  // iDestination, keeping its VPM identity.
  virtual HRESULT MoveToPersonalizedStructure(
      const CATBaseUnknown_var& iProduct,
      const CATBaseUnknown_var& iDestination) = 0;
  // 7. Gives iTarget the position of iReference.
  virtual HRESULT CopyPosition(const CATBaseUnknown_var& iReference,
                               const CATBaseUnknown_var& iTarget) = 0;
  // 8. Carries the positions of the black box iBlackBox that differ from
  // its PSN (under iPSNRoot) over to the PSN products.
  virtual HRESULT UpdatePosition(const CATBaseUnknown_var& iPSNRoot,
                                 const CATBaseUnknown_var& iBlackBox) = 0;
  // 9. Selects in the PSN window the products that stand for the selected
  // black-box components.
  virtual HRESULT Identify(const CATListValCATBaseUnknown_var& iComponents) = 0;
  // 10. Writes the PSN file of the black box of the current window.
  virtual HRESULT UpdatePSNFile(const CATUnicodeString& iPSNFilename) = 0;
  // 11. oIsUpToDate := 1 when the black box of iBBDocument matches the PSN
  // of iPSNDocument, 0 otherwise.
  virtual HRESULT IsUpToDate(CATDocument& iBBDocument,
                             CATDocument& iPSNDocument,
                             unsigned char& oIsUpToDate) = 0;
};

typedef CATHandle<KRVIWD7BlackBoxServices> KRVIWD7BlackBoxServices_var;

#endif  // KRVWD7_HOST_KRVIWD7BLACKBOXSERVICES_H_
