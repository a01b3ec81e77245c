#include "CATBaseUnknown.h"

#include <cstdio>
#include <cstdlib>

#include "CATMetaClass.h"
#include "CATTie.h"

const IID IID_CATBaseUnknown = {"CATBaseUnknown"};
const CATBaseUnknown_var NULL_var;

namespace {

long g_live_objects = 0;

[[noreturn]] void CountingBug(const char* what, const CATBaseUnknown* object) {
  std::fprintf(stderr, "CATBaseUnknown: %s (object %p)\n", what,
               static_cast<const void*>(object));
  std::abort();
}

}  // namespace

CATBaseUnknown::CATBaseUnknown() : ref_(1), impl_(nullptr) { ++g_live_objects; }

CATBaseUnknown::CATBaseUnknown(const CATBaseUnknown&)
    : ref_(1), impl_(nullptr) {
  ++g_live_objects;
}

CATBaseUnknown& CATBaseUnknown::operator=(const CATBaseUnknown&) {
  return *this;  // count and binding stay with the object
}

CATBaseUnknown::~CATBaseUnknown() {
  if (ref_ > 1) CountingBug("deleted while references are held", this);
  if (impl_) impl_->Release();
  --g_live_objects;
}

HRESULT CATBaseUnknown::QueryInterface(const IID& iIID, void** oPtr) {
  *oPtr = nullptr;
  if (iIID == IID_CATBaseUnknown) {
    *oPtr = this;
    AddRef();
    return S_OK;
  }
  return CATInterfaceDictionary::Query(this, GetMetaObject()->GetLateType(), iIID,
                                       oPtr);
}

ULONG CATBaseUnknown::AddRef() { return ++ref_; }

ULONG CATBaseUnknown::Release() {
  if (ref_ == 0) CountingBug("released once too often", this);
  ULONG left = --ref_;
  if (left == 0) delete this;
  return left;
}

const CATBaseUnknown* CATBaseUnknown::GetIdentity() const {
  const CATBaseUnknown* object = this;
  while (object->impl_) object = object->impl_;
  return object;
}

int CATBaseUnknown::IsEqual(const CATBaseUnknown* iOther) const {
  if (iOther == nullptr) return 0;
  return GetIdentity() == iOther->GetIdentity() ? 1 : 0;
}

void CATBaseUnknown::SetImpl(CATBaseUnknown* iExtended) {
  if (iExtended) iExtended->AddRef();
  if (impl_) impl_->Release();
  impl_ = iExtended;
}

HRESULT CATBaseUnknown::GetTypeInfoCount(unsigned int* oCount) {
  if (oCount == nullptr) return E_INVALIDARG;
  *oCount = 0;
  return S_OK;
}

HRESULT CATBaseUnknown::GetTypeInfo(unsigned int, void** oInfo) {
  if (oInfo) *oInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT CATBaseUnknown::GetIDsOfNames(const char*, long* oDispId) {
  if (oDispId) *oDispId = -1;
  return E_NOTIMPL;
}

HRESULT CATBaseUnknown::Invoke(long, void*, void*) { return E_NOTIMPL; }

CATMetaClass* CATBaseUnknown::MetaObject() {
  static CATMetaClass meta(IID_CATBaseUnknown, "CATBaseUnknown", nullptr,
                           CATImplementationKind, "CATNull", "Host");
  return &meta;
}

const char* CATBaseUnknown::ClassName() { return "CATBaseUnknown"; }
const IID& CATBaseUnknown::ClassId() { return IID_CATBaseUnknown; }
CATBaseUnknown* CATBaseUnknown::CreateItself() { return nullptr; }
CATMetaClass* CATBaseUnknown::GetMetaObject() const { return MetaObject(); }
const char* CATBaseUnknown::IsA() const { return ClassName(); }

int CATBaseUnknown::IsAKindOf(const char* iClassName) const {
  return GetMetaObject()->IsAKindOf(iClassName);
}

long CATBaseUnknown::LiveObjects() { return g_live_objects; }
