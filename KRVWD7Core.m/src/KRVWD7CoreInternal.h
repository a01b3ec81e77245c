// Helpers that every service of the library shares (not exported).
//
// - Trace lines: every line goes through the maker's tracer with its
//   file-and-line prefix switched off first.
// - "[PERFO]" lines: the elapsed time of a stopwatch in square brackets.
// - A progress dialog that exists only in interactive sessions and is ended
//   and handed to the host's delayed destruction on every path.
// - The black-box settings, held for one use and released.
// - Errors that a user must see, raised through the host.
// - The black-box node that stands for the PSN root.
//
// Everything here runs on the host's user-interface thread.
#ifndef KRVWD7CORE_SRC_KRVWD7COREINTERNAL_H_
#define KRVWD7CORE_SRC_KRVWD7COREINTERNAL_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7UtiTimer.h"
#include "KRVWD7UtiTracer.h"

class KRVIWD7BlackBoxSettingAtt;
class KRVWD7UtiDlgProgress;

namespace krvwd7_core {

// Fixed widths of a printable identifier: a 58-character head, then
// 16-character component links.
constexpr int kHeadLength = 58;
constexpr int kClinkLength = 16;

// Writes iText as one trace line.
void Trace(const char* iText);

// Writes one trace line formatted like printf (texts as const char*).
template <typename... Args>
void TraceF(const char* iFormat, Args... iArgs) {
  KRVWD7UtiTracer::SetNoFileLine();
  KRVWD7UtiTracer::PrintV(iFormat, iArgs...);
}

// Writes iFormat, which holds one %s, with the elapsed time of iTimer. The
// time is not even formatted when the trace goes nowhere.
void TracePerfo(const char* iFormat, const KRVWD7UtiTimer& iTimer);

// True when the host's main application is an interactive application:
// only then are progress dialogs shown.
bool IsInteractive();

// A progress dialog of the maker's toolbox, made only when the session is
// interactive; every call does nothing in batch use. Its title is the
// message of iKey in iCatalog, the key itself being the default text. The
// destructor ends the bar and hands the dialog to the host's delayed
// destruction, so no return path can forget it.
class ScopedProgress {
 public:
  ScopedProgress(const char* iDialogName, const char* iCatalog,
                 const char* iKey);
  ~ScopedProgress();
  ScopedProgress(const ScopedProgress&) = delete;
  ScopedProgress& operator=(const ScopedProgress&) = delete;

  bool IsShown() const { return dialog_ != nullptr; }
  void Init(int iFirst, int iLast, int iStep);
  void Step();
  // Ends the bar and releases the dialog now; the destructor then does
  // nothing.
  void End();

 private:
  KRVWD7UtiDlgProgress* dialog_ = nullptr;
};

// The black-box settings with one reference, released when the holder goes.
// Empty when the settings library does not answer.
class SettingsHandle {
 public:
  SettingsHandle();
  ~SettingsHandle();
  SettingsHandle(const SettingsHandle&) = delete;
  SettingsHandle& operator=(const SettingsHandle&) = delete;

  KRVIWD7BlackBoxSettingAtt* operator->() const { return settings_; }
  explicit operator bool() const { return settings_ != nullptr; }

 private:
  KRVIWD7BlackBoxSettingAtt* settings_ = nullptr;
};

// The default PSN directory of the settings; empty when the settings or the
// directory cannot be had (that is not a failure).
CATUnicodeString DefaultPSNDirectory();

// Raises the error iKey of the message catalog iCatalog through the host's
// error mechanism (a CATInternalError handed to CATError::GetReturn, which
// keeps it) and returns the failure code the host gives, for the operation
// to return at once. iFile and iLine name the raising statement (the
// caller's, by default). When the error object cannot be made the host is
// called without one.
HRESULT RaiseError(const char* iKey, const char* iCatalog,
                   const char* iFile = __builtin_FILE(),
                   int iLine = __builtin_LINE());

// True when iBlackBox answers the black-box test with success and true.
bool IsABlackBox(const KRVIWD7BlackBox_var& iBlackBox);

// The node of the black box iRoot that stands for the PSN root, found from
// the type that GetType of iBlackBox (iRoot's black-box interface) reads:
// iRoot itself for type 1, the instance of the PSN part number below iRoot
// for type 2 (the toolbox's FindInstance by part number), empty otherwise
// and when GetType fails or the instance is not found. oType and
// oPSNPartNumber are what GetType read (0 and "" when it failed).
CATBaseUnknown_var PSNNodeOf(const CATBaseUnknown_var& iRoot,
                             const KRVIWD7BlackBox_var& iBlackBox, int& oType,
                             CATUnicodeString& oPSNPartNumber);

}  // namespace krvwd7_core

#endif  // KRVWD7CORE_SRC_KRVWD7COREINTERNAL_H_
