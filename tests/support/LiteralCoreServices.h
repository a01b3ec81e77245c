// The plain algorithms of adding PSN products to a black box, kept as the
// reference that KRVWD7CoreServices must agree with (structure made, trace
// written, results): every look-up fills a record for every candidate and
// every similar-model search and part-number count walks the whole
// structure, first to last. Test support only; quadratic on purpose.
//
// The operations that are no scans (UpdateBBNodeFromPSN,
// SetPrintableIdParameterOnNode) are the library's own.
#ifndef KRVWD7_TESTS_LITERALCORESERVICES_H_
#define KRVWD7_TESTS_LITERALCORESERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATUnicodeString.h"
#include "KRVWD7PrdInfo.h"

namespace krvwd7_literal {

HRESULT AddProductFromPSNtoBB(const KRVWD7PrdInfo& iPSNProduct,
                              const CATBaseUnknown_var& iPSNRoot,
                              const CATBaseUnknown_var& iBBTarget,
                              CATBaseUnknown_var& oAdded, CATBoolean iAllowReplaced);

HRESULT RetrieveSimilarInstances(const CATBaseUnknown_var& iRoot,
                                 const CATUnicodeString& iPartNumber,
                                 const CATUnicodeString& iVersion,
                                 const CATUnicodeString& iRevision, int iNodeType,
                                 CATListValCATBaseUnknown_var*& oList);

HRESULT CopyPartNumber(const CATBaseUnknown_var& iSource, const CATBaseUnknown_var& iTarget);

}  // namespace krvwd7_literal

#endif  // KRVWD7_TESTS_LITERALCORESERVICES_H_
