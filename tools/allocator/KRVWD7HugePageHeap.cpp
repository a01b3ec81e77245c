// Gives the fast allocator (gperftools' tcmalloc) its memory in large
// regions that the kernel backs with transparent huge pages.
//
// A large session is a few hundred megabytes of small objects touched once
// as they are made. With 4 KiB pages each first touch is a page fault, and
// on a virtual machine a fault costs microseconds: a third of loading a
// 100 000-product session went to faults. With 2 MiB pages there are 512
// times fewer faults and far fewer TLB misses when the structure is walked.
// The next megabytes of the current region are made resident ahead of
// tcmalloc's next request by the host's background thread
// (HostSession::PopulateSoon), while the program fills what it has.
// On systems where transparent huge pages are off ("never") the advice is
// ignored and nothing changes; where they are "always" it changes nothing
// either. Memory use grows by at most the unused part of the last region
// touched (regions are reserved, not committed).
//
// Linked only into executables that link tcmalloc (see
// krvwd7_use_fast_allocator in the top CMakeLists.txt); installed by a
// static initialiser, before main.
#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include <gperftools/malloc_extension.h>

#include "HostSession.h"

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kRegion = size_t{64} << 20;

class HugePageAllocator : public SysAllocator {
 public:
  explicit HugePageAllocator(SysAllocator* iFallback) : fallback_(iFallback) {}

  void* Alloc(size_t iSize, size_t* oActualSize, size_t iAlignment) override {
    if (iAlignment < kAlign) iAlignment = kAlign;
    const size_t size = RoundUp(iSize, kAlign);
    // Requests larger than a region go to the system allocator as they are.
    if (size > kRegion / 2 || iAlignment > kHugePage) {
      return fallback_->Alloc(iSize, oActualSize, iAlignment);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    uintptr_t start = RoundUp(next_, iAlignment);
    if (next_ == 0 || start + size > end_) {
      if (!MapRegion()) return fallback_->Alloc(iSize, oActualSize, iAlignment);
      start = RoundUp(next_, iAlignment);
    }
    next_ = start + size;
    handed_out_ += size;
    // As much ahead as was handed out so far, at most a few megabytes: a
    // small program does not fault in memory it will not use.
    const uintptr_t ahead = std::min<uintptr_t>({handed_out_, kAhead, end_ - next_});
    HostSession::PopulateSoon(reinterpret_cast<void*>(next_), reinterpret_cast<void*>(next_ + ahead));
    if (oActualSize) *oActualSize = size;
    return reinterpret_cast<void*>(start);
  }

 private:
  static constexpr size_t kAlign = 4096;
  static constexpr uintptr_t kAhead = uintptr_t{2} << 20;

  static uintptr_t RoundUp(uintptr_t iValue, size_t iAlignment) {
    return (iValue + iAlignment - 1) / iAlignment * iAlignment;
  }

  // Reserves a new region aligned on a huge page; the tail of the previous
  // one stays unused (never touched, so it costs no memory).
  bool MapRegion() {
    void* block = ::mmap(nullptr, kRegion + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED) return false;
    const uintptr_t raw = reinterpret_cast<uintptr_t>(block);
    const uintptr_t aligned = RoundUp(raw, kHugePage);
    if (aligned > raw) ::munmap(block, aligned - raw);
    const uintptr_t tail = aligned + kRegion;
    const uintptr_t mapped_end = raw + kRegion + kHugePage;
    if (mapped_end > tail) ::munmap(reinterpret_cast<void*>(tail), mapped_end - tail);
    ::madvise(reinterpret_cast<void*>(aligned), kRegion, MADV_HUGEPAGE);
    next_ = aligned;
    end_ = tail;
    return true;
  }

  SysAllocator* fallback_;
  std::mutex mutex_;
  uintptr_t next_ = 0;
  uintptr_t end_ = 0;
  uintptr_t handed_out_ = 0;
};

bool Install() {
  // An allocation first, so that tcmalloc has set up its own system
  // allocator (which becomes the fallback) before it is replaced.
  std::free(std::malloc(1));
  // The populating thread is made here, where allocating is allowed.
  HostSession::StartPopulating();
  MallocExtension* extension = MallocExtension::instance();
  SysAllocator* fallback = extension->GetSystemAllocator();
  if (fallback == nullptr) return false;
  // Never destroyed: tcmalloc may call it until the process ends.
  static HugePageAllocator* allocator = new HugePageAllocator(fallback);
  extension->SetSystemAllocator(allocator);
  return true;
}

const bool kInstalled = Install();

}  // namespace
