// The in-memory host session: open documents, their product structures, the
// VPM replacement table, and the session file that describes all of it.
//
// The process has one current session (Current()), which the host's
// services and the toolbox work on; further sessions may be made for tests
// and benchmarks. A session owns its documents, the products below their
// roots and the references declared by its file; Close() releases all of it
// and detaches every product that handles still hold.
//
// Structure edits keep these invariants (see MemProduct.h for the model):
//  - a reference with children has at most one instance; a document root
//    has none;
//  - non-empty part numbers are unique among the references of one
//    document (the document a reference was made in; references made
//    outside any document form one more scope). A black box and its PSN
//    are two documents, so their nodes may carry the same numbers, and a
//    leaf reference they share has one number. An index maps (document,
//    number) to the reference: look-ups and SetPartNumber are O(1);
//  - a reference that loses its last instance leaves the session (with
//    everything below it) unless the session file declared it.
//
// Loading a session file checks the whole file before anything changes:
// on error the session stays as it was and the result says what is wrong
// and where. Not thread-safe: the host runs on one thread.
#ifndef KRVWD7_HOST_MEMSESSION_H_
#define KRVWD7_HOST_MEMSESSION_H_

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "CATBaseUnknown.h"
#include "CATMathTransformation.h"
#include "MemDocument.h"
#include "MemFlatIndex.h"
#include "MemProduct.h"

#include "CATFrmEditor.h"
namespace memfile {
struct LoadProgress;
}

// Result of a load or save: ok, or a message naming the file and the place.
struct MemResult {
  bool ok = true;
  std::string error;  // "file.json: documents[1].root.name: expected a string"
  explicit operator bool() const { return ok; }
  static MemResult Ok() { return MemResult(); }
  static MemResult Error(const std::string& iText) { return MemResult{false, iText}; }
};

// One row of the VPM replacement table: the component link iOld is now
// replaced by iNew; env "" applies to every environment.
struct MemReplacement {
  std::string oldClink;
  std::string newClink;
  std::string env;
};

// The black-box settings a session file gives (handed to the settings
// observer on load, written back as given).
struct MemSettings {
  struct Source {
    int source = 1;
    int attribute = 0;
    std::string property;
  };
  bool present = false;  // false: the file has no "settings"
  std::string psnDirectory;
  std::string noteTemplate;
  int trace = 0;
  Source version{1, 2, ""};  // the definition, as the settings library
  Source revision{1, 1, ""};
};

class MemSession : public CATFrmLayout {
 public:
  MemSession();
  ~MemSession() override;  // Close()
  MemSession(const MemSession&) = delete;
  MemSession& operator=(const MemSession&) = delete;

  // The process's session (made empty on first use; never destroyed).
  static MemSession& Current();

  // Releases every document, product and table; the session is empty.
  void Close();
  bool IsEmpty() const { return documents_.empty() && references_.empty(); }

  // --- Documents -----------------------------------------------------------
  // All documents in opening order (product documents and the others).
  const std::vector<MemDocument*>& Documents() const { return documents_; }
  // Product documents in opening order.
  std::vector<MemDocument*> ProductDocuments() const;
  // The document stored under iStorage, null when none. O(1).
  MemDocument* FindDocument(std::string_view iStorage) const;
  // Opens a new product document whose root is a new reference numbered
  // iRootPartNumber (made unique). Null when iStorage is empty or taken.
  MemDocument* NewProductDocument(const std::string& iName,
                                  const std::string& iStorage,
                                  const std::string& iRootPartNumber,
                                  bool iPdm = false);
  // Opens a document without products (a shape holder). Null when iStorage
  // is empty or taken.
  MemDocument* NewShapeDocument(const std::string& iStorage);
  // The document stored under iStorage, opened as a shape document when
  // there is none. Null for an empty storage name.
  MemDocument* ShapeDocument(std::string_view iStorage);
  // Gives iDocument an identifier and its display name (known to the
  // session's document environment). False when another document has iDocId.
  bool SetDocId(MemDocument* iDocument, const std::string& iDocId,
                const std::string& iDisplayName);

  // The window layout of the session's editors: the editor whose window is
  // current; null when no product document is open. Activating an editor
  // makes it current. The process's layout (CATFrmEditor::GetCurrentEditor)
  // is the current session's.
  CATFrmEditor* CurrentEditor() const override { return current_editor_; }
  void SetCurrentEditor(CATFrmEditor* iEditor) override {
    current_editor_ = iEditor;
  }

  // --- Products ----------------------------------------------------------
  // A new reference seen alone in iDocument (may be null), numbered
  // iPartNumber made unique (UniquePartNumber). Borrowed: it stays in the
  // session until it loses its last instance (Pin keeps it even then).
  MemProduct* NewReference(MemDocument* iDocument, const std::string& iPartNumber,
                           MemKind iKind);
  // A new instance of iReference named iName, appended to iFather's children
  // (or inserted at iIndex, 0-based, when 0 <= iIndex <= size). Null when
  // iFather or iReference is not in the session, iReference is not a
  // reference, is a document root, already has an instance while having
  // children, or when iReference is iFather's reference or above it (a
  // cycle), or iFather's reference has several instances (the child would
  // appear twice).
  MemProduct* NewInstance(MemProduct* iFather, MemProduct* iReference,
                          const std::string& iName, int iIndex = -1);
  // A new reference of iKind numbered iPartNumber (made unique) and its
  // instance named iName below iFather. Null as NewInstance.
  MemProduct* NewComponent(MemProduct* iFather, const std::string& iName,
                           const std::string& iPartNumber, MemKind iKind);
  // Removes the instance iChild from its father; it is detached with every
  // product below it. E_INVALIDARG for null, E_FAIL for a root, a reference
  // or a product not in the session.
  HRESULT Remove(MemProduct* iChild);
  // Moves the instance iChild under iFather (appended, or at iIndex). Its
  // position in the father is left unchanged (callers that keep the
  // absolute position recompute it). E_FAIL when iFather is iChild or below
  // it, when iFather's reference is shared, or for products not in the
  // session; E_INVALIDARG for null.
  HRESULT Move(MemProduct* iChild, MemProduct* iFather, int iIndex = -1);
  // Replaces the instance iOld by a new instance of iNewReference at the
  // same place among its father's children, with iOld's name, position and
  // graphic properties; iOld is removed. The new instance (borrowed), or
  // null, nothing changed, when NewInstance would refuse iNewReference.
  MemProduct* Replace(MemProduct* iOld, MemProduct* iNewReference);
  // Keeps iReference in the session without instances (a reference the
  // session file declares); Unpin lets it go with its last instance.
  void Pin(MemProduct* iReference);

  // The structural check: documents, references, instances and the
  // session's indexes agree with each other and every structure is a tree.
  // False with the first problem found, in words (tests run it after the
  // operations that change structures). O(size of the session).
  bool CheckInvariants(std::string& oProblem) const;

  // --- Part numbers --------------------------------------------------------
  // The reference of iDocument (null: of no document) numbered
  // iPartNumber; null when none (or iPartNumber "").
  MemProduct* FindByPartNumber(const std::string& iPartNumber,
                               const MemDocument* iDocument = nullptr) const;
  // Gives iProduct's reference the number iPartNumber: S_OK (also when it
  // already has it), S_FALSE and no change when another reference of the
  // same document has it, E_INVALIDARG for null, E_FAIL when not in the
  // session. "" is allowed and never clashes.
  HRESULT SetPartNumber(MemProduct* iProduct, const std::string& iPartNumber);
  // The references, of any document, numbered iPartNumber, or with iPrefix
  // those whose number begins with iPartNumber, by number (references of
  // one number in no fixed order). Borrowed. O(log n + the number of them).
  std::vector<MemProduct*> ReferencesNumbered(const std::string& iPartNumber,
                                              bool iPrefix) const;
  // iBase when free in iDocument (or empty), else iBase + ".1", ".2", ...
  // the first free.
  std::string UniquePartNumber(const std::string& iBase,
                               const MemDocument* iDocument = nullptr) const;
  // Number of references in the session (those with a part number or not).
  size_t ReferenceCount() const { return references_.size(); }

  // --- VPM replacement table -------------------------------------------------
  const std::vector<MemReplacement>& Replacements() const { return replacements_; }
  void AddReplacement(const MemReplacement& iRow);
  // The clink that replaces iOldClink in iEnv (rows with an empty env match
  // any; envs compare without trailing blanks), null when none. O(1).
  const std::string* FindReplacing(const std::string& iOldClink,
                                   const std::string& iEnv) const;
  // The old clink that iNewClink replaces in iEnv, null when none. O(1).
  const std::string* FindReplaced(const std::string& iNewClink,
                                  const std::string& iEnv) const;

  // --- Session-wide settings of the file ----------------------------------
  const MemSettings& Settings() const { return settings_; }
  // Told of the file's settings when a loaded session applies them (only
  // when the file has "settings"), and given null when closing the session
  // undoes them. The black-box settings library registers itself here, so
  // that the session does not depend on it. One observer per process;
  // null removes it.
  using SettingsObserver = void (*)(const MemSettings* iSettings);
  static void SetSettingsObserver(SettingsObserver iObserver);
  // Environment overrides applied on load (name -> value).
  const std::map<std::string, std::string>& Environment() const { return environment_; }
  int OsType() const { return os_type_; }          // -1: not set by the file
  bool Interactive() const { return interactive_; }

  // --- Session files (format in docs/session-format.md) ------------------
  // Replaces the session by the one in the file (or text). On error the
  // session, the settings, the environment and the faults stay as they were
  // and the message names the file and the place ("file: path: what", or
  // "file:line:column: invalid JSON: what"); a file that cannot be opened
  // gives the system's reason. iSourceName names the text in messages.
  MemResult Load(const std::string& iPath);
  MemResult LoadFromText(const std::string& iText, const std::string& iSourceName);
  // Writes the whole session atomically: streamed into a temporary file
  // beside iPath, synced, then renamed over it; the temporary file is
  // removed on every failure (see MemSessionFileIO.cpp).
  MemResult Save(const std::string& iPath) const;
  std::string SaveToText() const;

 private:
  friend class MemProduct;
  friend class MemSessionLoader;
  friend class MemSessionWriter;

  void Register(MemProduct* iReference);
  void Unregister(MemProduct* iReference);
  // Puts a reference whose part number is already indexed in the list.
  void List(MemProduct* iReference);
  // A new reference numbered exactly iPartNumber in iDocument, as a session
  // file gives it; null, nothing made, when another reference of iDocument
  // has that number. One index look-up (the loader's path).
  MemProduct* NewReferenceNumbered(MemDocument* iDocument, const std::string& iPartNumber,
                                   MemKind iKind);
  // Opens the shape document iStorage, known not to be open yet.
  MemDocument* OpenShapeDocument(std::string_view iStorage);
  // Builds by_number_order_ when it is not yet built.
  void BuildNumberOrder() const;
  void LinkInstance(MemProduct* iInstance, MemProduct* iReference);
  void UnlinkInstance(MemProduct* iInstance);
  // Detaches an instance taken out of its father (and what goes with it).
  void DetachInstance(MemProduct* iInstance);
  // Takes a reference out of the session with everything below it.
  void DropReference(MemProduct* iReference);
  void SetDocument(MemProduct* iProduct, MemDocument* iDocument);
  // Loads iSize bytes at iData (see Load); iProgress, when set, is told
  // how far the reader went (MemSessionFileIO.cpp).
  MemResult LoadFromBuffer(const char* iData, size_t iSize, const std::string& iSourceName,
                           const memfile::LoadProgress* iProgress);
  // Moves the whole content of iOther (a session built by the loader) into
  // this empty session.
  void TakeFrom(MemSession& iOther);
  // Applies (or undoes) the file's environment, OS type, application kind
  // and settings to the process.
  void ApplyGlobals();
  void UndoGlobals();
  // The key of a part number in a document scope; the number is a view
  // into the registered reference's own text, so that look-ups and the
  // index build no text.
  struct PartKey {
    const MemDocument* document;
    std::string_view number;
    bool operator==(const PartKey& iOther) const {
      return document == iOther.document && number == iOther.number;
    }
  };
  // How the indexes find their keys in what they hold.
  struct PartNumberKeys {
    using Key = PartKey;
    static Key KeyOf(const MemProduct* iReference) {
      return PartKey{iReference->document_, iReference->R().part_number_};
    }
    static size_t Hash(const Key& iKey) {
      return std::hash<std::string_view>()(iKey.number) ^
             (std::hash<const void*>()(iKey.document) * 31);
    }
  };
  struct StorageKeys {
    using Key = std::string_view;
    static Key KeyOf(const MemDocument* iDocument) { return iDocument->Storage(); }
    static size_t Hash(const Key& iKey) { return std::hash<std::string_view>()(iKey); }
  };
  static std::string ReplacementKey(const std::string& iClink,
                                    const std::string& iEnv);

  std::vector<MemDocument*> documents_;  // one reference each
  // Keys are views into the documents' own storage names and identifiers.
  MemFlatIndex<MemDocument, StorageKeys> by_storage_;
  std::unordered_map<std::string_view, MemDocument*> by_doc_id_;
  // One reference each; a reference knows its slot here (slot_),
  // so that adding and removing one are O(1) and allocate nothing.
  std::vector<MemProduct*> references_;
  std::vector<MemProduct*> pinned_;             // in pinning order (borrowed)
  // References with a part number, by (document, number).
  MemFlatIndex<MemProduct, PartNumberKeys> by_part_number_;
  // Every reference in the order of its part number (views into the
  // references' own numbers, as above), for look-ups across documents.
  // Built on the first such look-up and kept up to date from then on:
  // loading a session and the commands that never search pay nothing.
  mutable std::set<std::pair<std::string_view, MemProduct*>> by_number_order_;
  mutable bool number_order_built_ = false;
  CATFrmEditor* current_editor_ = nullptr;
  MemDocEnvironment* environment_object_ = nullptr;  // one reference held

  std::vector<MemReplacement> replacements_;
  std::unordered_map<std::string, size_t> by_old_;  // key -> row
  std::unordered_map<std::string, size_t> by_new_;

  MemSettings settings_;
  std::map<std::string, std::string> environment_;
  int os_type_ = -1;
  bool interactive_ = false;
  bool applied_globals_ = false;  // Load set the process-wide state above
};

#endif  // KRVWD7_HOST_MEMSESSION_H_
