#include "MemUnnamedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace memfile {

std::string FolderOf(const std::string& iPath) {
  const size_t slash = iPath.rfind('/');
  return slash == std::string::npos ? "" : iPath.substr(0, slash + 1);
}

int OpenUnnamed(const std::string& iFolder, mode_t iMode) {
#ifdef O_TMPFILE
  // Linking goes through the file's entry in /proc (linkat with
  // AT_EMPTY_PATH needs a privilege a user does not have).
  if (::access("/proc/self/fd", X_OK) != 0) return -1;
  const std::string folder = iFolder.empty() ? "." : iFolder;
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, iMode);
#else
  (void)iFolder;
  (void)iMode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

bool LinkUnnamed(int iFd, const std::string& iName) {
  const std::string entry = "/proc/self/fd/" + std::to_string(iFd);
  return ::linkat(AT_FDCWD, entry.c_str(), AT_FDCWD, iName.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace memfile
