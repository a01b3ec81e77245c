// Basic types of the host: result codes, booleans and reference counts.
//
// A result code is a 32-bit signed integer. Negative codes are failures;
// 0 (S_OK) is success and 1 (S_FALSE) means "nothing found" or "nothing done"
// where an operation says so. Callers treat only negative codes as failures.
#ifndef KRVWD7_HOST_CATDATATYPE_H_
#define KRVWD7_HOST_CATDATATYPE_H_

#include <cstdint>

typedef int32_t HRESULT;
typedef uint32_t ULONG;
typedef unsigned char CATBoolean;
typedef int64_t CATLONG64;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

inline bool SUCCEEDED(HRESULT rc) { return rc >= 0; }
inline bool FAILED(HRESULT rc) { return rc < 0; }

// The value a result code shows in trace lines: its 32 bits read as an
// unsigned number, so E_INVALIDARG reads 2147942487 on every platform.
inline long TraceValue(HRESULT rc) {
  return static_cast<long>(static_cast<uint32_t>(rc));
}

#endif  // KRVWD7_HOST_CATDATATYPE_H_
