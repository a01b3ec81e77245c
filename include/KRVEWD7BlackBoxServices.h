// KRVEWD7BlackBoxServices: the operations of the black-box services
// component that commands call.
//
// An object has no state between calls; every operation works on the
// documents and products it is given and on the session's current content.
// Only the comparison of a black box with its PSN is here so far.
// Runs on the host's user-interface thread only.
#ifndef KRVWD7_INCLUDE_KRVEWD7BLACKBOXSERVICES_H_
#define KRVWD7_INCLUDE_KRVEWD7BLACKBOXSERVICES_H_

#include "CATBaseUnknown.h"

class CATDocument;

class KRVEWD7BlackBoxServices : public CATBaseUnknown {
 public:
  KRVEWD7BlackBoxServices();
  ~KRVEWD7BlackBoxServices() override;
  KRVEWD7BlackBoxServices(const KRVEWD7BlackBoxServices&) = delete;
  KRVEWD7BlackBoxServices& operator=(const KRVEWD7BlackBoxServices&) = delete;

  // oIsUpToDate := 0 when the black box of iBBDocument differs in any way
  // from the PSN of iPSNDocument (any difference entry or added product),
  // 1 otherwise; it stays 1 on every early return. Both structures are
  // switched to product mode and compared from the black box's PSN node
  // (the root for type 1, the instance of the PSN part number for type 2).
  // E_INVALIDARG: a document that may not be worked on, or a black-box
  // document whose root is not a black box of version 2. E_FAIL: a missing
  // root, or no PSN node in the black box. Otherwise the result of the
  // comparison (negative when its VPM replacement query failed).
  HRESULT IsUpToDate(CATDocument& iBBDocument, CATDocument& iPSNDocument,
                     unsigned char& oIsUpToDate);
};

#endif  // KRVWD7_INCLUDE_KRVEWD7BLACKBOXSERVICES_H_
