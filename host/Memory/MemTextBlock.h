// A fixed number of texts of one object in one heap block: the lengths
// first (7 bits a byte, the high bit set on every byte of a length but its
// last), then the bytes of each text. No block at all when every text is
// empty.
//
// A large session has hundreds of thousands of shapes and VPM identities,
// each a few short texts: one block each instead of a std::string each
// takes a third of the memory. Reading a text decodes the lengths before
// it; changing one rebuilds the block (they change seldom). Any byte may
// occur in a text.
#ifndef KRVWD7_HOST_MEMTEXTBLOCK_H_
#define KRVWD7_HOST_MEMTEXTBLOCK_H_

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

namespace memtext {
// Text iIndex of the iCount texts of iBlock, for lengths of any size.
std::string_view GetAny(const char* iBlock, size_t iCount, size_t iIndex);
// Text iIndex of the iCount texts of iBlock. REQUIRES: iBlock != null.
inline std::string_view Get(const char* iBlock, size_t iCount, size_t iIndex) {
  // Texts under 128 bytes, nearly all of them: a length is one byte.
  const unsigned char* lengths = reinterpret_cast<const unsigned char*>(iBlock);
  size_t skip = 0;
  for (size_t i = 0; i < iCount; ++i) {
    if (lengths[i] & 0x80) return GetAny(iBlock, iCount, iIndex);
    if (i < iIndex) skip += lengths[i];
  }
  return std::string_view(iBlock + iCount + skip, lengths[iIndex]);
}
// A block of the iCount texts; null when they are all empty.
std::unique_ptr<char[]> Make(const std::string_view* iTexts, size_t iCount);
}  // namespace memtext

template <size_t N>
class MemTextBlock {
 public:
  MemTextBlock() = default;
  MemTextBlock(const MemTextBlock& iOther) { Assign(iOther.All()); }
  MemTextBlock(MemTextBlock&&) = default;
  MemTextBlock& operator=(const MemTextBlock& iOther) {
    if (this != &iOther) Assign(iOther.All());
    return *this;
  }
  MemTextBlock& operator=(MemTextBlock&&) = default;

  // Text iIndex. REQUIRES: iIndex < N.
  std::string_view operator[](size_t iIndex) const {
    return block_ ? memtext::Get(block_.get(), N, iIndex) : std::string_view();
  }
  std::array<std::string_view, N> All() const {
    std::array<std::string_view, N> texts;
    for (size_t i = 0; i < N; ++i) texts[i] = (*this)[i];
    return texts;
  }
  // Replaces every text; they may be views of this block.
  void Assign(const std::array<std::string_view, N>& iTexts) {
    block_ = memtext::Make(iTexts.data(), N);
  }
  // Replaces text iIndex; iText may be a view of this block.
  void Set(size_t iIndex, std::string_view iText) {
    std::array<std::string_view, N> texts = All();
    texts[iIndex] = iText;
    Assign(texts);
  }

  friend bool operator==(const MemTextBlock& iLeft, const MemTextBlock& iRight) {
    return iLeft.All() == iRight.All();
  }

 private:
  std::unique_ptr<char[]> block_;
};

#endif  // KRVWD7_HOST_MEMTEXTBLOCK_H_
