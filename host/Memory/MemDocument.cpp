#include "MemDocument.h"

#include "MemFaults.h"
#include "MemPool.h"

#include "CATMetaClass.h"
#include "MemProduct.h"
#include "MemSession.h"

namespace {
const IID IID_MemDocument = {"MemDocument"};
}  // namespace

// --- MemDocEnvironment ---------------------------------------------------------

HRESULT MemDocEnvironment::GetDisplayName(const CATIDocId* iId,
                                          CATUnicodeString& oName) {
  oName = CATUnicodeString();
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kEnvironmentGetDisplayName, rc)) return rc;
  if (iId == nullptr) return E_FAIL;
  auto it = names_.find(iId->GetId().ToStdString());
  if (it == names_.end()) return E_FAIL;
  oName = CATUnicodeString(it->second);
  return S_OK;
}

void MemDocEnvironment::SetDisplayName(const std::string& iId,
                                       const std::string& iName) {
  names_[iId] = iName;
}

void MemDocEnvironment::Forget(const std::string& iId) { names_.erase(iId); }

// --- MemDocument ---------------------------------------------------------------

MemDocument::~MemDocument() {
  if (root_) root_->Release();
  if (environment_) environment_->Release();
}

void* MemDocument::operator new(size_t /*iSize: sizeof(MemDocument), nothing derives*/) {
  static MemPool& pool = MemPool::OfSize(sizeof(MemDocument));
  return pool.Allocate();
}

void MemDocument::operator delete(void* iBlock) {
  static MemPool& pool = MemPool::OfSize(sizeof(MemDocument));
  pool.Free(iBlock);
}

MemDocument* MemDocument::From(CATBaseUnknown* iObject) {
  if (iObject == nullptr) return nullptr;
  return dynamic_cast<MemDocument*>(
      const_cast<CATBaseUnknown*>(iObject->GetIdentity()));
}

CATUnicodeString MemDocument::StorageName() const {
  return CATUnicodeString(std::string(Storage()));
}

HRESULT MemDocument::GetDocId(CATIDocId** oDocId) {
  if (oDocId == nullptr) return E_INVALIDARG;
  *oDocId = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kDocumentGetDocId, this, rc)) {
    return rc;
  }
  if (DocId().empty()) return E_FAIL;
  *oDocId = new CATIDocId(CATUnicodeString(DocId()));
  return S_OK;
}

HRESULT MemDocument::GetDocEnvironment(CATIDocEnvironment** oEnvironment) {
  if (oEnvironment == nullptr) return E_INVALIDARG;
  *oEnvironment = nullptr;
  HRESULT rc = S_OK;
  if (MemFaults::HitDocument(MemFaultPoint::kDocumentGetDocEnvironment, this,
                             rc)) {
    return rc;
  }
  if (DocId().empty() || environment_ == nullptr || session_ == nullptr) {
    return E_FAIL;
  }
  environment_->AddRef();
  *oEnvironment = environment_;
  return S_OK;
}

const MemDocument::NameData& MemDocument::NoNames() {
  static const NameData* none = new NameData;
  return *none;
}

CATMetaClass* MemDocument::MetaObject() {
  static CATMetaClass meta(IID_MemDocument, "MemDocument",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "CATNull", "Host");
  return &meta;
}

const char* MemDocument::ClassName() { return "MemDocument"; }
CATMetaClass* MemDocument::GetMetaObject() const { return MetaObject(); }
const char* MemDocument::IsA() const { return ClassName(); }
