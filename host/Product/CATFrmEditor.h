// Editors: the window of a document, its current selection (CSO) and its
// highlight set (XSO).
//
// Editors belong to the session, one per open document. Pointers are
// borrowed.
#ifndef KRVWD7_HOST_CATFRMEDITOR_H_
#define KRVWD7_HOST_CATFRMEDITOR_H_

#include "CATListValCATBaseUnknown_var.h"

class CATDocument;

class CATFrmEditor {
 public:
  explicit CATFrmEditor(CATDocument* iDocument) : document_(iDocument) {}
  CATFrmEditor(const CATFrmEditor&) = delete;
  CATFrmEditor& operator=(const CATFrmEditor&) = delete;

  // The editor whose window is current; null when no document is open.
  static CATFrmEditor* GetCurrentEditor();
  // Makes this editor the current one (brings its window to the front).
  void Activate();

  CATDocument* GetDocument() const { return document_; }
  CATListValCATBaseUnknown_var& Selection() { return selection_; }
  CATListValCATBaseUnknown_var& Highlight() { return highlight_; }

 private:
  CATDocument* document_;
  CATListValCATBaseUnknown_var selection_;
  CATListValCATBaseUnknown_var highlight_;
};

#endif  // KRVWD7_HOST_CATFRMEDITOR_H_
