#include "KRVWD7PSNFileText.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "KRVWD7PSNFileHash.h"

namespace krvwd7_core {

using psnhash::MulMod;
using psnhash::AddMod;
using psnhash::SubMod;
using psnhash::Base;
using psnhash::Byte;
using psnhash::ForwardHash;
using psnhash::Power;
using psnhash::CharacterStarts;
using psnhash::OnBoundaries;

// --- Link identifiers to entity references ----------------------------------------

namespace {

// The identifiers of one length, found in a text by a rolling hash.
struct LengthGroup {
  size_t length = 0;
  uint64_t topPower = 0;  // B^(length-1), to drop the byte leaving the window
};

// One occurrence of identifier `link` at byte `at` of a text.
struct Occurrence {
  int link;
  size_t at;
};

// Every identifier's (length, hash) key in an open-addressing table, and
// one bit per key in a filter small enough for the caches: most windows of
// a text are turned away by the filter, the others cost one probe
// sequence in a flat array.
class LinkMatcher {
 public:
  explicit LinkMatcher(const std::vector<std::string_view>& iLinks) : links_(iLinks) {
    size_t slots = 16;
    while (slots < 2 * iLinks.size()) slots <<= 1;
    slots_.assign(slots, Slot{0, -1});
    slot_mask_ = slots - 1;
    size_t bits = size_t{1} << 12;
    while (bits < 16 * iLinks.size()) bits <<= 1;
    filter_.assign(bits / 64, 0);
    filter_mask_ = bits - 1;
    std::map<size_t, size_t> group_of_length;
    for (size_t k = 0; k < iLinks.size(); ++k) {
      const std::string_view link = iLinks[k];
      if (link.empty()) continue;
      if (group_of_length.emplace(link.size(), groups_.size()).second) {
        groups_.push_back({link.size(), Power(link.size() - 1)});
      }
      const uint64_t key = Key(ForwardHash(link.data(), link.size()), link.size());
      filter_[(key & filter_mask_) >> 6] |= uint64_t{1} << (key & 63);
      size_t slot = key & slot_mask_;
      while (slots_[slot].link >= 0) slot = (slot + 1) & slot_mask_;
      slots_[slot] = Slot{Check32(key), static_cast<int>(k)};
    }
  }

  // Every occurrence of every identifier in iText that starts and ends on a
  // character boundary, in any order.
  void FindAll(const std::string& iText, std::vector<Occurrence>& oFound) const {
    oFound.clear();
    if (groups_.empty()) return;
    const std::vector<char> starts = CharacterStarts(iText);
    for (const LengthGroup& group : groups_) {
      const size_t length = group.length;
      if (length > iText.size()) continue;
      uint64_t hash = ForwardHash(iText.data(), length);
      for (size_t at = 0;; ++at) {
        const uint64_t key = Key(hash, length);
        if (filter_[(key & filter_mask_) >> 6] >> (key & 63) & 1) {
          Check(key, length, iText, starts, at, oFound);
        }
        if (at + length >= iText.size()) break;
        hash = SubMod(hash, MulMod(Byte(iText[at]), group.topPower));
        hash = AddMod(MulMod(hash, Base()), Byte(iText[at + length]));
      }
    }
  }

 private:
  // 8 bytes: the key's high half (its low bits choose the slot) and the
  // identifier.
  struct Slot {
    uint32_t check;
    int link;  // -1: empty
  };

  static uint32_t Check32(uint64_t iKey) { return static_cast<uint32_t>(iKey >> 32); }

  static uint64_t Key(uint64_t iHash, size_t iLength) {
    return iHash ^ (iLength * 0x9E3779B97F4A7C15ULL);
  }

  void Check(uint64_t iKey, size_t iLength, const std::string& iText,
             const std::vector<char>& iStarts, size_t iAt,
             std::vector<Occurrence>& oFound) const {
    const uint32_t check = Check32(iKey);
    for (size_t slot = iKey & slot_mask_; slots_[slot].link >= 0;
         slot = (slot + 1) & slot_mask_) {
      if (slots_[slot].check != check) continue;
      const std::string_view link = links_[slots_[slot].link];
      if (link.size() != iLength || iText.compare(iAt, iLength, link) != 0) continue;
      if (OnBoundaries(iStarts, iAt, iAt + iLength)) oFound.push_back({slots_[slot].link, iAt});
      return;  // identifiers are unique: one of each length matches
    }
  }

  const std::vector<std::string_view>& links_;
  std::vector<LengthGroup> groups_;
  std::vector<Slot> slots_;
  size_t slot_mask_ = 0;
  std::vector<uint64_t> filter_;
  uint64_t filter_mask_ = 0;
};

// The places of one text that identifiers took: (start, end, identifier),
// disjoint. Few per text as a rule: a small vector, scanned whole; past
// kMapFrom places, a map, so that no text costs more than O(places log
// places).
class TakenPlaces {
 public:
  // True when [iStart, iEnd) overlaps no place taken.
  bool IsFree(size_t iStart, size_t iEnd) const {
    if (!map_.empty()) {
      auto after = map_.lower_bound(iStart);
      if (after != map_.end() && after->first < iEnd) return false;
      return after == map_.begin() || std::prev(after)->second.first <= iStart;
    }
    for (const Place& place : places_) {
      if (place.start < iEnd && iStart < place.end) return false;
    }
    return true;
  }
  void Take(size_t iStart, size_t iEnd, int iLink) {
    if (map_.empty() && places_.size() < kMapFrom) {
      places_.push_back({iStart, iEnd, iLink});
      return;
    }
    for (const Place& place : places_) map_.emplace(place.start, std::make_pair(place.end, place.link));
    places_.clear();
    map_.emplace(iStart, std::make_pair(iEnd, iLink));
  }
  // Calls iVisit(start, end, link) for every place, from the first.
  template <typename Visit>
  void ForEach(Visit iVisit) {
    if (map_.empty()) {
      std::sort(places_.begin(), places_.end(),
                [](const Place& a, const Place& b) { return a.start < b.start; });
      for (const Place& place : places_) iVisit(place.start, place.end, place.link);
      return;
    }
    for (const auto& [start, place] : map_) iVisit(start, place.first, place.second);
  }

 private:
  static constexpr size_t kMapFrom = 32;
  struct Place {
    size_t start, end;
    int link;
  };
  std::vector<Place> places_;
  std::map<size_t, std::pair<size_t, int>> map_;
};

// Applies the occurrences of ioText, identifiers in list order, each
// taken from the left where it overlaps neither its own previous match nor
// a place an earlier identifier took. ioScratch is a buffer kept between
// texts.
void ApplyOccurrences(std::string& ioText, std::vector<Occurrence>& ioFound,
                      const std::vector<std::string_view>& iLinks, int iFirstEntity,
                      std::string& ioScratch) {
  std::sort(ioFound.begin(), ioFound.end(), [](const Occurrence& a, const Occurrence& b) {
    return a.link != b.link ? a.link < b.link : a.at < b.at;
  });
  TakenPlaces taken;
  int link = -1;
  size_t link_end = 0;  // end of the current identifier's last match
  for (const Occurrence& occurrence : ioFound) {
    const size_t start = occurrence.at;
    const size_t end = start + iLinks[occurrence.link].size();
    if (occurrence.link != link) {
      link = occurrence.link;
      link_end = 0;
    }
    if (start < link_end || !taken.IsFree(start, end)) continue;
    taken.Take(start, end, link);
    link_end = end;
  }
  std::string& out = ioScratch;
  out.clear();
  size_t copied = 0;
  char number[24];
  taken.ForEach([&](size_t iStart, size_t iEnd, int iLink) {
    out.append(ioText, copied, iStart - copied);
    out += '#';
    out.append(number, std::snprintf(number, sizeof number, "%d", iFirstEntity + iLink));
    copied = iEnd;
  });
  out.append(ioText, copied, std::string::npos);
  ioText.assign(out);  // in the text's own storage when it is long enough
}

}  // namespace

void ReplaceLinksByEntities(const std::vector<std::string_view>& iLinks, int iFirstEntity,
                            const std::vector<std::string*>& ioTexts) {
  const LinkMatcher matcher(iLinks);
  std::vector<Occurrence> found;
  std::string scratch;
  for (std::string* text : ioTexts) {
    matcher.FindAll(*text, found);
    if (found.empty()) continue;
    ApplyOccurrences(*text, found, iLinks, iFirstEntity, scratch);
  }
}

void RemoveDuplicates(std::vector<std::string_view>& ioTexts) {
  size_t slots = 16;
  while (slots < 2 * ioTexts.size()) slots <<= 1;
  std::vector<int> table(slots, -1);  // index of a kept text
  const std::hash<std::string_view> hash;
  size_t kept = 0;
  for (size_t k = 0; k < ioTexts.size(); ++k) {
    const std::string_view text = ioTexts[k];
    size_t slot = hash(text) & (slots - 1);
    bool seen = false;
    for (; table[slot] >= 0; slot = (slot + 1) & (slots - 1)) {
      if (ioTexts[table[slot]] == text) {
        seen = true;
        break;
      }
    }
    if (seen) continue;
    ioTexts[kept] = text;
    table[slot] = static_cast<int>(kept++);
  }
  ioTexts.resize(kept);
}

}  // namespace krvwd7_core
