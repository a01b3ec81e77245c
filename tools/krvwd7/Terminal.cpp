#include "Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "Commands.h"

namespace krvwd7 {

bool IsTerminal(FILE* iStream) { return isatty(fileno(iStream)) == 1; }

bool UseColour() {
  const char* no_colour = std::getenv("NO_COLOR");
  return IsTerminal(stdout) && (no_colour == nullptr || *no_colour == '\0');
}

std::string Colour(const std::string& iText, const char* iCode, bool iOn) {
  if (!iOn) return iText;
  return std::string("\033[") + iCode + "m" + iText + "\033[0m";
}

int ChooseWidth(bool iWide, bool iTerminal, const char* iColumns, int iWindowColumns) {
  if (iWide || !iTerminal) return 0;
  if (iColumns != nullptr && *iColumns != '\0') {
    char* end = nullptr;
    long value = std::strtol(iColumns, &end, 10);
    if (*end == '\0' && value > 0 && value < 100000) return static_cast<int>(value);
  }
  return iWindowColumns > 0 ? iWindowColumns : 80;
}

int OutputWidth(bool iWide) {
  bool terminal = IsTerminal(stdout);
  int window = 0;
  struct winsize size;
  if (terminal && ioctl(fileno(stdout), TIOCGWINSZ, &size) == 0) window = size.ws_col;
  return ChooseWidth(iWide, terminal, std::getenv("COLUMNS"), window);
}

int OutputWidth(const CommonOptions& iOptions) {
  if (iOptions.wide) return 0;
  return iOptions.width >= 0 ? iOptions.width : OutputWidth(false);
}

// --- TerminalProgress ---------------------------------------------------------

double TerminalProgress::Fraction(const KRVWD7UtiDlgProgress& iBar) {
  const int span = iBar.Last() - iBar.First();
  if (span <= 0) return 0;
  double done = static_cast<double>(iBar.Position() - iBar.First()) / span;
  return std::clamp(done, 0.0, 1.0);
}

void TerminalProgress::BeginPhase(const std::string& iTitle, int iParts) {
  EndPhase();
  in_phase_ = true;
  announced_ = true;
  title_ = iTitle;
  parts_ = std::max(1, iParts);
  done_parts_ = 0;
  last_percent_ = -1;
}

void TerminalProgress::EndPhase() {
  if (!in_phase_) return;
  if (last_percent_ >= 0) {
    Draw(1.0);
    std::fputc('\n', out_);
    std::fflush(out_);
  }
  in_phase_ = false;
  announced_ = false;
}

void TerminalProgress::OnInit(const KRVWD7UtiDlgProgress& iBar) {
  if (!in_phase_) {
    // A bar of its own: its phase is the bar.
    in_phase_ = true;
    announced_ = false;
    title_.clear();
    parts_ = 1;
    done_parts_ = 0;
    last_percent_ = -1;
  }
  if (title_.empty()) title_ = iBar.Title().ConvertToChar();
  OnStep(iBar);
}

void TerminalProgress::OnStep(const KRVWD7UtiDlgProgress& iBar) {
  if (!in_phase_) return OnInit(iBar);
  Draw((std::min(done_parts_, parts_ - 1) + Fraction(iBar)) / parts_);
}

void TerminalProgress::OnEnd(const KRVWD7UtiDlgProgress& iBar) {
  if (!in_phase_) OnInit(iBar);  // a bar ended without a start
  done_parts_ = std::min(done_parts_ + 1, parts_);
  Draw(static_cast<double>(done_parts_) / parts_);
  if (!announced_) EndPhase();
}

void TerminalProgress::Draw(double iFraction) {
  int percent = static_cast<int>(100 * iFraction + 1e-9);
  percent = std::clamp(percent, 0, 100);
  if (percent == last_percent_) return;  // redraw only when it shows
  last_percent_ = percent;
  const int kCells = 30;
  std::string bar(kCells * percent / 100, '#');
  bar.resize(kCells, '.');
  std::fprintf(out_, "\r%s [%s] %3d%%", title_.c_str(), bar.c_str(), percent);
  std::fflush(out_);
}

}  // namespace krvwd7
