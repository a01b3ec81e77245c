// The tool's JSON output: the shared JSON layout (KRVWD7UtiJsonLayout),
// its text written to an output stream.
//
// Callers write the members of an object in the order of their keys (byte
// order), so that the output is the same whatever the order in which a
// reader would sort them.
#ifndef KRVWD7_TOOL_JSONOUT_H_
#define KRVWD7_TOOL_JSONOUT_H_

#include <cstddef>
#include <ostream>

#include "KRVWD7UtiJsonLayout.h"

namespace krvwd7 {

class JsonOut : public KRVWD7UtiJsonLayout {
 public:
  // The text goes to oOut (borrowed).
  explicit JsonOut(std::ostream& oOut) : out_(oOut) {}
  // Writes out what is still buffered, even without Finish.
  ~JsonOut() override { Flush(); }

  // Ends the document with a newline, writes out what is buffered and
  // flushes the stream.
  void Finish() {
    KRVWD7UtiJsonLayout::Finish();
    out_.flush();
  }

 private:
  bool WriteBlock(const char* iData, size_t iSize) override {
    out_.write(iData, static_cast<std::streamsize>(iSize));
    return true;
  }

  std::ostream& out_;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_JSONOUT_H_
