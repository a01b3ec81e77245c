// A blocking notification: a message with a title and an OK button.
//
// This host has no windows. DisplayBlocked writes "TITLE: message" and a
// newline to stderr, or, when a sink is set, appends the pair (title,
// message) to it instead (tests read what was shown). The sink is
// process-wide and borrowed: the caller keeps it alive while it is set.
#ifndef KRVWD7_HOST_CATDLGNOTIFY_H_
#define KRVWD7_HOST_CATDLGNOTIFY_H_

#include <utility>
#include <vector>

#include "CATDialog.h"
#include "CATString.h"
#include "CATUnicodeString.h"

// Styles (the host accepts any value and keeps it).
constexpr int CATDlgNfyOK = 0x1;
constexpr int CATDlgNfyError = 0x10;
constexpr int CATDlgNfyWarning = 0x20;
constexpr int CATDlgNfyInformation = 0x40;

class CATDlgNotify : public CATDialog {
 public:
  typedef std::vector<std::pair<CATUnicodeString, CATUnicodeString>> Log;

  CATDlgNotify(CATDialog* iParent, const CATString& iIdentifier,
               int iStyle = CATDlgNfyOK);
  ~CATDlgNotify() override = default;

  // Shows the notification and returns when the user closed it: always 1
  // (the OK button) in this host.
  int DisplayBlocked(const CATUnicodeString& iMessage,
                     const CATUnicodeString& iTitle);

  int GetStyle() const { return style_; }

  // Where notifications go: iLog collects (title, message) pairs; null
  // sends them to stderr.
  static void SetSink(Log* iLog);

 private:
  int style_;
};

#endif  // KRVWD7_HOST_CATDLGNOTIFY_H_
