#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>

#include "Commands.h"
#include "ToolSession.h"

namespace {

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
  UseInstalledCatalogs();
  krvwd7::ToolSession::LeaveSessionAtExit(true);
  return krvwd7::Main(argc, argv, std::cout, std::cerr);
}
