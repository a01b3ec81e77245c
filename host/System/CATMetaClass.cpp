#include "CATMetaClass.h"

#include <cstring>

CATMetaClass::CATMetaClass(const IID& iId, const char* iName,
                           CATMetaClass* iBase, CATClassKind iKind,
                           const char* iType, const char* iTag,
                           Creator iCreator, CATMetaClass* iImplementation)
    : id_(iId),
      name_(iName),
      base_(iBase),
      kind_(iKind),
      type_(iType),
      tag_(iTag),
      creator_(iCreator),
      implementation_(iImplementation) {}

int CATMetaClass::IsAKindOf(const char* iClassName) const {
  if (iClassName == nullptr) return 0;
  for (const CATMetaClass* meta = this; meta; meta = meta->base_) {
    if (std::strcmp(meta->name_, iClassName) == 0) return 1;
  }
  return 0;
}

CATBaseUnknown* CATMetaClass::CreateInstance() const {
  return creator_ ? creator_() : nullptr;
}

const char* CATMetaClass::GetLateType() const {
  return std::strcmp(type_, "CATNull") == 0 ? name_ : type_;
}
