#include "ProductPath.h"

namespace krvwd7 {

namespace {

std::string Quoted(const std::string& iText) { return "'" + iText + "'"; }

}  // namespace

bool ParseProductName(const std::string& iText, ProductName& oName, std::string& oError) {
  oName = ProductName();
  oError.clear();
  std::string part;
  bool in_document = true;
  bool has_path = false;
  auto end_name = [&]() {
    if (part.empty()) {
      oError = Quoted(iText) + ": an empty name in the product path (use DOC:NAME/NAME)";
      return false;
    }
    oName.path.push_back(part);
    part.clear();
    return true;
  };
  for (size_t i = 0; i < iText.size(); ++i) {
    char c = iText[i];
    if (c == '\\') {
      if (++i == iText.size()) {
        oError = Quoted(iText) + ": a backslash at the end (write \\\\ for a backslash)";
        return false;
      }
      part += iText[i];
    } else if (c == ':' && in_document) {
      oName.document = part;
      part.clear();
      in_document = false;
    } else if (c == '/' && !in_document) {
      if (!end_name()) return false;
      has_path = true;
    } else {
      part += c;
    }
  }
  if (in_document) {
    oName.document = part;
  } else if (!part.empty() || has_path) {
    if (!end_name()) return false;
  }
  if (oName.document.empty()) {
    oError = Quoted(iText) + ": no document before the ':' (use DOC:PATH)";
    return false;
  }
  return true;
}

std::string EscapeName(const std::string& iName) {
  std::string escaped;
  for (char c : iName) {
    if (c == ':' || c == '/' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string FormatProductName(const std::string& iDocument,
                              const std::vector<std::string>& iPath) {
  std::string text = EscapeName(iDocument);
  for (size_t i = 0; i < iPath.size(); ++i) {
    text += (i ? "/" : ":") + EscapeName(iPath[i]);
  }
  return text;
}

}  // namespace krvwd7
