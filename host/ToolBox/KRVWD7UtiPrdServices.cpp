// The maker's product services over the in-memory session.
//
// Every operation first clears its outputs, then asks MemFaults whether a
// fault is declared for it (its own name, the product), then checks its
// arguments and works on the MemProduct behind the handle.
#include "KRVWD7UtiPrdServices.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "KRVWD7UtiToolBoxInternal.h"
#include "MemFaults.h"
#include "MemProduct.h"
#include "MemSession.h"

using krvwd7_toolbox::Handle;

namespace {

// The product behind iProduct for an operation taking a product and a name:
// E_INVALIDARG for an empty handle or name, E_FAIL for a non-product.
HRESULT ProductAndName(const CATBaseUnknown_var& iProduct,
                       const CATUnicodeString& iName, MemProduct*& oProduct) {
  oProduct = nullptr;
  if (!iProduct || iName.IsEmpty()) return E_INVALIDARG;
  oProduct = MemProduct::From(iProduct);
  return oProduct ? S_OK : E_FAIL;
}

HRESULT Product(const CATBaseUnknown_var& iProduct, MemProduct*& oProduct) {
  oProduct = nullptr;
  if (!iProduct) return E_INVALIDARG;
  oProduct = MemProduct::From(iProduct);
  return oProduct ? S_OK : E_FAIL;
}

// The prologue of most operations: the fault declared for iOp, then the
// product (and the name) checked. False, with the result to answer in oRc,
// when the operation must not go on; a fault may answer a success code.
bool Enter(MemFaultPoint iOp, const CATBaseUnknown_var& iProduct, MemProduct*& oProduct,
           HRESULT& oRc) {
  oProduct = nullptr;
  if (MemFaults::Hit(iOp, iProduct, oRc)) return false;
  oRc = Product(iProduct, oProduct);
  return SUCCEEDED(oRc);
}

bool Enter(MemFaultPoint iOp, const CATBaseUnknown_var& iProduct,
           const CATUnicodeString& iName, MemProduct*& oProduct, HRESULT& oRc) {
  oProduct = nullptr;
  if (MemFaults::Hit(iOp, iProduct, oRc)) return false;
  oRc = ProductAndName(iProduct, iName, oProduct);
  return SUCCEEDED(oRc);
}

// The prologue of the copy operations: the fault of iOp, then both
// products. False, with the result to answer in oRc, when the copy must not
// go on.
bool TargetAndSource(MemFaultPoint iOp, const CATBaseUnknown_var& iTarget,
                     const CATBaseUnknown_var& iSource, MemProduct*& oTarget,
                     MemProduct*& oSource, HRESULT& oRc) {
  oTarget = nullptr;
  oSource = nullptr;
  if (MemFaults::Hit(iOp, iTarget, oRc)) return false;
  if (!iTarget || !iSource) {
    oRc = E_INVALIDARG;
    return false;
  }
  oRc = Product(iTarget, oTarget);
  if (SUCCEEDED(oRc)) oRc = Product(iSource, oSource);
  return SUCCEEDED(oRc);
}

// One text attribute of the reference, read through a member of MemProduct.
HRESULT ReadAttribute(MemFaultPoint iOp, const CATBaseUnknown_var& iProduct,
                      const std::string& (MemProduct::*iGetter)() const,
                      CATUnicodeString& oValue) {
  oValue = CATUnicodeString();
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(iOp, iProduct, product, rc)) return rc;
  oValue = CATUnicodeString((product->*iGetter)());
  return S_OK;
}

bool IsProductInterface(const char* iInterface) {
  return iInterface != nullptr && std::strcmp(iInterface, "CATIProduct") == 0;
}

// Checks shared by the two children queries.
HRESULT ChildrenArguments(const CATBaseUnknown_var& iProduct,
                          const char* iInterface, int iMode,
                          MemProduct*& oProduct) {
  oProduct = nullptr;
  if (!iProduct || !IsProductInterface(iInterface)) return E_INVALIDARG;
  if (iMode != 0 && iMode != 2) return E_INVALIDARG;
  oProduct = MemProduct::From(iProduct);
  return oProduct ? S_OK : E_FAIL;
}

// Appends the products of iProducts as handles to a new list; null when
// there are none. The caller deletes the list.
// Null when iFather has no child at all; an empty list when it has
// children but none of them is listed (mode 2, none loaded).
CATListValCATBaseUnknown_var* MakeList(const MemProduct* iFather,
                                       const std::vector<MemProduct*>& iProducts) {
  if (iFather->Children().empty()) return nullptr;
  auto* list = new CATListValCATBaseUnknown_var();
  for (MemProduct* product : iProducts) list->Append(Handle(product));
  return list;
}

// Every product below iTop in depth-first order, fathers first. In mode 2 a
// product that is not loaded is skipped with everything below it. One walk
// with an explicit stack: O(n), no recursion depth limit.
void CollectBelow(const MemProduct* iTop, int iMode,
                  std::vector<MemProduct*>& oProducts) {
  std::vector<std::pair<const MemProduct*, size_t>> stack;
  stack.emplace_back(iTop, 0);
  while (!stack.empty()) {
    auto& top = stack.back();
    const std::vector<MemProduct*>& children = top.first->Children();
    if (top.second == children.size()) {
      stack.pop_back();
      continue;
    }
    MemProduct* child = children[top.second++];
    if (iMode == 2 && !child->IsLoaded()) continue;
    oProducts.push_back(child);
    if (!child->Children().empty()) stack.emplace_back(child, 0);
  }
}

// The positions among their fathers' children of the products from below
// iTop down to iProduct: products in GetAllChildren order have these in
// increasing (lexicographic) order. False when iProduct is not below iTop.
bool PlaceBelow(const MemProduct* iTop, const MemProduct* iProduct,
                std::vector<int>& oPlace) {
  oPlace.clear();
  if (iProduct == iTop || !iProduct->IsBelow(iTop)) return false;
  for (const MemProduct* product = iProduct; product != iTop; product = product->Father()) {
    oPlace.push_back(product->Father()->IndexOf(product));
  }
  std::reverse(oPlace.begin(), oPlace.end());
  return true;
}

// Splits an instance path at "/"; empty components are kept (they match no
// instance).
std::vector<std::string> SplitPath(const std::string& iPath) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t slash = iPath.find('/', start);
    parts.push_back(iPath.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

void CopyReferenceData(MemProduct* ioTarget, const MemProduct* iSource) {
  ioTarget->SetRevision(iSource->Revision());
  ioTarget->SetDefinition(iSource->Definition());
  ioTarget->SetNomenclature(iSource->Nomenclature());
  ioTarget->SetDescription(iSource->Description());
  if (!iSource->UserProperties().empty()) {
    ioTarget->UserProperties().SetAll(iSource->UserProperties());
  }
  for (const auto& entry : iSource->Parms()) {
    MemParm* parm = ioTarget->FindParm(entry.first);
    if (parm) {
      parm->set_value(entry.second->value());
    } else {
      ioTarget->AddParm(entry.first, entry.second->value());
    }
  }
}

// Sets the loaded flag and the mode on iTop and every product below it.
void LoadBelow(MemProduct* iTop, MemMode iMode) {
  std::vector<MemProduct*> products;
  products.push_back(iTop);
  CollectBelow(iTop, 0, products);
  for (MemProduct* product : products) {
    product->SetLoaded(true);
    product->SetMode(iMode);
  }
}

HRESULT SwitchMode(MemFaultPoint iOp, const CATBaseUnknown_var& iProduct,
                   MemMode iMode) {
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(iOp, iProduct, product, rc)) return rc;
  if (iMode == MemMode::kProduct) {
    LoadBelow(product, iMode);
  } else {
    product->SetLoaded(true);
    product->SetMode(iMode);
  }
  return S_OK;
}

}  // namespace

// --- Properties and parameters ------------------------------------------------

HRESULT KRVWD7UtiPrdServices::GetProperty(const CATBaseUnknown_var& iProduct,
                                          const CATUnicodeString& iName,
                                          CATUnicodeString& oValue) {
  oValue = "";  // in place: a list reads every product's properties into one text
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kGetProperty, iProduct, iName, product, rc)) return rc;
  std::optional<std::string_view> value = product->FindProperty(iName.ToStdString());
  if (!value) return S_FALSE;
  oValue.BuildFromUTF8(value->data(), value->size());
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::SetProperty(const CATBaseUnknown_var& iProduct,
                                          const CATUnicodeString& iName,
                                          const CATUnicodeString& iValue) {
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kSetProperty, iProduct, iName, product, rc)) return rc;
  const std::string& name = iName.ToStdString();
  if (!product->FindProperty(name)) return E_FAIL;
  product->Properties().Set(name, iValue.ToStdString());
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CreateProperty(const CATBaseUnknown_var& iProduct,
                                             const CATUnicodeString& iName,
                                             const CATUnicodeString& iValue) {
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kCreateProperty, iProduct, iName, product, rc)) return rc;
  bool created = product->Properties().Insert(iName.ToStdString(), iValue.ToStdString());
  return created ? S_OK : E_FAIL;
}

HRESULT KRVWD7UtiPrdServices::GetParameter(const CATBaseUnknown_var& iProduct,
                                           const CATUnicodeString& iName,
                                           CATICkeParm_var& oParm,
                                           CATUnicodeString* oValue) {
  oParm = NULL_var;
  if (oValue) *oValue = CATUnicodeString();
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kGetParameter, iProduct, iName, product, rc)) return rc;
  MemParm* parm = product->FindParm(iName.ToStdString());
  if (parm == nullptr) return S_FALSE;
  oParm = parm;
  if (oValue) *oValue = CATUnicodeString(parm->value());
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CreateParameter(const CATBaseUnknown_var& iProduct,
                                              const CATUnicodeString& iName,
                                              const CATUnicodeString& iValue,
                                              CATICkeParm_var& oParm) {
  oParm = NULL_var;
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kCreateParameter, iProduct, iName, product, rc)) return rc;
  MemParm* parm = product->AddParm(iName.ToStdString(), iValue.ToStdString());
  if (parm == nullptr) return E_FAIL;
  oParm = parm;
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::GetPrdProperty(const CATBaseUnknown_var& iProduct,
                                             const CATUnicodeString& iName,
                                             CATUnicodeString& oValue) {
  oValue = "";  // in place, as GetProperty
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  // An empty name is a valid question: no name check.
  if (!Enter(MemFaultPoint::kGetPrdProperty, iProduct, product, rc)) return rc;
  std::optional<std::string_view> value = product->UserProperties().Find(iName.ToStdString());
  if (!value) return S_FALSE;
  oValue.BuildFromUTF8(value->data(), value->size());
  return S_OK;
}

// --- Attributes ---------------------------------------------------------------

HRESULT KRVWD7UtiPrdServices::GetPartNumber(const CATBaseUnknown_var& iProduct,
                                            CATUnicodeString& oPartNumber) {
  return ReadAttribute(MemFaultPoint::kGetPartNumber, iProduct, &MemProduct::PartNumber,
                       oPartNumber);
}

HRESULT KRVWD7UtiPrdServices::SetPartNumber(const CATBaseUnknown_var& iProduct,
                                            const CATUnicodeString& iPartNumber) {
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kSetPartNumber, iProduct, product, rc)) return rc;
  return product->Session()->SetPartNumber(product, iPartNumber.ToStdString());
}

HRESULT KRVWD7UtiPrdServices::GetRevision(const CATBaseUnknown_var& iProduct,
                                          CATUnicodeString& oValue) {
  return ReadAttribute(MemFaultPoint::kGetRevision, iProduct, &MemProduct::Revision, oValue);
}

HRESULT KRVWD7UtiPrdServices::GetDefinition(const CATBaseUnknown_var& iProduct,
                                            CATUnicodeString& oValue) {
  return ReadAttribute(MemFaultPoint::kGetDefinition, iProduct, &MemProduct::Definition,
                       oValue);
}

HRESULT KRVWD7UtiPrdServices::GetNomenclature(const CATBaseUnknown_var& iProduct,
                                              CATUnicodeString& oValue) {
  return ReadAttribute(MemFaultPoint::kGetNomenclature, iProduct, &MemProduct::Nomenclature,
                       oValue);
}

HRESULT KRVWD7UtiPrdServices::GetDescriptionRef(
    const CATBaseUnknown_var& iProduct, CATUnicodeString& oValue) {
  return ReadAttribute(MemFaultPoint::kGetDescriptionRef, iProduct, &MemProduct::Description,
                       oValue);
}

HRESULT KRVWD7UtiPrdServices::GetInstanceName(const CATBaseUnknown_var& iProduct,
                                              CATUnicodeString& oName) {
  return ReadAttribute(MemFaultPoint::kGetInstanceName, iProduct, &MemProduct::DisplayName,
                       oName);
}

HRESULT KRVWD7UtiPrdServices::GetInstancePath(const CATBaseUnknown_var& iProduct,
                                              const CATBaseUnknown_var& iRoot,
                                              CATUnicodeString& oPath) {
  oPath = CATUnicodeString();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetInstancePath, iProduct, rc)) return rc;
  if (!iProduct || !iRoot) return E_INVALIDARG;
  MemProduct* product = MemProduct::From(iProduct);
  MemProduct* root = MemProduct::From(iRoot);
  if (product == nullptr || root == nullptr) return E_FAIL;
  std::string path;
  if (!product->PathFrom(root, path)) return E_FAIL;
  oPath = CATUnicodeString(std::move(path));
  return S_OK;
}

// --- Positions ----------------------------------------------------------------

HRESULT KRVWD7UtiPrdServices::GetPosition(const CATBaseUnknown_var& iProduct,
                                          CATMathTransformation& oPosition) {
  oPosition = CATMathTransformation();
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kGetPosition, iProduct, product, rc)) return rc;
  if (!product->IsRef()) oPosition = product->Position();
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CopyPosition(const CATBaseUnknown_var& iTarget,
                                           const CATBaseUnknown_var& iSource) {
  MemProduct* target = nullptr;
  MemProduct* source = nullptr;
  HRESULT rc = S_OK;
  if (!TargetAndSource(MemFaultPoint::kCopyPosition, iTarget, iSource, target, source, rc)) {
    return rc;
  }
  if (target->IsRef()) return E_FAIL;  // a root has no father to be placed in
  target->SetPosition(source->IsRef() ? CATMathTransformation()
                                      : source->Position());
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CopyPosition(const CATBaseUnknown_var& iTarget,
                                           const CATMathTransformation& iPosition) {
  HRESULT rc = S_OK;
  MemProduct* target = nullptr;
  if (!Enter(MemFaultPoint::kCopyPosition, iTarget, target, rc)) return rc;
  if (target->IsRef()) return E_FAIL;
  target->SetPosition(iPosition);
  return S_OK;
}

int KRVWD7UtiPrdServices::IsSimilarPosition(const CATMathTransformation& iFirst,
                                            const CATMathTransformation& iSecond,
                                            double iTolerance) {
  double first[12];
  double second[12];
  iFirst.GetCoef(first);
  iSecond.GetCoef(second);
  for (int i = 0; i < 12; ++i) {
    double difference = first[i] - second[i];
    if (difference < 0) difference = -difference;
    if (!(difference <= iTolerance)) return 0;  // NaN is never similar
  }
  return 1;
}

HRESULT KRVWD7UtiPrdServices::GetNodeType(const CATBaseUnknown_var& iProduct,
                                          int& oType) {
  oType = 0;
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kGetNodeType, iProduct, product, rc)) return rc;
  oType = product->NodeType();
  return S_OK;
}

// --- Children -----------------------------------------------------------------

HRESULT KRVWD7UtiPrdServices::GetChildren(const CATBaseUnknown_var& iProduct,
                                          CATListValCATBaseUnknown_var*& oChildren,
                                          const char* iInterface, int iMode) {
  oChildren = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetChildren, iProduct, rc)) return rc;
  MemProduct* product = nullptr;
  rc = ChildrenArguments(iProduct, iInterface, iMode, product);
  if (FAILED(rc)) return rc;
  if (iMode == 2 && !product->IsLoadedInContext()) return S_OK;
  std::vector<MemProduct*> children;
  children.reserve(product->Children().size());
  for (MemProduct* child : product->Children()) {
    if (iMode == 2 && !child->IsLoaded()) continue;
    children.push_back(child);
  }
  oChildren = MakeList(product, children);
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::GetAllChildren(
    const CATBaseUnknown_var& iProduct, CATListValCATBaseUnknown_var*& oChildren,
    const char* iInterface, int iMode) {
  oChildren = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetAllChildren, iProduct, rc)) return rc;
  MemProduct* product = nullptr;
  rc = ChildrenArguments(iProduct, iInterface, iMode, product);
  if (FAILED(rc)) return rc;
  if (iMode == 2 && !product->IsLoadedInContext()) return S_OK;
  std::vector<MemProduct*> products;
  CollectBelow(product, iMode, products);
  oChildren = MakeList(product, products);
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::GetChildrenWithProperty(
    const CATBaseUnknown_var& iProduct, const CATUnicodeString& iName,
    const CATUnicodeString& iValue, int iRecursive,
    CATListValCATBaseUnknown_var*& oChildren) {
  oChildren = nullptr;
  HRESULT rc = S_OK;
  MemProduct* product = nullptr;
  if (!Enter(MemFaultPoint::kGetChildrenWithProperty, iProduct, iName, product, rc)) return rc;
  std::vector<MemProduct*> below;
  if (iRecursive) {
    CollectBelow(product, 0, below);
  } else {
    below = product->Children();
  }
  const std::string& name = iName.ToStdString();
  const std::string& value = iValue.ToStdString();
  std::vector<MemProduct*> matching;
  for (MemProduct* child : below) {
    std::optional<std::string_view> found = child->FindProperty(name);
    if (found && *found == value) matching.push_back(child);
  }
  oChildren = MakeList(product, matching);
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::GetAllChildrenByPartNumber(
    const CATBaseUnknown_var& iProduct, const CATUnicodeString& iPartNumber,
    int iMatch, CATListValCATBaseUnknown_var*& oChildren) {
  oChildren = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kGetAllChildrenByPartNumber, iProduct, rc)) return rc;
  MemProduct* product = nullptr;
  if (iMatch != 0 && iMatch != 1) return E_INVALIDARG;
  rc = Product(iProduct, product);
  if (FAILED(rc)) return rc;
  std::vector<std::pair<std::vector<int>, MemProduct*>> found;
  std::vector<int> place;
  for (MemProduct* reference : product->Session()->ReferencesNumbered(
           iPartNumber.ToStdString(), iMatch == 1)) {
    for (MemProduct* instance : reference->Instances()) {
      if (PlaceBelow(product, instance, place)) found.emplace_back(place, instance);
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<MemProduct*> products;
  products.reserve(found.size());
  for (const auto& entry : found) products.push_back(entry.second);
  oChildren = MakeList(product, products);
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::FindInstance(const CATBaseUnknown_var& iRoot,
                                           const CATUnicodeString& iText,
                                           int iKind, CATBaseUnknown_var& oProduct,
                                           int iDirectOnly) {
  oProduct = NULL_var;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kFindInstance, iRoot, rc)) return rc;
  if (iKind != 0 && iKind != 1) return E_INVALIDARG;
  MemProduct* root = nullptr;
  rc = ProductAndName(iRoot, iText, root);
  if (FAILED(rc)) return rc;
  const std::string text = iText.ToStdString();
  MemProduct* found = nullptr;
  if (iKind == 1) {
    std::vector<std::string> parts = SplitPath(text);
    if (iDirectOnly && parts.size() > 1) return S_FALSE;
    found = root;
    for (const std::string& name : parts) {
      found = found->FindChild(name);
      if (found == nullptr) break;
    }
  } else if (iDirectOnly) {
    for (MemProduct* child : root->Children()) {
      if (child->PartNumber() == text) {
        found = child;
        break;
      }
    }
  } else {
    std::vector<MemProduct*> products;
    CollectBelow(root, 0, products);
    for (MemProduct* product : products) {
      if (product->PartNumber() == text) {
        found = product;
        break;
      }
    }
  }
  if (found == nullptr) return S_FALSE;
  oProduct = Handle(found);
  return S_OK;
}

// --- Structure edits ------------------------------------------------------------

HRESULT KRVWD7UtiPrdServices::AddNewComponent(const CATBaseUnknown_var& iFather,
                                              const CATUnicodeString& iName,
                                              CATBaseUnknown_var& oComponent) {
  oComponent = NULL_var;
  HRESULT rc = S_OK;
  MemProduct* father = nullptr;
  if (!Enter(MemFaultPoint::kAddNewComponent, iFather, father, rc)) return rc;
  const std::string part_number = iName.ToStdString();
  std::string name = part_number;
  if (name.empty()) {
    name = "Component." + std::to_string(father->Children().size() + 1);
  }
  MemProduct* component = father->Session()->NewComponent(
      father, name, part_number, MemKind::kComponent);
  if (component == nullptr) return E_FAIL;
  oComponent = Handle(component);
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CopyGraphicProperties(
    const CATBaseUnknown_var& iTarget, const CATBaseUnknown_var& iSource) {
  MemProduct* target = nullptr;
  MemProduct* source = nullptr;
  HRESULT rc = S_OK;
  if (!TargetAndSource(MemFaultPoint::kCopyGraphicProperties, iTarget, iSource, target, source, rc)) {
    return rc;
  }
  target->Graphic() = source->Graphic();
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CopyPropertiesOfInstanceProduct(
    const CATBaseUnknown_var& iTarget, const CATBaseUnknown_var& iSource,
    CATBoolean iFlag) {
  MemProduct* target = nullptr;
  MemProduct* source = nullptr;
  HRESULT rc = S_OK;
  if (!TargetAndSource(MemFaultPoint::kCopyPropertiesOfInstanceProduct, iTarget, iSource, target, source, rc)) {
    return rc;
  }
  if (target == source) return S_OK;
  if (!target->IsRef() && !source->IsRef() &&
      (iFlag || target->InstanceName().empty())) {
    target->SetInstanceName(source->InstanceName());
  }
  // Read without making object data; a target gets none for no properties.
  const MemTextMap& properties = std::as_const(*source).Properties();
  if (properties.empty()) return S_OK;
  if (iFlag) {
    target->Properties().SetAll(properties);
  } else {
    target->Properties().InsertAll(properties);
  }
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::CopyPropertiesOfReferenceProduct(
    const CATBaseUnknown_var& iTarget, const CATBaseUnknown_var& iSource,
    CATBoolean iFlag) {
  MemProduct* target = nullptr;
  MemProduct* source = nullptr;
  HRESULT rc = S_OK;
  if (!TargetAndSource(MemFaultPoint::kCopyPropertiesOfReferenceProduct, iTarget, iSource, target, source, rc)) {
    return rc;
  }
  if (!iFlag || target->Reference() == source->Reference()) return S_OK;
  CopyReferenceData(target, source);
  return S_OK;
}

HRESULT KRVWD7UtiPrdServices::SwitchToProductMode(
    const CATBaseUnknown_var& iProduct) {
  return SwitchMode(MemFaultPoint::kSwitchToProductMode, iProduct, MemMode::kProduct);
}

HRESULT KRVWD7UtiPrdServices::SwitchToDesignMode(
    const CATBaseUnknown_var& iProduct) {
  return SwitchMode(MemFaultPoint::kSwitchToDesignMode, iProduct, MemMode::kDesign);
}

HRESULT KRVWD7UtiPrdServices::SwitchToVisuMode(const CATBaseUnknown_var& iProduct) {
  return SwitchMode(MemFaultPoint::kSwitchToVisuMode, iProduct, MemMode::kVisu);
}

namespace krvwd7_toolbox {

void CopyReferenceContent(MemProduct* ioTarget, const MemProduct* iSource) {
  CopyReferenceData(ioTarget, iSource);
  for (const MemShape& shape : iSource->Shapes()) ioTarget->AddShape(shape);
  if (!iSource->ActiveShapeName().empty()) {
    ioTarget->SetActiveShape(iSource->ActiveShapeName());
  }
}

}  // namespace krvwd7_toolbox
