// The tool's JSON output, written as it goes rather than built first.
//
// The layout is that of a pretty-printed document with two blanks of
// indentation ("key": value, one member or item per line, empty containers
// as {} and []). Callers write the members of an object in the order of
// their keys (byte order), so that the output is the same whatever the
// order in which a reader would sort them. Strings are UTF-8 with JSON's
// escapes; an ill-formed UTF-8 sequence is written as U+FFFD. Doubles are
// written in their shortest form that reads back the same (with ".0" on
// whole numbers; exponential below 1e-4 and from 1e15), NaN and infinities
// as null.
#ifndef KRVWD7_TOOL_JSONOUT_H_
#define KRVWD7_TOOL_JSONOUT_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace krvwd7 {

class JsonOut {
 public:
  // The text goes to oOut (borrowed) in blocks of about 64 KiB.
  explicit JsonOut(std::ostream& oOut) : out_(oOut) {}
  ~JsonOut() { Flush(); }
  JsonOut(const JsonOut&) = delete;
  JsonOut& operator=(const JsonOut&) = delete;

  JsonOut& BeginObject();
  JsonOut& EndObject();
  JsonOut& BeginArray();
  JsonOut& EndArray();
  // The key of the next member. REQUIRES: inside an object.
  JsonOut& Key(std::string_view iKey);
  JsonOut& String(std::string_view iText);
  JsonOut& Integer(long long iValue);
  JsonOut& Double(double iValue);
  JsonOut& Boolean(bool iValue);
  JsonOut& Null();
  // Ends the document with a newline and writes out what is buffered.
  void Finish();

 private:
  void BeforeValue();
  void Indent();
  void PutString(std::string_view iText);
  void Flush();
  void MaybeFlush() {
    if (buffer_.size() >= (size_t{64} << 10)) Flush();
  }

  std::ostream& out_;
  std::string buffer_;
  std::vector<bool> has_items_;  // per open container
  bool after_key_ = false;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_JSONOUT_H_
