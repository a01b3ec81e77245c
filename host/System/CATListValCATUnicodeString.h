// A 1-based list of texts, holding its own copies (see CATListVal.h).
// Searches compare texts with ==.
#ifndef KRVWD7_HOST_CATLISTVALCATUNICODESTRING_H_
#define KRVWD7_HOST_CATLISTVALCATUNICODESTRING_H_

#include "CATListVal.h"
#include "CATUnicodeString.h"

class CATListValCATUnicodeString
    : public CATListVal<CATUnicodeString, CATListValCATUnicodeString> {
 public:
  static constexpr char kClassName[] = "CATListValCATUnicodeString";
  using CATListVal::CATListVal;
};

#endif  // KRVWD7_HOST_CATLISTVALCATUNICODESTRING_H_
