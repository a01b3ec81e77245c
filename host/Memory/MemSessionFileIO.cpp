// Session files on disk.
//
// MemSession::Load maps the file and lets the pages the loader has passed
// go as it reads, so a large file does not stay in memory beside the
// session it describes. MemSession::Save streams the text into a temporary
// file beside the target, syncs it, names it (target + ".tmp" + process
// id) and renames it over the target; on every failure the temporary file
// is removed and the target is left as it was. The temporary file has no
// name while it is written (MemUnnamedFile.h), so a process killed before
// the rename leaves nothing behind either. The fault points File.Create,
// File.Write (after each block written) and File.Commit make each step
// fail (MemFaults.h).

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "MemFaults.h"
#include "MemSession.h"
#include "MemSessionFileInternal.h"
#include "MemUnnamedFile.h"

namespace {

std::string Reason(int iErrno) { return std::strerror(iErrno); }

// A file mapped for reading; the pages behind the reader are given back as
// it goes (they are read again from the page cache if it comes back).
class MappedFile {
 public:
  ~MappedFile() {
    if (data_) ::munmap(data_, size_);
  }
  bool Map(int iFd, size_t iSize) {
    size_ = iSize;
    void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, iFd, 0);
    if (data == MAP_FAILED) return false;
    data_ = static_cast<char*>(data);
    ::madvise(data_, size_, MADV_SEQUENTIAL);
    return true;
  }
  const char* data() const { return data_; }
  size_t size() const { return size_; }

  // Lets the pages before iOffset go, but for the last few.
  static void Passed(size_t iOffset, void* iSelf) {
    MappedFile* self = static_cast<MappedFile*>(iSelf);
    constexpr size_t kKept = size_t{1} << 20;
    if (iOffset <= kKept) return;
    size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    size_t end = (iOffset - kKept) / page * page;
    ::madvise(self->data_, end, MADV_DONTNEED);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
};

bool ReadAll(int iFd, std::string& oText) {
  char block[1 << 16];
  for (;;) {
    ssize_t n = ::read(iFd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    oText.append(block, static_cast<size_t>(n));
  }
}

// The temporary file of a save.
class FileSink : public memfile::TextSink {
 public:
  explicit FileSink(int iFd) : fd_(iFd) {}
  bool Write(const char* iData, size_t iSize) override {
    if (error_ != 0) return false;
    while (iSize > 0) {
      ssize_t n = ::write(fd_, iData, iSize);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error_ = errno;
        return false;
      }
      iData += n;
      iSize -= static_cast<size_t>(n);
      written_ += static_cast<size_t>(n);
    }
    // A block is written: the fault point fails the save here, with part of
    // the temporary file on disk, as a full disk would.
    HRESULT rc = S_OK;
    if (MemFaults::Hit(MemFaultPoint::kFileWrite, rc)) {
      error_ = ENOSPC;
      return false;
    }
    return true;
  }
  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
  size_t written_ = 0;
};

}  // namespace

MemResult MemSession::Load(const std::string& iPath) {
  int fd = ::open(iPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return MemResult::Error(iPath + ": cannot open the file: " + Reason(errno));
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int error = errno;
    ::close(fd);
    return MemResult::Error(iPath + ": cannot read the file: " + Reason(error));
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return MemResult::Error(iPath + ": cannot read the file: " + Reason(EISDIR));
  }
  MappedFile mapped;
  if (S_ISREG(st.st_mode) && st.st_size > 0 &&
      mapped.Map(fd, static_cast<size_t>(st.st_size))) {
    ::close(fd);
    memfile::LoadProgress progress;
    progress.passed = &MappedFile::Passed;
    progress.context = &mapped;
    return LoadFromBuffer(mapped.data(), mapped.size(), iPath, &progress);
  }
  // Empty files, pipes and devices are read whole.
  std::string text;
  bool read = ReadAll(fd, text);
  int error = errno;
  ::close(fd);
  if (!read) return MemResult::Error(iPath + ": cannot read the file: " + Reason(error));
  return LoadFromText(text, iPath);
}

MemResult MemSession::Save(const std::string& iPath) const {
  const std::string temporary = iPath + ".tmp" + std::to_string(::getpid());
  HRESULT fault = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kFileCreate, fault)) {
    return MemResult::Error(iPath + ": cannot create " + temporary);
  }
  // Unnamed until complete (MemUnnamedFile.h); named from the start where
  // the file system cannot.
  int fd = memfile::OpenUnnamed(memfile::FolderOf(iPath), 0666);
  const bool named = fd < 0;
  if (named) fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return MemResult::Error(iPath + ": cannot create " + temporary);
  // Closes the file and removes its name, if it has one.
  auto discard = [&]() {
    ::close(fd);
    if (named) ::unlink(temporary.c_str());
  };
  FileSink sink(fd);
  bool written = false;
  int error = 0;
  try {
    written = memfile::WriteSession(*this, sink);
    error = sink.error();
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  if (written && ::fsync(fd) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    discard();
    return MemResult::Error(iPath + ": cannot write " + temporary + ": " + Reason(error));
  }
  // The fault point may also kill the process here: the file is complete
  // and the target not yet replaced.
  if (MemFaults::Hit(MemFaultPoint::kFileCommit, fault)) {
    discard();
    return MemResult::Error(iPath + ": cannot replace the file");
  }
  if (!named && !memfile::LinkUnnamed(fd, temporary)) {
    error = errno;
    ::close(fd);
    return MemResult::Error(iPath + ": cannot create " + temporary + ": " + Reason(error));
  }
  if (::close(fd) != 0) {
    error = errno;
    ::unlink(temporary.c_str());
    return MemResult::Error(iPath + ": cannot write " + temporary + ": " + Reason(error));
  }
  if (std::rename(temporary.c_str(), iPath.c_str()) != 0) {
    error = errno;
    ::unlink(temporary.c_str());
    return MemResult::Error(iPath + ": cannot replace the file: " + Reason(error));
  }
  return MemResult::Ok();
}
