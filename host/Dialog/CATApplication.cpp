#include "CATApplication.h"

#include "CATMetaClass.h"

const IID IID_CATApplication = {"CATApplication"};
const IID IID_CATInteractiveApplication = {"CATInteractiveApplication"};

namespace {
CATApplication* g_main = nullptr;
// The batch application, made when the host is loaded (not on first use, so
// that counts of live objects taken later do not see it appear).
CATApplication g_batch;
}  // namespace

CATApplication* CATApplication::MainApplication() {
  return g_main ? g_main : &g_batch;
}

void CATApplication::SetMainApplication(CATApplication* iApplication) {
  g_main = iApplication;
}

CATMetaClass* CATApplication::MetaObject() {
  static CATMetaClass meta(IID_CATApplication, "CATApplication",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "CATNull", "Host");
  return &meta;
}
const char* CATApplication::ClassName() { return "CATApplication"; }
const IID& CATApplication::ClassId() { return IID_CATApplication; }
CATMetaClass* CATApplication::GetMetaObject() const { return MetaObject(); }
const char* CATApplication::IsA() const { return ClassName(); }

CATMetaClass* CATInteractiveApplication::MetaObject() {
  static CATMetaClass meta(IID_CATInteractiveApplication, "CATInteractiveApplication",
                           CATApplication::MetaObject(), CATImplementationKind,
                           "CATNull", "Host");
  return &meta;
}
const char* CATInteractiveApplication::ClassName() { return "CATInteractiveApplication"; }
const IID& CATInteractiveApplication::ClassId() { return IID_CATInteractiveApplication; }
CATMetaClass* CATInteractiveApplication::GetMetaObject() const { return MetaObject(); }
const char* CATInteractiveApplication::IsA() const { return ClassName(); }
