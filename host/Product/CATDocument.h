// Documents of a session and their VPM identity.
//
// Documents belong to the session that opened them; every pointer to one
// handed out by the host is borrowed and stays valid while the session
// holds the document open.
#ifndef KRVWD7_HOST_CATDOCUMENT_H_
#define KRVWD7_HOST_CATDOCUMENT_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

// The identifier of a document in its environment. Reference counted.
class CATIDocId : public CATBaseUnknown {
 public:
  explicit CATIDocId(const CATUnicodeString& iId) : id_(iId) {}
  const CATUnicodeString& GetId() const { return id_; }

 private:
  CATUnicodeString id_;
};

// The environment a document was loaded from (VPM, or the file system).
// Reference counted.
class CATIDocEnvironment : public CATBaseUnknown {
 public:
  // The name people see for the document iId: S_OK and the name, or E_FAIL
  // when the environment does not know the identifier.
  virtual HRESULT GetDisplayName(const CATIDocId* iId,
                                 CATUnicodeString& oName) = 0;
};

class CATDocument : public CATBaseUnknown {
 public:
  // The name under which the document is stored (a file name or a VPM
  // storage name made of fixed-width fields).
  virtual CATUnicodeString StorageName() const = 0;
  // The identifier and the environment, each with one reference for the
  // caller; E_FAIL and null when the document has none.
  virtual HRESULT GetDocId(CATIDocId** oDocId) = 0;
  virtual HRESULT GetDocEnvironment(CATIDocEnvironment** oEnvironment) = 0;
};

#endif  // KRVWD7_HOST_CATDOCUMENT_H_
