// The layout of every JSON text the project writes (the session files and
// the tool's output), written as it goes rather than built first.
//
// Two blanks of indentation per level, "key": value, one member or item per
// line, empty containers as {} and [], a newline after the document.
// Strings and doubles are written by KRVWD7UtiJsonText, so both writers
// give the same bytes for the same value.
//
// Where the text goes is the only thing a writer adds: a subclass
// implements WriteBlock, which receives the text in order, in blocks of
// about 64 KiB. After a block is refused no further block is handed over.
// REQUIRES: the calls make one well-formed value (a key only inside an
// object and before each of its members, every Begin closed by its End).
#ifndef KRVWD7_HOST_KRVWD7UTIJSONLAYOUT_H_
#define KRVWD7_HOST_KRVWD7UTIJSONLAYOUT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class KRVWD7UtiJsonLayout {
 public:
  KRVWD7UtiJsonLayout(const KRVWD7UtiJsonLayout&) = delete;
  KRVWD7UtiJsonLayout& operator=(const KRVWD7UtiJsonLayout&) = delete;

  KRVWD7UtiJsonLayout& BeginObject();
  KRVWD7UtiJsonLayout& EndObject();
  KRVWD7UtiJsonLayout& BeginArray();
  KRVWD7UtiJsonLayout& EndArray();
  // The key of the next member. REQUIRES: inside an object.
  KRVWD7UtiJsonLayout& Key(std::string_view iKey);
  KRVWD7UtiJsonLayout& String(std::string_view iText);
  KRVWD7UtiJsonLayout& Integer(long long iValue);
  KRVWD7UtiJsonLayout& Double(double iValue);
  KRVWD7UtiJsonLayout& Boolean(bool iValue);
  KRVWD7UtiJsonLayout& Null();
  // Ends the document with a newline and hands over what is buffered;
  // false when a block was refused, now or before.
  bool Finish();

 protected:
  KRVWD7UtiJsonLayout() = default;
  // Does not hand over what is still buffered: a writer whose text is
  // abandoned writes no more of it.
  virtual ~KRVWD7UtiJsonLayout() = default;

  // Takes the next block of the text; false when it could not.
  virtual bool WriteBlock(const char* iData, size_t iSize) = 0;

  // Hands over what is buffered now.
  void Flush();

 private:
  void BeforeValue();
  void Indent();
  // A container starts or ends with the bracket given.
  void Open(char iBracket);
  void Close(std::string_view iBracket);
  void Put(std::string_view iText);
  void PutString(std::string_view iText);

  std::string buffer_;
  std::vector<bool> has_items_;  // per open container
  bool after_key_ = false;
  bool ok_ = true;
};

#endif  // KRVWD7_HOST_KRVWD7UTIJSONLAYOUT_H_
