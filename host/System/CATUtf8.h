// UTF-8 decoding helpers shared by the host's text classes.
//
// A character is a well-formed UTF-8 sequence (no overlong forms, no
// surrogates, at most U+10FFFF); any other byte is a character of its own,
// so every byte string splits into characters without loss.
#ifndef KRVWD7_HOST_CATUTF8_H_
#define KRVWD7_HOST_CATUTF8_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace CATUtf8 {

// The number of bytes (1 to 4) of the character starting at iText[iPos].
// REQUIRES: iPos < iText.size().
inline size_t CharLength(const std::string& iText, size_t iPos) {
  const unsigned char b0 = static_cast<unsigned char>(iText[iPos]);
  if (b0 < 0x80) return 1;
  size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 1;
  }
  if (iPos + need > iText.size()) return 1;
  const unsigned char b1 = static_cast<unsigned char>(iText[iPos + 1]);
  if (b1 < lo || b1 > hi) return 1;
  for (size_t k = 2; k < need; ++k) {
    const unsigned char b = static_cast<unsigned char>(iText[iPos + k]);
    if (b < 0x80 || b > 0xBF) return 1;
  }
  return need;
}

// The number of ASCII bytes (each a character of its own) from iText[iFrom]
// on, at most iMax. Eight bytes at a time: texts are mostly ASCII.
// REQUIRES: iFrom <= iText.size().
inline size_t AsciiRun(const std::string& iText, size_t iFrom, size_t iMax) {
  const size_t end = iFrom + std::min(iMax, iText.size() - iFrom);
  size_t i = iFrom;
  for (; end - i >= 8; i += 8) {
    uint64_t word;
    std::memcpy(&word, iText.data() + i, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
  }
  while (i < end && static_cast<unsigned char>(iText[i]) < 0x80) ++i;
  return i - iFrom;
}

inline bool IsAscii(const std::string& iText) {
  return AsciiRun(iText, 0, iText.size()) == iText.size();
}

}  // namespace CATUtf8

#endif  // KRVWD7_HOST_CATUTF8_H_
