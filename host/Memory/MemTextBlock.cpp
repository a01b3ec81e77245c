#include "MemTextBlock.h"

#include <algorithm>

namespace memtext {

namespace {

size_t ReadLength(const char*& ioAt) {
  size_t length = 0;
  for (int shift = 0;; shift += 7) {
    const unsigned char byte = static_cast<unsigned char>(*ioAt++);
    length |= static_cast<size_t>(byte & 0x7f) << shift;
    if ((byte & 0x80) == 0) return length;
  }
}

size_t LengthBytes(size_t iLength) {
  size_t bytes = 1;
  for (; iLength >= 0x80; iLength >>= 7) ++bytes;
  return bytes;
}

char* WriteLength(size_t iLength, char* oAt) {
  for (; iLength >= 0x80; iLength >>= 7) *oAt++ = static_cast<char>((iLength & 0x7f) | 0x80);
  *oAt++ = static_cast<char>(iLength);
  return oAt;
}

}  // namespace

std::string_view GetAny(const char* iBlock, size_t iCount, size_t iIndex) {
  const char* at = iBlock;
  size_t skip = 0;
  size_t length = 0;
  for (size_t i = 0; i < iCount; ++i) {
    const size_t read = ReadLength(at);
    if (i < iIndex) skip += read;
    if (i == iIndex) length = read;
  }
  return std::string_view(at + skip, length);
}

std::unique_ptr<char[]> Make(const std::string_view* iTexts, size_t iCount) {
  size_t size = 0;
  bool empty = true;
  for (size_t i = 0; i < iCount; ++i) {
    size += LengthBytes(iTexts[i].size()) + iTexts[i].size();
    empty = empty && iTexts[i].empty();
  }
  if (empty) return nullptr;
  std::unique_ptr<char[]> block(new char[size]);
  char* at = block.get();
  for (size_t i = 0; i < iCount; ++i) at = WriteLength(iTexts[i].size(), at);
  for (size_t i = 0; i < iCount; ++i) at = std::copy(iTexts[i].begin(), iTexts[i].end(), at);
  return block;
}

}  // namespace memtext
