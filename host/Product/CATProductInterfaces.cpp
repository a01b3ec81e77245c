// Identifiers of the product-structure interfaces and the registered
// clipboard formats.
#include <cstring>

#include "CATFormat.h"
#include "CATICkeParm.h"
#include "CATILinkableObject.h"
#include "CATIMovable.h"
#include "CATIProduct.h"
#include "CATIProductInSession.h"
#include "CATIProductReplace.h"
#include "CATIProductShape.h"
#include "CATISpecAttrAccess.h"

const IID IID_CATIProduct = {"CATIProduct"};
const IID IID_CATIMovable = {"CATIMovable"};
const IID IID_CATILinkableObject = {"CATILinkableObject"};
const IID IID_CATISpecAttrAccess = {"CATISpecAttrAccess"};
const IID IID_CATIProductShape = {"CATIProductShape"};
const IID IID_CATIProductReplace = {"CATIProductReplace"};
const IID IID_CATIProductInSession = {"CATIProductInSession"};
const IID IID_CATICkeParm = {"CATICkeParm"};

const CATFormat* CATFormat::GetRegisteredFormat(const char* iName) {
  static const CATFormat kProdCont("CATProdCont");
  static const CATFormat kSpecBreakLink("CATSpecBreakLink");
  if (iName == nullptr) return nullptr;
  if (std::strcmp(iName, kProdCont.Name()) == 0) return &kProdCont;
  if (std::strcmp(iName, kSpecBreakLink.Name()) == 0) return &kSpecBreakLink;
  return nullptr;
}
