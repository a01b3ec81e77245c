// The session file's JSON text, for the session-file sources only (no
// other part of the host includes this header): the shared JSON layout
// (KRVWD7UtiJsonLayout), its text handed to a memfile::TextSink.
#ifndef KRVWD7_HOST_MEMJSONWRITER_H_
#define KRVWD7_HOST_MEMJSONWRITER_H_

#include <cstddef>

#include "KRVWD7UtiJsonLayout.h"
#include "MemSessionFileInternal.h"

class MemJsonWriter : public KRVWD7UtiJsonLayout {
 public:
  // The text goes to ioSink (borrowed).
  explicit MemJsonWriter(memfile::TextSink& ioSink) : sink_(ioSink) {}

 private:
  bool WriteBlock(const char* iData, size_t iSize) override {
    return sink_.Write(iData, iSize);
  }

  memfile::TextSink& sink_;
};

#endif  // KRVWD7_HOST_MEMJSONWRITER_H_
