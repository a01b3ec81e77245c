// Shared definitions of the host's collections.
//
// Every list of the host counts positions from 1 to Size(). A position
// outside that range is a programming error of the caller: the list prints
// which list, which position and its size on stderr and aborts the process.
#ifndef KRVWD7_HOST_CATCOLLEC_H_
#define KRVWD7_HOST_CATCOLLEC_H_

namespace CATCollec {

// What RemoveAll does with the list's storage once the elements are gone.
enum MemoryHandling { KeepAllocation, ReleaseAllocation };

// Prints "<iList>: position <iPos> out of range 1..<iSize>" and aborts.
[[noreturn]] void OutOfRange(const char* iList, int iPos, int iSize);

// Aborts through OutOfRange unless 1 <= iPos <= iSize.
inline void CheckPosition(const char* iList, int iPos, int iSize) {
  if (iPos < 1 || iPos > iSize) OutOfRange(iList, iPos, iSize);
}

}  // namespace CATCollec

#endif  // KRVWD7_HOST_CATCOLLEC_H_
