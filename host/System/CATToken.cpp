#include "CATToken.h"

#include <vector>

#include "CATUtf8.h"

namespace {

// Splits iText into its characters.
std::vector<std::string> Characters(const std::string& iText) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < iText.size();) {
    size_t n = CATUtf8::CharLength(iText, i);
    chars.push_back(iText.substr(i, n));
    i += n;
  }
  return chars;
}

}  // namespace

CATToken::CATToken(const CATUnicodeString& iText)
    : text_(iText.ToStdString()), next_(0) {}

CATUnicodeString CATToken::GetNextToken(const CATUnicodeString& iSeparators) {
  const std::vector<std::string> separators =
      Characters(iSeparators.ToStdString());
  auto is_separator = [&](size_t pos, size_t len) {
    for (const std::string& s : separators) {
      if (s.size() == len && text_.compare(pos, len, s) == 0) return true;
    }
    return false;
  };
  // Skip leading separators.
  while (next_ < text_.size()) {
    size_t n = CATUtf8::CharLength(text_, next_);
    if (!is_separator(next_, n)) break;
    next_ += n;
  }
  size_t begin = next_;
  while (next_ < text_.size()) {
    size_t n = CATUtf8::CharLength(text_, next_);
    if (is_separator(next_, n)) break;
    next_ += n;
  }
  return CATUnicodeString(text_.substr(begin, next_ - begin));
}
