#include "KRVWD7CoreInternal.h"

#include <new>

#include "CATApplication.h"
#include "CATInternalError.h"
#include "CATMsgCatalog.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiPrdServices.h"

namespace krvwd7_core {

void Trace(const char* iText) {
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::Print(iText);
}

void TracePerfo(const char* iFormat, const KRVWD7UtiTimer& iTimer) {
  if (!KRVWD7UtiTracer::IsOn()) return;
  CATUnicodeString elapsed;
  iTimer.GetElapsedTimeString(elapsed, 1);
  TraceF(iFormat, elapsed.ConvertToChar());
}

bool IsInteractive() {
  CATApplication* application = CATApplication::MainApplication();
  return application != nullptr &&
         application->IsAKindOf(CATInteractiveApplication::ClassName());
}

// --- ScopedProgress ----------------------------------------------------------

ScopedProgress::ScopedProgress(const char* iDialogName, const char* iCatalog,
                               const char* iKey) {
  if (!IsInteractive()) return;
  const CATUnicodeString title =
      CATMsgCatalog::BuildMessage(iCatalog, iKey, nullptr, 0, iKey);
  dialog_ = new KRVWD7UtiDlgProgress(nullptr, iDialogName, title);
}

ScopedProgress::~ScopedProgress() { End(); }

void ScopedProgress::Init(int iFirst, int iLast, int iStep) {
  if (dialog_) dialog_->InitProgressBar(iFirst, iLast, iStep);
}

void ScopedProgress::Step() {
  if (dialog_) dialog_->StepIt();
}

void ScopedProgress::End() {
  if (dialog_ == nullptr) return;
  dialog_->EndProgressBar();
  dialog_->RequestDelayedDestruction();
  dialog_ = nullptr;
}

// --- Settings ------------------------------------------------------------------

SettingsHandle::SettingsHandle() {
  void* settings = nullptr;
  if (SUCCEEDED(GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt,
                                             &settings))) {
    settings_ = static_cast<KRVIWD7BlackBoxSettingAtt*>(settings);
  }
}

SettingsHandle::~SettingsHandle() {
  if (settings_) settings_->Release();
}

CATUnicodeString DefaultPSNDirectory() {
  CATUnicodeString directory;
  SettingsHandle settings;
  if (settings && FAILED(settings->GetPSNDirectory(directory))) {
    directory = CATUnicodeString();
  }
  return directory;
}

// --- Errors ----------------------------------------------------------------------

HRESULT RaiseError(const char* iKey, const char* iCatalog, const char* iFile,
                   int iLine) {
  CATInternalError* error = new (std::nothrow) CATInternalError(iKey, iCatalog);
  return CATError::GetReturn(2, error, nullptr, iFile, iLine);
}

// --- Black boxes ---------------------------------------------------------------

bool IsABlackBox(const KRVIWD7BlackBox_var& iBlackBox) {
  if (!iBlackBox) return false;
  CATBoolean is_black_box = 0;
  return SUCCEEDED(iBlackBox->IsABlackBox(is_black_box)) && is_black_box;
}

CATBaseUnknown_var PSNNodeOf(const CATBaseUnknown_var& iRoot,
                             const KRVIWD7BlackBox_var& iBlackBox, int& oType,
                             CATUnicodeString& oPSNPartNumber) {
  oType = 0;
  oPSNPartNumber = CATUnicodeString();
  if (!iRoot || !iBlackBox) return CATBaseUnknown_var();
  if (FAILED(iBlackBox->GetType(oType, oPSNPartNumber))) {
    oType = 0;
    oPSNPartNumber = CATUnicodeString();
    return CATBaseUnknown_var();
  }
  if (oType == 1) return iRoot;
  if (oType != 2) return CATBaseUnknown_var();
  CATBaseUnknown_var node;
  if (KRVWD7UtiPrdServices::FindInstance(iRoot, oPSNPartNumber, 0, node, 0) !=
      S_OK) {
    return CATBaseUnknown_var();
  }
  return node;
}

}  // namespace krvwd7_core
