#include "Terminal.h"

#include <unistd.h>

#include <cstdlib>

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

void TerminalProgress::OnInit(const KRVWD7UtiDlgProgress& iBar) {
  last_percent_ = -1;
  Draw(iBar);
}

void TerminalProgress::OnStep(const KRVWD7UtiDlgProgress& iBar) { Draw(iBar); }

void TerminalProgress::OnEnd(const KRVWD7UtiDlgProgress&) {
  std::fputs("\r\033[K", stderr);  // clear the line
  std::fflush(stderr);
  last_percent_ = -1;
}

void TerminalProgress::Draw(const KRVWD7UtiDlgProgress& iBar) {
  const int span = iBar.Last() - iBar.First() + 1;
  int done = iBar.Position() - iBar.First();
  int percent = span > 0 ? (100 * done) / span : 100;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  if (percent == last_percent_) return;  // redraw only when it shows
  last_percent_ = percent;
  const int kCells = 30;
  std::string bar(kCells * percent / 100, '#');
  bar.resize(kCells, '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%", iBar.Title().ConvertToChar(),
               bar.c_str(), percent);
  std::fflush(stderr);
}

}  // namespace krvwd7
