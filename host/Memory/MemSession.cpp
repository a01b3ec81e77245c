#include "MemSession.h"

#include <algorithm>
#include <cstdio>

#include "CATApplication.h"
#include "CATFrmEditor.h"
#include "CATGetEnv.h"
#include "CATGetSystemInfo.h"
#include "MemFaults.h"

namespace {

MemSession::SettingsObserver g_settings_observer = nullptr;

CATApplication& InteractiveApplication() {
  static CATInteractiveApplication* application = new CATInteractiveApplication;
  return *application;
}

std::string TrimBlanks(const std::string& iText) {
  size_t end = iText.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : iText.substr(0, end + 1);
}

}  // namespace

MemSession::MemSession() : environment_object_(new MemDocEnvironment) {}

MemSession::~MemSession() {
  Close();
  environment_object_->Release();
}

MemSession& MemSession::Current() {
  static MemSession* session = [] {
    MemSession* current = new MemSession;
    CATFrmLayout::Set(current);  // the host's windows are this session's
    return current;
  }();
  return *session;
}

namespace {
// The current session is made when the host is loaded, so that counts of
// live objects taken later do not see its document environment appear.
const MemSession& g_current_at_load = MemSession::Current();
}  // namespace

void MemSession::Close() {
  UndoGlobals();
  current_editor_ = nullptr;
  pinned_.clear();
  // Detach everything first, then release: releases may delete products
  // that others still point at.
  std::vector<MemProduct*> references;
  references.swap(references_);
  by_part_number_.clear();
  by_number_order_.clear();
  number_order_built_ = false;
  std::vector<MemProduct*> children;
  for (MemProduct* reference : references) {
    reference->KeepShapeStorage();
    reference->session_ = nullptr;
    reference->slot_ = -1;
    reference->document_ = nullptr;
    reference->is_root_ = false;
    reference->R().pinned_ = false;
    reference->R().instances_.clear();
    reference->InvalidateNameIndex();
    for (MemProduct* child : reference->R().children_) {
      child->session_ = nullptr;
      child->document_ = nullptr;
      child->owner_ = nullptr;
      child->slot_ = -1;
      children.push_back(child);
    }
    reference->R().children_.clear();
  }
  std::vector<MemDocument*> documents;
  documents.swap(documents_);
  by_storage_.clear();
  by_doc_id_.clear();
  std::vector<MemProduct*> roots;
  for (MemDocument* document : documents) {
    document->session_ = nullptr;
    if (document->root_) roots.push_back(document->root_);
    document->root_ = nullptr;
    document->editor_.reset();
  }
  for (MemProduct* child : children) child->Release();
  for (MemProduct* root : roots) root->Release();
  for (MemProduct* reference : references) reference->Release();
  for (MemDocument* document : documents) document->Release();
  environment_object_->Release();
  environment_object_ = new MemDocEnvironment;

  replacements_.clear();
  by_old_.clear();
  by_new_.clear();
  settings_ = MemSettings();
  environment_.clear();
  os_type_ = -1;
  interactive_ = false;
}

// --- Documents -------------------------------------------------------------------

std::vector<MemDocument*> MemSession::ProductDocuments() const {
  std::vector<MemDocument*> result;
  for (MemDocument* document : documents_) {
    if (document->IsProductDocument()) result.push_back(document);
  }
  return result;
}

MemDocument* MemSession::FindDocument(std::string_view iStorage) const {
  return by_storage_.Find(iStorage);
}

MemDocument* MemSession::NewShapeDocument(const std::string& iStorage) {
  if (iStorage.empty() || by_storage_.Find(iStorage)) return nullptr;
  return OpenShapeDocument(iStorage);
}

MemDocument* MemSession::OpenShapeDocument(std::string_view iStorage) {
  MemDocument* document = new MemDocument;
  document->session_ = this;
  document->storage_.Set(0, iStorage);
  document->name_is_storage_ = true;
  environment_object_->AddRef();
  document->environment_ = environment_object_;
  documents_.push_back(document);
  by_storage_.Insert(document);
  return document;
}

MemDocument* MemSession::NewProductDocument(const std::string& iName,
                                            const std::string& iStorage,
                                            const std::string& iRootPartNumber,
                                            bool iPdm) {
  MemDocument* document = NewShapeDocument(iStorage);
  if (document == nullptr) return nullptr;
  document->SetName(iName);
  document->pdm_ = iPdm;
  MemProduct* root = NewReference(document, iRootPartNumber, MemKind::kProduct);
  root->is_root_ = true;
  root->AddRef();  // the document's reference
  document->root_ = root;
  document->editor_ = std::make_unique<CATFrmEditor>(document, this);
  if (current_editor_ == nullptr) current_editor_ = document->editor_.get();
  return document;
}

MemDocument* MemSession::ShapeDocument(std::string_view iStorage) {
  if (iStorage.empty()) return nullptr;
  if (MemDocument* document = FindDocument(iStorage)) return document;
  return OpenShapeDocument(iStorage);
}

bool MemSession::SetDocId(MemDocument* iDocument, const std::string& iDocId,
                          const std::string& iDisplayName) {
  if (iDocument == nullptr || iDocument->session_ != this) return false;
  if (!iDocId.empty()) {
    auto it = by_doc_id_.find(iDocId);
    if (it != by_doc_id_.end() && it->second != iDocument) return false;
  }
  if (!iDocument->DocId().empty()) {
    by_doc_id_.erase(iDocument->DocId());
    environment_object_->Forget(iDocument->DocId());
  }
  if (iDocId.empty() && iDisplayName.empty() && !iDocument->names_) return true;
  MemDocument::NameData& names = iDocument->MutableNames();
  names.doc_id = iDocId;
  names.display_name = iDisplayName;
  if (!iDocId.empty()) {
    by_doc_id_[iDocument->DocId()] = iDocument;  // a view of the document's own text
    environment_object_->SetDisplayName(iDocId, iDisplayName);
  }
  return true;
}

// --- Products ----------------------------------------------------------------------

void MemSession::Register(MemProduct* iReference) {
  if (!iReference->R().part_number_.empty()) {
    by_part_number_.Insert(iReference);
  }
  List(iReference);
}

void MemSession::List(MemProduct* iReference) {
  iReference->session_ = this;
  iReference->slot_ = static_cast<int>(references_.size());
  references_.push_back(iReference);
  if (number_order_built_) by_number_order_.emplace(iReference->R().part_number_, iReference);
}

void MemSession::Unregister(MemProduct* iReference) {
  const int slot = iReference->slot_;
  if (slot >= 0 && slot < static_cast<int>(references_.size()) &&
      references_[slot] == iReference) {
    MemProduct* last = references_.back();
    references_[slot] = last;
    last->slot_ = slot;
    references_.pop_back();
  }
  iReference->slot_ = -1;
  by_part_number_.Erase(iReference);
  if (number_order_built_) {
    by_number_order_.erase(
        std::pair<std::string_view, MemProduct*>(iReference->R().part_number_, iReference));
  }
}

void MemSession::BuildNumberOrder() const {
  if (number_order_built_) return;
  for (MemProduct* reference : references_) {
    by_number_order_.emplace(reference->R().part_number_, reference);
  }
  number_order_built_ = true;
}

MemProduct* MemSession::NewReference(MemDocument* iDocument,
                                     const std::string& iPartNumber,
                                     MemKind iKind) {
  MemProduct* reference = new MemProduct;  // the session's reference
  reference->R().part_number_ = UniquePartNumber(iPartNumber, iDocument);
  reference->R().kind_ = iKind;
  reference->document_ = iDocument;
  Register(reference);
  return reference;
}

MemProduct* MemSession::NewReferenceNumbered(MemDocument* iDocument,
                                             const std::string& iPartNumber, MemKind iKind) {
  MemProduct* reference = new MemProduct;  // the session's reference
  reference->R().part_number_ = iPartNumber;
  reference->R().kind_ = iKind;
  reference->document_ = iDocument;
  if (!iPartNumber.empty() && !by_part_number_.Insert(reference)) {
    reference->Release();
    return nullptr;
  }
  List(reference);
  return reference;
}

void MemSession::LinkInstance(MemProduct* iInstance, MemProduct* iReference) {
  iReference->AddRef();
  iInstance->reference_ = iReference;
  iInstance->slot_ = static_cast<int>(iReference->R().instances_.size());
  iReference->R().instances_.push_back(iInstance);
}

void MemSession::UnlinkInstance(MemProduct* iInstance) {
  MemProduct* reference = iInstance->reference_;
  int slot = iInstance->slot_;
  if (reference == nullptr || slot < 0) return;
  std::vector<MemProduct*>& instances = reference->R().instances_;
  MemProduct* last = instances.back();
  instances[slot] = last;
  last->slot_ = slot;
  instances.pop_back();
  iInstance->slot_ = -1;
}

namespace {

// True when iReference is iInner or holds it below, following each
// reference up to the one whose children hold its (single) instance.
bool Contains(const MemProduct* iReference, const MemProduct* iInner) {
  for (const MemProduct* r = iInner; r;) {
    if (r == iReference) return true;
    if (r->Instances().empty()) return false;
    const MemProduct* father = r->Instances().front()->Father();
    r = father ? father->Reference() : nullptr;
  }
  return false;
}

// Whether iReference may get a new instance below iFather (see NewInstance).
bool CanPlace(const MemProduct* iFather, const MemProduct* iReference) {
  if (!iReference->IsRef() || iReference->IsRoot()) return false;
  if (!iReference->Children().empty() && !iReference->Instances().empty()) {
    return false;
  }
  const MemProduct* father_reference = iFather->Reference();
  if (father_reference == iReference) return false;
  if (father_reference->Instances().size() > 1) return false;
  return !Contains(iReference, father_reference);
}

void InsertChild(std::vector<MemProduct*>& ioChildren, MemProduct* iChild,
                 int iIndex) {
  if (iIndex < 0 || iIndex >= static_cast<int>(ioChildren.size())) {
    ioChildren.push_back(iChild);
  } else {
    ioChildren.insert(ioChildren.begin() + iIndex, iChild);
  }
}

}  // namespace

void MemSession::SetDocument(MemProduct* iProduct, MemDocument* iDocument) {
  if (iProduct->document_ == iDocument) return;
  iProduct->document_ = iDocument;
  for (MemProduct* child : iProduct->Children()) SetDocument(child, iDocument);
}

MemProduct* MemSession::NewInstance(MemProduct* iFather, MemProduct* iReference,
                                    const std::string& iName, int iIndex) {
  if (iFather == nullptr || iReference == nullptr) return nullptr;
  if (iFather->session_ != this || iReference->session_ != this) return nullptr;
  if (!CanPlace(iFather, iReference)) return nullptr;
  MemProduct* father_reference = iFather->Reference();
  MemProduct* instance = new MemProduct;  // held by the father's children
  instance->session_ = this;
  instance->O().name_ = iName;
  instance->owner_ = father_reference;
  instance->document_ = iFather->document_;
  LinkInstance(instance, iReference);
  bool appended = iIndex < 0 || iIndex >= static_cast<int>(father_reference->R().children_.size());
  InsertChild(father_reference->R().children_, instance, iIndex);
  MemProduct::RefExtra* extra = father_reference->R().extra_.get();
  if (appended && extra && extra->name_index_) {
    extra->name_index_->emplace(iName, instance);
  } else {
    father_reference->InvalidateNameIndex();
  }
  // The children of a sub-assembly now live in the father's document.
  for (MemProduct* child : iReference->R().children_) SetDocument(child, instance->document_);
  return instance;
}

MemProduct* MemSession::NewComponent(MemProduct* iFather, const std::string& iName,
                                     const std::string& iPartNumber, MemKind iKind) {
  if (iFather == nullptr || iFather->session_ != this) return nullptr;
  if (iFather->Reference()->R().instances_.size() > 1) return nullptr;
  MemProduct* reference = NewReference(iFather->document_, iPartNumber, iKind);
  MemProduct* instance = NewInstance(iFather, reference, iName);
  if (instance == nullptr) DropReference(reference);
  return instance;
}

void MemSession::DetachInstance(MemProduct* iInstance) {
  MemProduct* reference = iInstance->reference_;
  UnlinkInstance(iInstance);
  iInstance->session_ = nullptr;
  iInstance->document_ = nullptr;
  iInstance->owner_ = nullptr;
  if (reference && reference->session_ == this && reference->R().instances_.empty() &&
      !reference->R().pinned_ && !reference->is_root_) {
    DropReference(reference);
  }
}

void MemSession::DropReference(MemProduct* iReference) {
  Unregister(iReference);
  iReference->KeepShapeStorage();
  iReference->session_ = nullptr;
  iReference->document_ = nullptr;
  iReference->InvalidateNameIndex();
  std::vector<MemProduct*> children;
  children.swap(iReference->R().children_);
  for (MemProduct* child : children) {
    DetachInstance(child);
    child->Release();
  }
  iReference->Release();  // the session's reference
}

HRESULT MemSession::Remove(MemProduct* iChild) {
  if (iChild == nullptr) return E_INVALIDARG;
  if (iChild->session_ != this || iChild->IsRef() || iChild->owner_ == nullptr) {
    return E_FAIL;
  }
  MemProduct* owner = iChild->owner_;
  auto it = std::find(owner->R().children_.begin(), owner->R().children_.end(), iChild);
  if (it == owner->R().children_.end()) return E_FAIL;
  owner->R().children_.erase(it);
  owner->InvalidateNameIndex();
  DetachInstance(iChild);
  iChild->Release();  // the father's reference
  return S_OK;
}

HRESULT MemSession::Move(MemProduct* iChild, MemProduct* iFather, int iIndex) {
  if (iChild == nullptr || iFather == nullptr) return E_INVALIDARG;
  if (iChild->session_ != this || iFather->session_ != this) return E_FAIL;
  if (iChild->IsRef() || iChild->owner_ == nullptr) return E_FAIL;
  if (iFather->IsBelow(iChild)) return E_FAIL;
  MemProduct* father_reference = iFather->Reference();
  if (father_reference->R().instances_.size() > 1) return E_FAIL;
  if (Contains(iChild->Reference(), father_reference)) return E_FAIL;
  MemProduct* owner = iChild->owner_;
  auto it = std::find(owner->R().children_.begin(), owner->R().children_.end(), iChild);
  if (it == owner->R().children_.end()) return E_FAIL;
  owner->R().children_.erase(it);
  owner->InvalidateNameIndex();
  InsertChild(father_reference->R().children_, iChild, iIndex);
  father_reference->InvalidateNameIndex();
  iChild->owner_ = father_reference;
  SetDocument(iChild, iFather->document_);
  return S_OK;
}

MemProduct* MemSession::Replace(MemProduct* iOld, MemProduct* iNewReference) {
  if (iOld == nullptr || iNewReference == nullptr) return nullptr;
  if (iOld->session_ != this || iOld->IsRef()) return nullptr;
  MemProduct* father = iOld->Father();
  if (father == nullptr) return nullptr;
  int index = iOld->owner_->IndexOf(iOld);
  MemProduct* instance = NewInstance(father, iNewReference, iOld->O().name_, index);
  if (instance == nullptr) return nullptr;
  instance->SetPosition(iOld->Position());
  if (iOld->O().graphic_) instance->Graphic() = *iOld->O().graphic_;
  Remove(iOld);
  return instance;
}

void MemSession::Pin(MemProduct* iReference) {
  if (iReference && iReference->IsRef() && iReference->session_ == this &&
      !iReference->R().pinned_ && !iReference->is_root_) {
    iReference->R().pinned_ = true;
    pinned_.push_back(iReference);
  }
}

// --- Part numbers ----------------------------------------------------------------------

MemProduct* MemSession::FindByPartNumber(const std::string& iPartNumber,
                                         const MemDocument* iDocument) const {
  if (iPartNumber.empty()) return nullptr;
  return by_part_number_.Find(PartKey{iDocument, iPartNumber});
}

std::vector<MemProduct*> MemSession::ReferencesNumbered(const std::string& iPartNumber,
                                                        bool iPrefix) const {
  BuildNumberOrder();
  const std::string_view wanted(iPartNumber);
  std::vector<MemProduct*> references;
  for (auto it = by_number_order_.lower_bound(
           std::pair<std::string_view, MemProduct*>(wanted, nullptr));
       it != by_number_order_.end(); ++it) {
    const std::string_view number = it->first;
    const bool matches =
        iPrefix ? number.substr(0, wanted.size()) == wanted : number == wanted;
    if (!matches) break;
    references.push_back(it->second);
  }
  return references;
}

HRESULT MemSession::SetPartNumber(MemProduct* iProduct, const std::string& iPartNumber) {
  if (iProduct == nullptr) return E_INVALIDARG;
  if (iProduct->session_ != this) return E_FAIL;
  MemProduct* reference = iProduct->Reference();
  if (reference->R().part_number_ == iPartNumber) return S_OK;
  if (FindByPartNumber(iPartNumber, reference->document_)) return S_FALSE;
  Unregister(reference);
  reference->R().part_number_ = iPartNumber;
  Register(reference);
  return S_OK;
}

std::string MemSession::UniquePartNumber(const std::string& iBase,
                                         const MemDocument* iDocument) const {
  if (iBase.empty() || !FindByPartNumber(iBase, iDocument)) return iBase;
  for (unsigned long n = 1;; ++n) {
    std::string candidate = iBase + "." + std::to_string(n);
    if (!FindByPartNumber(candidate, iDocument)) return candidate;
  }
}

// --- Replacement table --------------------------------------------------------------------

std::string MemSession::ReplacementKey(const std::string& iClink,
                                       const std::string& iEnv) {
  return iClink + '\x1f' + TrimBlanks(iEnv);
}

void MemSession::AddReplacement(const MemReplacement& iRow) {
  replacements_.push_back(iRow);
  size_t row = replacements_.size() - 1;
  by_old_.emplace(ReplacementKey(iRow.oldClink, iRow.env), row);
  by_new_.emplace(ReplacementKey(iRow.newClink, iRow.env), row);
}

const std::string* MemSession::FindReplacing(const std::string& iOldClink,
                                             const std::string& iEnv) const {
  auto it = by_old_.find(ReplacementKey(iOldClink, iEnv));
  if (it == by_old_.end()) it = by_old_.find(ReplacementKey(iOldClink, ""));
  return it == by_old_.end() ? nullptr : &replacements_[it->second].newClink;
}

const std::string* MemSession::FindReplaced(const std::string& iNewClink,
                                            const std::string& iEnv) const {
  auto it = by_new_.find(ReplacementKey(iNewClink, iEnv));
  if (it == by_new_.end()) it = by_new_.find(ReplacementKey(iNewClink, ""));
  return it == by_new_.end() ? nullptr : &replacements_[it->second].oldClink;
}

// --- Moving a loaded session in, and the process-wide state -------------------------

void MemSession::SetSettingsObserver(SettingsObserver iObserver) {
  g_settings_observer = iObserver;
}

void MemSession::TakeFrom(MemSession& iOther) {
  documents_.swap(iOther.documents_);
  by_storage_.swap(iOther.by_storage_);
  by_doc_id_.swap(iOther.by_doc_id_);
  references_.swap(iOther.references_);
  pinned_.swap(iOther.pinned_);
  by_part_number_.swap(iOther.by_part_number_);
  by_number_order_.swap(iOther.by_number_order_);
  std::swap(number_order_built_, iOther.number_order_built_);
  std::swap(current_editor_, iOther.current_editor_);
  std::swap(environment_object_, iOther.environment_object_);
  replacements_.swap(iOther.replacements_);
  by_old_.swap(iOther.by_old_);
  by_new_.swap(iOther.by_new_);
  settings_ = iOther.settings_;
  environment_.swap(iOther.environment_);
  os_type_ = iOther.os_type_;
  interactive_ = iOther.interactive_;
  for (MemDocument* document : documents_) {
    document->session_ = this;
    if (document->editor_) document->editor_->SetLayout(this);
  }
  for (MemProduct* reference : references_) {
    reference->session_ = this;
    for (MemProduct* child : reference->R().children_) child->session_ = this;
  }
}

void MemSession::ApplyGlobals() {
  for (const auto& entry : environment_) {
    CATSetEnvOverride(entry.first.c_str(), entry.second.c_str());
  }
  CATSetSystemOSType(os_type_);
  CATApplication::SetMainApplication(interactive_ ? &InteractiveApplication() : nullptr);
  if (settings_.present && g_settings_observer) g_settings_observer(&settings_);
  applied_globals_ = true;
}

void MemSession::UndoGlobals() {
  if (!applied_globals_) return;
  for (const auto& entry : environment_) CATRemoveEnvOverride(entry.first.c_str());
  CATSetSystemOSType(-1);
  CATApplication::SetMainApplication(nullptr);
  if (settings_.present && g_settings_observer) g_settings_observer(nullptr);
  MemFaults::Clear();
  applied_globals_ = false;
}
