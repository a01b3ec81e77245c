// Fuzz target for session files.
//
// Any text either loads or is refused with a message; a session that loads
// passes the structural check and saves to a text that loads again and
// saves to the same text. Anything
// else (a crash, a sanitizer report, a refused or changed round trip) is a
// fault of the loader or of the writer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "MemSession.h"

namespace {

[[noreturn]] void Fail(const char* iWhat, const std::string& iDetail) {
  std::fprintf(stderr, "session round trip: %s\n%s\n", iWhat, iDetail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  const std::string text(reinterpret_cast<const char*>(iData), iSize);
  std::string saved;
  {
    MemSession session;
    const MemResult loaded = session.LoadFromText(text, "fuzz.json");
    if (!loaded) {
      if (loaded.error.empty()) Fail("refused without a message", text);
      return 0;
    }
    std::string problem;
    if (!session.CheckInvariants(problem)) Fail("the loaded session is broken", problem);
    saved = session.SaveToText();
  }
  MemSession again;
  const MemResult reloaded = again.LoadFromText(saved, "saved.json");
  if (!reloaded) Fail("the saved session does not load", reloaded.error + "\n" + saved);
  if (again.SaveToText() != saved) Fail("saving the reloaded session changes it", saved);
  return 0;
}
