#include "CATDialog.h"

namespace {
int g_live_dialogs = 0;
}

CATDialog::CATDialog(CATDialog* iParent, const CATString& iIdentifier)
    : parent_(iParent), identifier_(iIdentifier) {
  ++g_live_dialogs;
}

CATDialog::~CATDialog() { --g_live_dialogs; }

void CATDialog::RequestDelayedDestruction() { delete this; }

int CATDialog::LiveDialogs() { return g_live_dialogs; }
