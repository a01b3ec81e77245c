// Session files on disk.
//
// MemSession::Load reads the file into memory (see FileText) and lets the
// pages the loader has passed go as it reads, so a large file does not stay
// in memory beside the session it describes. MemSession::Save streams the
// text into a temporary file beside the target, syncs it, names it (target
// + ".tmp" + process id) and renames it over the target; on every failure
// the temporary file is removed and the target is left as it was. The
// temporary file has no name while it is written (MemUnnamedFile.h), so a
// process killed before the rename leaves nothing behind either. The fault
// points File.Create,
// File.Write (after each block written) and File.Commit make each step
// fail (MemFaults.h).

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "MemFaults.h"
#include "MemPrefault.h"
#include "MemSession.h"
#include "MemSessionFileInternal.h"
#include "MemUnnamedFile.h"

namespace {

std::string Reason(int iErrno) { return std::strerror(iErrno); }

// The bytes of a session file, read into anonymous memory. The file is
// read, not mapped: a file truncated or rewritten while it is loaded gives
// a short or changed text, which the loader refuses like any other, where
// a mapping would fault on the pages cut off. The pages the loader has
// passed are given back as it goes, so a large text does not stay in
// memory beside the session it describes.
class FileText {
 public:
  FileText() = default;
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;
  ~FileText() {
    if (data_) ::munmap(data_, capacity_);
  }

  // Reads iFd to its end; iSizeHint (the size fstat gave) sizes the first
  // buffer. False with errno set when reading or allocating fails.
  bool Read(int iFd, size_t iSizeHint) {
    if (!Reserve(iSizeHint + 1)) return false;
    // In pieces, the pages of the next piece made resident meanwhile
    // (MemPrefault.h).
    constexpr size_t kPiece = size_t{8} << 20;
    for (;;) {
      if (size_ == capacity_ && !Reserve(capacity_ * 2)) return false;
      const size_t piece = std::min(kPiece, capacity_ - size_);
      MemPrefault::Instance().Want(data_ + size_ + piece,
                                   data_ + size_ + std::min(2 * kPiece, capacity_ - size_));
      ssize_t n = ::read(iFd, data_ + size_, piece);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      size_ += static_cast<size_t>(n);
    }
  }
  const char* data() const { return data_; }
  size_t size() const { return size_; }

  // Gives back the pages before iOffset, but for the last few (the loader
  // does not read behind that).
  static void Passed(size_t iOffset, void* iSelf) {
    FileText* self = static_cast<FileText*>(iSelf);
    constexpr size_t kKept = size_t{1} << 20;
    if (iOffset <= kKept) return;
    size_t end = (iOffset - kKept) / PageSize() * PageSize();
    if (end > self->released_) {
      ::madvise(self->data_ + self->released_, end - self->released_, MADV_DONTNEED);
      self->released_ = end;
    }
  }

 private:
  static size_t PageSize() { return static_cast<size_t>(::sysconf(_SC_PAGESIZE)); }

  bool Reserve(size_t iBytes) {
    size_t capacity = (iBytes + PageSize() - 1) / PageSize() * PageSize();
    void* data = data_ == nullptr
                     ? ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                     : ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE);
    if (data == MAP_FAILED) return false;
    data_ = static_cast<char*>(data);
    capacity_ = capacity;
    // Large texts fill fewer, larger pages.
    ::madvise(data_, capacity_, MADV_HUGEPAGE);
    return true;
  }

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t released_ = 0;
};

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
  FileText text;
  bool read = text.Read(fd, S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0);
  int error = errno;
  ::close(fd);
  if (!read) return MemResult::Error(iPath + ": cannot read the file: " + Reason(error));
  memfile::LoadProgress progress;
  progress.passed = &FileText::Passed;
  progress.context = &text;
  return LoadFromBuffer(text.data(), text.size(), iPath, &progress);
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
