// The application that runs the session.
//
// A session is interactive (CATInteractiveApplication: a user sees
// windows, so progress bars are shown) or batch (a plain CATApplication).
// Code asks:
//   CATApplication::MainApplication()->IsAKindOf(
//       CATInteractiveApplication::ClassName())
//
// The main application is borrowed: whoever sets it keeps it alive while it
// is set. When none is set, MainApplication() answers a batch application
// that lives for the whole process, so it is never null.
#ifndef KRVWD7_HOST_CATAPPLICATION_H_
#define KRVWD7_HOST_CATAPPLICATION_H_

#include "CATBaseUnknown.h"

extern const IID IID_CATApplication;
extern const IID IID_CATInteractiveApplication;

class CATApplication : public CATBaseUnknown {
 public:
  CATApplication() = default;
  ~CATApplication() override = default;

  // The application set by SetMainApplication, or the process's batch
  // application when none is set. Borrowed; never null.
  static CATApplication* MainApplication();
  // Sets the main application (borrowed; null restores the default).
  static void SetMainApplication(CATApplication* iApplication);

  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
};

class CATInteractiveApplication : public CATApplication {
 public:
  CATInteractiveApplication() = default;
  ~CATInteractiveApplication() override = default;

  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
};

#endif  // KRVWD7_HOST_CATAPPLICATION_H_
