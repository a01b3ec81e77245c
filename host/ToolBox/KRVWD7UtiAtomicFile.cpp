#include "KRVWD7UtiAtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "MemFaults.h"
#include "MemUnnamedFile.h"

namespace {

KRVWD7UtiAtomicFile::Step g_failing_step = KRVWD7UtiAtomicFile::kNoStep;

bool FailsForTesting(KRVWD7UtiAtomicFile::Step iStep) {
  return g_failing_step == iStep;
}

// The permission bits fopen(name, "w") leaves on a new file.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// "dir/.name.XXXXXX" beside iTarget; the name part is cut so that the
// temporary name stays within the usual 255-byte limit.
std::string TemporaryTemplate(const std::string& iTarget) {
  const size_t slash = iTarget.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "" : iTarget.substr(0, slash + 1);
  const std::string base =
      slash == std::string::npos ? iTarget : iTarget.substr(slash + 1);
  return folder + "." + base.substr(0, 200) + ".XXXXXX";
}

// The test switch or the fault point File.Commit, once the file is
// complete and before it replaces the target (the fault may also kill the
// process there).
bool FailsBeforeRename() {
  HRESULT fault = S_OK;
  return FailsForTesting(KRVWD7UtiAtomicFile::kRename) ||
         MemFaults::Hit(MemFaultPoint::kFileCommit, fault);
}

// Six characters as mkstemp would choose them.
std::string RandomSuffix() {
  static const char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += kLetters[device() % (sizeof kLetters - 1)];
  return suffix;
}

}  // namespace

KRVWD7UtiAtomicFile::~KRVWD7UtiAtomicFile() { Discard(); }

void KRVWD7UtiAtomicFile::FailStepForTesting(Step iStep) {
  g_failing_step = iStep;
}

HRESULT KRVWD7UtiAtomicFile::Fail(Step iStep, const std::string& iWhat,
                                  int iErrno) {
  error_step_ = iStep;
  error_text_ = iWhat + ": " + std::strerror(iErrno);
  Discard();
  return E_FAIL;
}

HRESULT KRVWD7UtiAtomicFile::Create(const std::string& iTarget) {
  if (file_ != nullptr || error_step_ != kNoStep) return E_FAIL;
  target_ = iTarget;
  const std::string what = "cannot create a file beside '" + iTarget + "'";
  if (iTarget.empty()) return Fail(kCreate, what, ENOENT);
  HRESULT fault = S_OK;
  if (FailsForTesting(kCreate) || MemFaults::Hit(MemFaultPoint::kFileCreate, fault)) {
    return Fail(kCreate, what, EIO);
  }
  mode_t mode = NewFileMode();
  struct stat status;
  if (stat(iTarget.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return Fail(kCreate, what, EISDIR);
    mode = status.st_mode & 07777;
  }
  // Unnamed until Commit (MemUnnamedFile.h) under a name chosen now; named
  // from the start where the file system cannot.
  std::string name = TemporaryTemplate(iTarget);
  int fd = memfile::OpenUnnamed(memfile::FolderOf(iTarget), mode);
  if (fd >= 0) {
    name.replace(name.size() - 6, 6, RandomSuffix());
    unnamed_ = true;
  } else {
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    fd = mkstemp(buffer.data());
    if (fd < 0) return Fail(kCreate, what, errno);
    name = buffer.data();
    unnamed_ = false;
  }
  temporary_ = name;
  fchmod(fd, mode);  // a failure keeps mkstemp's 0600: not worth failing for
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno;
    close(fd);
    return Fail(kCreate, what, error);
  }
  return S_OK;
}

HRESULT KRVWD7UtiAtomicFile::Write(const void* iData, size_t iSize) {
  if (file_ == nullptr) return E_FAIL;
  const std::string what = "cannot write '" + temporary_ + "'";
  if (FailsForTesting(kWrite)) return Fail(kWrite, what, EIO);
  // In blocks, the host's fault point after each one, as a full disk stops
  // a write part of the way.
  constexpr size_t kBlock = size_t{1} << 16;
  const char* data = static_cast<const char*>(iData);
  for (size_t at = 0; at < iSize; at += kBlock) {
    const size_t size = std::min(kBlock, iSize - at);
    if (std::fwrite(data + at, 1, size, file_) != size) {
      return Fail(kWrite, what, errno ? errno : EIO);
    }
    HRESULT fault = S_OK;
    if (MemFaults::Hit(MemFaultPoint::kFileWrite, fault)) return Fail(kWrite, what, EIO);
  }
  return S_OK;
}

HRESULT KRVWD7UtiAtomicFile::Commit() {
  if (file_ == nullptr) return E_FAIL;
  if (FailsForTesting(kWrite)) {
    return Fail(kWrite, "cannot write '" + temporary_ + "'", EIO);
  }
  if (std::fflush(file_) != 0) {
    return Fail(kWrite, "cannot write '" + temporary_ + "'", errno);
  }
  const std::string closing = "cannot close '" + temporary_ + "'";
  if (fsync(fileno(file_)) != 0) return Fail(kClose, closing, errno);
  const std::string renaming =
      "cannot rename '" + temporary_ + "' to '" + target_ + "'";
  // An unnamed file is named through its descriptor: before the close.
  if (unnamed_) {
    if (FailsForTesting(kClose)) return Fail(kClose, closing, EIO);
    if (FailsBeforeRename()) return Fail(kRename, renaming, EIO);
    if (!memfile::LinkUnnamed(fileno(file_), temporary_)) return Fail(kRename, renaming, errno);
    unnamed_ = false;
    FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) return Fail(kClose, closing, errno);
  } else {
    FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) return Fail(kClose, closing, errno);
    if (FailsForTesting(kClose)) return Fail(kClose, closing, EIO);
    if (FailsBeforeRename()) return Fail(kRename, renaming, EIO);
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return Fail(kRename, renaming, errno);
  }
  temporary_.clear();
  return S_OK;
}

void KRVWD7UtiAtomicFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    if (!unnamed_) unlink(temporary_.c_str());
    temporary_.clear();
  }
  unnamed_ = false;
}
