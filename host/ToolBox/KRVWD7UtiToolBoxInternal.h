// Helpers shared by the toolbox's sources (not part of its interface).
#ifndef KRVWD7_HOST_KRVWD7UTITOOLBOXINTERNAL_H_
#define KRVWD7_HOST_KRVWD7UTITOOLBOXINTERNAL_H_

#include "CATBaseUnknown.h"
#include "CATIProduct.h"
#include "MemProduct.h"

namespace krvwd7_toolbox {

// A handle holding one new reference on iProduct (empty for null).
inline CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

// Copies onto the reference of ioTarget the attributes (not the part
// number), user properties, parameters and shape representations of
// iSource's reference.
void CopyReferenceContent(MemProduct* ioTarget, const MemProduct* iSource);

}  // namespace krvwd7_toolbox

#endif  // KRVWD7_HOST_KRVWD7UTITOOLBOXINTERNAL_H_
