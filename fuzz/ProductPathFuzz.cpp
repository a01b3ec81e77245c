// Fuzz target for the DOC:PATH syntax of the command line.
//
// Two ways in, from the same bytes:
//  - as a text typed on the command line: it is accepted or refused with a
//    message that quotes it; an accepted text names a non-empty document
//    and no empty name, and writing its names back gives a canonical text
//    that reads back to the same names and is written again unchanged;
//  - as names: the bytes split at each NUL into a document and a path;
//    when none is empty, writing them and reading the text back gives
//    exactly those names, whatever characters they hold.
// Anything else (a crash, a sanitizer report, a broken round trip) is a
// fault of the parser or of the writer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProductPath.h"

namespace {

using krvwd7::FormatProductName;
using krvwd7::ParseProductName;
using krvwd7::ProductName;

[[noreturn]] void Fail(const char* iWhat, const std::string& iText) {
  std::fprintf(stderr, "product path: %s\n[%s]\n", iWhat, iText.c_str());
  std::abort();
}

bool SameName(const ProductName& iA, const ProductName& iB) {
  return iA.document == iB.document && iA.path == iB.path;
}

void CheckText(const std::string& iText) {
  ProductName name;
  std::string error;
  if (!ParseProductName(iText, name, error)) {
    if (error.rfind("'" + iText + "': ", 0) != 0) Fail("a refusal that does not quote the text", iText);
    return;
  }
  if (!error.empty()) Fail("accepted with a message", iText);
  if (name.document.empty()) Fail("accepted without a document", iText);
  for (const std::string& part : name.path) {
    if (part.empty()) Fail("accepted with an empty name", iText);
  }
  const std::string canonical = FormatProductName(name.document, name.path);
  ProductName again;
  if (!ParseProductName(canonical, again, error)) Fail("the written text is refused", canonical);
  if (!SameName(name, again)) Fail("the written text reads back to other names", canonical);
  if (FormatProductName(again.document, again.path) != canonical) {
    Fail("the written text is not canonical", canonical);
  }
}

void CheckNames(const std::string& iBytes) {
  ProductName name;
  size_t start = 0;
  for (bool first = true;; first = false) {
    const size_t end = iBytes.find('\0', start);
    const std::string part = iBytes.substr(start, end == std::string::npos ? end : end - start);
    if (part.empty()) return;  // empty names cannot be written
    if (first) {
      name.document = part;
    } else {
      name.path.push_back(part);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const std::string text = FormatProductName(name.document, name.path);
  ProductName read;
  std::string error;
  if (!ParseProductName(text, read, error)) Fail("written names are refused", text);
  if (!SameName(name, read)) Fail("written names read back otherwise", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  const std::string bytes(reinterpret_cast<const char*>(iData), iSize);
  CheckText(bytes);
  CheckNames(bytes);
  return 0;
}
