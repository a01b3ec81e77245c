#include "KRVWD7UtiTracer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

enum Sink { kOff = 0, kFile = 1, kMemory = 2 };

// Plain values, constant-initialised: usable before any static constructor
// runs, and the Off check on the hot path is a single load.
int g_sink = kOff;
KRVWD7TraceObserver* g_observer = nullptr;
bool g_active = false;  // a sink or an observer: lines are formatted
bool g_no_file_line = false;
FILE* g_file = nullptr;

void UpdateActive() { g_active = g_sink != kOff || g_observer != nullptr; }

std::vector<std::string>& MemoryLines() {
  static std::vector<std::string>* lines = new std::vector<std::string>();
  return *lines;
}

const char* BaseName(const char* iPath) {
  if (iPath == nullptr) return "?";
  const char* base = iPath;
  for (const char* p = iPath; *p; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

// Consumes the one-line flag: true when the next line takes a prefix.
bool TakePrefixFlag() {
  bool with_prefix = !g_no_file_line;
  g_no_file_line = false;
  return with_prefix;
}

void Emit(std::string&& iLine) {
  if (g_observer != nullptr) g_observer->OnLine(iLine);
  if (g_sink == kFile && g_file != nullptr) {
    std::fwrite(iLine.data(), 1, iLine.size(), g_file);
    std::fputc('\n', g_file);
    std::fflush(g_file);  // a crash keeps every line written so far
  } else if (g_sink == kMemory) {
    MemoryLines().push_back(std::move(iLine));
  }
}

void EmitWithPrefix(const char* iText, const char* iFile, int iLine) {
  std::string line;
  if (TakePrefixFlag()) {
    line = BaseName(iFile);
    line += '(';
    line += std::to_string(iLine);
    line += "): ";
  }
  line += iText ? iText : "";
  Emit(std::move(line));
}

void CloseFile() {
  if (g_file != nullptr) std::fclose(g_file);
  g_file = nullptr;
}

}  // namespace

void KRVWD7UtiTracer::SetNoFileLine() { g_no_file_line = true; }

void KRVWD7UtiTracer::Print(const CATUnicodeString& iText, const char* iFile,
                            int iLine) {
  if (!g_active) {
    g_no_file_line = false;
    return;
  }
  EmitWithPrefix(iText.ConvertToChar(), iFile, iLine);
}

void KRVWD7UtiTracer::Print(const char* iText, const char* iFile, int iLine) {
  if (!g_active) {
    g_no_file_line = false;
    return;
  }
  EmitWithPrefix(iText, iFile, iLine);
}

void KRVWD7UtiTracer::PrintV(const char* iFormat, ...) {
  if (!g_active) {
    g_no_file_line = false;
    return;
  }
  std::string line = TakePrefixFlag() ? "?(0): " : "";
  if (iFormat != nullptr) {
    char buffer[512];
    va_list args;
    va_start(args, iFormat);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(buffer, sizeof buffer, iFormat, args);
    va_end(args);
    if (needed >= static_cast<int>(sizeof buffer)) {
      std::string big(static_cast<size_t>(needed) + 1, '\0');
      std::vsnprintf(&big[0], big.size(), iFormat, again);
      big.resize(static_cast<size_t>(needed));
      line += big;
    } else if (needed > 0) {
      line.append(buffer, static_cast<size_t>(needed));
    }
    va_end(again);
  }
  Emit(std::move(line));
}

void KRVWD7UtiTracer::Off() {
  CloseFile();
  g_sink = kOff;
  g_no_file_line = false;
  UpdateActive();
}

bool KRVWD7UtiTracer::ToFile(const char* iPath) {
  Off();
  if (iPath == nullptr || *iPath == '\0') return false;
  g_file = std::fopen(iPath, "a");
  if (g_file == nullptr) return false;
  g_sink = kFile;
  UpdateActive();
  return true;
}

void KRVWD7UtiTracer::ToMemory() {
  Off();
  MemoryLines().clear();
  g_sink = kMemory;
  UpdateActive();
}

bool KRVWD7UtiTracer::IsOn() { return g_active; }

void KRVWD7UtiTracer::SetObserver(KRVWD7TraceObserver* iObserver) {
  g_observer = iObserver;
  UpdateActive();
}

const std::vector<std::string>& KRVWD7UtiTracer::Lines() {
  return MemoryLines();
}

void KRVWD7UtiTracer::ClearLines() { MemoryLines().clear(); }
