#include "MemPrefault.h"

#include <pthread.h>
#include <sys/mman.h>

#include <thread>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

namespace {

// Populated a piece at a time, so that a later request is not kept waiting
// behind a long one.
constexpr uintptr_t kPiece = uintptr_t{2} << 20;

// Whether the system knows MADV_POPULATE_WRITE: asked on a page of our own.
bool SystemPopulates() {
  void* page = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) return false;
  const bool works = ::madvise(page, 4096, MADV_POPULATE_WRITE) == 0;
  ::munmap(page, 4096);
  return works;
}

}  // namespace

MemPrefault& MemPrefault::Instance() {
  static MemPrefault* prefault = new MemPrefault;
  return *prefault;
}

MemPrefault::MemPrefault() : works_(SystemPopulates()) {
  if (!works_) return;
  std::thread([this] { Run(); }).detach();
  // A child made by fork has no such thread, and the mutex may have been
  // held when it was made: there, requests are ignored.
  ::pthread_atfork(nullptr, nullptr, [] { Instance().works_ = false; });
}

void MemPrefault::Want(const void* iFrom, const void* iTo) {
  const uintptr_t from = reinterpret_cast<uintptr_t>(iFrom);
  const uintptr_t to = reinterpret_cast<uintptr_t>(iTo);
  if (!works_ || from >= to) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A request that continues or overlaps the last one waiting extends it.
    if (size_ > 0) {
      Range& last = queue_[(head_ + size_ - 1) % kQueue];
      if (from <= last.to && to > last.from) {
        if (from < last.from) last.from = from;
        if (to > last.to) last.to = to;
        wake_.notify_one();
        return;
      }
    }
    // When the thread is behind, the oldest request goes: its writer has
    // most likely passed it already.
    if (size_ == kQueue) {
      head_ = (head_ + 1) % kQueue;
      --size_;
    }
    queue_[(head_ + size_) % kQueue] = Range{from, to};
    ++size_;
  }
  wake_.notify_one();
}

void MemPrefault::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return size_ > 0; });
    Range& range = queue_[head_];
    const uintptr_t from = range.from;
    const uintptr_t to = range.to - range.from > kPiece ? range.from + kPiece : range.to;
    range.from = to;
    if (range.from == range.to) {
      head_ = (head_ + 1) % kQueue;
      --size_;
    }
    busy_ = true;
    lock.unlock();
    ::madvise(reinterpret_cast<void*>(from & ~uintptr_t{4095}), to - (from & ~uintptr_t{4095}),
              MADV_POPULATE_WRITE);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
}

void MemPrefault::Settle() {
  if (!works_) return;
  std::unique_lock<std::mutex> lock(mutex_);
  head_ = 0;
  size_ = 0;
  idle_.wait(lock, [this] { return !busy_; });
}
