// A document of the in-memory session.
//
// A product document has a root product (a reference) and an editor (its
// window, with a selection and a highlight set). A document without a root
// holds shape representations only (a part file, a cached graphic); it is
// not listed among the session's product documents.
//
// Documents belong to their session, which holds one reference on each; a
// MemDocument* handed out is borrowed and valid until the session closes.
// The environment of every document is the session's document environment,
// which answers the display name of each document identifier it knows.
#ifndef KRVWD7_HOST_MEMDOCUMENT_H_
#define KRVWD7_HOST_MEMDOCUMENT_H_

#include <map>
#include <memory>
#include <string>

#include "CATDocument.h"
#include "CATFrmEditor.h"
#include "MemTextBlock.h"

class MemProduct;
class MemSession;

// Display names of document identifiers. Reference counted; shared by the
// documents of a session.
class MemDocEnvironment : public CATIDocEnvironment {
 public:
  // S_OK and the name of iId, E_FAIL when iId is null or unknown.
  HRESULT GetDisplayName(const CATIDocId* iId, CATUnicodeString& oName) override;
  // Records (or replaces) the display name of iId.
  void SetDisplayName(const std::string& iId, const std::string& iName);
  void Forget(const std::string& iId);

 private:
  std::map<std::string, std::string> names_;
};

class MemDocument : public CATDocument {
 public:
  // The document that iObject is (by identity), null for anything else.
  static MemDocument* From(CATBaseUnknown* iObject);

  // The name people see in the window title ("BlackBox.CATProduct").
  std::string_view Name() const { return name_is_storage_ ? Storage() : Names().name; }
  // The storage name (a file path, or a VPM storage name of fixed fields).
  std::string_view Storage() const { return storage_[0]; }
  // Identifier in the document environment ("" when the document has none)
  // and the display name the environment answers for it.
  const std::string& DocId() const { return Names().doc_id; }
  const std::string& DisplayName() const { return Names().display_name; }
  // True for a document of the PDM system (VPM).
  bool IsPdm() const { return pdm_; }
  void SetPdm(bool iPdm) { pdm_ = iPdm; }
  // The root product, borrowed; null for a document without products.
  MemProduct* Root() const { return root_; }
  bool IsProductDocument() const { return root_ != nullptr; }
  // The editor of a product document (borrowed); null for the others.
  CATFrmEditor* Editor() const { return editor_.get(); }
  MemSession* Session() const { return session_; }

  // CATDocument.
  CATUnicodeString StorageName() const override;
  // E_FAIL and null when DocId() is empty; otherwise a new identifier.
  HRESULT GetDocId(CATIDocId** oDocId) override;
  // The session's environment (one reference for the caller); E_FAIL when
  // the document has no identifier or is closed.
  HRESULT GetDocEnvironment(CATIDocEnvironment** oEnvironment) override;

  static CATMetaClass* MetaObject();
  static const char* ClassName();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;

 private:
  friend class MemSession;
  friend class MemSessionLoader;
  MemDocument() = default;
  ~MemDocument() override;
  // Documents come from a pool (MemPool.h): a part has one of its own.
  static void* operator new(size_t iSize);
  static void operator delete(void* iBlock);
  void SetName(const std::string& iName) {
    MutableNames().name = iName;
    name_is_storage_ = false;
  }

  // The texts a product document has and the many shape documents of a
  // large session do not: made on the first one set.
  struct NameData {
    std::string name;  // unused while the name is the storage name
    std::string doc_id;
    std::string display_name;
  };
  const NameData& Names() const { return names_ ? *names_ : NoNames(); }
  NameData& MutableNames() {
    if (!names_) names_ = std::make_unique<NameData>();
    return *names_;
  }
  static const NameData& NoNames();

  MemSession* session_ = nullptr;
  // Fixed once the document is opened. One block: a large session has a
  // document per part.
  MemTextBlock<1> storage_;
  std::unique_ptr<NameData> names_;  // null: every name text is empty
  bool name_is_storage_ = false;  // the name is the storage name
  bool pdm_ = false;
  MemProduct* root_ = nullptr;  // one reference held
  std::unique_ptr<CATFrmEditor> editor_;
  MemDocEnvironment* environment_ = nullptr;  // one reference held
};

#endif  // KRVWD7_HOST_MEMDOCUMENT_H_
