#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "Commands.h"
#include "ToolSession.h"

namespace {

// A large session is millions of small allocations; with the allocator's
// heap in transparent huge pages the system takes a page fault per 2 MiB
// instead of per 4 KiB, which on large sessions is most of the run time.
// glibc reads that setting from the environment at start only, so the
// process starts itself again once with it. Nothing changes where the
// setting is unknown (older glibc, other allocators) or cannot be set.
void StartWithHugePages(char** argv) {
  const char kTunable[] = "glibc.malloc.hugetlb=1";
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables && std::strstr(tunables, "glibc.malloc.hugetlb")) return;
  std::string value = tunables && *tunables ? std::string(tunables) + ":" + kTunable
                                            : std::string(kTunable);
  if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
  ::execv("/proc/self/exe", argv);
  // Not started again: go on as we are.
}

}  // namespace

int main(int argc, char** argv) {
  StartWithHugePages(argv);
  krvwd7::ToolSession::LeaveSessionAtExit(true);
  return krvwd7::Main(argc, argv, std::cout, std::cerr);
}
