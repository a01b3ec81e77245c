// Operations of the services interface that are not built yet: each answers
// E_NOTIMPL, so that a command can tell the user it is not available.
#include "KRVEWD7BlackBoxServices.h"

HRESULT KRVEWD7BlackBoxServices::Flatten(CATDocument&, const unsigned char&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::Migrate(CATDocument&,
                                         const CATUnicodeString&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::Migrate2(CATDocument&,
                                          const CATUnicodeString&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning(
    CATDocument&, const CATUnicodeString&, const CATUnicodeString&,
    const CATUnicodeString&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::MoveToPersonalizedStructure(
    const CATBaseUnknown_var&, const CATBaseUnknown_var&) {
  return E_NOTIMPL;
}

HRESULT KRVEWD7BlackBoxServices::CopyPosition(const CATBaseUnknown_var&,
                                              const CATBaseUnknown_var&) {
  return E_NOTIMPL;
}
