// The base of the host's dialogs.
//
// Dialogs are plain heap objects (not reference counted). The parent is
// borrowed and only remembered; a dialog does not own or destroy other
// dialogs. This host has no event loop, so RequestDelayedDestruction
// destroys the dialog at once: the pointer is invalid after the call.
// LiveDialogs() counts the dialogs alive in the process, so tests can check
// that every dialog was released.
#ifndef KRVWD7_HOST_CATDIALOG_H_
#define KRVWD7_HOST_CATDIALOG_H_

#include "CATString.h"

class CATDialog {
 public:
  // iParent may be null.
  CATDialog(CATDialog* iParent, const CATString& iIdentifier);
  CATDialog(const CATDialog&) = delete;
  CATDialog& operator=(const CATDialog&) = delete;
  virtual ~CATDialog();

  // Destroys this dialog (now: there is no event loop to wait for).
  // REQUIRES: the dialog was made with new.
  void RequestDelayedDestruction();

  CATDialog* GetFather() const { return parent_; }
  const CATString& GetName() const { return identifier_; }

  static int LiveDialogs();

 private:
  CATDialog* parent_;
  CATString identifier_;
};

#endif  // KRVWD7_HOST_CATDIALOG_H_
