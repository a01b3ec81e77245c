// The texts of JSON output, shared by every writer of JSON (the session
// files and the tool's output), so that both write the same bytes for the
// same value.
#ifndef KRVWD7UtiJsonText_H
#define KRVWD7UtiJsonText_H

#include <cstddef>
#include <string>
#include <string_view>

class KRVWD7UtiJsonText {
 public:
  // Length of the UTF-8 sequence at iText (no overlong forms, no
  // surrogates, nothing above U+10FFFF), 0 when it is ill-formed.
  // REQUIRES: iAvailable >= 1.
  static size_t Utf8Length(const unsigned char* iText, size_t iAvailable);

  // Appends iText as a JSON string: quotes, escapes, and U+FFFD for each
  // ill-formed UTF-8 sequence.
  static void AppendString(std::string& oOut, std::string_view iText);

  // The shortest text that reads back to iValue, always with a fraction or
  // an exponent ("1.0", "0.001", "1e+20"); "null" when not finite.
  static std::string DoubleText(double iValue);
};

#endif
