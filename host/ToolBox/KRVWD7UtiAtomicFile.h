// KRVWD7UtiAtomicFile: a file that replaces its target only once complete.
//
// Create() makes a temporary file in the target's folder (the part of the
// name before its last "/"; the working folder when there is none), Write()
// appends bytes to it, and Commit() flushes it to the disk, closes it and
// renames it over the target. Until Commit() succeeds the target is
// untouched; Discard(), the destructor and every failing step remove the
// temporary file, so no failure path leaves one behind. Where the file
// system allows it the temporary file has no name until Commit() gives it
// one just before the rename (host/Memory/MemUnnamedFile.h): a process
// killed while writing leaves nothing in the folder.
//
// The new file gets the permission bits of the target it replaces, or those
// fopen(name, "w") would give a new file (0666 less the umask). A target
// that is a symbolic link is replaced by the file, not written through.
//
// Every step returns S_OK, or E_FAIL with ErrorText() saying which step
// failed on which file and why ("cannot write 'dir/.a.psn.k3Xz9Q': No space
// left on device"; the temporary name is chosen by Create even while the
// file has none). Steps after a failure, or out of order, return E_FAIL.
//
// Faults: the host's fault points "File.Create", "File.Write" (after each
// 64 KiB block written) and "File.Commit" (the rename, after the close;
// for an unnamed file, before it gets its name) make those steps fail as
// with EIO, or kill the process there. FailStepForTesting(step) does the
// same for any step, the close included, until FailStepForTesting(kNoStep);
// it is process-wide and meant for tests only.
//
// Not thread safe; one object writes one file.
#ifndef KRVWD7_HOST_KRVWD7UTIATOMICFILE_H_
#define KRVWD7_HOST_KRVWD7UTIATOMICFILE_H_

#include <cstddef>
#include <cstdio>
#include <string>

#include "CATBaseUnknown.h"

class KRVWD7UtiAtomicFile {
 public:
  // The steps that can fail, for ErrorStep() and the test switch.
  enum Step { kNoStep = 0, kCreate, kWrite, kClose, kRename };

  KRVWD7UtiAtomicFile() = default;
  ~KRVWD7UtiAtomicFile();  // Discard()
  KRVWD7UtiAtomicFile(const KRVWD7UtiAtomicFile&) = delete;
  KRVWD7UtiAtomicFile& operator=(const KRVWD7UtiAtomicFile&) = delete;

  // Makes the temporary file for iTarget. E_FAIL when iTarget is empty or a
  // directory, or when no file can be created in its folder.
  HRESULT Create(const std::string& iTarget);
  // Appends iSize bytes. E_FAIL (and the temporary file removed) on error.
  HRESULT Write(const void* iData, size_t iSize);
  HRESULT Write(const std::string& iText) {
    return Write(iText.data(), iText.size());
  }
  // Flushes (fflush, fsync), closes and renames the temporary file over the
  // target. E_FAIL with the temporary file removed and the target untouched
  // when any of these fails (ErrorStep() kWrite when the buffered bytes
  // cannot be written, kClose for the sync and the close, kRename for the
  // rename).
  HRESULT Commit();
  // Closes and removes the temporary file, if any. The target is untouched.
  void Discard();

  const std::string& Target() const { return target_; }
  // The temporary file's name ("" before Create or after it is gone).
  const std::string& TemporaryName() const { return temporary_; }
  // The step that failed (kNoStep while none has) and a one-line text.
  Step ErrorStep() const { return error_step_; }
  const std::string& ErrorText() const { return error_text_; }

  // Makes iStep of every file fail until called with kNoStep.
  static void FailStepForTesting(Step iStep);

 private:
  // Records the failure of iStep on iFile with iErrno's text, discards the
  // temporary file and returns E_FAIL.
  HRESULT Fail(Step iStep, const std::string& iWhat, int iErrno);

  std::string target_;
  std::string temporary_;
  FILE* file_ = nullptr;
  bool unnamed_ = false;  // file_ has no name yet (temporary_ is its name to be)
  Step error_step_ = kNoStep;
  std::string error_text_;
};

#endif  // KRVWD7_HOST_KRVWD7UTIATOMICFILE_H_
