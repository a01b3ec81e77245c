// Texts by name in one block: reading, searching and building the block.
#include "MemTextMap.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The largest number that iWidth bytes hold.
uint64_t Largest(size_t iWidth) {
  return iWidth >= 8 ? std::numeric_limits<uint64_t>::max() : (uint64_t{1} << (8 * iWidth)) - 1;
}

void WriteNumber(char* iAt, size_t iWidth, uint64_t iValue) {
  switch (iWidth) {
    case 1: {
      const uint8_t value = static_cast<uint8_t>(iValue);
      std::memcpy(iAt, &value, 1);
      break;
    }
    case 2: {
      const uint16_t value = static_cast<uint16_t>(iValue);
      std::memcpy(iAt, &value, 2);
      break;
    }
    case 4: {
      const uint32_t value = static_cast<uint32_t>(iValue);
      std::memcpy(iAt, &value, 4);
      break;
    }
    default:
      std::memcpy(iAt, &iValue, 8);
  }
}

}  // namespace

size_t MemTextMap::ReadNumber(const char* iAt, size_t iWidth) {
  switch (iWidth) {
    case 1:
      return static_cast<unsigned char>(*iAt);
    case 2: {
      uint16_t value;
      std::memcpy(&value, iAt, 2);
      return value;
    }
    case 4: {
      uint32_t value;
      std::memcpy(&value, iAt, 4);
      return value;
    }
    default: {
      uint64_t value;
      std::memcpy(&value, iAt, 8);
      return static_cast<size_t>(value);
    }
  }
}

MemTextMap::Entry MemTextMap::EntryAt(const char* iBlock, size_t iIndex) {
  const size_t width = Width(iBlock);
  // The offsets follow the width byte and the count.
  const char* entry = iBlock + ReadNumber(iBlock + 1 + (1 + iIndex) * width, width);
  const size_t name_size = ReadNumber(entry, width);
  const size_t value_size = ReadNumber(entry + width, width);
  const char* name = entry + 2 * width;
  return Entry(std::string_view(name, name_size), std::string_view(name + name_size, value_size));
}

size_t MemTextMap::BlockSize(const char* iBlock) {
  if (iBlock == nullptr) return 0;
  const size_t count = ReadNumber(iBlock + 1, Width(iBlock));
  const Entry last = EntryAt(iBlock, count - 1);
  return static_cast<size_t>(last.second.data() + last.second.size() - iBlock);
}

std::vector<MemTextMap::Entry> MemTextMap::SortedUnique(std::vector<Entry> iEntries) {
  std::stable_sort(iEntries.begin(), iEntries.end(), [](const Entry& iLeft, const Entry& iRight) {
    return iLeft.first < iRight.first;
  });
  auto last = std::unique(
      iEntries.begin(), iEntries.end(),
      [](const Entry& iLeft, const Entry& iRight) { return iLeft.first == iRight.first; });
  iEntries.erase(last, iEntries.end());
  return iEntries;
}

std::unique_ptr<char[]> MemTextMap::Encode(const std::vector<Entry>& iEntries) {
  if (iEntries.empty()) return nullptr;
  const size_t count = iEntries.size();
  size_t text_bytes = 0;
  for (const Entry& entry : iEntries) text_bytes += entry.first.size() + entry.second.size();
  // The width byte, then per width unit: the count, and for each entry its
  // offset and two lengths.
  const size_t units = 1 + 3 * count;
  size_t width = 1;
  while (width < 8 && 1 + width * units + text_bytes > Largest(width)) width *= 2;
  const size_t size = 1 + width * units + text_bytes;

  std::unique_ptr<char[]> block(new char[size]);
  block[0] = static_cast<char>(width);
  WriteNumber(block.get() + 1, width, count);
  char* offset = block.get() + 1 + width;
  char* out = block.get() + 1 + width * (1 + count);
  for (const Entry& entry : iEntries) {
    WriteNumber(offset, width, static_cast<uint64_t>(out - block.get()));
    offset += width;
    WriteNumber(out, width, entry.first.size());
    WriteNumber(out + width, width, entry.second.size());
    out += 2 * width;
    // A view may be empty with a null data pointer: memcpy must not see it.
    if (!entry.first.empty()) std::memcpy(out, entry.first.data(), entry.first.size());
    out += entry.first.size();
    if (!entry.second.empty()) std::memcpy(out, entry.second.data(), entry.second.size());
    out += entry.second.size();
  }
  return block;
}

MemTextMap::MemTextMap(const MemTextMap& iOther) {
  const size_t size = BlockSize(iOther.block_.get());
  if (size == 0) return;
  block_.reset(new char[size]);
  std::memcpy(block_.get(), iOther.block_.get(), size);
}

MemTextMap& MemTextMap::operator=(const MemTextMap& iOther) {
  if (this != &iOther) *this = MemTextMap(iOther);
  return *this;
}

size_t MemTextMap::LowerBound(std::string_view iName) const {
  size_t low = 0;
  size_t high = size();
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (EntryAt(block_.get(), middle).first < iName) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

std::optional<std::string_view> MemTextMap::Find(std::string_view iName) const {
  const size_t at = LowerBound(iName);
  if (at == size()) return std::nullopt;
  const Entry entry = EntryAt(block_.get(), at);
  if (entry.first != iName) return std::nullopt;
  return entry.second;
}

void MemTextMap::Set(std::string_view iName, std::string_view iValue) {
  const size_t at = LowerBound(iName);
  std::vector<Entry> entries = Entries();
  if (at < entries.size() && entries[at].first == iName) {
    if (entries[at].second == iValue) return;
    entries[at].second = iValue;
  } else {
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), Entry(iName, iValue));
  }
  Assign(entries);
}

bool MemTextMap::Insert(std::string_view iName, std::string_view iValue) {
  const size_t at = LowerBound(iName);
  if (at < size() && EntryAt(block_.get(), at).first == iName) return false;
  std::vector<Entry> entries = Entries();
  entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), Entry(iName, iValue));
  Assign(entries);
  return true;
}

bool MemTextMap::Erase(std::string_view iName) {
  const size_t at = LowerBound(iName);
  if (at == size() || EntryAt(block_.get(), at).first != iName) return false;
  std::vector<Entry> entries = Entries();
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
  Assign(entries);
  return true;
}

void MemTextMap::Merge(const MemTextMap& iOther, bool iReplace) {
  if (iOther.empty() || &iOther == this) return;
  std::vector<Entry> merged;
  merged.reserve(size() + iOther.size());
  Iterator mine = begin(), theirs = iOther.begin();
  const Iterator mine_end = end(), theirs_end = iOther.end();
  while (mine != mine_end || theirs != theirs_end) {
    if (theirs == theirs_end) {
      merged.push_back(*mine++);
    } else if (mine == mine_end) {
      merged.push_back(*theirs++);
    } else {
      const Entry left = *mine, right = *theirs;
      if (left.first < right.first) {
        merged.push_back(left);
        ++mine;
      } else if (right.first < left.first) {
        merged.push_back(right);
        ++theirs;
      } else {
        merged.push_back(iReplace ? right : left);
        ++mine;
        ++theirs;
      }
    }
  }
  Assign(merged);
}

bool operator==(const MemTextMap& iLeft, const MemTextMap& iRight) {
  const size_t size = MemTextMap::BlockSize(iLeft.block_.get());
  return size == MemTextMap::BlockSize(iRight.block_.get()) &&
         (size == 0 || std::memcmp(iLeft.block_.get(), iRight.block_.get(), size) == 0);
}
