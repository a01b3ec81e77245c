// What the tool knows of its terminal: colours and the progress bar.
#ifndef KRVWD7_TOOL_TERMINAL_H_
#define KRVWD7_TOOL_TERMINAL_H_

#include <cstdio>
#include <string>

#include "KRVWD7UtiDlgProgress.h"

namespace krvwd7 {

// True when iStream is a terminal.
bool IsTerminal(FILE* iStream);
// Colour on stdout: only on a terminal and when NO_COLOR is not set.
bool UseColour();

// The width that tables and wrapped lines on stdout may take, 0 for no
// limit: no limit with iWide or when stdout is not a terminal (a file or a
// pipe gets every text whole); on a terminal, COLUMNS when it holds a
// positive number, else the window's width, else 80.
int OutputWidth(bool iWide);
// The width for a command's options: --wide, the width a caller set, or
// the terminal's.
struct CommonOptions;
int OutputWidth(const CommonOptions& iOptions);
// The rule of OutputWidth on its inputs (iWindowColumns 0 when unknown).
int ChooseWidth(bool iWide, bool iTerminal, const char* iColumns, int iWindowColumns);

// Wraps iText in an ANSI colour when iOn (code "31" red, "32" green, "33"
// yellow, "1" bold).
std::string Colour(const std::string& iText, const char* iCode, bool iOn);

// Draws the host's progress bars on stderr, one line per phase of a
// command: "Title [#####.....]  50%", redrawn in place, and left on the
// screen at 100 % when the phase ends.
//
// A command announces a phase with BeginPhase(title, parts) when one step
// of its work shows several bars in turn (reading the black box and then
// its PSN); the phase's line then goes once from 0 to 100 %, each bar
// taking its share. A bar outside any phase is a phase of its own, titled
// by the bar. The bar's position counts from its first to its last value;
// ending a bar moves it to its last value, so a phase always ends at
// 100 %. Install it only when stderr is a terminal.
class TerminalProgress : public KRVWD7ProgressObserver {
 public:
  explicit TerminalProgress(FILE* oOut = stderr) : out_(oOut) {}
  ~TerminalProgress() override { EndPhase(); }

  // Starts a phase of iParts bars; "" takes the title of its first bar.
  // Ends the phase before it, if any.
  void BeginPhase(const std::string& iTitle, int iParts);
  // Draws the phase at 100 % and ends its line, when anything was drawn.
  void EndPhase();

  void OnInit(const KRVWD7UtiDlgProgress& iBar) override;
  void OnStep(const KRVWD7UtiDlgProgress& iBar) override;
  void OnEnd(const KRVWD7UtiDlgProgress& iBar) override;

  // The part of a bar done, from 0 to 1.
  static double Fraction(const KRVWD7UtiDlgProgress& iBar);

 private:
  void Draw(double iFraction);

  FILE* out_;
  bool in_phase_ = false;    // a phase is open
  bool announced_ = false;   // the phase came from BeginPhase
  std::string title_;
  int parts_ = 1;            // bars the phase expects
  int done_parts_ = 0;       // bars of the phase already ended
  int last_percent_ = -1;    // what the line shows, -1 for nothing yet
};

// Announces a phase for the lifetime of the object (null: does nothing).
class ProgressPhase {
 public:
  ProgressPhase(TerminalProgress* iProgress, const std::string& iTitle, int iParts)
      : progress_(iProgress) {
    if (progress_) progress_->BeginPhase(iTitle, iParts);
  }
  ~ProgressPhase() {
    if (progress_) progress_->EndPhase();
  }
  ProgressPhase(const ProgressPhase&) = delete;
  ProgressPhase& operator=(const ProgressPhase&) = delete;

 private:
  TerminalProgress* progress_;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_TERMINAL_H_
