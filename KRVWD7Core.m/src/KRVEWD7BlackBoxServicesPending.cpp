// Operations of the services interface that are not built yet: each answers
// E_NOTIMPL, so that a command can tell the user it is not available.
#include "KRVEWD7BlackBoxServices.h"

HRESULT KRVEWD7BlackBoxServices::UpdatePSNFile(const CATUnicodeString&) {
  return E_NOTIMPL;
}
