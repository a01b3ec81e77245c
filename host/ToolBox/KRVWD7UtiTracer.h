// The maker's tracer: one trace for the process, written line by line.
//
// Each line gets a "file(line): " prefix of its caller (the file's base
// name) unless SetNoFileLine was called just before it; the flag holds for
// one line, written or dropped. PrintV does not know its caller: its prefix
// is "?(0): ". Where lines go is
// chosen by the host: nowhere (the default), a file, or a memory buffer that
// tests and the tool read back.
#ifndef KRVWD7_HOST_KRVWD7UTITRACER_H_
#define KRVWD7_HOST_KRVWD7UTITRACER_H_

#include <string>
#include <vector>

#include "CATUnicodeString.h"

class KRVWD7UtiTracer {
 public:
  static void SetNoFileLine();
  // Writes iText as one line.
  static void Print(const CATUnicodeString& iText,
                    const char* iFile = __builtin_FILE(),
                    int iLine = __builtin_LINE());
  static void Print(const char* iText, const char* iFile = __builtin_FILE(),
                    int iLine = __builtin_LINE());
  // Writes one line formatted like printf. Arguments of %s are const char*
  // (CATUnicodeString::ConvertToChar()).
  static void PrintV(const char* iFormat, ...)
      __attribute__((format(printf, 1, 2)));

  // Sinks. Off: lines are dropped (and not formatted). ToFile: appends to
  // iPath, flushed after every line; false when it cannot be opened (the
  // sink is then off). ToMemory: keeps the lines, read back by Lines(),
  // starting from an empty buffer. Each call ends the former sink; lines
  // kept in memory stay readable after Off() until ClearLines() or the next
  // ToMemory().
  static void Off();
  static bool ToFile(const char* iPath);
  static void ToMemory();
  static bool IsOn();
  static const std::vector<std::string>& Lines();
  static void ClearLines();
};

#endif  // KRVWD7_HOST_KRVWD7UTITRACER_H_
