// Identifier and description of the black-box interface.
#include "KRVIWD7BlackBox.h"

#include "CATMetaClass.h"

const IID IID_KRVIWD7BlackBox = {"KRVIWD7BlackBox"};

CATMetaClass* KRVIWD7BlackBox::MetaObject() {
  static CATMetaClass meta(IID_KRVIWD7BlackBox, "KRVIWD7BlackBox",
                           CATBaseUnknown::MetaObject(), CATInterfaceKind,
                           "CATNull", "External");
  return &meta;
}
