// The black-box settings of the maker's settings library, as an interface.
//
// Obtained from GetKRVWD7BlackBoxSettingCtrl with one reference that the
// caller releases after use. Each value has a getter, a setter, a lock and
// an information operation in a fixed order (the order callers rely on).
// Sources: 1 a product attribute chosen by index, 2 a product property
// chosen by name.
#ifndef KRVWD7_HOST_KRVIWD7BLACKBOXSETTINGATT_H_
#define KRVWD7_HOST_KRVIWD7BLACKBOXSETTINGATT_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

extern const IID IID_KRVIWD7BlackBoxSettingAtt;

class KRVIWD7BlackBoxSettingAtt : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_KRVIWD7BlackBoxSettingAtt; }

  // 1-4: the default PSN directory.
  virtual HRESULT SetPSNDirectory(const CATUnicodeString& iValue) = 0;
  virtual HRESULT GetPSNDirectory(CATUnicodeString& oValue) = 0;
  virtual HRESULT GetPSNDirectoryInfo(CATUnicodeString& oAdmin,
                                      CATUnicodeString& oLocked) = 0;
  virtual HRESULT SetPSNDirectoryLock(unsigned char iLocked) = 0;
  // 5-8: the note template.
  virtual HRESULT SetNoteTemplate(const CATUnicodeString& iValue) = 0;
  virtual HRESULT GetNoteTemplate(CATUnicodeString& oValue) = 0;
  virtual HRESULT GetNoteTemplateInfo(CATUnicodeString& oAdmin,
                                      CATUnicodeString& oLocked) = 0;
  virtual HRESULT SetNoteTemplateLock(unsigned char iLocked) = 0;
  // 9-12: the trace activation.
  virtual HRESULT SetTraceActivation(int iValue) = 0;
  virtual HRESULT GetTraceActivation(int& oValue) = 0;
  virtual HRESULT GetTraceActivationInfo(CATUnicodeString& oAdmin,
                                         CATUnicodeString& oLocked) = 0;
  virtual HRESULT SetTraceActivationLock(unsigned char iLocked) = 0;
  // 13-19: where the version is read.
  virtual HRESULT SetVersionSource(int iValue) = 0;
  virtual HRESULT GetVersionSource(int& oValue) = 0;
  virtual HRESULT SetVersionAttribute(int iValue) = 0;
  virtual HRESULT GetVersionAttribute(int& oValue) = 0;
  virtual HRESULT SetVersionProperty(const CATUnicodeString& iValue) = 0;
  virtual HRESULT GetVersionProperty(CATUnicodeString& oValue) = 0;
  virtual HRESULT GetVersionSettingInfo(CATUnicodeString& oAdmin,
                                        CATUnicodeString& oLocked) = 0;
  // 20-26: where the revision is read.
  virtual HRESULT SetRevisionSource(int iValue) = 0;
  virtual HRESULT GetRevisionSource(int& oValue) = 0;
  virtual HRESULT SetRevisionAttribute(int iValue) = 0;
  virtual HRESULT GetRevisionAttribute(int& oValue) = 0;
  virtual HRESULT SetRevisionProperty(const CATUnicodeString& iValue) = 0;
  virtual HRESULT GetRevisionProperty(CATUnicodeString& oValue) = 0;
  virtual HRESULT GetRevisionSettingInfo(CATUnicodeString& oAdmin,
                                         CATUnicodeString& oLocked) = 0;
};

typedef CATHandle<KRVIWD7BlackBoxSettingAtt> KRVIWD7BlackBoxSettingAtt_var;

// Gives the settings through the interface iIID (only
// IID_KRVIWD7BlackBoxSettingAtt is known): S_OK and *oSettings with one
// reference, E_NOINTERFACE for another interface, E_INVALIDARG for null.
//
// The values live in one store for the process; every settings object
// reads and writes that store. Defaults: PSN directory "", note template
// "", trace activation 0, version source 1 with attribute 2 (the
// definition), revision source 1 with attribute 1 (the revision), empty
// property names, nothing locked. The information operations answer the
// administration level "" (this host has none) and the lock "0" or "1".
// Locks are recorded only: setters are not refused by them.
HRESULT GetKRVWD7BlackBoxSettingCtrl(const IID& iIID, void** oSettings);

// Puts every value and lock back to its default (tests, session close).
void KRVWD7ResetBlackBoxSettings();

#endif  // KRVWD7_HOST_KRVIWD7BLACKBOXSETTINGATT_H_
