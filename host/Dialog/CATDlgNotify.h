// A blocking notification: a message with a title and an OK button.
//
// This host has no windows. DisplayBlocked hands the notification to the
// process-wide observer when one is set (the tool prints it, tests record
// it); without one it writes "TITLE: message" and a newline to stderr.
#ifndef KRVWD7_HOST_CATDLGNOTIFY_H_
#define KRVWD7_HOST_CATDLGNOTIFY_H_

#include "CATDialog.h"
#include "CATString.h"
#include "CATUnicodeString.h"

// Styles (the host accepts any value and keeps it).
constexpr int CATDlgNfyOK = 0x1;
constexpr int CATDlgNfyError = 0x10;
constexpr int CATDlgNfyWarning = 0x20;
constexpr int CATDlgNfyInformation = 0x40;

class CATDlgNotify;

// Told of every notification shown, in place of the default output.
class CATDlgNotifyObserver {
 public:
  virtual ~CATDlgNotifyObserver() = default;
  virtual void OnDisplay(const CATDlgNotify& iNotify,
                         const CATUnicodeString& iMessage,
                         const CATUnicodeString& iTitle) = 0;
};

class CATDlgNotify : public CATDialog {
 public:
  CATDlgNotify(CATDialog* iParent, const CATString& iIdentifier,
               int iStyle = CATDlgNfyOK);
  ~CATDlgNotify() override = default;

  // Shows the notification and returns when the user closed it: always 1
  // (the OK button) in this host.
  int DisplayBlocked(const CATUnicodeString& iMessage,
                     const CATUnicodeString& iTitle);

  int GetStyle() const { return style_; }

  // The observer of every notification (borrowed: the caller keeps it
  // alive while it is set; null restores the output on stderr).
  static void SetObserver(CATDlgNotifyObserver* iObserver);

 private:
  int style_;
};

#endif  // KRVWD7_HOST_CATDLGNOTIFY_H_
