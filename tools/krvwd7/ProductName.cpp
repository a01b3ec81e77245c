#include "ProductName.h"

#include "HostSession.h"

namespace krvwd7 {

namespace {

// At most this many names are listed in a "these exist" message.
constexpr size_t kListedNames = 20;

std::string Quoted(const std::string& iText) { return "'" + iText + "'"; }

// "a, b, c" (escaped), cut after kListedNames with the count of the rest.
std::string NameList(const std::vector<std::string>& iNames, bool iEscape) {
  std::string list;
  for (size_t i = 0; i < iNames.size() && i < kListedNames; ++i) {
    list += (i ? ", " : "") + (iEscape ? EscapeName(iNames[i]) : iNames[i]);
  }
  if (iNames.size() > kListedNames) {
    list += ", ... (" + std::to_string(iNames.size() - kListedNames) + " more)";
  }
  return list;
}

}  // namespace

std::string FormatProduct(const CATBaseUnknown_var& iProduct) {
  const HostProductPlace place = HostSession::PlaceOf(iProduct);
  return place.document ? FormatProductName(place.documentName, place.path) : "";
}

CATDocument* FindDocument(const std::string& iName, std::string& oError) {
  oError.clear();
  CATDocument* document = HostSession::FindProductDocument(iName);
  if (document != nullptr) return document;
  std::vector<std::string> names;
  for (CATDocument* existing : HostSession::ProductDocuments()) {
    names.push_back(HostSession::NameOf(existing));
  }
  oError = "no product document " + Quoted(iName) +
           (names.empty() ? "; the session has none"
                          : "; the session has: " + NameList(names, false));
  return nullptr;
}

bool FindProduct(const std::string& iText, CATBaseUnknown_var& oProduct,
                 CATDocument*& oDocument, std::string& oError) {
  oProduct = CATBaseUnknown_var();
  oDocument = nullptr;
  ProductName name;
  if (!ParseProductName(iText, name, oError)) return false;
  CATDocument* document = FindDocument(name.document, oError);
  if (document == nullptr) {
    oError = Quoted(iText) + ": " + oError;
    return false;
  }
  size_t found = 0;
  std::vector<std::string> children;
  if (!HostSession::FindProduct(document, name.path, oProduct, found, children)) {
    const std::vector<std::string> above(name.path.begin(), name.path.begin() + found);
    const std::string father = found == 0 ? "the root of " + Quoted(name.document)
                                          : Quoted(FormatProductName(name.document, above));
    oError = Quoted(iText) + ": " + father + " has no child " +
             Quoted(EscapeName(name.path[found])) +
             (children.empty() ? "; it has no children"
                               : "; its children are: " + NameList(children, true));
    return false;
  }
  oDocument = document;
  return true;
}

}  // namespace krvwd7
