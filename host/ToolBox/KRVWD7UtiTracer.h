// The maker's tracer: one trace for the process, written line by line.
//
// Each line gets a "file(line): " prefix of its caller (the file's base
// name) unless SetNoFileLine was called just before it; the flag holds for
// one line, written or dropped. PrintV does not know its caller: its prefix
// is "?(0): ". Where lines go is
// chosen by the host: nowhere (the default), a file, or a memory buffer that
// tests and the tool read back. An observer, when one is set, is also
// handed every line, whatever the sink (the tool shows some lines to the
// user that way).
#ifndef KRVWD7_HOST_KRVWD7UTITRACER_H_
#define KRVWD7_HOST_KRVWD7UTITRACER_H_

#include <string>
#include <vector>

#include "CATUnicodeString.h"

// Told of every trace line, prefix included, as it is written.
class KRVWD7TraceObserver {
 public:
  virtual ~KRVWD7TraceObserver() = default;
  virtual void OnLine(const std::string& iLine) = 0;
};

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
  // True when lines go somewhere: a sink or an observer.
  static bool IsOn();
  // The observer of every line (borrowed: the caller keeps it alive while
  // it is set; null for none). Independent of the sink.
  static void SetObserver(KRVWD7TraceObserver* iObserver);
  static const std::vector<std::string>& Lines();
  static void ClearLines();
};

#endif  // KRVWD7_HOST_KRVWD7UTITRACER_H_
