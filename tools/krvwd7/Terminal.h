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

// Wraps iText in an ANSI colour when iOn (code "31" red, "32" green, "33"
// yellow, "1" bold).
std::string Colour(const std::string& iText, const char* iCode, bool iOn);

// Draws the host's progress bars on one line of stderr, redrawn in place:
// "Title [#####.....] 50%". Install it only when stderr is a terminal.
class TerminalProgress : public KRVWD7ProgressObserver {
 public:
  void OnInit(const KRVWD7UtiDlgProgress& iBar) override;
  void OnStep(const KRVWD7UtiDlgProgress& iBar) override;
  void OnEnd(const KRVWD7UtiDlgProgress& iBar) override;

 private:
  void Draw(const KRVWD7UtiDlgProgress& iBar);
  int last_percent_ = -1;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_TERMINAL_H_
