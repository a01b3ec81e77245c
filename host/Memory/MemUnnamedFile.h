// Files that get their name only once they are complete.
//
// The host's savers (session files, the maker's atomic file) write a new
// file beside its target and rename it over the target. Written under a
// name, a temporary file stays behind when the process is killed before the
// rename. Opened without a name (Linux O_TMPFILE), it is only an open file
// until LinkUnnamed gives it its temporary name just before the rename: a
// process killed while writing leaves nothing in the folder; only a kill in
// the instant between the link and the rename can leave the named file.
//
// Where the folder's file system has no unnamed files (or /proc is not
// mounted), OpenUnnamed answers -1 and the savers fall back to a named
// temporary file.
#ifndef KRVWD7_HOST_MEMUNNAMEDFILE_H_
#define KRVWD7_HOST_MEMUNNAMEDFILE_H_

#include <sys/types.h>

#include <string>

namespace memfile {

// The folder part of iPath ("dir/" of "dir/name", "" for the working one).
std::string FolderOf(const std::string& iPath);
// An unnamed file opened for writing in iFolder ("" for the working
// folder) with the permission bits iMode (less the umask); -1 with errno
// set when the folder cannot hold one.
int OpenUnnamed(const std::string& iFolder, mode_t iMode);
// Gives the unnamed file iFd the name iName, which must not exist; false
// with errno set when it cannot.
bool LinkUnnamed(int iFd, const std::string& iName);

}  // namespace memfile

#endif  // KRVWD7_HOST_MEMUNNAMEDFILE_H_
