// Loads a session file and saves it again, as every editing command does;
// what `make bench-tool` times for load plus save.
//
//   krvwd7_session_roundtrip IN.json OUT.json
//
// Exits 0 when both went through, 1 with the message otherwise.
#include <cstdio>

#include "MemSession.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s IN.json OUT.json\n", argv[0]);
    return 2;
  }
  MemSession session;
  MemResult result = session.Load(argv[1]);
  if (result) result = session.Save(argv[2]);
  if (!result) {
    std::fprintf(stderr, "%s\n", result.error.c_str());
    return 1;
  }
  return 0;
}
