// A JSON text written as it goes, for the session-file sources only (no
// other part of the host includes this header).
//
// The layout is the session file's: two blanks of indentation per level,
// "key": value, one member or item per line, empty containers as {} and [].
// Strings are written as UTF-8 with the escapes JSON requires (control
// characters as \u00xx); an ill-formed UTF-8 sequence is written as U+FFFD.
// Floating-point numbers are written in their shortest form that reads
// back to the same double (fixed notation from 1e-4 to 1e15, a ".0" on
// whole numbers; exponential outside); NaN and infinities as null.
#ifndef KRVWD7_HOST_MEMJSONWRITER_H_
#define KRVWD7_HOST_MEMJSONWRITER_H_

#include <string>
#include <string_view>
#include <vector>

#include "MemSessionFileInternal.h"

class MemJsonWriter {
 public:
  // The text goes to ioSink (borrowed), in blocks of about 64 KiB.
  explicit MemJsonWriter(memfile::TextSink& ioSink) : sink_(ioSink) {}
  ~MemJsonWriter() = default;
  MemJsonWriter(const MemJsonWriter&) = delete;
  MemJsonWriter& operator=(const MemJsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The key of the next member. REQUIRES: inside an object.
  void Key(std::string_view iKey);
  void String(std::string_view iText);
  void Integer(long long iValue);
  void Double(double iValue);
  void Boolean(bool iValue);
  void Null();
  // Writes what is buffered and a final newline; false when the sink
  // refused a block.
  bool Finish();

 private:
  void BeforeValue();
  void Indent();
  void Put(std::string_view iText);
  void PutString(std::string_view iText);
  void Flush();

  memfile::TextSink& sink_;
  std::string buffer_;
  std::vector<bool> has_items_;  // per open container
  bool after_key_ = false;
  bool ok_ = true;
};

#endif  // KRVWD7_HOST_MEMJSONWRITER_H_
