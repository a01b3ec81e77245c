// KRVWD7BlackBoxServices: the main class of the stand-alone black-box
// services component.
//
// An object has no data and no operations of its own: its late type is its
// class name, for which the library's dictionary entries declare the code
// extension KRVEWD7BlackBoxServices as the implementation of
// KRVIWD7BlackBoxServices and CATICreateInstance. Made by
// CATICreateInstance::CreateInstance (or the host's CreateItself); counted
// like every host object.
#ifndef KRVWD7CORE_SRC_KRVWD7BLACKBOXSERVICES_H_
#define KRVWD7CORE_SRC_KRVWD7BLACKBOXSERVICES_H_

#include "CATBaseUnknown.h"

class CATMetaClass;

class KRVWD7BlackBoxServices : public CATBaseUnknown {
 public:
  KRVWD7BlackBoxServices();
  ~KRVWD7BlackBoxServices() override;
  KRVWD7BlackBoxServices(const KRVWD7BlackBoxServices&) = delete;
  KRVWD7BlackBoxServices& operator=(const KRVWD7BlackBoxServices&) = delete;

  // Class information: an implementation (kind 1) of its own late type
  // ("CATNull"), tag "External".
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  // A new object with a count of 1 (null when out of memory).
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;
};

#endif  // KRVWD7CORE_SRC_KRVWD7BLACKBOXSERVICES_H_
