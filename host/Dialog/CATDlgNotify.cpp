#include "CATDlgNotify.h"

#include <cstdio>

namespace {
CATDlgNotify::Log* g_sink = nullptr;
}

CATDlgNotify::CATDlgNotify(CATDialog* iParent, const CATString& iIdentifier,
                           int iStyle)
    : CATDialog(iParent, iIdentifier), style_(iStyle) {}

int CATDlgNotify::DisplayBlocked(const CATUnicodeString& iMessage,
                                 const CATUnicodeString& iTitle) {
  if (g_sink) {
    g_sink->emplace_back(iTitle, iMessage);
  } else {
    std::fprintf(stderr, "%s: %s\n", iTitle.ConvertToChar(), iMessage.ConvertToChar());
  }
  return 1;
}

void CATDlgNotify::SetSink(Log* iLog) { g_sink = iLog; }
