#include "MemPool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>

#include "MemPrefault.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFromHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kFromHeap = true;
#else
constexpr bool kFromHeap = false;
#endif
#else
constexpr bool kFromHeap = false;
#endif

constexpr size_t kChunk = size_t{8} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

// iAt rounded up to the start of a huge page.
uintptr_t HugePageUp(uintptr_t iAt) { return (iAt + kHugePage - 1) & ~(kHugePage - 1); }

// A chunk of kChunk bytes aligned on a huge page, so that all of it can be
// backed by huge pages. Null when the system refuses.
char* NewChunk() {
  void* raw = ::mmap(nullptr, kChunk + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = HugePageUp(start);
  if (aligned > start) ::munmap(raw, aligned - start);
  uintptr_t tail = aligned + kChunk;
  uintptr_t end = start + kChunk + kHugePage;
  if (end > tail) ::munmap(reinterpret_cast<void*>(tail), end - tail);
  char* chunk = reinterpret_cast<char*>(aligned);
  ::madvise(chunk, kChunk, MADV_HUGEPAGE);  // a hint: ignored where unsupported
  return chunk;
}

}  // namespace

bool MemPool::UsesHeap() { return kFromHeap; }

namespace {

std::map<size_t, MemPool*>& Pools() {
  static std::map<size_t, MemPool*>* pools = new std::map<size_t, MemPool*>;
  return *pools;
}

}  // namespace

MemPool& MemPool::OfSize(size_t iSize) {
  size_t size = (iSize + 15) / 16 * 16;
  MemPool*& pool = Pools()[size];
  if (pool == nullptr) pool = new MemPool(size);
  return *pool;
}

void MemPool::TrimAll() {
  if (kFromHeap) return;
  MemPrefault::Instance().Settle();
  for (auto& entry : Pools()) entry.second->Trim();
}

void MemPool::Trim() {
  if (next_ == nullptr || asked_ <= next_) return;
  // Populating brought in whole huge pages: up to the end of the one that
  // holds the last page asked for.
  const auto huge_end = [](const char* iAt) {
    return reinterpret_cast<char*>(HugePageUp(reinterpret_cast<uintptr_t>(iAt)));
  };
  char* from = huge_end(next_);
  char* to = std::min(huge_end(asked_), end_);
  if (from < to) ::madvise(from, to - from, MADV_DONTNEED);
  asked_ = std::min(asked_, from);
}

void* MemPool::Allocate() {
  if (kFromHeap) return ::operator new(size_);
  if (free_ != nullptr) {
    FreeBlock* block = free_;
    free_ = block->next;
    ++live_;
    return block;
  }
  if (static_cast<size_t>(end_ - next_) < size_) Grow();
  void* block = next_;
  next_ += size_;
  ++live_;
  if (next_ > asked_) AskAhead();
  return block;
}

void MemPool::Free(void* iBlock) {
  if (iBlock == nullptr) return;
  if (kFromHeap) {
    ::operator delete(iBlock);
    return;
  }
  FreeBlock* block = static_cast<FreeBlock*>(iBlock);
  block->next = free_;
  free_ = block;
  if (--live_ == 0) StartOver();
}

void MemPool::Grow() {
  if (next_ != nullptr && chunk_ + 1 < chunks_.size()) {
    ++chunk_;
  } else {
    char* chunk = NewChunk();
    if (chunk == nullptr) throw std::bad_alloc();
    chunks_.push_back(chunk);
    chunk_ = chunks_.size() - 1;
  }
  next_ = chunks_[chunk_];
  end_ = next_ + kChunk;
  asked_ = next_;
}

void MemPool::AskAhead() {
  constexpr size_t kAhead = size_t{2} << 20;
  const size_t ahead = std::min(kAhead, live_ * size_);
  asked_ = next_ + std::min(ahead, static_cast<size_t>(end_ - next_));
  MemPrefault::Instance().Want(next_, asked_);
}

void MemPool::StartOver() {
  free_ = nullptr;
  chunk_ = 0;
  next_ = chunks_.empty() ? nullptr : chunks_[0];
  end_ = next_ ? next_ + kChunk : nullptr;
  asked_ = next_;
}
