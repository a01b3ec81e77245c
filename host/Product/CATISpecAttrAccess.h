// Access to the named attributes of an object ("CDMAorigin").
#ifndef KRVWD7_HOST_CATISPECATTRACCESS_H_
#define KRVWD7_HOST_CATISPECATTRACCESS_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

// The key of one attribute of one object. Reference counted.
class CATISpecAttrKey : public CATBaseUnknown {
 public:
  explicit CATISpecAttrKey(const CATUnicodeString& iName) : name_(iName) {}
  const CATUnicodeString& GetName() const { return name_; }

 private:
  CATUnicodeString name_;
};

class CATISpecAttrAccess;
typedef CATHandle<CATISpecAttrAccess> CATISpecAttrAccess_var;

extern const IID IID_CATISpecAttrAccess;

class CATISpecAttrAccess : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATISpecAttrAccess; }

  // The key of the attribute iName, or null when the object has no such
  // attribute. The caller releases the key.
  virtual CATISpecAttrKey* GetAttrKey(const char* iName) = 0;
  // The text value of the attribute at iIndex (0 for a single value); empty
  // when the attribute has no text there.
  virtual CATUnicodeString GetString(CATISpecAttrKey* iKey, int iIndex) = 0;
};

#endif  // KRVWD7_HOST_CATISPECATTRACCESS_H_
