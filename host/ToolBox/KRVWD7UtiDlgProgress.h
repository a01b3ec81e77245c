// A progress bar dialog.
//
// Created by the operation that shows it and released with
// RequestDelayedDestruction. This host has no windows: the bar reports to a
// process-wide observer (the tool draws a bar on a terminal, tests record
// the calls); without one it does nothing.
#ifndef KRVWD7_HOST_KRVWD7UTIDLGPROGRESS_H_
#define KRVWD7_HOST_KRVWD7UTIDLGPROGRESS_H_

#include "CATDialog.h"
#include "CATString.h"
#include "CATUnicodeString.h"

class KRVWD7UtiDlgProgress;

class KRVWD7ProgressObserver {
 public:
  virtual ~KRVWD7ProgressObserver() = default;
  virtual void OnInit(const KRVWD7UtiDlgProgress& iBar) = 0;
  virtual void OnStep(const KRVWD7UtiDlgProgress& iBar) = 0;
  virtual void OnEnd(const KRVWD7UtiDlgProgress& iBar) = 0;
};

class KRVWD7UtiDlgProgress : public CATDialog {
 public:
  KRVWD7UtiDlgProgress(CATDialog* iParent, const CATString& iIdentifier,
                       const CATUnicodeString& iTitle);
  ~KRVWD7UtiDlgProgress() override;

  // Starts the bar at iFirst. A last value below iFirst counts as iFirst,
  // a step below 1 as 1.
  void InitProgressBar(int iFirst, int iLast, int iStep);
  // Advances by the step, never beyond the last value.
  void StepIt();
  // Moves to the last value.
  void EndProgressBar();

  const CATUnicodeString& Title() const { return title_; }
  int First() const { return first_; }
  int Last() const { return last_; }
  int Position() const { return position_; }

  // The observer of every bar (borrowed; null for none).
  static void SetObserver(KRVWD7ProgressObserver* iObserver);

 private:
  CATUnicodeString title_;
  int first_ = 0;
  int last_ = 0;
  int step_ = 1;
  int position_ = 0;
};

#endif  // KRVWD7_HOST_KRVWD7UTIDLGPROGRESS_H_
