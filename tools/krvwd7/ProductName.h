// Products of the loaded session named on the command line (DOC:PATH, the
// syntax in ProductPath.h). Every command that takes a product uses this
// syntax, and every product the tool prints is written in it, so that an
// output can be pasted into another command.
#ifndef KRVWD7_TOOL_PRODUCTNAME_H_
#define KRVWD7_TOOL_PRODUCTNAME_H_

#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "ProductPath.h"

class CATDocument;

namespace krvwd7 {

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
