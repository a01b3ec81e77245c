// Operations of the services interface that are not built yet: each answers
// E_NOTIMPL, so that a command can tell the user it is not available.
#include "KRVEWD7BlackBoxServices.h"

HRESULT KRVEWD7BlackBoxServices::AddToBlackBox(const CATBaseUnknown_var&,
                                               const CATBaseUnknown_var&,
                                               const CATBaseUnknown_var&,
                                               CATBaseUnknown_var& oNewProduct,
                                               CATLONG64) {
  oNewProduct = CATBaseUnknown_var();
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::UpdatePosition(const CATBaseUnknown_var&,
                                                const CATBaseUnknown_var&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::Identify(
    const CATListValCATBaseUnknown_var&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::UpdatePSNFile(const CATUnicodeString&) {
  return E_NOTIMPL;
}
