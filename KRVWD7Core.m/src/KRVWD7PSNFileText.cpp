#include "KRVWD7PSNFileText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <utility>

#include "CATUtf8.h"
#include "KRVWD7CoreInternal.h"

namespace krvwd7_core {

namespace {

// --- Polynomial hashes modulo 2^61 - 1 ----------------------------------------
//
// The base is drawn once per process, so that no input can be made to
// collide on purpose; results never depend on it (every hash match is
// checked byte for byte), only the time does.

constexpr uint64_t kMod = (uint64_t{1} << 61) - 1;

uint64_t MulMod(uint64_t a, uint64_t b) {
  const __uint128_t product = static_cast<__uint128_t>(a) * b;
  uint64_t sum = static_cast<uint64_t>(product & kMod) +
                 static_cast<uint64_t>(product >> 61);
  while (sum >= kMod) sum -= kMod;
  return sum;
}

uint64_t AddMod(uint64_t a, uint64_t b) {
  const uint64_t sum = a + b;
  return sum >= kMod ? sum - kMod : sum;
}

uint64_t SubMod(uint64_t a, uint64_t b) { return a >= b ? a - b : a + kMod - b; }

uint64_t Base() {
  static const uint64_t base = [] {
    std::random_device device;
    const uint64_t drawn = (uint64_t{device()} << 32) ^ device();
    return (drawn % (kMod - 1000)) + 256;
  }();
  return base;
}

uint64_t Byte(char iChar) { return static_cast<unsigned char>(iChar) + 1; }

// Σ text[t]·B^(len-1-t): the hash a left-to-right rolling window gives.
uint64_t ForwardHash(const char* iText, size_t iLength) {
  uint64_t hash = 0;
  for (size_t t = 0; t < iLength; ++t) hash = AddMod(MulMod(hash, Base()), Byte(iText[t]));
  return hash;
}

// Σ text[t]·B^t: the hash a right-to-left pass gives for every suffix.
uint64_t BackwardHash(const std::string& iText) {
  uint64_t hash = 0;
  for (size_t t = iText.size(); t-- > 0;) hash = AddMod(MulMod(hash, Base()), Byte(iText[t]));
  return hash;
}

uint64_t Power(size_t iExponent) {
  uint64_t result = 1;
  for (size_t i = 0; i < iExponent; ++i) result = MulMod(result, Base());
  return result;
}

// Where the host's text operations see characters start in iText (and
// its end), by the host's own decoding; empty for an ASCII text, where
// every byte starts one. A match counts only from one start to another, as
// in CATUnicodeString's searches and replacements.
std::vector<char> CharacterStarts(const std::string& iText) {
  std::vector<char> starts;
  if (CATUtf8::IsAscii(iText)) return starts;
  starts.assign(iText.size() + 1, 0);
  for (size_t i = 0; i < iText.size(); i += CATUtf8::CharLength(iText, i)) {
    starts[i] = 1;
  }
  starts[iText.size()] = 1;
  return starts;
}

bool OnBoundaries(const std::vector<char>& iStarts, size_t iFrom, size_t iTo) {
  return iStarts.empty() || (iStarts[iFrom] && iStarts[iTo]);
}

// Removes the first occurrence of iWhat from ioText, if any.
void RemoveFirst(std::string& ioText, const char* iWhat, size_t iLength) {
  const size_t at = ioText.find(iWhat, 0, iLength);
  if (at != std::string::npos) ioText.erase(at, iLength);
}

const PSNFileSteps kLinearSteps = {&ReplaceLinksByEntities,
                                   &DropCoveredCollapsedParts};
const PSNFileSteps* g_steps = &kLinearSteps;

}  // namespace

// --- Old file -------------------------------------------------------------------

namespace {

// Cuts "REF<marker>CONTENT) ;" into its reference and content, with the
// first "\"0" and then the first "\"" of the content removed. False when
// the line lacks the marker or ") ;".
bool CutEntity(const std::string& iLine, const char* iMarker,
               const char* iKind, std::string& oRef, std::string& oContent) {
  const size_t marker = iLine.find(iMarker);
  if (marker == std::string::npos) return false;
  const size_t end = iLine.find(") ;");
  if (end == std::string::npos) return false;
  const size_t from = marker + std::char_traits<char>::length(iMarker);
  oRef = iLine.substr(0, marker);
  oContent = end > from ? iLine.substr(from, end - from) : std::string();
  TraceF("\t%s identified:'%s'%s'%s'%s\n", iKind, oRef.c_str(), iMarker,
         oContent.c_str(), ") ;");
  RemoveFirst(oContent, "\"0", 2);
  RemoveFirst(oContent, "\"", 1);
  return true;
}

}  // namespace

void ReadPSNEntries(std::istream& iStream, PSNOldEntries& oEntries) {
  oEntries = PSNOldEntries();
  CATUnicodeString line;
  std::string ref, content;
  while (iStream.good()) {
    line.BuildFromStream(iStream);
    const std::string& text = line.ToStdString();
    TraceF("%s\n", text.c_str());
    if (CutEntity(text, "=Clink(", "Clink", ref, content)) {
      oEntries.linkRefs.push_back(std::move(ref));
      oEntries.linkIds.push_back(std::move(content));
    } else if (CutEntity(text, "=CollapsedPart(", "CollapsedPart", ref, content)) {
      oEntries.collapsedParts.push_back(std::move(content));
    }
  }
}

namespace {

// The link table's references by hash, in an open-addressing table, for
// look-ups of a text's references in constant time each (every hash match
// checked byte for byte; equal references keep the first row).
class RefIndex {
 public:
  explicit RefIndex(const std::vector<std::string>& iRefs) : refs_(iRefs) {
    size_t slots = 16;
    while (slots < 2 * iRefs.size()) slots <<= 1;
    slots_.assign(slots, Slot{0, -1});
    mask_ = slots - 1;
    for (size_t row = 0; row < iRefs.size(); ++row) {
      const uint64_t hash = BackwardHash(iRefs[row]);
      size_t slot = hash & mask_;
      bool known = false;
      for (; slots_[slot].row >= 0; slot = (slot + 1) & mask_) {
        if (slots_[slot].hash == hash && refs_[slots_[slot].row] == iRefs[row]) {
          known = true;
          break;
        }
      }
      if (!known) slots_[slot] = Slot{hash, static_cast<int>(row)};
    }
  }

  // The first row whose reference is iText[iFrom, iEnd), whose backward
  // hash is iHash; -1 when none.
  int Find(const std::string& iText, size_t iFrom, size_t iEnd,
           uint64_t iHash) const {
    for (size_t slot = iHash & mask_; slots_[slot].row >= 0; slot = (slot + 1) & mask_) {
      if (slots_[slot].hash != iHash) continue;
      const std::string& ref = refs_[slots_[slot].row];
      if (ref.size() == iEnd - iFrom && iText.compare(iFrom, ref.size(), ref) == 0) {
        return slots_[slot].row;
      }
    }
    return -1;
  }

 private:
  struct Slot {
    uint64_t hash;
    int row;  // -1: empty
  };
  const std::vector<std::string>& refs_;
  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

// One collapsed part with its references replaced (see the header). The
// references of one segment (the "#"s before one comma) all end at the
// same place, so one right-to-left pass hashes them all.
std::string RewritePart(const std::string& iPart, const RefIndex& iIndex,
                        const std::vector<std::string>& iIds) {
  std::string out;
  size_t copied = 0;
  size_t from = 0;
  std::vector<std::pair<size_t, uint64_t>> hashes;  // of one segment, in order
  while (true) {
    const size_t first = iPart.find('#', from);
    if (first == std::string::npos) break;
    const size_t comma = iPart.find(',', first);
    if (comma == std::string::npos) break;
    const size_t end = iPart[comma - 1] == ')' ? comma - 1 : comma;
    // Hashes of [p, end) for every "#" at p in [first, end), right to left.
    hashes.clear();
    uint64_t hash = 0;
    for (size_t p = end; p-- > first;) {
      hash = AddMod(MulMod(hash, Base()), Byte(iPart[p]));
      if (iPart[p] == '#') hashes.emplace_back(p, hash);
    }
    from = comma + 1;
    for (size_t k = hashes.size(); k-- > 0;) {
      const size_t at = hashes[k].first;
      const int row = iIndex.Find(iPart, at, end, hashes[k].second);
      if (row < 0) continue;  // names no link entity: stays as written
      out.append(iPart, copied, at - copied);
      out += iIds[row];
      copied = end;
      from = end;
      break;
    }
  }
  if (copied == 0) return iPart;
  out.append(iPart, copied, std::string::npos);
  return out;
}

}  // namespace

void RewriteCollapsedParts(PSNOldEntries& ioEntries) {
  if (ioEntries.collapsedParts.empty()) return;
  const RefIndex index(ioEntries.linkRefs);
  for (std::string& part : ioEntries.collapsedParts) {
    if (part.find('#') == std::string::npos) continue;
    part = RewritePart(part, index, ioEntries.linkIds);
  }
}

// --- Target file name -----------------------------------------------------------

CATUnicodeString ResolvePSNFilename(const CATUnicodeString& iName,
                                    const CATUnicodeString& iDirectory,
                                    bool iTrace) {
  auto trace = [iTrace](const char* iText) {
    if (iTrace) Trace(iText);
  };
  auto trace_text = [iTrace](const char* iFormat, const CATUnicodeString& iText) {
    if (iTrace) TraceF(iFormat, iText.ConvertToChar());
  };
  auto trace_number = [iTrace](const char* iFormat, int iValue) {
    if (iTrace) TraceF(iFormat, iValue);
  };
  CATUnicodeString name = iName;
  trace_text("Default Directory=[%s]", iDirectory);
  if (iDirectory.IsEmpty()) {
    trace("2. Case default directory does not exist");
  } else {
    trace("2. Case default directory exists");
    CATUnicodeString upper_name = name;
    CATUnicodeString upper_directory = iDirectory;
    upper_name.ToUpper();
    upper_directory.ToUpper();
    const int position = upper_name.SearchSubString(upper_directory);
    trace_number("Default directory position in file name=%d", position);
    if (position == 0) {
      trace("2.1 Case PSN filename starts with the default directory");
    } else {
      trace("2.2 Case PSN filename does not start with the PSN directory");
      const int separator = name.SearchSubString("\\");
      trace_number("Directory's position=%d", separator);
      if (separator >= 0) {
        trace("Case directory defined");
      } else {
        trace("Case no directory defined");
        name = iDirectory + "\\" + name;
      }
    }
  }
  trace_text("File name after default directory management=[%s]", name);
  trace("3. Add extension if the user doesn't specify it");
  const int extension =
      name.SearchSubString(".psn", -1, CATUnicodeString::CATSearchModeBackward);
  if (extension < 0 || extension + 4 != name.GetLengthInChar()) name += ".psn";
  trace_text("Final file name=[%s]", name);
  trace("<< SetPSNFilename");
  return name;
}

// --- Storage names ----------------------------------------------------------------

PSNDocumentFields SplitStorageName(const CATUnicodeString& iStorage,
                                   const CATUnicodeString& iSeparator) {
  PSNDocumentFields fields;
  const int length = iStorage.GetLengthInChar();
  if (length >= 4 && iStorage.SubString(length - 4, 4) == ".cgr") {
    // The search starts before the extension; -1 (no separator) reads the
    // fields from the first character.
    const int separator =
        length > 4 ? iStorage.SearchSubString(iSeparator, length - 5,
                                              CATUnicodeString::CATSearchModeBackward)
                   : -1;
    fields.env = iStorage.SubString(separator + 1, 8);
    fields.table = iStorage.SubString(separator + 9, 18);
    fields.coid = iStorage.SubString(separator + 27, 16);
    fields.compid = iStorage.SubString(separator + 43, 16);
  } else {
    fields.coid = iStorage.SubString(0, 16);
    fields.compid = iStorage.SubString(16, 16);
    fields.env = iStorage.SubString(32, 8);
    fields.table = iStorage.SubString(40, 18);
  }
  return fields;
}

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

// --- Collapsed parts covered by a selected object ---------------------------------

std::string CollapsedPartKey(const std::string& iPart) {
  std::string key = iPart;
  RemoveFirst(key, "1,(", 3);
  RemoveFirst(key, "2,(", 3);
  RemoveFirst(key, "),()", 4);
  return key;
}

namespace {

// An Aho-Corasick automaton over the keys: which keys occur in a text, in
// one pass over the text. Children are kept as sibling lists (the root has
// a full table), so memory stays linear in the keys whatever bytes they
// hold.
class KeyAutomaton {
 public:
  explicit KeyAutomaton(const std::vector<std::string>& iKeys)
      : next_key_(iKeys.size(), -1), found_(iKeys.size(), false) {
    nodes_.emplace_back();
    root_children_.fill(-1);
    for (size_t k = 0; k < iKeys.size(); ++k) Add(iKeys[k], static_cast<int>(k));
    Link();
  }

  // Marks the keys that occur in iText on character boundaries.
  void Scan(const std::string& iText) {
    const std::vector<char> starts = CharacterStarts(iText);
    int state = 0;
    for (size_t i = 0; i < iText.size(); ++i) {
      state = Next(state, static_cast<unsigned char>(iText[i]));
      if (starts.empty()) {
        MarkAll(state);
      } else {
        MarkOnBoundaries(state, starts, i + 1);
      }
    }
  }

  bool Found(size_t iKey) const { return found_[iKey]; }

 private:
  struct Node {
    int firstChild = -1;
    int nextSibling = -1;
    int fail = 0;
    int output = -1;  // nearest node on the fail chain (itself included) that ends a key
    int depth = 0;
    int firstKey = -1;  // keys ending here (equal keys share a node), by next_key_
    unsigned char byte = 0;
    bool marked = false;  // its keys and its output chain are found
  };

  int Child(int iNode, unsigned char iByte) const {
    if (iNode == 0) return root_children_[iByte];
    for (int c = nodes_[iNode].firstChild; c >= 0; c = nodes_[c].nextSibling) {
      if (nodes_[c].byte == iByte) return c;
    }
    return -1;
  }

  void Add(const std::string& iKey, int iIndex) {
    int node = 0;
    for (char c : iKey) {
      const unsigned char byte = static_cast<unsigned char>(c);
      int child = Child(node, byte);
      if (child < 0) {
        child = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
        nodes_[child].byte = byte;
        nodes_[child].depth = nodes_[node].depth + 1;
        if (node == 0) {
          root_children_[byte] = child;
        } else {
          nodes_[child].nextSibling = nodes_[node].firstChild;
          nodes_[node].firstChild = child;
        }
      }
      node = child;
    }
    next_key_[iIndex] = nodes_[node].firstKey;
    nodes_[node].firstKey = iIndex;
  }

  void MarkKeys(int iNode) {
    for (int key = nodes_[iNode].firstKey; key >= 0; key = next_key_[key]) {
      found_[key] = true;
    }
  }

  // Fail and output links, breadth first.
  void Link() {
    std::vector<int> queue;
    for (int child : root_children_) {
      if (child >= 0) queue.push_back(child);
    }
    for (size_t q = 0; q < queue.size(); ++q) {
      const int node = queue[q];
      Node& n = nodes_[node];
      const int fail_output = n.fail > 0 ? nodes_[n.fail].output : -1;
      n.output = n.firstKey < 0 ? fail_output : node;
      for (int c = n.firstChild; c >= 0; c = nodes_[c].nextSibling) {
        nodes_[c].fail = Next(n.fail, nodes_[c].byte);
        queue.push_back(c);
      }
    }
  }

  int Next(int iState, unsigned char iByte) const {
    while (true) {
      const int child = Child(iState, iByte);
      if (child >= 0) return child;
      if (iState == 0) return 0;
      iState = nodes_[iState].fail;
    }
  }

  // Every key ending at iState; stops at a node already marked, whose
  // chain was marked with it.
  void MarkAll(int iState) {
    for (int node = nodes_[iState].output; node > 0 && !nodes_[node].marked;) {
      nodes_[node].marked = true;
      MarkKeys(node);
      node = nodes_[nodes_[node].fail].output;
    }
  }

  // The keys ending at iState whose occurrence ending at iEnd starts and
  // ends on character boundaries (iStarts).
  void MarkOnBoundaries(int iState, const std::vector<char>& iStarts, size_t iEnd) {
    if (!iStarts[iEnd]) return;
    for (int node = nodes_[iState].output; node > 0;
         node = nodes_[nodes_[node].fail].output) {
      if (iStarts[iEnd - nodes_[node].depth]) MarkKeys(node);
    }
  }

  std::vector<Node> nodes_;
  std::array<int, 256> root_children_;
  std::vector<int> next_key_;  // next key ending at the same node
  std::vector<bool> found_;
};

}  // namespace

void DropCoveredCollapsedParts(const std::vector<std::string>& iSelected,
                               std::vector<std::string>& ioParts) {
  if (iSelected.empty() || ioParts.empty()) return;
  std::vector<std::string> keys;
  keys.reserve(ioParts.size());
  for (const std::string& part : ioParts) keys.push_back(CollapsedPartKey(part));
  KeyAutomaton automaton(keys);
  for (const std::string& selected : iSelected) automaton.Scan(selected);
  size_t kept = 0;
  for (size_t k = 0; k < ioParts.size(); ++k) {
    if (keys[k].empty() || automaton.Found(k)) continue;
    if (kept != k) ioParts[kept] = std::move(ioParts[k]);
    ++kept;
  }
  ioParts.resize(kept);
}

// --- Steps chosen for a run --------------------------------------------------------

const PSNFileSteps& CurrentPSNFileSteps() { return *g_steps; }

void SetPSNFileStepsForTesting(const PSNFileSteps* iSteps) {
  g_steps = iSteps ? iSteps : &kLinearSteps;
}

}  // namespace krvwd7_core
