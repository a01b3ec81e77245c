// Storage for the session's many small objects of one size (products,
// their reference data, documents).
//
// A large session is hundreds of thousands of products; allocated one by
// one from the general heap they are scattered over small pages, and every
// first touch of a new 4 KiB page is a page fault. A MemPool carves
// fixed-size blocks out of 8 MiB chunks that the system is asked to back
// with transparent huge pages (madvise; nothing changes where it cannot),
// so objects made together sit together and a page fault brings 2 MiB.
// Freed blocks are kept on a free list for the next object of that size;
// chunks are never given back (the process reuses them for its next
// session). When every block of a pool is free again (a session closed),
// the pool starts over from its first chunk, so that the next session's
// objects sit together again instead of where the free list scattered
// them.
//
// The pages just ahead of the next block are made resident by a background
// thread (MemPrefault.h) while the loader fills the ones before them.
//
// Under AddressSanitizer every block comes from the general heap instead,
// so that use after free and leaks of these objects are still found.
//
// The pools are process-wide and not thread-safe: the host runs on one
// thread.
#ifndef KRVWD7_HOST_MEMPOOL_H_
#define KRVWD7_HOST_MEMPOOL_H_

#include <cstddef>
#include <vector>

class MemPool {
 public:
  // The pool of blocks of iSize bytes (rounded up to 16), made on first use
  // and never destroyed.
  static MemPool& OfSize(size_t iSize);

  MemPool(const MemPool&) = delete;
  MemPool& operator=(const MemPool&) = delete;

  // A block of the pool's size, aligned to 16 bytes; throws std::bad_alloc
  // when the system has no memory left (as operator new).
  void* Allocate();
  // Gives back a block of this pool; null is ignored.
  void Free(void* iBlock);

  // Gives back, in every pool, the pages made resident ahead of the next
  // block beyond the huge page that block lies in. A session just loaded
  // seldom makes many objects more; its commands then allocate elsewhere,
  // and the pages asked ahead would stay resident unused.
  static void TrimAll();

  // True when blocks come from the general heap (under AddressSanitizer).
  static bool UsesHeap();

 private:
  explicit MemPool(size_t iSize) : size_(iSize) {}
  // Moves to the next chunk, mapping a new one after the last.
  void Grow();
  // Asks for the pages after next_ to be made resident: as many bytes as
  // the pool has handed out, at most a few megabytes, within the chunk.
  void AskAhead();
  void Trim();
  // Forgets the free list and starts again at the first chunk.
  // REQUIRES: no block is in use.
  void StartOver();

  struct FreeBlock {
    FreeBlock* next;
  };

  size_t size_;
  FreeBlock* free_ = nullptr;
  char* next_ = nullptr;  // the unused rest of the current chunk
  char* end_ = nullptr;
  char* asked_ = nullptr;  // the end of what was asked to be made resident
  std::vector<char*> chunks_;  // in the order they were mapped
  size_t chunk_ = 0;           // index of the current chunk in chunks_
  size_t live_ = 0;            // blocks in use
};

#endif  // KRVWD7_HOST_MEMPOOL_H_
