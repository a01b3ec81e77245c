#include "KRVWD7UtiJsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

size_t KRVWD7UtiJsonText::Utf8Length(const unsigned char* iText, size_t iAvailable) {
  unsigned char c = iText[0];
  size_t n;
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (iAvailable < n || iText[1] < low || iText[1] > high) return 0;
  for (size_t i = 2; i < n; ++i) {
    if (iText[i] < 0x80 || iText[i] > 0xBF) return 0;
  }
  return n;
}

void KRVWD7UtiJsonText::AppendString(std::string& oOut, std::string_view iText) {
  oOut += '"';
  const unsigned char* p = reinterpret_cast<const unsigned char*>(iText.data());
  const unsigned char* end = p + iText.size();
  while (p < end) {
    const unsigned char* run = p;  // bytes that need nothing
    while (run < end && *run >= 0x20 && *run < 0x80 && *run != '"' && *run != '\\') ++run;
    oOut.append(reinterpret_cast<const char*>(p), static_cast<size_t>(run - p));
    p = run;
    if (p == end) break;
    unsigned char c = *p;
    if (c >= 0x80) {
      size_t n = Utf8Length(p, static_cast<size_t>(end - p));
      if (n > 0) {
        oOut.append(reinterpret_cast<const char*>(p), n);
        p += n;
      } else {
        oOut += "\xEF\xBF\xBD";
        ++p;
        while (p < end && *p >= 0x80 && *p <= 0xBF) ++p;
      }
      continue;
    }
    switch (c) {
      case '"': oOut += "\\\""; break;
      case '\\': oOut += "\\\\"; break;
      case '\b': oOut += "\\b"; break;
      case '\f': oOut += "\\f"; break;
      case '\n': oOut += "\\n"; break;
      case '\r': oOut += "\\r"; break;
      case '\t': oOut += "\\t"; break;
      default: {
        char text[8];
        std::snprintf(text, sizeof text, "\\u%04x", c);
        oOut += text;
      }
    }
    ++p;
  }
  oOut += '"';
}

std::string KRVWD7UtiJsonText::DoubleText(double iValue) {
  if (!std::isfinite(iValue)) return "null";
  std::string text;
  if (std::signbit(iValue)) {
    text += '-';
    iValue = -iValue;
  }
  if (iValue == 0) return text + "0.0";
  if (iValue < 1e15 && iValue == std::floor(iValue)) {
    // An integer below 10^15 (positions in millimetres mostly are): the
    // general form below gives its digits and ".0"; made directly here.
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(iValue)).ptr;
    text.append(digits, end);
    return text += ".0";
  }
  // The shortest digits that read back to iValue, and their exponent.
  char scientific[40];
  auto result = std::to_chars(scientific, scientific + sizeof scientific, iValue,
                              std::chars_format::scientific);
  std::string mantissa(scientific, result.ptr);
  size_t e = mantissa.find('e');
  int exponent = std::atoi(mantissa.c_str() + e + 1);
  std::string digits;
  for (size_t i = 0; i < e; ++i) {
    if (mantissa[i] != '.') digits += mantissa[i];
  }
  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;  // place of the decimal point in digits
  constexpr int kMinExp = -4, kMaxExp = 15;
  if (k <= n && n <= kMaxExp) return text + digits + std::string(n - k, '0') + ".0";
  if (0 < n && n <= kMaxExp) return text + digits.substr(0, n) + "." + digits.substr(n);
  if (kMinExp < n && n <= 0) return text + "0." + std::string(-n, '0') + digits;
  text += digits.substr(0, 1);
  if (k > 1) text += "." + digits.substr(1);
  int shown = n - 1;
  text += shown < 0 ? "e-" : "e+";
  shown = std::abs(shown);
  if (shown < 10) text += '0';
  return text + std::to_string(shown);
}
