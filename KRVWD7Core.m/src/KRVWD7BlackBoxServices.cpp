#include "KRVWD7BlackBoxServices.h"

#include <new>

#include "CATMetaClass.h"

namespace {

const IID kClassId = {"KRVWD7BlackBoxServices"};

}  // namespace

KRVWD7BlackBoxServices::KRVWD7BlackBoxServices() = default;
KRVWD7BlackBoxServices::~KRVWD7BlackBoxServices() = default;

CATMetaClass* KRVWD7BlackBoxServices::MetaObject() {
  static CATMetaClass meta(kClassId, "KRVWD7BlackBoxServices",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "CATNull", "External",
                           &KRVWD7BlackBoxServices::CreateItself);
  return &meta;
}

const char* KRVWD7BlackBoxServices::ClassName() {
  return "KRVWD7BlackBoxServices";
}
const IID& KRVWD7BlackBoxServices::ClassId() { return kClassId; }

CATBaseUnknown* KRVWD7BlackBoxServices::CreateItself() {
  return new (std::nothrow) KRVWD7BlackBoxServices;
}

CATMetaClass* KRVWD7BlackBoxServices::GetMetaObject() const {
  return MetaObject();
}
const char* KRVWD7BlackBoxServices::IsA() const { return ClassName(); }
int KRVWD7BlackBoxServices::IsAKindOf(const char* iClassName) const {
  return MetaObject()->IsAKindOf(iClassName);
}
