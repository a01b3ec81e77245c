#include "CATDlgNotify.h"

#include <cstdio>

namespace {
CATDlgNotifyObserver* g_observer = nullptr;
}

CATDlgNotify::CATDlgNotify(CATDialog* iParent, const CATString& iIdentifier,
                           int iStyle)
    : CATDialog(iParent, iIdentifier), style_(iStyle) {}

int CATDlgNotify::DisplayBlocked(const CATUnicodeString& iMessage,
                                 const CATUnicodeString& iTitle) {
  if (g_observer) {
    g_observer->OnDisplay(*this, iMessage, iTitle);
  } else {
    std::fprintf(stderr, "%s: %s\n", iTitle.ConvertToChar(), iMessage.ConvertToChar());
  }
  return 1;
}

void CATDlgNotify::SetObserver(CATDlgNotifyObserver* iObserver) {
  g_observer = iObserver;
}
