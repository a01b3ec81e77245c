#include "CATUnicodeString.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <vector>

#include "CATUtf8.h"

namespace {

// Flags, one per byte offset plus the end: 1 where a character starts (and
// at the end), 0 inside a character.
std::vector<char> Boundaries(const std::string& iText) {
  std::vector<char> starts(iText.size() + 1, 0);
  for (size_t i = 0; i < iText.size(); i += CATUtf8::CharLength(iText, i)) {
    starts[i] = 1;
  }
  starts[iText.size()] = 1;
  return starts;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One printf/scanf conversion of a format: its length modifier and letter.
struct Conversion {
  std::string length;
  char letter = 0;
};

// Finds the single conversion of iFormat ("%%" aside). False when there is
// none, more than one, a '*' width or an unterminated '%'. With
// iBare, nothing else than the conversion may appear (scanf use).
bool ParseFormat(const char* iFormat, bool iBare, Conversion& oConv) {
  if (iFormat == nullptr) return false;
  int count = 0;
  for (const char* p = iFormat; *p; ++p) {
    if (*p != '%') {
      if (iBare) return false;
      continue;
    }
    ++p;
    if (*p == '%') {
      if (iBare) return false;
      continue;
    }
    while (*p && std::string("-+ #0").find(*p) != std::string::npos) ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
    }
    std::string length;
    while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'q' || *p == 'j' ||
           *p == 'z' || *p == 't') {
      length += *p++;
    }
    if (*p == '\0' || *p == '*') return false;
    oConv.length = length;
    oConv.letter = *p;
    ++count;
  }
  return count == 1;
}

bool IsOneOf(char c, const char* iLetters) {
  return c != 0 && std::string(iLetters).find(c) != std::string::npos;
}

void BadFormat(const char* iWhat, const char* iFormat) {
  std::fprintf(stderr, "CATUnicodeString::%s: format \"%s\" does not fit\n",
               iWhat, iFormat ? iFormat : "(null)");
}

template <class T>
std::string Print(const char* iFormat, T iValue) {
  char buffer[512];
  int n = std::snprintf(buffer, sizeof buffer, iFormat, iValue);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, n);
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::snprintf(big.data(), big.size(), iFormat, iValue);
  return std::string(big.data(), n);
}

// Reads an integer as the scanf conversion iConv would; false when none.
bool ScanInteger(const std::string& iText, const Conversion& iConv,
                 long long iMin, long long iMax, long long& oValue) {
  int base;
  switch (iConv.letter) {
    case 'd': case 'u': base = 10; break;
    case 'i': base = 0; break;
    case 'x': case 'X': base = 16; break;
    case 'o': base = 8; break;
    default: return false;
  }
  const char* start = iText.c_str();
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(start, &end, base);
  if (end == start || errno == ERANGE || value < iMin || value > iMax) {
    return false;
  }
  oValue = value;
  return true;
}

}  // namespace

CATUnicodeString::CATUnicodeString(const char* iUtf8)
    : text_(iUtf8 ? iUtf8 : "") {}

CATUnicodeString::CATUnicodeString(const std::string& iUtf8) : text_(iUtf8) {}

bool CATUnicodeString::IsAscii() const { return CATUtf8::IsAscii(text_); }

int CATUnicodeString::GetLengthInChar() const { return CharPosition(text_.size()); }

size_t CATUnicodeString::Walk(size_t iFrom, size_t iMaxChars, size_t iToByte,
                              size_t& oChars) const {
  const size_t to = std::min(iToByte, text_.size());
  size_t i = iFrom;
  size_t n = 0;
  while (n < iMaxChars && i < to) {
    const size_t ascii = CATUtf8::AsciiRun(text_, i, std::min(iMaxChars - n, to - i));
    n += ascii;
    i += ascii;
    if (n < iMaxChars && i < to) {
      i += CATUtf8::CharLength(text_, i);
      ++n;
    }
  }
  oChars = n;
  return i;
}

size_t CATUnicodeString::AdvanceChars(size_t iFrom, int iLen) const {
  size_t passed;
  return Walk(iFrom, iLen < 0 ? 0 : static_cast<size_t>(iLen), text_.size(), passed);
}

size_t CATUnicodeString::ByteOffset(int iPos) const {
  return AdvanceChars(0, iPos < 0 ? 0 : iPos);
}

int CATUnicodeString::CharPosition(size_t iByte) const {
  size_t passed;
  Walk(0, text_.size(), iByte, passed);
  return static_cast<int>(passed);
}

CATUnicodeString CATUnicodeString::SubString(int iPos, int iLen) const {
  size_t from = ByteOffset(iPos);
  size_t to = AdvanceChars(from, iLen < 0 ? 0 : iLen);
  return CATUnicodeString(text_.substr(from, to - from));
}

int CATUnicodeString::SearchSubString(const CATUnicodeString& iText,
                                      int iStart, int iMode) const {
  const std::string& needle = iText.text_;
  const bool ascii = IsAscii();
  std::vector<char> starts;
  if (!ascii) starts = Boundaries(text_);
  auto matches_at = [&](size_t p) {
    return ascii || (starts[p] && starts[p + needle.size()]);
  };
  const int length = GetLengthInChar();
  if (iMode == CATSearchModeForward) {
    if (iStart > length) return -1;
    size_t from = ByteOffset(iStart);
    for (size_t p = text_.find(needle, from); p != std::string::npos;
         p = text_.find(needle, p + 1)) {
      if (matches_at(p)) return CharPosition(p);
    }
    return -1;
  }
  if (iMode == CATSearchModeBackward) {
    int start = (iStart < 0 || iStart >= length) ? length : iStart;
    size_t limit = ByteOffset(start);
    for (size_t p = text_.rfind(needle, limit); p != std::string::npos;
         p = text_.rfind(needle, p - 1)) {
      if (matches_at(p)) return CharPosition(p);
      if (p == 0) break;
    }
    return -1;
  }
  return -1;
}

void CATUnicodeString::ReplaceSubString(int iPos, int iLen,
                                        const CATUnicodeString& iBy) {
  size_t from = ByteOffset(iPos);
  size_t to = AdvanceChars(from, iLen < 0 ? 0 : iLen);
  text_.replace(from, to - from, iBy.text_);
}

int CATUnicodeString::ReplaceAll(const CATUnicodeString& iOld,
                                 const CATUnicodeString& iNew) {
  const std::string& old = iOld.text_;
  if (old.empty()) return 0;
  const bool ascii = IsAscii();
  std::vector<char> starts;
  if (!ascii) starts = Boundaries(text_);
  std::string out;
  int count = 0;
  size_t copied = 0;
  for (size_t p = text_.find(old); p != std::string::npos;) {
    if (ascii || (starts[p] && starts[p + old.size()])) {
      out.append(text_, copied, p - copied);
      out += iNew.text_;
      copied = p + old.size();
      ++count;
      p = text_.find(old, copied);
    } else {
      p = text_.find(old, p + 1);
    }
  }
  if (count == 0) return 0;
  out.append(text_, copied, std::string::npos);
  text_.swap(out);
  return count;
}

void CATUnicodeString::Insert(int iPos, const CATUnicodeString& iText) {
  text_.insert(ByteOffset(iPos), iText.text_);
}

void CATUnicodeString::Remove(int iPos, int iLen) {
  size_t from = ByteOffset(iPos);
  size_t to = AdvanceChars(from, iLen < 0 ? 0 : iLen);
  text_.erase(from, to - from);
}

void CATUnicodeString::Resize(int iLen, char iFill) {
  if (iLen <= 0) {
    text_.clear();
    return;
  }
  int length = GetLengthInChar();
  if (iLen < length) {
    text_.resize(ByteOffset(iLen));
  } else {
    text_.append(static_cast<size_t>(iLen - length), iFill);
  }
}

CATUnicodeString CATUnicodeString::Strip(CATStripMode iMode) const {
  size_t from = 0;
  size_t to = text_.size();
  if (iMode == CATStripModeLeading || iMode == CATStripModeBoth) {
    while (from < to && IsBlank(text_[from])) ++from;
  }
  if (iMode == CATStripModeTrailing || iMode == CATStripModeBoth) {
    while (to > from && IsBlank(text_[to - 1])) --to;
  }
  return CATUnicodeString(text_.substr(from, to - from));
}

void CATUnicodeString::ToUpper() {
  for (char& c : text_) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void CATUnicodeString::ToLower() {
  for (char& c : text_) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

int CATUnicodeString::BuildFromNum(int iValue, const char* iFormat) {
  return BuildFromNum(static_cast<long>(iValue), iFormat);
}

int CATUnicodeString::BuildFromNum(long iValue, const char* iFormat) {
  text_.clear();
  Conversion conv;
  if (!ParseFormat(iFormat, false, conv) || !IsOneOf(conv.letter, "di")) {
    BadFormat("BuildFromNum", iFormat);
    return 0;
  }
  if (conv.length == "l") {
    text_ = Print(iFormat, iValue);
  } else if (conv.length.empty() && iValue >= INT_MIN && iValue <= INT_MAX) {
    text_ = Print(iFormat, static_cast<int>(iValue));
  } else {
    BadFormat("BuildFromNum", iFormat);
    return 0;
  }
  return 1;
}

int CATUnicodeString::BuildFromNum(unsigned int iValue, const char* iFormat) {
  return BuildFromNum(static_cast<unsigned long>(iValue), iFormat);
}

int CATUnicodeString::BuildFromNum(unsigned long iValue, const char* iFormat) {
  text_.clear();
  Conversion conv;
  if (!ParseFormat(iFormat, false, conv) || !IsOneOf(conv.letter, "uxXo")) {
    BadFormat("BuildFromNum", iFormat);
    return 0;
  }
  if (conv.length == "l") {
    text_ = Print(iFormat, iValue);
  } else if (conv.length.empty() && iValue <= UINT_MAX) {
    text_ = Print(iFormat, static_cast<unsigned int>(iValue));
  } else {
    BadFormat("BuildFromNum", iFormat);
    return 0;
  }
  return 1;
}

int CATUnicodeString::BuildFromNum(double iValue, const char* iFormat) {
  text_.clear();
  Conversion conv;
  if (!ParseFormat(iFormat, false, conv) ||
      !IsOneOf(conv.letter, "fFeEgGaA") ||
      !(conv.length.empty() || conv.length == "l")) {
    BadFormat("BuildFromNum", iFormat);
    return 0;
  }
  text_ = Print(iFormat, iValue);
  return 1;
}

int CATUnicodeString::ConvertToNum(int* oValue, const char* iFormat) const {
  Conversion conv;
  long long value = 0;
  if (oValue == nullptr || !ParseFormat(iFormat, true, conv)) {
    BadFormat("ConvertToNum", iFormat);
    return 0;
  }
  if (!ScanInteger(text_, conv, INT_MIN, INT_MAX, value)) return 0;
  *oValue = static_cast<int>(value);
  return 1;
}

int CATUnicodeString::ConvertToNum(long* oValue, const char* iFormat) const {
  Conversion conv;
  long long value = 0;
  if (oValue == nullptr || !ParseFormat(iFormat, true, conv)) {
    BadFormat("ConvertToNum", iFormat);
    return 0;
  }
  if (!ScanInteger(text_, conv, LONG_MIN, LONG_MAX, value)) return 0;
  *oValue = static_cast<long>(value);
  return 1;
}

int CATUnicodeString::ConvertToNum(double* oValue, const char* iFormat) const {
  Conversion conv;
  if (oValue == nullptr || !ParseFormat(iFormat, true, conv) ||
      !IsOneOf(conv.letter, "fFeEgGaA")) {
    BadFormat("ConvertToNum", iFormat);
    return 0;
  }
  const char* start = text_.c_str();
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(start, &end);
  if (end == start) return 0;
  if (errno == ERANGE && std::fabs(value) == HUGE_VAL) return 0;
  *oValue = value;
  return 1;
}

int CATUnicodeString::BuildFromStream(std::istream& iStream) {
  text_.clear();
  if (!std::getline(iStream, text_)) {
    text_.clear();
    return 0;
  }
  if (!text_.empty() && text_.back() == '\r') text_.pop_back();
  return 1;
}

std::ostream& operator<<(std::ostream& os, const CATUnicodeString& iText) {
  return os << iText.ToStdString();
}
