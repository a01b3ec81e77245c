// The maker's document, editor, selection, copy-paste, PDM and environment
// services over the in-memory session.
#include "KRVWD7UtiDocServices.h"

#include <cstring>
#include <vector>

#include "CATFormat.h"
#include "CATFrmEditor.h"
#include "CATGetEnv.h"
#include "KRVWD7UtiToolBoxInternal.h"
#include "MemDocument.h"
#include "MemFaults.h"
#include "MemProduct.h"
#include "MemSession.h"

using krvwd7_toolbox::Handle;

namespace {

HRESULT RootOf(CATDocument* iDocument, CATBaseUnknown_var& oRoot) {
  if (iDocument == nullptr) return E_INVALIDARG;
  MemDocument* document = MemDocument::From(iDocument);
  if (document == nullptr || document->Session() == nullptr ||
      document->Root() == nullptr) {
    return E_FAIL;
  }
  oRoot = Handle(document->Root());
  return S_OK;
}

// A format the host registered (the very object it hands out).
bool IsRegistered(const CATFormat* iFormat) {
  return iFormat != nullptr &&
         CATFormat::GetRegisteredFormat(iFormat->Name()) == iFormat;
}

// The arguments of the paste operations: E_INVALIDARG for an unknown format
// or empty handles, E_FAIL when either is not a product of the session.
HRESULT PasteArguments(const CATFormat* iFormat, const CATBaseUnknown_var& iSource,
                       const CATBaseUnknown_var& iFather, MemProduct*& oSource,
                       MemProduct*& oFather) {
  oSource = oFather = nullptr;
  if (!IsRegistered(iFormat) || !iSource || !iFather) return E_INVALIDARG;
  oSource = MemProduct::From(iSource);
  oFather = MemProduct::From(iFather);
  if (oSource == nullptr || oFather == nullptr) return E_FAIL;
  if (oSource->Session() != oFather->Session()) return E_FAIL;
  return S_OK;
}

// Copies the data of the product object iSource onto iCopy.
void CopyObjectData(MemProduct* ioCopy, const MemProduct* iSource) {
  if (!iSource->IsRef()) ioCopy->SetPosition(iSource->Position());
  ioCopy->Properties() = iSource->Properties();
  ioCopy->Graphic() = iSource->Graphic();
  ioCopy->SetExplicitNodeType(iSource->ExplicitNodeType());
  ioCopy->SetMode(iSource->Mode());
}

// iName when no child of iFather carries it; otherwise iName without its
// trailing ".<digits>", followed by "." and the first number that makes a
// name no child carries ("Bolt.1" -> "Bolt.2").
std::string FreeChildName(const MemProduct* iFather, const std::string& iName) {
  if (iFather->FindChild(iName) == nullptr) return iName;
  std::string base = iName;
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot + 1 < base.size() &&
      base.find_first_not_of("0123456789", dot + 1) == std::string::npos) {
    base.resize(dot);
  }
  for (unsigned long n = 1;; ++n) {
    std::string name = base + "." + std::to_string(n);
    if (iFather->FindChild(name) == nullptr) return name;
  }
}

// Makes below iFather a copy of the occurrence iSource and of everything
// below it. A leaf reference is shared by the copy unless iBreakLink; a
// reference with children (which has one instance at most) and a root are
// always copied, their part number made unique in iFather's document.
// Returns the new instance, or null when the host refused it; oComplete is
// false when a product below could not be copied (what was made stays).
MemProduct* PasteCopy(MemSession& ioSession, MemProduct* iFather,
                      MemProduct* iSource, bool iBreakLink, bool& oComplete) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kCopyAndPasteProduct, iSource, rc)) {
    oComplete = false;
    return nullptr;
  }
  MemProduct* source_reference = iSource->Reference();
  const std::string name = FreeChildName(iFather, iSource->InstanceName());
  bool copy_reference = iBreakLink || iSource->IsRef() ||
                        !source_reference->Children().empty();
  MemProduct* copy = nullptr;
  if (copy_reference) {
    copy = ioSession.NewComponent(iFather, name,
                                  source_reference->PartNumber(),
                                  source_reference->Kind());
    if (copy) {
      krvwd7_toolbox::CopyReferenceContent(copy->Reference(), source_reference);
      copy->Reference()->SetExplicitNodeType(source_reference->ExplicitNodeType());
    }
  } else {
    copy = ioSession.NewInstance(iFather, source_reference, name);
  }
  if (copy == nullptr) {
    oComplete = false;
    return nullptr;
  }
  CopyObjectData(copy, iSource);  // keeps the name given above
  if (copy_reference) {
    // A snapshot: the copy may land below the source's own father.
    std::vector<MemProduct*> children = source_reference->Children();
    for (MemProduct* child : children) {
      PasteCopy(ioSession, copy, child, iBreakLink, oComplete);
    }
  }
  return copy;
}

// Moves iSource below iFather keeping its absolute position.
HRESULT MoveKeepingPlace(MemFaultPoint iOp, const CATFormat* iFormat,
                         const CATBaseUnknown_var& iSource,
                         const CATBaseUnknown_var& iFather,
                         CATBaseUnknown_var& oNew) {
  oNew = NULL_var;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(iOp, iSource, rc)) return rc;
  MemProduct* source = nullptr;
  MemProduct* father = nullptr;
  rc = PasteArguments(iFormat, iSource, iFather, source, father);
  if (FAILED(rc)) return rc;
  if (source->IsRef()) return E_FAIL;
  const CATMathTransformation absolute = source->AbsolutePosition();
  const CATMathTransformation father_absolute = father->AbsolutePosition();
  if (!father_absolute.IsInvertible()) return E_FAIL;
  rc = source->Session()->Move(source, father);
  if (FAILED(rc)) return rc;
  source->SetPosition(father_absolute.Inverse() * absolute);
  oNew = Handle(source);
  return S_OK;
}

}  // namespace

// --- Documents and editors ------------------------------------------------------

HRESULT KRVWD7UtiPrdDocServices::RetrieveRootProduct(CATDocument* iDocument,
                                                     CATBaseUnknown_var& oRoot) {
  oRoot = NULL_var;
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kRetrieveRootProduct, iDocument,
                             rc)) {
    return rc;
  }
  return RootOf(iDocument, oRoot);
}

HRESULT KRVWD7UtiPrdDocServices::RetrieveRootProduct(
    const CATBaseUnknown_var& iProduct, CATBaseUnknown_var& oRoot) {
  oRoot = NULL_var;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kRetrieveRootProduct, iProduct, rc)) return rc;
  if (!iProduct) return E_INVALIDARG;
  MemProduct* product = MemProduct::From(iProduct);
  if (product == nullptr) return E_FAIL;
  oRoot = Handle(product->Top());
  return S_OK;
}

HRESULT KRVWD7UtiPrdDocServices::RetrieveRootProduct(CATFrmEditor* iEditor,
                                                     CATBaseUnknown_var& oRoot) {
  oRoot = NULL_var;
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kRetrieveRootProduct,
                             iEditor ? iEditor->GetDocument() : nullptr, rc)) {
    return rc;
  }
  if (iEditor == nullptr) return E_INVALIDARG;
  if (iEditor->GetDocument() == nullptr) return E_FAIL;
  return RootOf(iEditor->GetDocument(), oRoot);
}

HRESULT KRVWD7UtiPrdDocServices::GetNbProductDocumentInSession(
    int& oCount, CATListPtrCATDocument& oDocs) {
  oCount = 0;
  oDocs.RemoveAll();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetNbProductDocumentInSession, rc)) return rc;
  for (MemDocument* document : MemSession::Current().ProductDocuments()) {
    oDocs.Append(document);
  }
  oCount = oDocs.Size();
  return S_OK;
}

HRESULT KRVWD7UtiEditorServices::GetFrmEditor(CATDocument* iDocument,
                                              CATFrmEditor*& oEditor) {
  oEditor = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kGetFrmEditor, iDocument, rc)) {
    return rc;
  }
  if (iDocument == nullptr) return E_INVALIDARG;
  MemDocument* document = MemDocument::From(iDocument);
  if (document == nullptr || document->Session() == nullptr ||
      document->Editor() == nullptr) {
    return E_FAIL;
  }
  oEditor = document->Editor();
  return S_OK;
}

// --- Selection ----------------------------------------------------------------

HRESULT KRVWD7UtiSOServices::AddInCSO(const CATBaseUnknown_var& iProduct,
                                      CATFrmEditor* iEditor, void*) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kAddInCSO, iProduct, rc)) return rc;
  if (!iProduct || iEditor == nullptr) return E_INVALIDARG;
  if (MemProduct::From(iProduct) == nullptr) return E_FAIL;
  CATListValCATBaseUnknown_var& selection = iEditor->Selection();
  if (selection.Locate(iProduct) == 0) selection.Append(iProduct);
  return S_OK;
}

HRESULT KRVWD7UtiSOServices::EmptyCSO(CATFrmEditor* iEditor) {
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kEmptyCSO,
                             iEditor ? iEditor->GetDocument() : nullptr, rc)) {
    return rc;
  }
  if (iEditor == nullptr) return E_INVALIDARG;
  iEditor->Selection().RemoveAll();
  return S_OK;
}

HRESULT KRVWD7UtiSOServices::EmptyXSO(int, CATFrmEditor* iEditor) {
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kEmptyXSO,
                             iEditor ? iEditor->GetDocument() : nullptr, rc)) {
    return rc;
  }
  if (iEditor == nullptr) return E_INVALIDARG;
  iEditor->Highlight().RemoveAll();
  return S_OK;
}

// --- Copy, cut and paste ----------------------------------------------------------

HRESULT KRVWD7UtiPrdCCPServices::CopyAndPaste(const CATFormat* iFormat,
                                              const CATBaseUnknown_var& iSource,
                                              const CATBaseUnknown_var& iFather,
                                              CATBaseUnknown_var& oNew) {
  oNew = NULL_var;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kCopyAndPaste, iSource, rc)) return rc;
  MemProduct* source = nullptr;
  MemProduct* father = nullptr;
  rc = PasteArguments(iFormat, iSource, iFather, source, father);
  if (FAILED(rc)) return rc;
  if (father->IsBelow(source)) return E_FAIL;  // a copy into itself
  bool break_link = iFormat == CATFormat::GetRegisteredFormat("CATSpecBreakLink");
  bool complete = true;
  MemProduct* copy =
      PasteCopy(*source->Session(), father, source, break_link, complete);
  if (copy == nullptr) return E_FAIL;
  oNew = Handle(copy);
  return complete ? S_OK : E_FAIL;
}

HRESULT KRVWD7UtiPrdCCPServices::CutAndPaste(const CATFormat* iFormat,
                                             const CATBaseUnknown_var& iSource,
                                             const CATBaseUnknown_var& iFather,
                                             CATBaseUnknown_var& oNew) {
  return MoveKeepingPlace(MemFaultPoint::kCutAndPaste, iFormat, iSource, iFather, oNew);
}

HRESULT KRVWD7UtiPrdCCPServices::DragAndDrop(const CATFormat* iFormat,
                                             const CATBaseUnknown_var& iSource,
                                             const CATBaseUnknown_var& iFather,
                                             CATBaseUnknown_var& oNew) {
  return MoveKeepingPlace(MemFaultPoint::kDragAndDrop, iFormat, iSource, iFather, oNew);
}

HRESULT KRVWD7UtiPrdCCPServices::Delete(const CATBaseUnknown_var& iProduct) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kDelete, iProduct, rc)) return rc;
  if (!iProduct) return E_INVALIDARG;
  MemProduct* product = MemProduct::From(iProduct);
  if (product == nullptr) return E_FAIL;
  return product->Session()->Remove(product);
}

// --- PDM and environment ----------------------------------------------------------

HRESULT KRVWD7UtiPDMServices::IsPDMDocument(CATDocument* iDocument) {
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kIsPDMDocument, iDocument, rc)) {
    return rc;
  }
  if (iDocument == nullptr) return E_INVALIDARG;
  MemDocument* document = MemDocument::From(iDocument);
  return document != nullptr && document->IsPdm() ? 0 : 1;
}

int KRVWD7UtiGeneral::IsEnvVarSet(const char* iName, const char* iValue) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kIsEnvVarSet, rc)) return rc;
  if (iName == nullptr || iValue == nullptr) return 0;
  const char* value = CATGetEnv(iName);
  return value != nullptr && std::strcmp(value, iValue) == 0 ? 1 : 0;
}
