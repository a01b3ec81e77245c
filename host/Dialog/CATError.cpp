#include "CATError.h"

#include "CATInternalError.h"
#include "CATMetaClass.h"
#include "CATMsgCatalog.h"

const IID IID_CATError = {"CATError"};
const IID IID_CATInternalError = {"CATInternalError"};

namespace {

// Holds the last error and releases it when the process ends.
struct LastErrorHolder {
  CATError* error = nullptr;
  const char* file = "";
  int line = 0;
  ~LastErrorHolder() {
    if (error) error->Release();
  }
};

LastErrorHolder& Holder() {
  static LastErrorHolder holder;
  return holder;
}

}  // namespace

CATError::CATError(const CATString& iKey, const CATString& iCatalog)
    : key_(iKey), catalog_(iCatalog) {}

void CATError::SetNLSParameters(int iNb, const CATUnicodeString* iParams) {
  params_.clear();
  for (int i = 0; iParams && i < iNb; ++i) params_.push_back(iParams[i]);
}

CATUnicodeString CATError::GetNLSMessage() const {
  return CATMsgCatalog::BuildMessage(catalog_, key_,
                                     params_.empty() ? nullptr : params_.data(),
                                     static_cast<int>(params_.size()),
                                     key_.CastToCharPtr());
}

HRESULT CATError::GetReturn(int, CATError* iError, CATBaseUnknown*,
                            const char* iFile, int iLine) {
  if (iError == nullptr) return E_FAIL;
  LastErrorHolder& holder = Holder();
  if (holder.error && holder.error != iError) holder.error->Release();
  holder.error = iError;
  holder.file = iFile ? iFile : "";
  holder.line = iLine;
  return E_FAIL;
}

CATError* CATError::LastError() { return Holder().error; }
const char* CATError::LastErrorFile() { return Holder().file; }
int CATError::LastErrorLine() { return Holder().line; }

void CATError::ClearLastError() {
  LastErrorHolder& holder = Holder();
  if (holder.error) holder.error->Release();
  holder.error = nullptr;
  holder.file = "";
  holder.line = 0;
}

CATMetaClass* CATError::MetaObject() {
  static CATMetaClass meta(IID_CATError, "CATError", CATBaseUnknown::MetaObject(),
                           CATImplementationKind, "CATNull", "Host");
  return &meta;
}
const char* CATError::ClassName() { return "CATError"; }
const IID& CATError::ClassId() { return IID_CATError; }
CATMetaClass* CATError::GetMetaObject() const { return MetaObject(); }
const char* CATError::IsA() const { return ClassName(); }

CATMetaClass* CATInternalError::MetaObject() {
  static CATMetaClass meta(IID_CATInternalError, "CATInternalError",
                           CATError::MetaObject(), CATImplementationKind, "CATNull",
                           "Host");
  return &meta;
}
const char* CATInternalError::ClassName() { return "CATInternalError"; }
const IID& CATInternalError::ClassId() { return IID_CATInternalError; }
CATMetaClass* CATInternalError::GetMetaObject() const { return MetaObject(); }
const char* CATInternalError::IsA() const { return ClassName(); }
