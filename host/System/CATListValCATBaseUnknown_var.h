// A 1-based list of object handles; each element holds one reference (see
// CATListVal.h). Searches compare handles by object identity (handle ==),
// so two handles of different interfaces on the same object are equal, and
// empty handles equal each other.
#ifndef KRVWD7_HOST_CATLISTVALCATBASEUNKNOWN_VAR_H_
#define KRVWD7_HOST_CATLISTVALCATBASEUNKNOWN_VAR_H_

#include "CATBaseUnknown.h"
#include "CATListVal.h"

class CATListValCATBaseUnknown_var
    : public CATListVal<CATBaseUnknown_var, CATListValCATBaseUnknown_var> {
 public:
  static constexpr char kClassName[] = "CATListValCATBaseUnknown_var";
  using CATListVal::CATListVal;
};

#endif  // KRVWD7_HOST_CATLISTVALCATBASEUNKNOWN_VAR_H_
