#include "KRVWD7UtiDlgProgress.h"

namespace {
KRVWD7ProgressObserver* g_observer = nullptr;
}  // namespace

KRVWD7UtiDlgProgress::KRVWD7UtiDlgProgress(CATDialog* iParent,
                                           const CATString& iIdentifier,
                                           const CATUnicodeString& iTitle)
    : CATDialog(iParent, iIdentifier), title_(iTitle) {}

KRVWD7UtiDlgProgress::~KRVWD7UtiDlgProgress() = default;

void KRVWD7UtiDlgProgress::InitProgressBar(int iFirst, int iLast, int iStep) {
  first_ = iFirst;
  last_ = iLast < iFirst ? iFirst : iLast;
  step_ = iStep > 0 ? iStep : 1;
  position_ = first_;
  if (g_observer) g_observer->OnInit(*this);
}

void KRVWD7UtiDlgProgress::StepIt() {
  position_ += step_;
  if (position_ > last_) position_ = last_;
  if (g_observer) g_observer->OnStep(*this);
}

void KRVWD7UtiDlgProgress::EndProgressBar() {
  position_ = last_;
  if (g_observer) g_observer->OnEnd(*this);
}

void KRVWD7UtiDlgProgress::SetObserver(KRVWD7ProgressObserver* iObserver) {
  g_observer = iObserver;
}
