#include "MemProduct.h"

#include "MemFaults.h"
#include "MemPool.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "CATMetaClass.h"
#include "MemDocument.h"
#include "MemSession.h"

namespace {

const IID IID_MemProduct = {"MemProduct"};
const char kOriginAttribute[] = "CDMAorigin";
// Bytes from the start of a MemProduct to its CATBaseUnknown part.
std::ptrdiff_t g_unknown_offset = 0;

// A shape representation handed out by GetShapeRep: it answers the document
// that holds it (one reference held on the document).
class MemShapeRep : public CATILinkableObject {
 public:
  explicit MemShapeRep(MemDocument* iDocument) : document_(iDocument) {
    if (document_) document_->AddRef();
  }
  ~MemShapeRep() override {
    if (document_) document_->Release();
  }
  HRESULT QueryInterface(const IID& iIID, void** oPtr) override {
    if (iIID == IID_CATILinkableObject) {
      *oPtr = static_cast<CATILinkableObject*>(this);
      AddRef();
      return S_OK;
    }
    return CATBaseUnknown::QueryInterface(iIID, oPtr);
  }
  CATDocument* GetDocument() override {
    // A closed document is no longer a document of the session.
    return document_ && document_->Session() ? document_ : nullptr;
  }

 private:
  MemDocument* document_;
};

template <class Iface>
HRESULT Answer(Iface* iSelf, void** oPtr) {
  *oPtr = iSelf;
  iSelf->AddRef();
  return S_OK;
}

// One interface of a product, made when it is asked for (see MemProduct.h):
// bound to the product as an extension, so that its identity is the
// product; it answers its own interface and passes every other query on.
template <class Iface>
class MemFacet : public Iface {
 public:
  using Interface = Iface;
  explicit MemFacet(MemProduct* iProduct) : product_(iProduct) { this->SetImpl(iProduct); }
  HRESULT QueryInterface(const IID& iIID, void** oPtr) override {
    if (iIID == Iface::ClassId()) return Answer(static_cast<Iface*>(this), oPtr);
    return product_->QueryInterface(iIID, oPtr);
  }

 protected:
  MemProduct* const product_;  // held through SetImpl
};

class MemMovable : public MemFacet<CATIMovable> {
 public:
  using MemFacet::MemFacet;
  HRESULT GetPosition(CATMathTransformation& oPosition, const CATIMovable_var& iReference,
                      int iStatus, int iFlag) override {
    return product_->GetPosition(oPosition, iReference, iStatus, iFlag);
  }
};

class MemLinkable : public MemFacet<CATILinkableObject> {
 public:
  using MemFacet::MemFacet;
  CATDocument* GetDocument() override { return product_->GetDocument(); }
};

class MemAttrAccess : public MemFacet<CATISpecAttrAccess> {
 public:
  using MemFacet::MemFacet;
  CATISpecAttrKey* GetAttrKey(const char* iName) override { return product_->GetAttrKey(iName); }
  CATUnicodeString GetString(CATISpecAttrKey* iKey, int iIndex) override {
    return product_->GetString(iKey, iIndex);
  }
};

class MemShapes : public MemFacet<CATIProductShape> {
 public:
  using MemFacet::MemFacet;
  HRESULT GetShapeFilePath(CATUnicodeString& oPath) override {
    return product_->GetShapeFilePath(oPath);
  }
  HRESULT GetShapeName(CATUnicodeString& oName) override { return product_->GetShapeName(oName); }
  HRESULT RemoveShapeRepresentation(const CATUnicodeString& iName, int iKind,
                                    CATBoolean iInContext) override {
    return product_->RemoveShapeRepresentation(iName, iKind, iInContext);
  }
  HRESULT AddShapeRepresentation(const CATUnicodeString& iPath, const CATUnicodeString& iName,
                                 int iKind, CATBoolean iInContext) override {
    return product_->AddShapeRepresentation(iPath, iName, iKind, iInContext);
  }
};

class MemReplace : public MemFacet<CATIProductReplace> {
 public:
  using MemFacet::MemFacet;
  HRESULT ReplaceComponent(const CATIProduct_var& iOldInstance,
                           const CATIProduct_var& iNewReference, CATBoolean iAllInstances,
                           CATIProduct_var& oNewComponent) override {
    return product_->ReplaceComponent(iOldInstance, iNewReference, iAllInstances, oNewComponent);
  }
};

class MemInSession : public MemFacet<CATIProductInSession> {
 public:
  using MemFacet::MemFacet;
  HRESULT ActivateShape(const CATUnicodeString& iShapeName, CATBoolean iLoad, int iKind,
                        CATUnicodeString& oPrevious, CATBoolean iShow,
                        CATBoolean iAllInstances) override {
    return product_->ActivateShape(iShapeName, iLoad, iKind, oPrevious, iShow, iAllInstances);
  }
};

// oText := iText, in oText's storage.
void SetText(std::string_view iText, CATUnicodeString& oText) {
  oText.BuildFromUTF8(iText.data(), iText.size());
}

// A new facet of iProduct, as its interface; the caller holds its one reference.
template <class Facet>
HRESULT NewFacet(MemProduct* iProduct, void** oPtr) {
  Facet* facet = new Facet(iProduct);
  *oPtr = static_cast<typename Facet::Interface*>(facet);
  return S_OK;
}

}  // namespace

// --- MemParm -----------------------------------------------------------------

HRESULT MemParm::QueryInterface(const IID& iIID, void** oPtr) {
  if (iIID == IID_CATICkeParm) return Answer(static_cast<CATICkeParm*>(this), oPtr);
  return CATBaseUnknown::QueryInterface(iIID, oPtr);
}

CATUnicodeString MemParm::Name() const { return CATUnicodeString(name_); }

HRESULT MemParm::Valuate(const CATUnicodeString& iValue) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kParmValuate, rc)) return rc;
  value_ = iValue.ToStdString();
  return S_OK;
}

CATUnicodeString MemParm::Show() const { return CATUnicodeString(value_); }

// --- MemProduct: identity and structure ----------------------------------------

MemProduct::MemProduct() {
  // The same in every product (see AsProduct); set before any can be found.
  g_unknown_offset = reinterpret_cast<const char*>(static_cast<const CATBaseUnknown*>(this)) -
                     reinterpret_cast<const char*>(this);
}

MemProduct::~MemProduct() {
  if (ref_data_) {
    if (ref_data_->extra_) {
      for (auto& entry : ref_data_->extra_->parms_) entry.second->Release();
    }
    for (MemProduct* child : ref_data_->children_) child->Release();
    delete ref_data_;
  }
  delete obj_data_;
  if (reference_) reference_->Release();
}

// A large session holds hundreds of thousands of products: a field more
// moves every one of them to the next 16-byte pool.
static_assert(sizeof(void*) != 8 || sizeof(MemProduct) <= 96, "a product outgrew its pool");

void* MemProduct::operator new(size_t /*iSize: sizeof(MemProduct), nothing derives*/) {
  static MemPool& pool = MemPool::OfSize(sizeof(MemProduct));
  return pool.Allocate();
}

void MemProduct::operator delete(void* iBlock) {
  static MemPool& pool = MemPool::OfSize(sizeof(MemProduct));
  pool.Free(iBlock);
}

void* MemProduct::RefData::operator new(size_t /*iSize: sizeof(RefData)*/) {
  static MemPool& pool = MemPool::OfSize(sizeof(RefData));
  return pool.Allocate();
}

void MemProduct::RefData::operator delete(void* iBlock) {
  static MemPool& pool = MemPool::OfSize(sizeof(RefData));
  pool.Free(iBlock);
}

void* MemProduct::ObjData::operator new(size_t /*iSize: sizeof(ObjData)*/) {
  static MemPool& pool = MemPool::OfSize(sizeof(ObjData));
  return pool.Allocate();
}

void MemProduct::ObjData::operator delete(void* iBlock) {
  static MemPool& pool = MemPool::OfSize(sizeof(ObjData));
  pool.Free(iBlock);
}

const MemProduct::ObjData& MemProduct::NoObjData() {
  // Not from the pool of object data: a block held for the life of the
  // process would keep that pool from starting over in order once every
  // session is closed, and the products of the next session would be laid
  // out in the order the last ones were freed.
  alignas(ObjData) static unsigned char storage[sizeof(ObjData)];
  static const ObjData* none = ::new (storage) ObjData;
  return *none;
}

const MemProduct::RefExtra& MemProduct::NoExtra() {
  static const RefExtra* none = new RefExtra;
  return *none;
}

const MemGraphic& MemProduct::NoGraphic() {
  static const MemGraphic* none = new MemGraphic;
  return *none;
}

CATMathTransformation MemProduct::Position() const { return O().position_.Get(); }

void MemProduct::SetPosition(const CATMathTransformation& iPosition) {
  O().position_.Set(iPosition);
}

std::string_view MemProduct::Origin() const {
  if (!origin_) return {};
  uint32_t size;
  std::memcpy(&size, origin_.get(), sizeof size);
  return std::string_view(origin_.get() + sizeof size, size);
}

void MemProduct::SetOrigin(std::string_view iOrigin) {
  const uint32_t size = static_cast<uint32_t>(iOrigin.size());
  std::unique_ptr<char[]> block(new char[sizeof size + size]);
  std::memcpy(block.get(), &size, sizeof size);
  std::memcpy(block.get() + sizeof size, iOrigin.data(), size);
  origin_ = std::move(block);
}

const std::string& MemProduct::NoText() {
  static const std::string* none = new std::string;
  return *none;
}

const std::vector<MemProduct*>& MemProduct::NoProducts() {
  static const std::vector<MemProduct*>* none = new std::vector<MemProduct*>;
  return *none;
}

MemProduct* MemProduct::From(const CATBaseUnknown_var& iObject) {
  return From(iObject.Get());
}

namespace {

// The MemProduct that iIdentity is, null for any other object. MemProduct
// is final, so every product is a complete object of that one class and
// its CATBaseUnknown part lies at the same offset from its start in all of
// them: the constructor notes the offset, and a product is found from its
// identity by subtraction. A query or a dynamic_cast through the virtual
// base would cost a hundred instructions or more, and products are looked
// up on every call of the host's services.
MemProduct* AsProduct(const CATBaseUnknown* iIdentity) {
  if (iIdentity == nullptr || iIdentity->GetMetaObject() != MemProduct::MetaObject()) {
    return nullptr;
  }
  const char* unknown = reinterpret_cast<const char*>(iIdentity);
  return reinterpret_cast<MemProduct*>(const_cast<char*>(unknown - g_unknown_offset));
}

}  // namespace

MemProduct* MemProduct::From(const CATBaseUnknown* iObject) {
  if (iObject == nullptr) return nullptr;
  MemProduct* product = AsProduct(iObject->GetIdentity());
  if (product == nullptr) {
    // An interface object whose identity is its own still answers the
    // product's interfaces through the object it extends.
    void* out = nullptr;
    CATBaseUnknown* object = const_cast<CATBaseUnknown*>(iObject);
    if (object->QueryInterface(IID_CATIProduct, &out) < 0 || out == nullptr) {
      return nullptr;
    }
    CATIProduct* as_product = static_cast<CATIProduct*>(out);
    product = AsProduct(as_product->GetIdentity());
    as_product->Release();  // the product outlives this call: its owner holds it
  }
  if (product == nullptr || !product->IsAttached()) return nullptr;
  return product;
}

MemProduct* MemProduct::Father() const {
  if (owner_ == nullptr) return nullptr;
  if (owner_->is_root_) return owner_;
  if (owner_->R().instances_.empty()) return owner_;  // a reference being built
  return owner_->R().instances_.front();
}

MemProduct* MemProduct::Top() {
  MemProduct* top = this;
  while (MemProduct* father = top->Father()) top = father;
  return top;
}

const std::vector<MemProduct*>& MemProduct::Children() const {
  return Reference()->R().children_;
}

int MemProduct::IndexOf(const MemProduct* iChild) const {
  const std::vector<MemProduct*>& children = Children();
  for (size_t i = 0; i < children.size(); ++i) {
    if (children[i] == iChild) return static_cast<int>(i);
  }
  return -1;
}

MemProduct* MemProduct::FindChild(const std::string& iName) const {
  const MemProduct* reference = Reference();
  if (reference->R().children_.empty()) return nullptr;
  RefExtra& extra = MutableExtra();
  if (!extra.name_index_) {
    auto index = std::make_unique<std::unordered_map<std::string, MemProduct*>>();
    index->reserve(reference->R().children_.size());
    for (MemProduct* child : reference->R().children_) index->emplace(child->O().name_, child);
    extra.name_index_ = std::move(index);
  }
  auto it = extra.name_index_->find(iName);
  return it == extra.name_index_->end() ? nullptr : it->second;
}

int MemProduct::Depth() const {
  int depth = 1;
  for (const MemProduct* p = Father(); p; p = p->Father()) ++depth;
  return depth;
}

bool MemProduct::IsBelow(const MemProduct* iAncestor) const {
  for (const MemProduct* p = this; p; p = p->Father()) {
    if (p == iAncestor) return true;
  }
  return false;
}

bool MemProduct::PathFrom(const MemProduct* iRoot, std::string& oPath) const {
  oPath.clear();
  // The names from this product up, on the stack for the usual depths: a
  // path is built for every record of a list.
  constexpr size_t kInline = 32;
  const std::string* inline_names[kInline];
  std::vector<const std::string*> more;
  size_t count = 0;
  size_t size = 0;
  const MemProduct* p = this;
  for (; p && p != iRoot; p = p->Father()) {
    const std::string* name = &p->O().name_;
    if (count < kInline) {
      inline_names[count] = name;
    } else {
      more.push_back(name);
    }
    ++count;
    size += name->size() + 1;
  }
  if (p == nullptr) return false;
  const std::string& top = iRoot->DisplayName();
  oPath.reserve(top.size() + size);
  oPath = top;
  for (size_t i = count; i-- > 0;) {
    oPath += '/';
    oPath += i < kInline ? *inline_names[i] : *more[i - kInline];
  }
  return true;
}

void MemProduct::SetInstanceName(const std::string& iName) {
  O().name_ = iName;
  if (owner_) owner_->InvalidateNameIndex();
}

const std::string& MemProduct::DisplayName() const {
  return IsRef() && O().name_.empty() ? PartNumber() : O().name_;
}

CATMathTransformation MemProduct::AbsolutePosition() const {
  if (IsRef()) return CATMathTransformation();
  const MemProduct* father = Father();
  if (father == nullptr) return Position();
  return father->AbsolutePosition() * Position();
}

// --- Reference data -------------------------------------------------------------

MemParm* MemProduct::FindParm(const std::string& iName) const {
  const auto& parms = Extra().parms_;
  auto it = parms.find(iName);
  return it == parms.end() ? nullptr : it->second;
}

MemParm* MemProduct::AddParm(const std::string& iName, const std::string& iValue) {
  auto& parms = MutableExtra().parms_;
  if (parms.count(iName)) return nullptr;
  MemParm* parm = new MemParm(iName, iValue);
  parms.emplace(iName, parm);
  return parm;
}

const MemShape* MemProduct::FindShape(std::string_view iName) const {
  for (const MemShape& shape : Reference()->R().shapes_) {
    if (shape.Name() == iName) return &shape;
  }
  return nullptr;
}

std::string_view MemShape::Storage() const {
  if (resolved != nullptr) return resolved->Storage();
  return texts_[2];
}

bool MemProduct::AddShape(MemShape iShape) {
  if (iShape.Name().empty() || FindShape(iShape.Name())) return false;
  // A shape copied from another session's product is resolved again here.
  if (iShape.resolved != nullptr && iShape.resolved->Session() != session_) {
    iShape.SetStorage(iShape.resolved->Storage());
  }
  if (iShape.resolved == nullptr && session_ != nullptr && !iShape.Storage().empty()) {
    iShape.Resolve(session_->FindDocument(iShape.Storage()));
  }
  Reference()->R().shapes_.push_back(std::move(iShape));
  return true;
}

bool MemProduct::RemoveShape(const std::string& iName) {
  MemProduct* reference = Reference();
  for (auto it = reference->R().shapes_.begin(); it != reference->R().shapes_.end(); ++it) {
    if (it->Name() == iName) {
      reference->R().shapes_.erase(it);
      if (reference->R().extra_ && reference->R().extra_->active_shape_ == iName) {
        reference->R().extra_->active_shape_.clear();
      }
      return true;
    }
  }
  return false;
}

void MemProduct::KeepShapeStorage() {
  if (ref_data_ == nullptr) return;
  for (MemShape& shape : ref_data_->shapes_) {
    if (shape.resolved != nullptr) shape.SetStorage(shape.resolved->Storage());
  }
}

const MemShape* MemProduct::ActiveShape() const {
  const MemProduct* reference = Reference();
  if (reference->R().shapes_.empty()) return nullptr;
  if (!ActiveShapeName().empty()) {
    if (const MemShape* shape = FindShape(ActiveShapeName())) return shape;
  }
  if (const MemShape* shape = FindShape("Default")) return shape;
  return &reference->R().shapes_.front();
}

bool MemProduct::SetActiveShape(const std::string& iName) {
  if (FindShape(iName) == nullptr) return false;
  MutableExtra().active_shape_ = iName;
  return true;
}

// --- Object data ----------------------------------------------------------------

int MemProduct::NodeType() const {
  if (node_type_ >= 0) return node_type_;
  const MemProduct* reference = Reference();
  if (IsRef()) {
    if (is_root_) return 1;
    switch (R().kind_) {
      case MemKind::kComponent:
      case MemKind::kProduct: return 6;
      case MemKind::kPart: return 7;
      case MemKind::kModel: return 8;
      case MemKind::kOther: return 9;
    }
    return 0;
  }
  if (reference->node_type_ >= 0) return reference->node_type_;
  switch (reference->R().kind_) {
    case MemKind::kComponent: return 2;
    case MemKind::kProduct: return 3;
    case MemKind::kPart: return 4;
    case MemKind::kModel: return 5;
    case MemKind::kOther: return 9;
  }
  return 0;
}

bool MemProduct::IsLoadedInContext() const {
  for (const MemProduct* p = this; p; p = p->Father()) {
    if (!p->loaded_) return false;
  }
  return true;
}

std::string MemProduct::DescriptiveText() const {
  if (IsRef()) return R().part_number_;
  return O().name_ + " (" + PartNumber() + ")";
}

// --- CATBaseUnknown -------------------------------------------------------------

HRESULT MemProduct::QueryInterface(const IID& iIID, void** oPtr) {
  if (iIID == IID_CATIProduct) return Answer(static_cast<CATIProduct*>(this), oPtr);
  if (iIID == IID_CATIMovable) return NewFacet<MemMovable>(this, oPtr);
  if (iIID == IID_CATILinkableObject) return NewFacet<MemLinkable>(this, oPtr);
  if (iIID == IID_CATISpecAttrAccess) return NewFacet<MemAttrAccess>(this, oPtr);
  if (iIID == IID_CATIProductShape) return NewFacet<MemShapes>(this, oPtr);
  if (iIID == IID_CATIProductReplace) return NewFacet<MemReplace>(this, oPtr);
  if (iIID == IID_CATIProductInSession) return NewFacet<MemInSession>(this, oPtr);
  return CATBaseUnknown::QueryInterface(iIID, oPtr);
}

CATMetaClass* MemProduct::MetaObject() {
  static CATMetaClass meta(IID_MemProduct, "MemProduct",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "ASMPRODUCT", "Host");
  return &meta;
}

const char* MemProduct::ClassName() { return "MemProduct"; }
CATMetaClass* MemProduct::GetMetaObject() const { return MetaObject(); }
const char* MemProduct::IsA() const { return ClassName(); }

// --- CATIProduct ----------------------------------------------------------------

HRESULT MemProduct::IsReference() const {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kProductIsReference, this, rc)) return rc;
  return IsRef() ? S_OK : E_FAIL;
}

CATIProduct_var MemProduct::GetReferenceProduct() {
  return CATIProduct_var(static_cast<CATIProduct*>(Reference()));
}

CATIProduct_var MemProduct::GetFatherProduct() {
  MemProduct* father = Father();
  if (father == nullptr) return CATIProduct_var();
  return CATIProduct_var(static_cast<CATIProduct*>(father));
}

HRESULT MemProduct::GetShapeRep(CATBaseUnknown_var& oRep,
                                const CATUnicodeString& iName, int, int, int) {
  oRep = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kProductGetShapeRep, this, rc)) return rc;
  const MemShape* shape = FindShape(iName.ToStdString());
  if (shape == nullptr) return S_FALSE;
  MemDocument* document = nullptr;
  if (session_ && !shape->Storage().empty()) {
    if (shape->resolved == nullptr) {
      shape->Resolve(session_->FindDocument(shape->Storage()));
    }
    document = shape->resolved;
  }
  MemShapeRep* rep = new MemShapeRep(document);
  oRep = static_cast<CATBaseUnknown*>(static_cast<CATILinkableObject*>(rep));
  rep->Release();
  return S_OK;
}

CATUnicodeString MemProduct::GetDescriptiveText() {
  return CATUnicodeString(DescriptiveText());
}

// --- CATIMovable ----------------------------------------------------------------

HRESULT MemProduct::GetPosition(CATMathTransformation& oPosition,
                                const CATIMovable_var& iReference, int, int) {
  oPosition = CATMathTransformation();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kMovableGetPosition, this, rc)) return rc;
  if (!IsAttached()) return E_FAIL;
  if (!iReference) {
    oPosition = AbsolutePosition();
    return S_OK;
  }
  MemProduct* other = From(iReference.Get());
  if (other == nullptr || other->Top() != Top()) return E_FAIL;
  oPosition = other->AbsolutePosition().Inverse() * AbsolutePosition();
  return S_OK;
}

// --- CATILinkableObject -----------------------------------------------------------

CATDocument* MemProduct::GetDocument() { return document_; }

// --- CATISpecAttrAccess -----------------------------------------------------------

CATISpecAttrKey* MemProduct::GetAttrKey(const char* iName) {
  if (iName == nullptr || std::strcmp(iName, kOriginAttribute) != 0) return nullptr;
  if (!HasOrigin()) return nullptr;
  return new CATISpecAttrKey(CATUnicodeString(kOriginAttribute));
}

CATUnicodeString MemProduct::GetString(CATISpecAttrKey* iKey, int iIndex) {
  if (iKey == nullptr || iIndex != 0 || !HasOrigin()) return CATUnicodeString();
  if (iKey->GetName().ToStdString() != kOriginAttribute) return CATUnicodeString();
  return CATUnicodeString(std::string(Origin()));
}

// --- CATIProductShape -------------------------------------------------------------

HRESULT MemProduct::GetShapeFilePath(CATUnicodeString& oPath) {
  oPath = CATUnicodeString();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kShapeGetShapeFilePath, this, rc)) return rc;
  const MemShape* shape = ActiveShape();
  SetText(shape ? shape->Path() : std::string_view(), oPath);
  return shape ? S_OK : S_FALSE;
}

HRESULT MemProduct::GetShapeName(CATUnicodeString& oName) {
  oName = CATUnicodeString();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kShapeGetShapeName, this, rc)) return rc;
  const MemShape* shape = ActiveShape();
  SetText(shape ? shape->Name() : std::string_view(), oName);
  return shape ? S_OK : S_FALSE;
}

HRESULT MemProduct::RemoveShapeRepresentation(const CATUnicodeString& iName, int,
                                              CATBoolean) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kShapeRemoveShapeRepresentation, this, rc)) {
    return rc;
  }
  return RemoveShape(iName.ToStdString()) ? S_OK : E_FAIL;
}

HRESULT MemProduct::AddShapeRepresentation(const CATUnicodeString& iPath,
                                           const CATUnicodeString& iName, int,
                                           CATBoolean) {
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kShapeAddShapeRepresentation, this, rc)) {
    return rc;
  }
  if (iPath.IsEmpty() || iName.IsEmpty()) return E_INVALIDARG;
  if (FindShape(iName.ToStdString())) return E_FAIL;
  MemShape shape(iName.ToStdString(), iPath.ToStdString(), iPath.ToStdString());
  if (session_) shape.Resolve(session_->ShapeDocument(shape.Storage()));
  AddShape(shape);
  return S_OK;
}

// --- CATIProductReplace -----------------------------------------------------------

HRESULT MemProduct::ReplaceComponent(const CATIProduct_var& iOldInstance,
                                     const CATIProduct_var& iNewReference,
                                     CATBoolean iAllInstances,
                                     CATIProduct_var& oNewComponent) {
  oNewComponent = nullptr;
  HRESULT fault = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kReplaceComponent, From(iOldInstance.Get()),
                     fault)) {
    return fault;
  }
  MemProduct* old_instance = From(iOldInstance.Get());
  MemProduct* new_reference = From(iNewReference.Get());
  if (old_instance == nullptr || new_reference == nullptr || !IsAttached() ||
      old_instance->IsRef() || old_instance->owner_ != Reference() ||
      !new_reference->IsRef()) {
    return E_INVALIDARG;
  }
  std::vector<MemProduct*> targets{old_instance};
  if (iAllInstances) {
    for (MemProduct* other : old_instance->Reference()->R().instances_) {
      if (other != old_instance) targets.push_back(other);
    }
  }
  // Keep the old reference alive while its instances go.
  CATBaseUnknown_var keep(static_cast<CATIProduct*>(old_instance->Reference()));
  HRESULT rc = S_OK;
  for (MemProduct* target : targets) {
    MemProduct* replaced = session_->Replace(target, new_reference);
    if (replaced == nullptr) {
      rc = E_FAIL;
      break;
    }
    if (target == old_instance) {
      oNewComponent = CATIProduct_var(static_cast<CATIProduct*>(replaced));
    }
  }
  return rc;
}

// --- CATIProductInSession ----------------------------------------------------------

HRESULT MemProduct::ActivateShape(const CATUnicodeString& iShapeName,
                                  CATBoolean iLoad, int iKind,
                                  CATUnicodeString& oPrevious, CATBoolean iShow,
                                  CATBoolean iAllInstances) {
  oPrevious = CATUnicodeString();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kActivateShape, this, rc)) return rc;
  const MemShape* active = ActiveShape();
  SetText(active ? active->Name() : std::string_view(), oPrevious);
  if (iKind != 0) return E_INVALIDARG;
  if (!SetActiveShape(iShapeName.ToStdString())) return E_FAIL;
  std::vector<MemProduct*> products{this};
  if (iAllInstances) {
    for (MemProduct* instance : Reference()->R().instances_) {
      if (instance != this) products.push_back(instance);
    }
  }
  for (MemProduct* product : products) {
    if (iLoad) product->loaded_ = true;
    if (iShow && !std::as_const(*product).Graphic().shown) product->Graphic().shown = true;
  }
  return S_OK;
}
