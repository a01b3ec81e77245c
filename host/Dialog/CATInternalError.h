// An error of the software itself (not of the user's input), with a key in
// a message catalog. See CATError for the error mechanism.
#ifndef KRVWD7_HOST_CATINTERNALERROR_H_
#define KRVWD7_HOST_CATINTERNALERROR_H_

#include "CATError.h"

extern const IID IID_CATInternalError;

class CATInternalError : public CATError {
 public:
  CATInternalError(const CATString& iKey, const CATString& iCatalog)
      : CATError(iKey, iCatalog) {}
  ~CATInternalError() override = default;

  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
};

#endif  // KRVWD7_HOST_CATINTERNALERROR_H_
