// The DOC:PATH syntax of products on the command line, as text only.
//
// DOC is a product document's name or storage name; PATH the instance
// names from below that document's root down to the product, joined by "/"
// (CAR.CATProduct:Chassis.1/Bolt.1). DOC alone, or DOC followed by ":",
// names the root. The root's own name is not written: DOC names the root.
// A ":", "/" or "\" inside a name is written with a backslash before it
// (A\:B.CATProduct:Bolt\/1); the first ":" without one ends DOC; a
// backslash before any other character stands for that character.
//
// These functions see no session and no host (the fuzz target of the
// syntax builds them alone); ProductName.h finds the products they name.
// FormatProductName writes what ParseProductName reads back unchanged, and
// ParseProductName of any text it accepts gives names FormatProductName
// writes in one canonical form.
#ifndef KRVWD7_TOOL_PRODUCTPATH_H_
#define KRVWD7_TOOL_PRODUCTPATH_H_

#include <string>
#include <vector>

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

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_PRODUCTPATH_H_
