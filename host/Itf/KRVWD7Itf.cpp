// Identifiers and descriptions of the interfaces of the maker's interface
// library.
#include "CATMetaClass.h"
#include "KRVIWD7BlackBox.h"
#include "KRVIWD7BlackBoxServices.h"
#include "KRVIWD7BlackBoxSettingAtt.h"

const IID IID_KRVIWD7BlackBox = {"KRVIWD7BlackBox"};
const IID IID_KRVIWD7BlackBoxServices = {"KRVIWD7BlackBoxServices"};
const IID IID_KRVIWD7BlackBoxSettingAtt = {"KRVIWD7BlackBoxSettingAtt"};

CATMetaClass* KRVIWD7BlackBox::MetaObject() {
  static CATMetaClass meta(IID_KRVIWD7BlackBox, "KRVIWD7BlackBox",
                           CATBaseUnknown::MetaObject(), CATInterfaceKind,
                           "CATNull", "External");
  return &meta;
}

CATMetaClass* KRVIWD7BlackBoxServices::MetaObject() {
  static CATMetaClass meta(IID_KRVIWD7BlackBoxServices,
                           "KRVIWD7BlackBoxServices",
                           CATBaseUnknown::MetaObject(), CATInterfaceKind,
                           "CATNull", "External");
  return &meta;
}
