// A product of the in-memory session: a reference or an instance.
//
// The structure is an occurrence tree. A document's root product is a
// reference; every other node is an instance placed in a father and bound to
// its own reference product (a separate object). The children of an
// occurrence are the children of its reference, in their order; a child's
// father is the occurrence above it (the single instance of the reference
// that holds it, or the document's root). Leaf references (parts, models,
// empty components) may be shared by several instances; a reference that has
// children has at most one instance, so an occurrence is never reached twice.
//
// What lives where:
//  - on the reference: part number, revision, definition, nomenclature,
//    description, user properties, knowledge parameters, shape
//    representations, the kind and the children. Accessors on an instance
//    read and write its reference's values.
//  - on each product object (instance, or reference seen alone or as root):
//    instance name, position in the father, text properties, VPM identity,
//    "CDMAorigin" attribute, graphic properties, explicit node type, loaded
//    flag and representation mode.
//
// Texts are UTF-8 std::strings. Every MemProduct* handed out is borrowed: it
// stays valid while the session holds the product (callers that keep one
// longer hold a reference through a handle). A product removed from the
// session (Delete, Close) is "detached": From() no longer finds it and the
// session's operations refuse it, but handles to it stay safe to release.
//
// Every product has the late type "ASMPRODUCT", so extensions that the
// interface dictionary declares for that type attach to it; its own
// interfaces (below) are answered first.
#ifndef KRVWD7_HOST_MEMPRODUCT_H_
#define KRVWD7_HOST_MEMPRODUCT_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CATBaseUnknown.h"
#include "CATICkeParm.h"
#include "CATILinkableObject.h"
#include "CATIMovable.h"
#include "CATIProduct.h"
#include "CATIProductInSession.h"
#include "CATIProductReplace.h"
#include "CATIProductShape.h"
#include "CATISpecAttrAccess.h"
#include "CATMathTransformation.h"
#include "KRVWD7UtiPackedPosition.h"
#include "MemTextBlock.h"
#include "MemTextMap.h"

class MemDocument;
class MemSession;

// What a reference stands for; gives the derived node types.
enum class MemKind {
  kComponent,  // a component without its own document (instance code 2)
  kProduct,    // an assembly product (instance code 3)
  kPart,       // a part (instance code 4, reference code 7)
  kModel,      // a model (instance code 5, reference code 8)
  kOther       // a further leaf kind (code 9)
};

// Representation mode of a product.
enum class MemMode : uint8_t { kDesign, kProduct, kVisu };

// VPM identity of a product object; empty texts mean "none". Its three
// texts are one block: every product of a PSN has one.
class MemVpm {
 public:
  MemVpm() = default;
  MemVpm(std::string_view iPrintableId, std::string_view iEnv, std::string_view iModelRevision) {
    texts_.Assign({iPrintableId, iEnv, iModelRevision});
  }

  std::string_view PrintableId() const { return texts_[0]; }    // 58-char head + 16-char clinks
  std::string_view Env() const { return texts_[1]; }            // instance environment path
  std::string_view ModelRevision() const { return texts_[2]; }  // revision of the product's model
  void SetPrintableId(std::string_view iValue) { texts_.Set(0, iValue); }
  void SetEnv(std::string_view iValue) { texts_.Set(1, iValue); }
  void SetModelRevision(std::string_view iValue) { texts_.Set(2, iValue); }

  friend bool operator==(const MemVpm& iLeft, const MemVpm& iRight) {
    return iLeft.texts_ == iRight.texts_;
  }

 private:
  MemTextBlock<3> texts_;
};

// A shape representation of a reference: its name ("Default", ...), the
// file path of the representation and the storage name of the document
// holding it.
//
// The storage name is kept as text only while the shape has no document of
// its session (resolved): once it is added to a product of a session that
// has that document, the name is read from the document, since a large
// session would otherwise hold every part's storage name twice. A
// reference leaving its session gets its text back (its documents may go
// with the session).
//
// A large session has a shape per part: the texts are one block (their
// lengths, then their bytes), and the shape two pointers.
class MemShape {
 public:
  MemShape() = default;
  MemShape(std::string_view iName, std::string_view iStorage, std::string_view iPath) {
    texts_.Assign({iName, iPath, iStorage});
  }

  std::string_view Name() const { return texts_[0]; }
  std::string_view Path() const { return texts_[1]; }
  // The session's document of the storage name, found on first use and
  // kept while the product is in the session.
  mutable MemDocument* resolved = nullptr;

  // The storage name of the document holding the shape; "" for none.
  std::string_view Storage() const;
  // Sets the storage name as text (the shape is no longer resolved).
  void SetStorage(std::string_view iStorage) {
    resolved = nullptr;
    texts_.Set(2, iStorage);
  }
  // Binds the shape to its document, dropping the text; a null document
  // changes nothing. REQUIRES: iDocument's storage name is Storage().
  void Resolve(MemDocument* iDocument) const {
    if (iDocument == nullptr) return;
    resolved = iDocument;
    if (!texts_[2].empty()) texts_.Set(2, {});
  }

 private:
  // The name, the path and, while unresolved, the storage name.
  mutable MemTextBlock<3> texts_;
};

// Graphic properties of a product object.
struct MemGraphic {
  std::string color;  // "#RRGGBB", "" for the inherited colour
  bool shown = true;  // show / no-show state
};

// A text knowledge parameter; lives on a reference. Reference counted.
class MemParm : public CATICkeParm {
 public:
  MemParm(const std::string& iName, const std::string& iValue)
      : name_(iName), value_(iValue) {}
  HRESULT QueryInterface(const IID& iIID, void** oPtr) override;
  CATUnicodeString Name() const override;
  HRESULT Valuate(const CATUnicodeString& iValue) override;
  CATUnicodeString Show() const override;

  const std::string& name() const { return name_; }
  const std::string& value() const { return value_; }
  void set_value(const std::string& iValue) { value_ = iValue; }

 private:
  std::string name_;
  std::string value_;
};

// A product answers CATIProduct itself. Its other interfaces (CATIMovable,
// CATILinkableObject, CATISpecAttrAccess, CATIProductShape,
// CATIProductReplace, CATIProductInSession) are answered by a small object
// made on each query and bound to the product as an extension is: its
// identity is the product, it holds one reference on it, and it answers the
// product's other interfaces through it. A session holds hundreds of
// thousands of products, and each interface base would cost every one of
// them a pointer. The members below implement those interfaces.
class MemProduct final : public CATIProduct {
 public:
  // The product that iObject stands for (the object itself, or the product
  // that an extension or interface object is bound to, by GetIdentity());
  // null for an empty handle, a non-product or a detached product. Borrowed.
  static MemProduct* From(const CATBaseUnknown_var& iObject);
  static MemProduct* From(const CATBaseUnknown* iObject);

  // --- Structure -------------------------------------------------------
  bool IsRef() const { return reference_ == nullptr; }
  // This product's reference (itself for a reference). Never null.
  MemProduct* Reference() { return reference_ ? reference_ : this; }
  const MemProduct* Reference() const { return reference_ ? reference_ : this; }
  // True for the root reference of a document.
  bool IsRoot() const { return is_root_; }
  // The occurrence above (instance or document root); null at the top and
  // for a reference seen alone.
  MemProduct* Father() const;
  // The top of this product's structure (a document root, or this product
  // when it is a reference seen alone). O(depth).
  MemProduct* Top();
  // Children in order (those of the reference for an instance). Borrowed.
  const std::vector<MemProduct*>& Children() const;
  // Position of iChild among Children(), -1 when it is not one. O(children).
  int IndexOf(const MemProduct* iChild) const;
  // The first direct child named iName, null when none. O(1) amortised.
  MemProduct* FindChild(const std::string& iName) const;
  // Instances of this reference in the session (any order). Borrowed.
  const std::vector<MemProduct*>& Instances() const {
    return ref_data_ ? ref_data_->instances_ : NoProducts();
  }
  // 1 + the number of fathers up to the top.
  int Depth() const;
  // True when iAncestor is this product or one of its fathers.
  bool IsBelow(const MemProduct* iAncestor) const;
  // The names from iRoot down to this product joined by "/": iRoot's
  // DisplayName() first, then the instance name of each product below it
  // ("BB-CAR/CAR.1/Axle.1"); iRoot's DisplayName() alone for iRoot itself.
  // False when this product is not below iRoot. O(depth).
  bool PathFrom(const MemProduct* iRoot, std::string& oPath) const;
  // The document that holds this product (borrowed; null when detached).
  MemDocument* Document() const { return document_; }
  // The session that holds the product; null when detached.
  MemSession* Session() const { return session_; }
  bool IsAttached() const { return session_ != nullptr; }

  // --- Attributes of the reference (read and written through instances) --
  const std::string& PartNumber() const { return Reference()->R().part_number_; }
  // Part numbers are changed through MemSession::SetPartNumber (uniqueness).
  const std::string& Revision() const { return Reference()->R().revision_; }
  const std::string& Definition() const { return Extra().definition_; }
  const std::string& Nomenclature() const { return Extra().nomenclature_; }
  const std::string& Description() const { return Extra().description_; }
  void SetRevision(const std::string& iValue) { Reference()->R().revision_ = iValue; }
  void SetDefinition(const std::string& iValue) { SetExtraText(&RefExtra::definition_, iValue); }
  void SetNomenclature(const std::string& iValue) {
    SetExtraText(&RefExtra::nomenclature_, iValue);
  }
  void SetDescription(const std::string& iValue) { SetExtraText(&RefExtra::description_, iValue); }
  MemKind Kind() const { return Reference()->R().kind_; }
  void SetKind(MemKind iKind) { Reference()->R().kind_ = iKind; }

  // User properties of the reference, by name.
  MemTextMap& UserProperties() { return Reference()->R().user_properties_; }
  const MemTextMap& UserProperties() const { return Reference()->R().user_properties_; }

  // Knowledge parameters of the reference. FindParm: borrowed, null when
  // absent. AddParm: the new parameter, null when one of that name exists.
  MemParm* FindParm(const std::string& iName) const;
  MemParm* AddParm(const std::string& iName, const std::string& iValue);
  // All parameters by name (each holds one reference owned by the product).
  const std::map<std::string, MemParm*>& Parms() const { return Extra().parms_; }

  // Shape representations of the reference, in creation order.
  const std::vector<MemShape>& Shapes() const { return Reference()->R().shapes_; }
  // The shape named iName, null when none.
  const MemShape* FindShape(std::string_view iName) const;
  // False when a shape of that name exists (or the name is empty).
  bool AddShape(MemShape iShape);
  // False when there is none of that name.
  bool RemoveShape(const std::string& iName);
  // The active shape: ActiveShapeName() or, when unset, "Default" if
  // present, else the first shape. Null when the reference has none.
  const MemShape* ActiveShape() const;
  const std::string& ActiveShapeName() const { return Extra().active_shape_; }
  // False when there is no shape of that name.
  bool SetActiveShape(const std::string& iName);

  // --- Data of this product object ----------------------------------------
  // The instance name; on a reference (a document root or a reference
  // alone) the name the session file gives it, usually none.
  const std::string& InstanceName() const { return O().name_; }
  void SetInstanceName(const std::string& iName);
  // The name a user sees for this product at the top of a tree or on an
  // instance: the instance name, or for a reference without one (a root
  // that the session file does not name) its part number.
  const std::string& DisplayName() const;
  // Position in the father (identity for a root or a reference alone).
  CATMathTransformation Position() const;
  void SetPosition(const CATMathTransformation& iPosition);
  // Composition of the positions from the top down to this product.
  CATMathTransformation AbsolutePosition() const;

  // Text properties of this object, by name.
  MemTextMap& Properties() { return O().properties_; }
  const MemTextMap& Properties() const { return O().properties_; }
  // The property's value, none when absent. The view is valid until this
  // object's properties next change.
  std::optional<std::string_view> FindProperty(std::string_view iName) const {
    return O().properties_.Find(iName);
  }

  MemVpm& Vpm() { return O().vpm_; }
  const MemVpm& Vpm() const { return O().vpm_; }
  // "CDMAorigin" attribute; HasOrigin() false means no such attribute.
  bool HasOrigin() const { return origin_ != nullptr; }
  std::string_view Origin() const;
  void SetOrigin(std::string_view iOrigin);
  void ClearOrigin() { origin_.reset(); }

  MemGraphic& Graphic() {
    ObjData& data = O();
    if (!data.graphic_) data.graphic_ = std::make_unique<MemGraphic>();
    return *data.graphic_;
  }
  const MemGraphic& Graphic() const { return O().graphic_ ? *O().graphic_ : NoGraphic(); }

  // Node type code 0 to 9: the explicit code when set (this object's, else
  // for an instance its reference's explicit code), otherwise derived:
  // document root 1; instance 2/3/4/5/9 by its reference's kind (component,
  // product, part, model, other); reference alone 6 (component or product),
  // 7 (part), 8 (model), 9 (other).
  int NodeType() const;
  // Explicit code (-1: none, derive it). REQUIRES: -1 <= iCode <= 9.
  int ExplicitNodeType() const { return node_type_; }
  void SetExplicitNodeType(int iCode) { node_type_ = static_cast<int8_t>(iCode); }

  // Loaded flag and representation mode. A product is visible to mode 2
  // listings when it and all its fathers are loaded.
  bool IsLoaded() const { return loaded_; }
  void SetLoaded(bool iLoaded) { loaded_ = iLoaded; }
  // True when this product and every father up to the top are loaded.
  bool IsLoadedInContext() const;
  MemMode Mode() const { return mode_; }
  void SetMode(MemMode iMode) { mode_ = iMode; }

  // Identifier of a reference in the session file ("" when it has none).
  const std::string& FileId() const { return Extra().file_id_; }
  void SetFileId(const std::string& iId) { SetExtraText(&RefExtra::file_id_, iId); }

  // "Name (PartNumber)" for an instance, "PartNumber" for a reference.
  std::string DescriptiveText() const;

  // --- CATBaseUnknown ------------------------------------------------------
  HRESULT QueryInterface(const IID& iIID, void** oPtr) override;
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;

  // --- CATIProduct ---------------------------------------------------------
  HRESULT IsReference() const override;  // S_OK on a reference, else E_FAIL
  CATIProduct_var GetReferenceProduct() override;
  CATIProduct_var GetFatherProduct() override;
  HRESULT GetShapeRep(CATBaseUnknown_var& oRep, const CATUnicodeString& iName,
                      int iStatus, int iFlag1, int iFlag2) override;
  CATUnicodeString GetDescriptiveText() override;
  // --- CATIMovable -------------------------------------------------------
  HRESULT GetPosition(CATMathTransformation& oPosition,
                      const CATIMovable_var& iReference, int iStatus,
                      int iFlag);
  // --- CATILinkableObject ----------------------------------------------
  CATDocument* GetDocument();
  // --- CATISpecAttrAccess (the "CDMAorigin" attribute) -------------------
  CATISpecAttrKey* GetAttrKey(const char* iName);
  CATUnicodeString GetString(CATISpecAttrKey* iKey, int iIndex);
  // --- CATIProductShape --------------------------------------------------
  HRESULT GetShapeFilePath(CATUnicodeString& oPath);
  HRESULT GetShapeName(CATUnicodeString& oName);
  HRESULT RemoveShapeRepresentation(const CATUnicodeString& iName, int iKind,
                                    CATBoolean iInContext);
  HRESULT AddShapeRepresentation(const CATUnicodeString& iPath,
                                 const CATUnicodeString& iName, int iKind,
                                 CATBoolean iInContext);
  // --- CATIProductReplace (name, position and graphic properties kept) ----
  HRESULT ReplaceComponent(const CATIProduct_var& iOldInstance,
                           const CATIProduct_var& iNewReference,
                           CATBoolean iAllInstances,
                           CATIProduct_var& oNewComponent);
  // --- CATIProductInSession ----------------------------------------------
  HRESULT ActivateShape(const CATUnicodeString& iShapeName, CATBoolean iLoad,
                        int iKind, CATUnicodeString& oPrevious, CATBoolean iShow,
                        CATBoolean iAllInstances);

 private:
  friend class MemSession;
  MemProduct();
  ~MemProduct() override;
  // Products come from a pool (MemPool.h).
  static void* operator new(size_t iSize);
  static void operator delete(void* iBlock);
  MemProduct(const MemProduct&) = delete;
  MemProduct& operator=(const MemProduct&) = delete;

  // Gives the shapes of a reference leaving its session their storage
  // names back (their documents may go with the session).
  void KeepShapeStorage();
  void InvalidateNameIndex() const {
    if (ref_data_ && ref_data_->extra_) ref_data_->extra_->name_index_.reset();
  }
  static const std::vector<MemProduct*>& NoProducts();
  static const std::string& NoText();
  static const MemGraphic& NoGraphic();

  MemSession* session_ = nullptr;
  MemDocument* document_ = nullptr;
  MemProduct* reference_ = nullptr;  // one reference held; null on a reference
  MemProduct* owner_ = nullptr;      // reference whose children hold this instance

  // Reference data, apart from the object so that instances (most of a
  // session's products) do not carry it. Made on first use: every
  // reference has it, an instance never asks (its accessors read its
  // reference's).
  // What few references have: made on the first value that is not empty,
  // so that the references of a large session stay small.
  struct RefExtra {
    std::string definition_, nomenclature_, description_;
    std::map<std::string, MemParm*> parms_;  // one reference each
    std::string active_shape_;
    std::string file_id_;
    // Children by instance name, made by the first FindChild.
    std::unique_ptr<std::unordered_map<std::string, MemProduct*>> name_index_;
  };
  struct RefData {
    std::string part_number_, revision_;
    MemKind kind_ = MemKind::kComponent;
    bool pinned_ = false;  // declared in the file's "references": kept without instances
    MemTextMap user_properties_;
    std::vector<MemShape> shapes_;
    std::vector<MemProduct*> children_;   // one reference each
    std::vector<MemProduct*> instances_;  // borrowed
    std::unique_ptr<RefExtra> extra_;     // null: every extra value is empty

    static void* operator new(size_t iSize);
    static void operator delete(void* iBlock);
  };
  RefData& R() const {
    if (ref_data_ == nullptr) ref_data_ = new RefData;
    return *ref_data_;
  }
  mutable RefData* ref_data_ = nullptr;  // owned
  // The reference's extra values (empty ones when it has none).
  const RefExtra& Extra() const {
    const RefData& data = Reference()->R();
    return data.extra_ ? *data.extra_ : NoExtra();
  }
  RefExtra& MutableExtra() const {
    RefData& data = Reference()->R();
    if (!data.extra_) data.extra_ = std::make_unique<RefExtra>();
    return *data.extra_;
  }
  void SetExtraText(std::string RefExtra::*iField, const std::string& iValue) {
    if (iValue.empty() && !Reference()->R().extra_) return;
    MutableExtra().*iField = iValue;
  }
  static const RefExtra& NoExtra();

  // Object data, apart as well: a reference below an instance (half of a
  // session's products) seldom has any. Made on the first change; reading
  // an object without it gives the values of a new product.
  struct ObjData {
    std::string name_;
    KRVWD7UtiPackedPosition position_;  // 32 bytes unless it rotates
    MemTextMap properties_;
    MemVpm vpm_;  // one pointer: null until set
    // Made on first change: a black-box product may have a colour, a PSN
    // product has none.
    std::unique_ptr<MemGraphic> graphic_;

    static void* operator new(size_t iSize);
    static void operator delete(void* iBlock);
  };
  ObjData& O() {
    if (obj_data_ == nullptr) obj_data_ = new ObjData;
    return *obj_data_;
  }
  const ObjData& O() const { return obj_data_ ? *obj_data_ : NoObjData(); }
  static const ObjData& NoObjData();
  ObjData* obj_data_ = nullptr;  // owned
  // The origin is kept apart from the object data: most references of a
  // PSN have one and nothing else of their own. One block: the length
  // (32 bits), then the bytes.
  std::unique_ptr<char[]> origin_;  // null: none
  // An instance's position in reference_->R().instances_; a reference's in
  // the session's list of references. -1 when detached.
  int slot_ = -1;  // beside the flags: no padding
  int8_t node_type_ = -1;
  bool is_root_ = false;  // the root of its document (document_)
  bool loaded_ = true;
  MemMode mode_ = MemMode::kDesign;
};

#endif  // KRVWD7_HOST_MEMPRODUCT_H_
