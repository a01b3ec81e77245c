// A knowledge parameter holding a text.
#ifndef KRVWD7_HOST_CATICKEPARM_H_
#define KRVWD7_HOST_CATICKEPARM_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

class CATICkeParm;
typedef CATHandle<CATICkeParm> CATICkeParm_var;

extern const IID IID_CATICkeParm;

class CATICkeParm : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATICkeParm; }

  virtual CATUnicodeString Name() const = 0;
  // Gives the parameter a new value.
  virtual HRESULT Valuate(const CATUnicodeString& iValue) = 0;
  // The value as text.
  virtual CATUnicodeString Show() const = 0;
};

#endif  // KRVWD7_HOST_CATICKEPARM_H_
