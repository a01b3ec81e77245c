#include "CATCollec.h"

#include <cstdio>
#include <cstdlib>

namespace CATCollec {

void OutOfRange(const char* iList, int iPos, int iSize) {
  std::fprintf(stderr, "%s: position %d out of range 1..%d\n",
               iList ? iList : "list", iPos, iSize);
  std::abort();
}

}  // namespace CATCollec
