// Helpers of the PSN file's text work (KRVWD7PSNFile*.cpp): polynomial
// hashes for finding many texts at once, and the host's character
// boundaries in a text. Internal to those sources.
#ifndef KRVWD7CORE_SRC_KRVWD7PSNFILEHASH_H_
#define KRVWD7CORE_SRC_KRVWD7PSNFILEHASH_H_

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "CATUtf8.h"

namespace krvwd7_core {
namespace psnhash {

// Polynomial hashes modulo 2^61 - 1.
//
// The base is drawn once per process, so that no input can be made to
// collide on purpose; results never depend on it (every hash match is
// checked byte for byte), only the time does.

inline constexpr uint64_t kMod = (uint64_t{1} << 61) - 1;

inline uint64_t MulMod(uint64_t a, uint64_t b) {
  const __uint128_t product = static_cast<__uint128_t>(a) * b;
  uint64_t sum = static_cast<uint64_t>(product & kMod) +
                 static_cast<uint64_t>(product >> 61);
  while (sum >= kMod) sum -= kMod;
  return sum;
}

inline uint64_t AddMod(uint64_t a, uint64_t b) {
  const uint64_t sum = a + b;
  return sum >= kMod ? sum - kMod : sum;
}

inline uint64_t SubMod(uint64_t a, uint64_t b) { return a >= b ? a - b : a + kMod - b; }

inline uint64_t Base() {
  static const uint64_t base = [] {
    std::random_device device;
    const uint64_t drawn = (uint64_t{device()} << 32) ^ device();
    return (drawn % (kMod - 1000)) + 256;
  }();
  return base;
}

inline uint64_t Byte(char iChar) { return static_cast<unsigned char>(iChar) + 1; }

// Σ text[t]·B^(len-1-t): the hash a left-to-right rolling window gives.
inline uint64_t ForwardHash(const char* iText, size_t iLength) {
  uint64_t hash = 0;
  for (size_t t = 0; t < iLength; ++t) hash = AddMod(MulMod(hash, Base()), Byte(iText[t]));
  return hash;
}

// Σ text[t]·B^t: the hash a right-to-left pass gives for every suffix.
inline uint64_t BackwardHash(const std::string& iText) {
  uint64_t hash = 0;
  for (size_t t = iText.size(); t-- > 0;) hash = AddMod(MulMod(hash, Base()), Byte(iText[t]));
  return hash;
}

inline uint64_t Power(size_t iExponent) {
  uint64_t result = 1;
  for (size_t i = 0; i < iExponent; ++i) result = MulMod(result, Base());
  return result;
}

// Where the host's text operations see characters start in iText (and
// its end), by the host's own decoding; empty for an ASCII text, where
// every byte starts one. A match counts only from one start to another, as
// in CATUnicodeString's searches and replacements.
inline std::vector<char> CharacterStarts(const std::string& iText) {
  std::vector<char> starts;
  if (CATUtf8::IsAscii(iText)) return starts;
  starts.assign(iText.size() + 1, 0);
  for (size_t i = 0; i < iText.size(); i += CATUtf8::CharLength(iText, i)) {
    starts[i] = 1;
  }
  starts[iText.size()] = 1;
  return starts;
}

inline bool OnBoundaries(const std::vector<char>& iStarts, size_t iFrom, size_t iTo) {
  return iStarts.empty() || (iStarts[iFrom] && iStarts[iTo]);
}

// Removes the first occurrence of iWhat from ioText, if any.
inline void RemoveFirst(std::string& ioText, const char* iWhat, size_t iLength) {
  const size_t at = ioText.find(iWhat, 0, iLength);
  if (at != std::string::npos) ioText.erase(at, iLength);
}

}  // namespace psnhash
}  // namespace krvwd7_core

#endif  // KRVWD7CORE_SRC_KRVWD7PSNFILEHASH_H_
