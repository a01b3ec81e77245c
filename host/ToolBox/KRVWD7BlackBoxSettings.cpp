// The black-box settings: one process-wide store behind the settings
// interface.
#include "KRVIWD7BlackBoxSettingAtt.h"

#include "MemFaults.h"
#include "MemSession.h"

namespace {

struct SettingsStore {
  CATUnicodeString psn_directory;
  CATUnicodeString note_template;
  int trace = 0;
  int version_source = 1;
  int version_attribute = 2;
  CATUnicodeString version_property;
  int revision_source = 1;
  int revision_attribute = 1;
  CATUnicodeString revision_property;
  bool psn_directory_locked = false;
  bool note_template_locked = false;
  bool trace_locked = false;
  bool version_locked = false;
  bool revision_locked = false;
};

SettingsStore& Store() {
  static SettingsStore* store = new SettingsStore();
  return *store;
}

// The fault declared for iOp, if any (S_OK when none applies).
bool Faulted(MemFaultPoint iOp, HRESULT& oRc) { return MemFaults::Hit(iOp, oRc); }

HRESULT Set(MemFaultPoint iOp, CATUnicodeString& oField,
            const CATUnicodeString& iValue) {
  HRESULT rc = S_OK;
  if (Faulted(iOp, rc)) return rc;
  oField = iValue;
  return S_OK;
}

HRESULT Set(MemFaultPoint iOp, int& oField, int iValue) {
  HRESULT rc = S_OK;
  if (Faulted(iOp, rc)) return rc;
  oField = iValue;
  return S_OK;
}

HRESULT Get(MemFaultPoint iOp, const CATUnicodeString& iField,
            CATUnicodeString& oValue) {
  oValue = CATUnicodeString();
  HRESULT rc = S_OK;
  if (Faulted(iOp, rc)) return rc;
  oValue = iField;
  return S_OK;
}

HRESULT Get(MemFaultPoint iOp, int iField, int& oValue) {
  oValue = 0;
  HRESULT rc = S_OK;
  if (Faulted(iOp, rc)) return rc;
  oValue = iField;
  return S_OK;
}

HRESULT Info(MemFaultPoint iOp, bool iLocked, CATUnicodeString& oAdmin,
             CATUnicodeString& oLocked) {
  oAdmin = CATUnicodeString();
  oLocked = CATUnicodeString();
  HRESULT rc = S_OK;
  if (Faulted(iOp, rc)) return rc;
  oLocked = iLocked ? "1" : "0";
  return S_OK;
}

HRESULT Lock(MemFaultPoint iOp, bool& oField, unsigned char iLocked) {
  HRESULT rc = S_OK;
  if (Faulted(iOp, rc)) return rc;
  oField = iLocked != 0;
  return S_OK;
}

class KRVWD7BlackBoxSettings : public KRVIWD7BlackBoxSettingAtt {
 public:
  HRESULT QueryInterface(const IID& iIID, void** oPtr) override {
    if (iIID == IID_KRVIWD7BlackBoxSettingAtt) {
      *oPtr = static_cast<KRVIWD7BlackBoxSettingAtt*>(this);
      AddRef();
      return S_OK;
    }
    return CATBaseUnknown::QueryInterface(iIID, oPtr);
  }

  HRESULT SetPSNDirectory(const CATUnicodeString& iValue) override {
    return Set(MemFaultPoint::kSetPSNDirectory, Store().psn_directory, iValue);
  }
  HRESULT GetPSNDirectory(CATUnicodeString& oValue) override {
    return Get(MemFaultPoint::kGetPSNDirectory, Store().psn_directory, oValue);
  }
  HRESULT GetPSNDirectoryInfo(CATUnicodeString& oAdmin,
                              CATUnicodeString& oLocked) override {
    return Info(MemFaultPoint::kGetPSNDirectoryInfo, Store().psn_directory_locked, oAdmin,
                oLocked);
  }
  HRESULT SetPSNDirectoryLock(unsigned char iLocked) override {
    return Lock(MemFaultPoint::kSetPSNDirectoryLock, Store().psn_directory_locked, iLocked);
  }

  HRESULT SetNoteTemplate(const CATUnicodeString& iValue) override {
    return Set(MemFaultPoint::kSetNoteTemplate, Store().note_template, iValue);
  }
  HRESULT GetNoteTemplate(CATUnicodeString& oValue) override {
    return Get(MemFaultPoint::kGetNoteTemplate, Store().note_template, oValue);
  }
  HRESULT GetNoteTemplateInfo(CATUnicodeString& oAdmin,
                              CATUnicodeString& oLocked) override {
    return Info(MemFaultPoint::kGetNoteTemplateInfo, Store().note_template_locked, oAdmin,
                oLocked);
  }
  HRESULT SetNoteTemplateLock(unsigned char iLocked) override {
    return Lock(MemFaultPoint::kSetNoteTemplateLock, Store().note_template_locked, iLocked);
  }

  HRESULT SetTraceActivation(int iValue) override {
    return Set(MemFaultPoint::kSetTraceActivation, Store().trace, iValue);
  }
  HRESULT GetTraceActivation(int& oValue) override {
    return Get(MemFaultPoint::kGetTraceActivation, Store().trace, oValue);
  }
  HRESULT GetTraceActivationInfo(CATUnicodeString& oAdmin,
                                 CATUnicodeString& oLocked) override {
    return Info(MemFaultPoint::kGetTraceActivationInfo, Store().trace_locked, oAdmin,
                oLocked);
  }
  HRESULT SetTraceActivationLock(unsigned char iLocked) override {
    return Lock(MemFaultPoint::kSetTraceActivationLock, Store().trace_locked, iLocked);
  }

  HRESULT SetVersionSource(int iValue) override {
    return Set(MemFaultPoint::kSetVersionSource, Store().version_source, iValue);
  }
  HRESULT GetVersionSource(int& oValue) override {
    return Get(MemFaultPoint::kGetVersionSource, Store().version_source, oValue);
  }
  HRESULT SetVersionAttribute(int iValue) override {
    return Set(MemFaultPoint::kSetVersionAttribute, Store().version_attribute, iValue);
  }
  HRESULT GetVersionAttribute(int& oValue) override {
    return Get(MemFaultPoint::kGetVersionAttribute, Store().version_attribute, oValue);
  }
  HRESULT SetVersionProperty(const CATUnicodeString& iValue) override {
    return Set(MemFaultPoint::kSetVersionProperty, Store().version_property, iValue);
  }
  HRESULT GetVersionProperty(CATUnicodeString& oValue) override {
    return Get(MemFaultPoint::kGetVersionProperty, Store().version_property, oValue);
  }
  HRESULT GetVersionSettingInfo(CATUnicodeString& oAdmin,
                                CATUnicodeString& oLocked) override {
    return Info(MemFaultPoint::kGetVersionSettingInfo, Store().version_locked, oAdmin,
                oLocked);
  }

  HRESULT SetRevisionSource(int iValue) override {
    return Set(MemFaultPoint::kSetRevisionSource, Store().revision_source, iValue);
  }
  HRESULT GetRevisionSource(int& oValue) override {
    return Get(MemFaultPoint::kGetRevisionSource, Store().revision_source, oValue);
  }
  HRESULT SetRevisionAttribute(int iValue) override {
    return Set(MemFaultPoint::kSetRevisionAttribute, Store().revision_attribute, iValue);
  }
  HRESULT GetRevisionAttribute(int& oValue) override {
    return Get(MemFaultPoint::kGetRevisionAttribute, Store().revision_attribute, oValue);
  }
  HRESULT SetRevisionProperty(const CATUnicodeString& iValue) override {
    return Set(MemFaultPoint::kSetRevisionProperty, Store().revision_property, iValue);
  }
  HRESULT GetRevisionProperty(CATUnicodeString& oValue) override {
    return Get(MemFaultPoint::kGetRevisionProperty, Store().revision_property, oValue);
  }
  HRESULT GetRevisionSettingInfo(CATUnicodeString& oAdmin,
                                 CATUnicodeString& oLocked) override {
    return Info(MemFaultPoint::kGetRevisionSettingInfo, Store().revision_locked, oAdmin,
                oLocked);
  }
};

}  // namespace

HRESULT GetKRVWD7BlackBoxSettingCtrl(const IID& iIID, void** oSettings) {
  if (oSettings == nullptr) return E_INVALIDARG;
  *oSettings = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetKRVWD7BlackBoxSettingCtrl, rc)) return rc;
  if (iIID != IID_KRVIWD7BlackBoxSettingAtt) return E_NOINTERFACE;
  KRVIWD7BlackBoxSettingAtt* settings = new KRVWD7BlackBoxSettings();
  *oSettings = settings;  // the creation reference goes to the caller
  return S_OK;
}

void KRVWD7ResetBlackBoxSettings() { Store() = SettingsStore(); }

namespace {

// A loaded session's settings go into the store through the interface (so
// that its fault points apply as to any caller); closing the session puts
// the defaults back.
void ApplySessionSettings(const MemSettings* iSettings) {
  if (iSettings == nullptr) {
    KRVWD7ResetBlackBoxSettings();
    return;
  }
  void* out = nullptr;
  if (GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &out) < 0 || !out) return;
  KRVIWD7BlackBoxSettingAtt* settings = static_cast<KRVIWD7BlackBoxSettingAtt*>(out);
  settings->SetPSNDirectory(CATUnicodeString(iSettings->psnDirectory));
  settings->SetNoteTemplate(CATUnicodeString(iSettings->noteTemplate));
  settings->SetTraceActivation(iSettings->trace);
  settings->SetVersionSource(iSettings->version.source);
  settings->SetVersionAttribute(iSettings->version.attribute);
  settings->SetVersionProperty(CATUnicodeString(iSettings->version.property));
  settings->SetRevisionSource(iSettings->revision.source);
  settings->SetRevisionAttribute(iSettings->revision.attribute);
  settings->SetRevisionProperty(CATUnicodeString(iSettings->revision.property));
  settings->Release();
}

const bool g_observing_sessions =
    (MemSession::SetSettingsObserver(&ApplySessionSettings), true);

}  // namespace
