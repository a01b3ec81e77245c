// The maker's document, editor, selection, copy-paste, PDM and environment
// services.
#ifndef KRVWD7_HOST_KRVWD7UTIDOCSERVICES_H_
#define KRVWD7_HOST_KRVWD7UTIDOCSERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListPtrCATDocument.h"
#include "CATUnicodeString.h"

class CATDocument;
class CATFrmEditor;
class CATFormat;

// Every operation first asks MemFaults for a fault of its own name (with the
// product where there is one) and answers the fault's result instead, its
// outputs cleared.
class KRVWD7UtiPrdDocServices {
 public:
  // The root product of a document, of the structure a product is in, or of
  // an editor's document. E_INVALIDARG for a null or empty argument,
  // E_FAIL when there is none.
  static HRESULT RetrieveRootProduct(CATDocument* iDocument,
                                     CATBaseUnknown_var& oRoot);
  static HRESULT RetrieveRootProduct(const CATBaseUnknown_var& iProduct,
                                     CATBaseUnknown_var& oRoot);
  static HRESULT RetrieveRootProduct(CATFrmEditor* iEditor,
                                     CATBaseUnknown_var& oRoot);
  // The product documents open in the session, in opening order. The
  // documents are borrowed; the list is the caller's.
  static HRESULT GetNbProductDocumentInSession(int& oCount,
                                               CATListPtrCATDocument& oDocs);
};

class KRVWD7UtiEditorServices {
 public:
  // The editor of an open document (borrowed). E_FAIL when none.
  static HRESULT GetFrmEditor(CATDocument* iDocument, CATFrmEditor*& oEditor);
};

class KRVWD7UtiSOServices {
 public:
  // Adds iProduct to the current selection of iEditor. iPath is unused by
  // this host (no path elements) and may be null.
  static HRESULT AddInCSO(const CATBaseUnknown_var& iProduct,
                          CATFrmEditor* iEditor, void* iPath);
  static HRESULT EmptyCSO(CATFrmEditor* iEditor);
  // Empties the highlight set; iMode is unused by this host.
  static HRESULT EmptyXSO(int iMode, CATFrmEditor* iEditor);
};

class KRVWD7UtiPrdCCPServices {
 public:
  // Pastes under iFather (appended) a copy of iSource with iSource's
  // position, text and graphic properties, node type and instance name; a
  // name that a child of iFather already carries is numbered on ("Bolt.1"
  // gives "Bolt.2", the first free). With "CATProdCont" a leaf
  // (part, model, empty component) copy is a new instance of the same
  // reference; with "CATSpecBreakLink" it gets a new reference carrying a
  // copy of the source reference's attributes, properties, parameters and
  // shapes. Products with children are always copied with a new reference
  // (a reference with children has one instance), their content below
  // copied by the same rule; new references get the source's part number,
  // made unique in the father's document. VPM identities are not copied.
  // E_INVALIDARG for a null or unregistered format or empty handles,
  // E_FAIL when iFather is iSource or below it, or the host refuses the new
  // child; E_FAIL with oNew set when a product below could not be copied.
  static HRESULT CopyAndPaste(const CATFormat* iFormat,
                              const CATBaseUnknown_var& iSource,
                              const CATBaseUnknown_var& iFather,
                              CATBaseUnknown_var& oNew);
  // Moves iSource under iFather (appended), keeping its absolute position;
  // oNew is the moved product at its new place: the same object, which
  // keeps all its own data (name, properties, identity). The two operations
  // do the same in this host. E_INVALIDARG as CopyAndPaste; E_FAIL when
  // iSource is a root, iFather is iSource or below it, or iFather's
  // reference has several instances.
  static HRESULT CutAndPaste(const CATFormat* iFormat,
                             const CATBaseUnknown_var& iSource,
                             const CATBaseUnknown_var& iFather,
                             CATBaseUnknown_var& oNew);
  static HRESULT DragAndDrop(const CATFormat* iFormat,
                             const CATBaseUnknown_var& iSource,
                             const CATBaseUnknown_var& iFather,
                             CATBaseUnknown_var& oNew);
  // Removes an instance and everything below it from its father. E_FAIL for
  // a document's root (or any reference) and for a removed product.
  static HRESULT Delete(const CATBaseUnknown_var& iProduct);
};

class KRVWD7UtiPDMServices {
 public:
  // 0 for a document of the PDM system, 1 for any other; E_INVALIDARG for
  // null.
  static HRESULT IsPDMDocument(CATDocument* iDocument);
};

class KRVWD7UtiGeneral {
 public:
  // 1 when the environment variable iName holds exactly iValue, else 0.
  static int IsEnvVarSet(const char* iName, const char* iValue);
};

#endif  // KRVWD7_HOST_KRVWD7UTIDOCSERVICES_H_
