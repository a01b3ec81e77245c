// Memory made resident ahead of its first use, on a thread of its own.
//
// Loading a large session touches a few hundred megabytes for the first
// time, and on a virtual machine each first touch of a (huge) page is a
// fault that costs far more than what is then written to it: on a machine
// whose memory was just freed by another program, up to half of loading.
// The writers of that memory (the object pools, the session file's text,
// the allocator's regions) know where they will write next; they ask for
// the next few megabytes here, and a background thread faults them in
// (madvise MADV_POPULATE_WRITE, which leaves what is there unchanged)
// while the loading thread works on what it has. What is asked is only
// what its writer is about to use, so the resident memory grows by at most
// the few megabytes asked ahead.
//
// Best effort: when more requests wait than the queue holds, the oldest is
// dropped, and where the system cannot populate (before Linux 5.14)
// nothing happens. Want() takes
// a mutex and never allocates, so an allocator may call it from inside its
// own allocation path; the thread is started by the first call, which must
// therefore not be such a path (Start()). Thread safe. In a child made by
// fork, which has no such thread, Works() is false and requests are
// ignored.
#ifndef KRVWD7_HOST_MEMPREFAULT_H_
#define KRVWD7_HOST_MEMPREFAULT_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

class MemPrefault {
 public:
  // The process's prefaulter, its thread started on first use. Never
  // destroyed: the thread may be working when the process ends.
  static MemPrefault& Instance();

  // Starts the thread now, from a place that may allocate.
  static void Start() { Instance(); }

  // Asks for the pages of [iFrom, iTo) to be made resident soon. The
  // range must be mapped readable and writable and stay mapped.
  void Want(const void* iFrom, const void* iTo);

  // Forgets every request still waiting and returns once the thread has
  // finished the piece it is populating: after it, nothing asked before is
  // made resident any more, so that a writer can give back what it asked
  // for and will not use.
  void Settle();

  // Whether the system populates on request (false: Want does nothing).
  bool Works() const { return works_; }

  MemPrefault(const MemPrefault&) = delete;
  MemPrefault& operator=(const MemPrefault&) = delete;

 private:
  MemPrefault();
  void Run();

  struct Range {
    uintptr_t from = 0;
    uintptr_t to = 0;
  };
  static constexpr size_t kQueue = 16;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;  // notified when a piece is done
  bool busy_ = false;             // a piece is being populated
  Range queue_[kQueue];  // a ring: [head_, head_ + size_)
  size_t head_ = 0;
  size_t size_ = 0;
  bool works_ = false;
};

#endif  // KRVWD7_HOST_MEMPREFAULT_H_
