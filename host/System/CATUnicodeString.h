// Unicode text of the host.
//
// The text is kept as UTF-8 bytes. Positions and lengths are counted in
// characters (code points) from 0; a text made only of ASCII bytes takes a
// fast path where characters and bytes coincide. Bytes that do not form a
// valid UTF-8 sequence are kept as they are and each counts as one
// character, so any byte string round-trips unchanged.
//
// Position arguments are clamped to the text: no operation reads or writes
// past its end, and a negative length counts as 0. Ordering is the
// byte-wise lexicographic order of the UTF-8 bytes, which is the code-point
// order; it is total and consistent with ==.
//
// A value type: copies are independent. Not thread safe.
#ifndef KRVWD7_HOST_CATUNICODESTRING_H_
#define KRVWD7_HOST_CATUNICODESTRING_H_

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <utility>

class CATUnicodeString {
 public:
  enum CATStripMode {
    CATStripModeLeading = 1,
    CATStripModeTrailing = 2,
    CATStripModeBoth = 3
  };
  enum CATSearchMode { CATSearchModeForward = 1, CATSearchModeBackward = 2 };

  CATUnicodeString() = default;
  // From UTF-8 text; null gives the empty text.
  CATUnicodeString(const char* iUtf8);
  CATUnicodeString(const std::string& iUtf8);
  // Takes the bytes of a text made for it, without a copy.
  CATUnicodeString(std::string&& iUtf8) noexcept : text_(std::move(iUtf8)) {}
  CATUnicodeString(const CATUnicodeString&) = default;
  CATUnicodeString(CATUnicodeString&&) noexcept = default;
  CATUnicodeString& operator=(const CATUnicodeString&) = default;
  CATUnicodeString& operator=(CATUnicodeString&&) noexcept = default;
  // In place, keeping the storage: no temporary text is made.
  CATUnicodeString& operator=(const char* iUtf8) {
    text_.assign(iUtf8 ? iUtf8 : "");
    return *this;
  }

  // Replaces the text by the iLength UTF-8 bytes at iUtf8, in place: the
  // storage is kept when it is large enough. iUtf8 may be null when
  // iLength is 0.
  void BuildFromUTF8(const char* iUtf8, size_t iLength) {
    if (iLength == 0) {
      text_.clear();
    } else {
      text_.assign(iUtf8, iLength);
    }
  }

  // The UTF-8 bytes, null terminated. Valid while this text lives and is
  // not changed.
  const char* ConvertToChar() const { return text_.c_str(); }
  const std::string& ToStdString() const { return text_; }

  int GetLengthInChar() const;
  int GetLengthInByte() const { return static_cast<int>(text_.size()); }
  bool IsNull() const { return text_.empty(); }
  bool IsEmpty() const { return text_.empty(); }

  // The iLen characters from iPos, cut at the end of the text. A negative
  // iPos counts as 0; a position at or beyond the end gives the empty text.
  CATUnicodeString SubString(int iPos, int iLen) const;

  // Position of iText in this text, or -1 when absent.
  //  mode 1 (forward): the first occurrence starting at or after iStart
  //    (a negative iStart counts as 0).
  //  mode 2 (backward): the last occurrence starting at or before iStart;
  //    an iStart that is negative or beyond the last position means the
  //    whole text (the last occurrence).
  // An empty iText is found at the start position (clamped to the text).
  // Any other mode gives -1.
  int SearchSubString(const CATUnicodeString& iText, int iStart = 0,
                      int iMode = CATSearchModeForward) const;

  // Replaces the iLen characters from iPos (clamped) by iBy. A position
  // beyond the end appends iBy.
  void ReplaceSubString(int iPos, int iLen, const CATUnicodeString& iBy);
  // Replaces every non-overlapping occurrence of iOld, scanning forward,
  // by iNew; returns the number of replacements (0 when iOld is empty).
  int ReplaceAll(const CATUnicodeString& iOld, const CATUnicodeString& iNew);
  // Inserts iText before the character at iPos (clamped: beyond the end
  // appends, negative prepends).
  void Insert(int iPos, const CATUnicodeString& iText);
  // Removes the iLen characters from iPos (clamped).
  void Remove(int iPos, int iLen);
  // Cuts the text to iLen characters, or pads it with iFill up to iLen
  // characters. A negative iLen empties it.
  void Resize(int iLen, char iFill = ' ');
  // A copy without the leading and/or trailing blanks (space and tab).
  [[nodiscard]] CATUnicodeString Strip(
      CATStripMode iMode = CATStripModeBoth) const;
  // ASCII letters to upper (lower) case; other characters left as they are.
  void ToUpper();
  void ToLower();
  void Append(const CATUnicodeString& iText) { text_ += iText.text_; }

  CATUnicodeString& operator+=(const CATUnicodeString& iText) {
    text_ += iText.text_;
    return *this;
  }

  // 2 when both texts are identical, 0 when they differ.
  int Compare(const CATUnicodeString& iOther) const {
    return text_ == iOther.text_ ? 2 : 0;
  }

  // Replaces the text by iValue printed with iFormat, which must hold
  // exactly one conversion fitting the value's type (flags, width and
  // precision allowed; "%%" allowed anywhere): int d i; long ld li;
  // unsigned u x X o; unsigned long lu lx lX lo; double f F e E g G
  // (optionally with l). Returns 1 on success; 0 and an empty text, with a
  // message on stderr, when iFormat is null or does not fit.
  int BuildFromNum(int iValue, const char* iFormat = "%d");
  int BuildFromNum(long iValue, const char* iFormat = "%ld");
  int BuildFromNum(unsigned int iValue, const char* iFormat = "%u");
  int BuildFromNum(unsigned long iValue, const char* iFormat = "%lu");
  int BuildFromNum(double iValue, const char* iFormat = "%f");

  // Reads one number from the start of the text, as sscanf would: leading
  // blanks skipped, then the longest valid number; what follows is ignored
  // ("12abc" gives 12). Returns 1 when one value was converted, 0 when none
  // was (no digits, out of the type's range, unsupported format); *oValue is
  // set only on success. Formats: int and long "%d" "%i" "%u" "%x" "%o"
  // (with l for long); double "%f" "%lf" "%g" "%lg" "%e" "%le".
  int ConvertToNum(int* oValue, const char* iFormat = "%d") const;
  int ConvertToNum(long* oValue, const char* iFormat = "%ld") const;
  int ConvertToNum(double* oValue, const char* iFormat = "%lf") const;

  // Replaces the text by the next line of iStream, without its end of line
  // ("\n" or "\r\n"). Returns 1 when a line was read (possibly empty), 0 at
  // the end of the stream (the text is then empty).
  int BuildFromStream(std::istream& iStream);

  friend bool operator==(const CATUnicodeString& a, const CATUnicodeString& b) {
    return a.text_ == b.text_;
  }
  friend bool operator!=(const CATUnicodeString& a, const CATUnicodeString& b) {
    return a.text_ != b.text_;
  }
  friend bool operator<(const CATUnicodeString& a, const CATUnicodeString& b) {
    return a.text_ < b.text_;
  }
  friend bool operator>(const CATUnicodeString& a, const CATUnicodeString& b) {
    return a.text_ > b.text_;
  }
  friend bool operator<=(const CATUnicodeString& a, const CATUnicodeString& b) {
    return a.text_ <= b.text_;
  }
  friend bool operator>=(const CATUnicodeString& a, const CATUnicodeString& b) {
    return a.text_ >= b.text_;
  }
  friend CATUnicodeString operator+(const CATUnicodeString& a,
                                    const CATUnicodeString& b) {
    return CATUnicodeString(a.text_ + b.text_);
  }

 private:
  // Byte offset of character iPos, clamped to [0, size].
  size_t ByteOffset(int iPos) const;
  // Byte offset of the character iLen characters after byte iFrom, clamped.
  size_t AdvanceChars(size_t iFrom, int iLen) const;
  // Character position of byte offset iByte (which starts a character).
  int CharPosition(size_t iByte) const;
  // Passes characters from byte iFrom on: at most iMaxChars, and none that
  // starts at or after byte iToByte. Answers the byte reached; oChars is
  // how many were passed. Runs of ASCII bytes go eight at a time.
  size_t Walk(size_t iFrom, size_t iMaxChars, size_t iToByte, size_t& oChars) const;
  bool IsAscii() const;

  std::string text_;
};

std::ostream& operator<<(std::ostream& os, const CATUnicodeString& iText);

namespace std {
template <>
struct hash<CATUnicodeString> {
  size_t operator()(const CATUnicodeString& iText) const noexcept {
    return hash<string>()(iText.ToStdString());
  }
};
}  // namespace std

#endif  // KRVWD7_HOST_CATUNICODESTRING_H_
