#include "MemJsonText.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "KRVWD7UtiJsonText.h"

namespace {

constexpr size_t kProgressStep = size_t{4} << 20;

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Strings are checked eight bytes at a time: most of a session's strings
// are plain ASCII without escapes. Bytewise tests on a little-endian 64-bit
// word: "x - 1 borrows into the top bit" finds a zero byte, "x - n" a byte
// below n.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte is the lowest");
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighs = 0x8080808080808080ULL;

uint64_t WordAt(const char* iText) {
  uint64_t w;
  std::memcpy(&w, iText, sizeof w);
  return w;
}

// The top bit of every zero byte of iWord (and maybe of bytes above one).
uint64_t ZeroBytes(uint64_t iWord) { return (iWord - kOnes) & ~iWord & kHighs; }

// How many of the eight bytes at iText, from the first, need no look of
// their own inside a string being checked; 8 when none does. A quote, a
// backslash, a control character and a byte of a multi-byte character do.
// The lowest flagged byte is exact (the tests are fooled only above a true
// match), so this never skips one.
size_t PlainBytes(const char* iText) {
  const uint64_t w = WordAt(iText);
  const uint64_t below_space = (w - kOnes * 0x20) & ~w & kHighs;
  const uint64_t flagged = below_space | (w & kHighs) | ZeroBytes(w ^ (kOnes * '"')) |
                           ZeroBytes(w ^ (kOnes * '\\'));
  return flagged == 0 ? 8 : static_cast<size_t>(__builtin_ctzll(flagged)) / 8;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// How an unexpected token is named in messages.
std::string Describe(const char* iData, size_t iSize, size_t iPos) {
  if (iPos >= iSize) return "end of input";
  const char c = iData[iPos];
  if (c == '"') return "string literal";
  if (c == '-' || IsDigit(c)) return "number literal";
  for (const char* literal : {"true", "false", "null"}) {
    size_t n = std::strlen(literal);
    if (iSize - iPos >= n && std::memcmp(iData + iPos, literal, n) == 0) {
      return "'" + std::string(literal) + "' literal";
    }
  }
  unsigned char u = static_cast<unsigned char>(c);
  if (u < 0x20 || u >= 0x7f) {
    char text[16];
    std::snprintf(text, sizeof text, "<U+%04X>", u);
    return text;
  }
  return std::string("'") + c + "'";
}

const char kExpectedValue[] = "'[', '{', string, number, 'true', 'false', or 'null'";

void Append(std::string& oText, uint32_t iCode) {
  if (iCode < 0x80) {
    oText += static_cast<char>(iCode);
  } else if (iCode < 0x800) {
    oText += static_cast<char>(0xC0 | (iCode >> 6));
    oText += static_cast<char>(0x80 | (iCode & 0x3F));
  } else if (iCode < 0x10000) {
    oText += static_cast<char>(0xE0 | (iCode >> 12));
    oText += static_cast<char>(0x80 | ((iCode >> 6) & 0x3F));
    oText += static_cast<char>(0x80 | (iCode & 0x3F));
  } else {
    oText += static_cast<char>(0xF0 | (iCode >> 18));
    oText += static_cast<char>(0x80 | ((iCode >> 12) & 0x3F));
    oText += static_cast<char>(0x80 | ((iCode >> 6) & 0x3F));
    oText += static_cast<char>(0x80 | (iCode & 0x3F));
  }
}

uint32_t Hex4(const char* iText) {
  uint32_t code = 0;
  for (int i = 0; i < 4; ++i) code = code * 16 + static_cast<uint32_t>(HexValue(iText[i]));
  return code;
}

}  // namespace

// --- Index ------------------------------------------------------------------------

MemJsonText::Index::~Index() {
  if (data_) ::munmap(data_, capacity_ * sizeof(Container));
}

void MemJsonText::Index::Grow() {
  // Whole pages, so that capacity_ * sizeof(Container) is what is mapped.
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  size_t bytes = std::max(capacity_ * sizeof(Container) * 2, size_t{1} << 20);
  bytes = (bytes + page - 1) / page * page;
  void* data = data_ == nullptr
                   ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                            -1, 0)
                   : ::mremap(data_, capacity_ * sizeof(Container), bytes, MREMAP_MAYMOVE);
  if (data == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<Container*>(data);
  capacity_ = bytes / sizeof(Container);
}

void MemJsonText::Index::ReleaseBefore(size_t iOrdinal) {
  // Entries within this many of iOrdinal are kept.
  constexpr size_t kKept = size_t{64} << 10;
  if (data_ == nullptr || iOrdinal <= kKept) return;
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t end = std::min(iOrdinal - kKept, size_) * sizeof(Container) / page * page;
  if (end <= released_) return;
  ::madvise(reinterpret_cast<char*>(data_) + released_, end - released_, MADV_DONTNEED);
  released_ = end;
}

// --- Check ------------------------------------------------------------------------

bool MemJsonText::ScanString(size_t& ioPos, SyntaxError& oError) const {
  size_t p = ioPos + 1;  // past the opening quote
  auto fail = [&](size_t iAt, const std::string& iWhat) {
    oError = {iAt, "syntax error while parsing value - invalid string: " + iWhat};
    return false;
  };
  for (;;) {
    while (size_ - p >= 8) {
      const size_t plain = PlainBytes(data_ + p);
      p += plain;
      if (plain < 8) break;
    }
    if (p >= size_) return fail(p, "missing closing quote");
    unsigned char c = static_cast<unsigned char>(data_[p]);
    if (c == '"') break;
    if (c == '\\') {
      if (p + 1 >= size_) return fail(p, "missing closing quote");
      char e = data_[p + 1];
      if (e == 'u') {
        if (size_ - p < 6 || HexValue(data_[p + 2]) < 0 || HexValue(data_[p + 3]) < 0 ||
            HexValue(data_[p + 4]) < 0 || HexValue(data_[p + 5]) < 0) {
          return fail(p, "'\\u' must be followed by 4 hex digits");
        }
        uint32_t code = Hex4(data_ + p + 2);
        if (code >= 0xDC00 && code <= 0xDFFF) {
          return fail(p, "surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF");
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
          if (size_ - p < 12 || data_[p + 6] != '\\' || data_[p + 7] != 'u' ||
              HexValue(data_[p + 8]) < 0 || HexValue(data_[p + 9]) < 0 ||
              HexValue(data_[p + 10]) < 0 || HexValue(data_[p + 11]) < 0) {
            return fail(p, "surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF");
          }
          uint32_t low = Hex4(data_ + p + 8);
          if (low < 0xDC00 || low > 0xDFFF) {
            return fail(p, "surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF");
          }
          p += 12;
        } else {
          p += 6;
        }
        continue;
      }
      if (std::strchr("\"\\/bfnrt", e) == nullptr || e == '\0') {
        return fail(p, "forbidden character after backslash");
      }
      p += 2;
      continue;
    }
    if (c < 0x20) {
      char text[64];
      std::snprintf(text, sizeof text, "control character U+%04X must be escaped", c);
      return fail(p, text);
    }
    if (c < 0x80) {
      ++p;
      continue;
    }
    size_t n = KRVWD7UtiJsonText::Utf8Length(reinterpret_cast<const unsigned char*>(data_) + p, size_ - p);
    if (n == 0) return fail(p, "ill-formed UTF-8 byte");
    p += n;
  }
  ioPos = p + 1;
  return true;
}

bool MemJsonText::ScanNumber(size_t& ioPos, SyntaxError& oError) const {
  const size_t start = ioPos;
  size_t p = ioPos;
  auto fail = [&](const char* iWhat) {
    oError = {p, std::string("syntax error while parsing value - invalid number; ") + iWhat};
    return false;
  };
  if (data_[p] == '-') ++p;
  if (p >= size_ || !IsDigit(data_[p])) return fail("expected digit after '-'");
  size_t digits_start = p;
  if (data_[p] == '0') {
    ++p;
  } else {
    while (p < size_ && IsDigit(data_[p])) ++p;
  }
  bool plain = true;
  size_t digits = p - digits_start;
  if (p < size_ && data_[p] == '.') {
    plain = false;
    ++p;
    if (p >= size_ || !IsDigit(data_[p])) return fail("expected digit after '.'");
    while (p < size_ && IsDigit(data_[p])) ++p;
  }
  if (p < size_ && (data_[p] == 'e' || data_[p] == 'E')) {
    plain = false;
    ++p;
    if (p < size_ && (data_[p] == '+' || data_[p] == '-')) ++p;
    if (p >= size_ || !IsDigit(data_[p])) return fail("expected digit after exponent");
    while (p < size_ && IsDigit(data_[p])) ++p;
  }
  if (!plain || digits > 19) {
    // The value must fit a double (underflow reads as zero).
    std::string token(data_ + start, p - start);
    if (!std::isfinite(std::strtod(token.c_str(), nullptr))) {
      if (token.size() > 40) token = token.substr(0, 40) + "...";
      oError = {start, "number out of range: " + token};
      return false;
    }
  }
  ioPos = p;
  return true;
}

bool MemJsonText::ScanLiteral(size_t& ioPos, SyntaxError& oError) const {
  for (const char* literal : {"true", "false", "null"}) {
    size_t n = std::strlen(literal);
    if (literal[0] == data_[ioPos]) {
      if (size_ - ioPos >= n && std::memcmp(data_ + ioPos, literal, n) == 0) {
        ioPos += n;
        return true;
      }
      oError = {ioPos, std::string("syntax error while parsing value - invalid literal; expected '") +
                           literal + "'"};
      return false;
    }
  }
  oError = {ioPos, "syntax error while parsing value - unexpected " +
                       Describe(data_, size_, ioPos) + "; expected " + kExpectedValue};
  return false;
}

bool MemJsonText::Check(SyntaxError& oError, void (*iProgress)(size_t, void*),
                        void* iContext) {
  if (size_ >= UINT32_MAX) {
    oError = {0, "the file is too large (4 GiB or more)"};
    return false;
  }
  size_t p = 0;
  if (size_ >= 3 && std::memcmp(data_, "\xEF\xBB\xBF", 3) == 0) p = 3;  // a BOM
  auto skip = [&] {
    while (p < size_ && IsSpace(data_[p])) ++p;
  };
  auto unexpected = [&](const char* iContext, const char* iExpected) {
    oError = {p, std::string("syntax error while parsing ") + iContext + " - unexpected " +
                     Describe(data_, size_, p) + "; expected " + iExpected};
    return false;
  };
  skip();
  if (p >= size_) {
    oError = {p, "attempting to parse an empty input; check that your input string or "
                 "stream contains the expected JSON"};
    return false;
  }
  std::vector<uint32_t> open;  // ordinals of the containers being read
  std::string openers;         // and their opening brackets
  size_t next_report = kProgressStep;
  auto close = [&] {
    Container& container = containers_[open.back()];
    container.end = static_cast<uint32_t>(p + 1);
    container.next = static_cast<uint32_t>(containers_.size());
    open.pop_back();
    openers.pop_back();
    ++p;
  };
  root_ = Value{static_cast<uint32_t>(p), 0};
  enum class Step { kValue, kKey, kAfter } step = Step::kValue;
  for (;;) {
    if (iProgress && p >= next_report) {
      iProgress(p, iContext);
      next_report = p + kProgressStep;
    }
    if (step == Step::kValue) {
      skip();
      if (p >= size_) return unexpected("value", kExpectedValue);
      const char c = data_[p];
      if (c == '{' || c == '[') {
        open.push_back(static_cast<uint32_t>(containers_.size()));
        openers.push_back(c);
        containers_.push_back(Container{0, 0});
        ++p;
        skip();
        const char closing = c == '{' ? '}' : ']';
        if (p < size_ && data_[p] == closing) {
          close();
          step = Step::kAfter;
        } else {
          step = c == '{' ? Step::kKey : Step::kValue;
        }
        continue;
      }
      bool ok;
      if (c == '"') {
        ok = ScanString(p, oError);
      } else if (c == '-' || IsDigit(c)) {
        ok = ScanNumber(p, oError);
      } else {
        ok = ScanLiteral(p, oError);
      }
      if (!ok) return false;
      step = Step::kAfter;
      continue;
    }
    if (step == Step::kKey) {
      skip();
      if (p >= size_ || data_[p] != '"') return unexpected("object key", "string literal");
      if (!ScanString(p, oError)) return false;
      skip();
      if (p >= size_ || data_[p] != ':') return unexpected("object separator", "':'");
      ++p;
      step = Step::kValue;
      continue;
    }
    // After a value.
    skip();
    if (open.empty()) {
      if (p < size_) return unexpected("value", "end of input");
      return true;
    }
    const char opener = openers.back();
    if (p < size_ && data_[p] == ',') {
      ++p;
      step = opener == '{' ? Step::kKey : Step::kValue;
      continue;
    }
    const char closing = opener == '{' ? '}' : ']';
    if (p < size_ && data_[p] == closing) {
      close();
      continue;
    }
    return opener == '{' ? unexpected("object", "',' or '}'") : unexpected("array", "',' or ']'");
  }
}

std::string MemJsonText::LineAndColumn(size_t iOffset) const {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < iOffset && i < size_; ++i) {
    if (data_[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

// --- Reading the checked text ---------------------------------------------------

MemJsonText::Kind MemJsonText::KindOf(Value iValue) const {
  switch (data_[iValue.pos]) {
    case '{': return Kind::kObject;
    case '[': return Kind::kArray;
    case '"': return Kind::kString;
    case 't':
    case 'f': return Kind::kBoolean;
    case 'n': return Kind::kNull;
    default: return Kind::kNumber;
  }
}

uint32_t MemJsonText::SkipSpace(uint32_t iPos) const {
  while (iPos < size_ && IsSpace(data_[iPos])) ++iPos;
  return iPos;
}

uint32_t MemJsonText::StringEnd(uint32_t iPos, bool& oEscaped) const {
  const char* begin = data_ + iPos;
  const char* end = data_ + size_;
  const char* p = begin;
  for (;;) {
    // Check() saw the closing quote: memchr finds one.
    const char* quote = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
    const char* back = quote;
    while (back > p && back[-1] == '\\') --back;
    if ((quote - back) % 2 == 0) {
      oEscaped = std::memchr(begin, '\\', static_cast<size_t>(quote - begin)) != nullptr;
      return static_cast<uint32_t>(quote - data_);
    }
    p = quote + 1;  // an escaped quote
  }
}

void MemJsonText::Skip(Value& ioValue, uint32_t& oPos, uint32_t& oOrd) const {
  const char c = data_[ioValue.pos];
  if (c == '{' || c == '[') {
    const Container& container = containers_[ioValue.ord];
    oPos = container.end;
    oOrd = container.next;
    return;
  }
  oOrd = ioValue.ord;
  if (c == '"') {
    ioValue.quote = StringEnd(ioValue.pos + 1, ioValue.escaped);
    oPos = ioValue.quote + 1;
    return;
  }
  uint32_t p = ioValue.pos + 1;
  if (c == 't' || c == 'n') {
    p = ioValue.pos + 4;
  } else if (c == 'f') {
    p = ioValue.pos + 5;
  } else {
    while (p < size_) {
      char d = data_[p];
      if (IsDigit(d) || d == '.' || d == 'e' || d == 'E' || d == '+' || d == '-') {
        ++p;
      } else {
        break;
      }
    }
  }
  oPos = p;
}

void MemJsonText::Decode(std::string_view iRaw, std::string& oText) {
  oText.clear();
  oText.reserve(iRaw.size());
  for (size_t i = 0; i < iRaw.size(); ++i) {
    char c = iRaw[i];
    if (c != '\\') {
      oText += c;
      continue;
    }
    char e = iRaw[++i];
    switch (e) {
      case 'b': oText += '\b'; break;
      case 'f': oText += '\f'; break;
      case 'n': oText += '\n'; break;
      case 'r': oText += '\r'; break;
      case 't': oText += '\t'; break;
      case 'u': {
        uint32_t code = Hex4(iRaw.data() + i + 1);
        i += 4;
        if (code >= 0xD800 && code <= 0xDBFF) {
          uint32_t low = Hex4(iRaw.data() + i + 3);
          i += 6;
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        Append(oText, code);
        break;
      }
      default: oText += e; break;  // '"', '\\', '/'
    }
  }
}

std::string_view MemJsonText::StringOf(Value iValue, std::string& ioScratch) const {
  bool escaped = iValue.escaped;
  uint32_t begin = iValue.pos + 1;
  uint32_t end = iValue.quote != 0 ? iValue.quote : StringEnd(begin, escaped);
  std::string_view raw(data_ + begin, end - begin);
  if (!escaped) return raw;
  Decode(raw, ioScratch);
  return ioScratch;
}

std::string_view MemJsonText::TokenOf(Value iValue) const {
  uint32_t end, ord;
  Skip(iValue, end, ord);
  return std::string_view(data_ + iValue.pos, end - iValue.pos);
}

namespace {

// The magnitude of the integer token at iText (its digits, after any
// sign), when it has no fraction, no exponent and at most 19 digits, which
// always fit 64 bits; false for any other token.
bool ShortInteger(const char* iText, const char* iEnd, uint64_t& oMagnitude) {
  uint64_t magnitude = 0;
  const char* p = iText;
  for (; p < iEnd && p - iText < 19 && IsDigit(*p); ++p) magnitude = magnitude * 10 + (*p - '0');
  if (p == iText || (p < iEnd && (IsDigit(*p) || *p == '.' || *p == 'e' || *p == 'E'))) {
    return false;
  }
  oMagnitude = magnitude;
  return true;
}

// The magnitude of a longer integer token, when it fits 64 bits.
bool LongInteger(std::string_view iToken, bool iNegative, uint64_t& oMagnitude) {
  if (iToken.find_first_of(".eE") != std::string_view::npos) return false;
  const char* digits = iToken.data() + (iNegative ? 1 : 0);
  return std::from_chars(digits, iToken.data() + iToken.size(), oMagnitude).ec == std::errc();
}

}  // namespace

MemJsonText::Number MemJsonText::NumberOf(Value iValue) const {
  Number number;
  number.negative = data_[iValue.pos] == '-';
  const char* digits = data_ + iValue.pos + (number.negative ? 1 : 0);
  uint64_t magnitude = 0;
  // Most numbers of a session are short integers, read in place.
  std::string_view token;
  bool integer = ShortInteger(digits, data_ + size_, magnitude);
  if (!integer) {
    token = TokenOf(iValue);
    integer = LongInteger(token, number.negative, magnitude);
  }
  if (integer && (!number.negative || magnitude <= uint64_t{1} << 63)) {
    number.integer = true;
    number.magnitude = magnitude;
    if (number.negative) {
      number.value = magnitude == uint64_t{1} << 63
                         ? -9223372036854775808.0
                         : -static_cast<double>(static_cast<int64_t>(magnitude));
    } else {
      number.value = static_cast<double>(magnitude);
    }
    if (number.negative && magnitude == 0) number.negative = false;  // "-0"
    return number;
  }
  if (token.empty()) token = TokenOf(iValue);
  const std::string text(token);
  number.value = std::strtod(text.c_str(), nullptr);
  return number;
}

// --- Items and members -------------------------------------------------------------

MemJsonText::Items::Items(const MemJsonText& iText, Value iArray)
    : text_(iText), pos_(iArray.pos + 1), ord_(iArray.ord + 1) {}

bool MemJsonText::Items::Next(Value& oItem) {
  pos_ = text_.SkipSpace(pos_);
  char c = text_.data_[pos_];
  if (c == ']') return false;
  if (c == ',') pos_ = text_.SkipSpace(pos_ + 1);
  oItem = Value{pos_, ord_};
  text_.Skip(oItem, pos_, ord_);
  return true;
}

MemJsonText::Members::Members(const MemJsonText& iText, Value iObject)
    : text_(iText), pos_(iObject.pos + 1), ord_(iObject.ord + 1) {}

bool MemJsonText::Members::Next(std::string_view& oKey, bool& oEscaped, Value& oValue) {
  pos_ = text_.SkipSpace(pos_);
  char c = text_.data_[pos_];
  if (c == '}') return false;
  if (c == ',') pos_ = text_.SkipSpace(pos_ + 1);
  key_pos_ = pos_;
  uint32_t key_end = text_.StringEnd(pos_ + 1, oEscaped);
  oKey = std::string_view(text_.data_ + pos_ + 1, key_end - pos_ - 1);
  pos_ = text_.SkipSpace(key_end + 1);  // at ':'
  pos_ = text_.SkipSpace(pos_ + 1);
  oValue = Value{pos_, ord_};
  text_.Skip(oValue, pos_, ord_);
  return true;
}
