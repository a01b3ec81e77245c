#include <sys/stat.h>
#include <unistd.h>

#include <climits>
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

// An installed krvwd7 (make install) finds the host's message catalogs
// beside it, in ../share/krvwd7/catalogs; one in the build tree reads them
// from the source tree, where the build says they are. KRVWD7_CATALOGS,
// when set, wins over both.
void UseInstalledCatalogs() {
  if (std::getenv("KRVWD7_CATALOGS") != nullptr) return;
  char exe[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return;
  std::string path(exe, static_cast<size_t>(length));
  std::string catalogs = path.substr(0, path.rfind('/')) + "/../share/krvwd7/catalogs";
  struct stat st;
  if (::stat(catalogs.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    ::setenv("KRVWD7_CATALOGS", catalogs.c_str(), 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  StartWithHugePages(argv);
  UseInstalledCatalogs();
  krvwd7::ToolSession::LeaveSessionAtExit(true);
  return krvwd7::Main(argc, argv, std::cout, std::cerr);
}
