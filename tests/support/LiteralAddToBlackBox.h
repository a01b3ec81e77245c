// AddToBlackBox as its steps read, with every record of a child looked up by
// a scan of the lists from the first record (quadratic in the size of the
// added branch). Test support only: the reference that the services'
// AddToBlackBox, which looks records up in an index, must agree with
// (result, trace, structure made). Adding each product is the library's
// KRVWD7CoreServices::AddProductFromPSNtoBB in both.
#ifndef KRVWD7_TESTS_LITERALADDTOBLACKBOX_H_
#define KRVWD7_TESTS_LITERALADDTOBLACKBOX_H_

#include "CATBaseUnknown.h"

namespace krvwd7_literal {

HRESULT AddToBlackBox(const CATBaseUnknown_var& iPSNProduct,
                      const CATBaseUnknown_var& iPSNRoot,
                      const CATBaseUnknown_var& iTarget, CATBaseUnknown_var& oNewProduct);

}  // namespace krvwd7_literal

#endif  // KRVWD7_TESTS_LITERALADDTOBLACKBOX_H_
