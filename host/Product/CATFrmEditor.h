// Editors: the window of a document, its current selection (CSO) and its
// highlight set (XSO).
//
// Which editor's window is current is the business of the host's window
// layout (CATFrmLayout), which the host's implementation provides: each
// editor belongs to one layout, and GetCurrentEditor asks the process's
// layout. Editors belong to the session that opened their documents;
// pointers are borrowed.
#ifndef KRVWD7_HOST_CATFRMEDITOR_H_
#define KRVWD7_HOST_CATFRMEDITOR_H_

#include "CATListValCATBaseUnknown_var.h"

class CATDocument;
class CATFrmEditor;

// The windows of the host: which editor is current.
class CATFrmLayout {
 public:
  virtual ~CATFrmLayout() = default;
  // The editor whose window is current; null when none.
  virtual CATFrmEditor* CurrentEditor() const = 0;
  virtual void SetCurrentEditor(CATFrmEditor* iEditor) = 0;

  // The layout of the process (borrowed; null when the host has none yet).
  static CATFrmLayout* Get();
  static void Set(CATFrmLayout* iLayout);
};

class CATFrmEditor {
 public:
  // iLayout (borrowed) owns the window; it outlives the editor.
  CATFrmEditor(CATDocument* iDocument, CATFrmLayout* iLayout)
      : document_(iDocument), layout_(iLayout) {}
  CATFrmEditor(const CATFrmEditor&) = delete;
  CATFrmEditor& operator=(const CATFrmEditor&) = delete;

  // The editor whose window is current in the process's layout; null when
  // no document is open.
  static CATFrmEditor* GetCurrentEditor();
  // Makes this editor the current one of its layout (brings its window to
  // the front).
  void Activate();

  // Hands the window over to another layout (when a session takes over
  // documents loaded elsewhere).
  void SetLayout(CATFrmLayout* iLayout) { layout_ = iLayout; }

  CATDocument* GetDocument() const { return document_; }
  CATListValCATBaseUnknown_var& Selection() { return selection_; }
  CATListValCATBaseUnknown_var& Highlight() { return highlight_; }

 private:
  CATDocument* document_;
  CATFrmLayout* layout_;
  CATListValCATBaseUnknown_var selection_;
  CATListValCATBaseUnknown_var highlight_;
};

#endif  // KRVWD7_HOST_CATFRMEDITOR_H_
