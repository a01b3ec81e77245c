// Error objects of the host and its error mechanism.
//
// An error carries a message key and the message catalog the key belongs
// to, and up to nine parameters for the message's /P1 to /P9. Errors are
// reference counted like every host object.
//
// GetReturn hands an error to the host: the host keeps it as the last
// error (with the place that raised it), taking over the reference the
// caller held, and the caller gets E_FAIL to return. The previous last
// error is released. The last error is released by ClearLastError, by the
// next GetReturn, or at process exit. The program that runs a command reads
// it afterwards to tell the user (its catalog text).
#ifndef KRVWD7_HOST_CATERROR_H_
#define KRVWD7_HOST_CATERROR_H_

#include <vector>

#include "CATBaseUnknown.h"
#include "CATString.h"
#include "CATUnicodeString.h"

extern const IID IID_CATError;

class CATError : public CATBaseUnknown {
 public:
  CATError(const CATString& iKey, const CATString& iCatalog);
  ~CATError() override = default;

  const CATString& GetMsgId() const { return key_; }
  const CATString& GetMsgCatalog() const { return catalog_; }

  // Replaces the parameters by the iNb texts of iParams (null for none).
  void SetNLSParameters(int iNb, const CATUnicodeString* iParams);
  // The message of the key in the catalog with the parameters substituted;
  // the key itself when the catalog has no such key.
  CATUnicodeString GetNLSMessage() const;

  // Keeps iError as the last error (taking over the caller's reference),
  // raised in iFile at iLine, and returns E_FAIL. iMode and iObject are
  // accepted and ignored by this host. A null iError (an error that could
  // not be made) returns E_FAIL and leaves the last error unchanged.
  static HRESULT GetReturn(int iMode, CATError* iError, CATBaseUnknown* iObject,
                           const char* iFile, int iLine);
  // The last error handed to GetReturn (borrowed), or null.
  static CATError* LastError();
  // Where the last error was raised ("" and 0 when there is none).
  static const char* LastErrorFile();
  static int LastErrorLine();
  // Releases the last error.
  static void ClearLastError();

  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;

 private:
  CATString key_;
  CATString catalog_;
  std::vector<CATUnicodeString> params_;
};

#endif  // KRVWD7_HOST_CATERROR_H_
