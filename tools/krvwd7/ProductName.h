// Products on the command line: DOC:PATH.
//
// DOC is a product document's name or storage name; PATH the instance
// names from below that document's root down to the product, joined by "/"
// (CAR.CATProduct:Chassis.1/Bolt.1). DOC alone, or DOC followed by ":",
// names the root. The root's own name is not written: DOC names the root.
// A ":", "/" or "\" inside a name is written with a backslash before it
// (A\:B.CATProduct:Bolt\/1); the first ":" without one ends DOC. Every
// command that takes a product uses this syntax, and every product the
// tool prints is written in it, so that an output can be pasted into
// another command.
#ifndef KRVWD7_TOOL_PRODUCTNAME_H_
#define KRVWD7_TOOL_PRODUCTNAME_H_

#include <string>
#include <vector>

#include "CATBaseUnknown.h"

class CATDocument;

namespace krvwd7 {

struct ProductName {
  std::string document;
  std::vector<std::string> path;  // empty for the root
};

// Splits iText. False with a message for an empty DOC, an empty name in
// PATH (two "/" in a row, or one at either end) or a backslash at the end.
bool ParseProductName(const std::string& iText, ProductName& oName, std::string& oError);
// iName with ":", "/" and "\" escaped.
std::string EscapeName(const std::string& iName);
// The DOC:PATH text of a product (DOC alone for a root).
std::string FormatProductName(const std::string& iDocument,
                              const std::vector<std::string>& iPath);
// The DOC:PATH text of a product of the session ("" when it is none).
std::string FormatProduct(const CATBaseUnknown_var& iProduct);

// The product iText names in the loaded session, and its document. False
// with a message that says which part was not found and lists what exists
// there: the product documents when DOC is unknown, the children of the
// last product found when a name of PATH is not there.
bool FindProduct(const std::string& iText, CATBaseUnknown_var& oProduct,
                 CATDocument*& oDocument, std::string& oError);
// The product document named iName (name or storage name); null with a
// message listing the product documents when there is none.
CATDocument* FindDocument(const std::string& iName, std::string& oError);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_PRODUCTNAME_H_
