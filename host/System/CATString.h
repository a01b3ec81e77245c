// 8-bit text of the host: catalog names, message keys, dialog identifiers.
//
// A value type over std::string. No implicit conversion to a pointer: use
// CastToCharPtr() or ConvertToChar(), both valid while the text lives and
// is not changed.
#ifndef KRVWD7_HOST_CATSTRING_H_
#define KRVWD7_HOST_CATSTRING_H_

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

class CATString {
 public:
  CATString() = default;
  // Null gives the empty text.
  CATString(const char* iText) : text_(iText ? iText : "") {}
  CATString(const std::string& iText) : text_(iText) {}

  const char* CastToCharPtr() const { return text_.c_str(); }
  const char* ConvertToChar() const { return text_.c_str(); }
  const std::string& ToStdString() const { return text_; }
  int GetLengthInByte() const { return static_cast<int>(text_.size()); }
  bool IsNull() const { return text_.empty(); }

  CATString& operator+=(const CATString& iText) {
    text_ += iText.text_;
    return *this;
  }
  friend CATString operator+(const CATString& a, const CATString& b) {
    return CATString(a.text_ + b.text_);
  }
  friend bool operator==(const CATString& a, const CATString& b) {
    return a.text_ == b.text_;
  }
  friend bool operator!=(const CATString& a, const CATString& b) {
    return a.text_ != b.text_;
  }
  friend bool operator<(const CATString& a, const CATString& b) {
    return a.text_ < b.text_;
  }

 private:
  std::string text_;
};

std::ostream& operator<<(std::ostream& os, const CATString& iText);

namespace std {
template <>
struct hash<CATString> {
  size_t operator()(const CATString& iText) const noexcept {
    return hash<string>()(iText.ToStdString());
  }
};
}  // namespace std

#endif  // KRVWD7_HOST_CATSTRING_H_
