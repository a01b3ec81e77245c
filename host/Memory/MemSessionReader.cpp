// Session files: reading, with full validation.
//
// The text is first checked whole (syntax, UTF-8, numbers) and indexed by
// MemJsonText; the loader then reads it in place, without a tree, and builds
// the new session in a separate MemSession. Only when the whole file is
// valid does that session replace the current content. Validation errors
// are thrown as LoadError inside this file and turned into a MemResult at
// the boundary (LoadFromBuffer); nothing else leaves it as an exception.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <new>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "MemFaults.h"
#include "MemJsonPlace.h"
#include "MemJsonText.h"
#include "MemSession.h"
#include "MemPool.h"
#include "MemSessionFileInternal.h"

using memfile::DerivedKind;
using memfile::KindName;
using memfile::kFormat;
using memfile::kResultNames;
using memfile::ResultName;
using Value = MemJsonText::Value;
using JKind = MemJsonText::Kind;
using memjson::Fail;
using memjson::Item;
using memjson::JObject;
using memjson::JPath;
using memjson::Key;
using memjson::LoadError;
using memjson::Quote;
using memjson::Shortened;

namespace {

// Deepest product structure a file may describe: structures are read and
// written recursively, and real ones are a few tens of levels deep.
constexpr int kMaxDepth = 1000;

// Printable identifiers: a 58-character head and whole 16-character clinks,
// printable ASCII only.
void CheckPrintableId(const std::string& iId, const JPath& iPath) {
  if (iId.empty()) return;
  for (unsigned char c : iId) {
    if (c < 0x20 || c > 0x7e) Fail(iPath, "printable identifier holds a non-ASCII character");
  }
  if (iId.size() < 58 || (iId.size() - 58) % 16 != 0) {
    Fail(iPath, "printable identifier must be a 58-character head followed by "
                "16-character clinks, got " + std::to_string(iId.size()) + " characters");
  }
}

void CheckColor(const std::string& iColor, const JPath& iPath) {
  bool ok = iColor.size() == 7 && iColor[0] == '#';
  for (size_t i = 1; ok && i < iColor.size(); ++i) ok = std::isxdigit(static_cast<unsigned char>(iColor[i])) != 0;
  if (!ok) Fail(iPath, "expected a colour \"#RRGGBB\", got " + Quote(iColor));
}

}  // namespace

// --- Loader ----------------------------------------------------------------------

class MemSessionLoader {
 public:
  MemSessionLoader(MemSession& ioStaging, MemJsonText& iText,
                   const memfile::LoadProgress& iProgress)
      : s_(ioStaging), t_(iText), progress_(iProgress) {}

  void Load(Value iRoot) {
    ExpectObject(iRoot, "");
    const JObject root(t_, iRoot, "");
    CheckKeys(root, "", {"format", "settings", "environment", "os", "interactive",
                         "currentDocument", "replacements", "references",
                         "documents", "faults"});
    std::string format = AsString(Require(root, "", "format"), "format");
    if (format != kFormat) {
      Fail("format", "expected \"" + std::string(kFormat) + "\", got " + Quote(format));
    }
    if (const Value* settings = root.Find("settings")) LoadSettings(*settings);
    const MemTextMap environment = StringMap(root, "", "environment");
    s_.environment_ = std::map<std::string, std::string>(environment.begin(), environment.end());
    for (const auto& entry : s_.environment_) {
      if (entry.first.empty()) Fail("environment", "empty variable name");
    }
    s_.os_type_ = OptInt(root, "", "os", -1, 0, 1000);
    s_.interactive_ = OptBool(root, "", "interactive", false);
    if (const Value* rows = root.Find("replacements")) LoadReplacements(*rows);

    const JPath documents_path("documents"), references_path("references");
    const Value* documents = root.Find("documents");
    if (documents) ExpectArray(*documents, "documents");
    const Value* references = root.Find("references");
    if (references) ExpectArray(*references, "references");
    // Documents first (storage names known to shapes), then the declared
    // references, then every tree.
    if (documents) {
      MemJsonText::Items items(t_, *documents);
      Value document;
      for (size_t i = 0; items.Next(document); ++i) {
        OpenDocument(document, Item(documents_path, i));
      }
    }
    // The text behind the loader is let go as it reads the trees, but never
    // past a value still to be read: the documents while the declared
    // references are filled, and the sections read after the trees.
    size_t later = SIZE_MAX;
    uint32_t later_ord = UINT32_MAX;
    for (const char* key : {"currentDocument", "faults"}) {
      if (const Value* value = root.Find(key)) {
        later = std::min<size_t>(later, value->pos);
        later_ord = std::min(later_ord, value->ord);
      }
    }
    floor_ = documents ? std::min<size_t>(later, documents->pos) : later;
    floor_ord_ = documents ? std::min(later_ord, documents->ord) : later_ord;
    if (references) {
      std::vector<MemProduct*> declared;
      MemJsonText::Items items(t_, *references);
      Value reference;
      for (size_t i = 0; items.Next(reference); ++i) {
        declared.push_back(DeclareReference(reference, Item(references_path, i)));
      }
      MemJsonText::Items again(t_, *references);
      for (size_t i = 0; again.Next(reference); ++i) {
        const JPath path = Item(references_path, i);
        const JObject object(t_, reference, path);
        FillReference(declared[i], object, path);
      }
    }
    if (documents) {
      floor_ = later;
      floor_ord_ = later_ord;
      MemJsonText::Items items(t_, *documents);
      Value document;
      for (size_t i = 0; items.Next(document); ++i) {
        const JPath path = Item(documents_path, i);
        const JObject object(t_, document, path);
        if (const Value* root_value = object.Find("root")) {
          const JPath root_path = Key(path, "root");
          const JObject root_object(t_, *root_value, root_path);
          FillReference(opened_[i]->Root(), root_object, root_path);
        }
      }
    }
    if (const Value* current = root.Find("currentDocument")) {
      std::string storage = AsString(*current, "currentDocument");
      MemDocument* document = s_.FindDocument(storage);
      if (document == nullptr || !document->IsProductDocument()) {
        Fail("currentDocument", "no product document stored as " + Quote(storage));
      }
      s_.current_editor_ = document->Editor();
    }
    if (const Value* faults = root.Find("faults")) LoadFaults(*faults);
  }

  std::vector<MemFault> faults;

 private:
  // --- Values -----------------------------------------------------------------

  std::string TypeOf(Value iValue) const {
    switch (t_.KindOf(iValue)) {
      case JKind::kNumber: return "a number";
      case JKind::kString: return "a string";
      case JKind::kBoolean: return "a boolean";
      case JKind::kNull: return "null";
      case JKind::kArray: return "an array";
      case JKind::kObject: return "an object";
    }
    return "an object";
  }

  void ExpectObject(Value iValue, const JPath& iPath) const {
    if (t_.KindOf(iValue) != JKind::kObject) {
      Fail(iPath, "expected an object, got " + TypeOf(iValue));
    }
  }

  void ExpectArray(Value iValue, const JPath& iPath) const {
    if (t_.KindOf(iValue) != JKind::kArray) {
      Fail(iPath, "expected an array, got " + TypeOf(iValue));
    }
  }

  // Refuses keys outside iAllowed.
  static void CheckKeys(const JObject& iObject, const JPath& iPath,
                        std::initializer_list<std::string_view> iAllowed) {
    for (size_t i = 0; i < iObject.size(); ++i) {
      const std::string_view key = iObject[i].key;
      if (std::find(iAllowed.begin(), iAllowed.end(), key) == iAllowed.end()) {
        Fail(Key(iPath, key), "unknown key");
      }
    }
  }

  static Value Require(const JObject& iObject, const JPath& iPath, std::string_view iKey) {
    const Value* value = iObject.Find(iKey);
    if (value == nullptr) Fail(Key(iPath, iKey), "missing required field");
    return *value;
  }

  std::string AsString(Value iValue, const JPath& iPath) {
    if (t_.KindOf(iValue) != JKind::kString) {
      Fail(iPath, "expected a string, got " + TypeOf(iValue));
    }
    return std::string(t_.StringOf(iValue, scratch_));
  }

  std::string OptString(const JObject& iObject, const JPath& iPath, std::string_view iKey,
                        const std::string& iDefault = std::string()) {
    const Value* value = iObject.Find(iKey);
    return value ? AsString(*value, Key(iPath, iKey)) : iDefault;
  }

  bool OptBool(const JObject& iObject, const JPath& iPath, std::string_view iKey,
               bool iDefault) const {
    const Value* value = iObject.Find(iKey);
    if (value == nullptr) return iDefault;
    if (t_.KindOf(*value) != JKind::kBoolean) {
      Fail(Key(iPath, iKey), "expected a boolean, got " + TypeOf(*value));
    }
    return t_.BooleanOf(*value);
  }

  long long AsInteger(Value iValue, const JPath& iPath, long long iMin,
                      long long iMax) const {
    MemJsonText::Number number;
    if (t_.KindOf(iValue) == JKind::kNumber) number = t_.NumberOf(iValue);
    if (!number.integer) Fail(iPath, "expected an integer, got " + TypeOf(iValue));
    long long value;
    bool too_big = false;
    if (!number.negative) {
      too_big = number.magnitude > static_cast<unsigned long long>(iMax);
      value = too_big ? iMax : static_cast<long long>(number.magnitude);
    } else {
      value = number.magnitude == uint64_t{1} << 63
                  ? INT64_MIN
                  : -static_cast<long long>(number.magnitude);
    }
    if (too_big || value < iMin || value > iMax) {
      std::string text = (number.negative ? "-" : "") + std::to_string(number.magnitude);
      Fail(iPath, "expected an integer from " + std::to_string(iMin) + " to " +
                      std::to_string(iMax) + ", got " + text);
    }
    return value;
  }

  int OptInt(const JObject& iObject, const JPath& iPath, std::string_view iKey, int iDefault,
             long long iMin, long long iMax) const {
    const Value* value = iObject.Find(iKey);
    return value ? static_cast<int>(AsInteger(*value, Key(iPath, iKey), iMin, iMax))
                 : iDefault;
  }

  MemTextMap StringMap(const JObject& iObject, const JPath& iPath, std::string_view iKey) {
    const Value* value = iObject.Find(iKey);
    if (value == nullptr) return MemTextMap();
    JPath path = Key(iPath, iKey);
    ExpectObject(*value, path);
    const JObject map(t_, *value, path);
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(map.size());
    for (size_t i = 0; i < map.size(); ++i) {
      entries.emplace_back(std::string(map[i].key), AsString(map[i].value, Key(path, map[i].key)));
    }
    return MemTextMap(entries.begin(), entries.end());
  }

  HRESULT ResultCode(Value iValue, const JPath& iPath) {
    if (t_.KindOf(iValue) == JKind::kString) {
      std::string name(t_.StringOf(iValue, scratch_));
      for (const ResultName& entry : kResultNames) {
        if (name == entry.name) return entry.rc;
      }
      Fail(iPath, "unknown result name " + Quote(name));
    }
    return static_cast<HRESULT>(AsInteger(iValue, iPath, INT32_MIN, INT32_MAX));
  }

  // --- Sections ---------------------------------------------------------------

  void LoadSettings(Value iSettings) {
    const JPath path("settings");
    ExpectObject(iSettings, path);
    const JObject object(t_, iSettings, path);
    CheckKeys(object, path, {"psnDirectory", "noteTemplate", "trace", "version", "revision"});
    MemSettings& settings = s_.settings_;
    settings.present = true;
    settings.psnDirectory = OptString(object, path, "psnDirectory");
    settings.noteTemplate = OptString(object, path, "noteTemplate");
    settings.trace = OptInt(object, path, "trace", 0, INT32_MIN, INT32_MAX);
    LoadSource(object, path, "version", settings.version);
    LoadSource(object, path, "revision", settings.revision);
  }

  void LoadSource(const JObject& iSettings, const JPath& iPath, std::string_view iKey,
                  MemSettings::Source& ioSource) {
    const Value* source = iSettings.Find(iKey);
    if (source == nullptr) return;
    JPath path = Key(iPath, iKey);
    ExpectObject(*source, path);
    const JObject object(t_, *source, path);
    CheckKeys(object, path, {"source", "attribute", "property"});
    ioSource.source = OptInt(object, path, "source", ioSource.source, INT32_MIN, INT32_MAX);
    ioSource.attribute =
        OptInt(object, path, "attribute", ioSource.attribute, INT32_MIN, INT32_MAX);
    ioSource.property = OptString(object, path, "property", ioSource.property);
  }

  void LoadReplacements(Value iRows) {
    ExpectArray(iRows, "replacements");
    const JPath list("replacements");
    MemJsonText::Items items(t_, iRows);
    Value item;
    for (size_t i = 0; items.Next(item); ++i) {
      JPath path = Item(list, i);
      ExpectObject(item, path);
      const JObject row(t_, item, path);
      CheckKeys(row, path, {"old", "new", "env"});
      MemReplacement replacement;
      replacement.oldClink = AsString(Require(row, path, "old"), Key(path, "old"));
      replacement.newClink = AsString(Require(row, path, "new"), Key(path, "new"));
      replacement.env = OptString(row, path, "env");
      if (replacement.oldClink.size() != 16) Fail(Key(path, "old"), "a clink has 16 characters, got " + std::to_string(replacement.oldClink.size()));
      if (replacement.newClink.size() != 16) Fail(Key(path, "new"), "a clink has 16 characters, got " + std::to_string(replacement.newClink.size()));
      s_.AddReplacement(replacement);
    }
  }

  void LoadFaults(Value iFaults) {
    ExpectArray(iFaults, "faults");
    const JPath list("faults");
    MemJsonText::Items items(t_, iFaults);
    Value item;
    for (size_t i = 0; items.Next(item); ++i) {
      JPath path = Item(list, i);
      ExpectObject(item, path);
      const JObject entry(t_, item, path);
      CheckKeys(entry, path, {"op", "rc", "kill", "document", "path", "product", "call"});
      MemFault fault;
      const std::string op = AsString(Require(entry, path, "op"), Key(path, "op"));
      if (!MemFaultPointFromName(op, fault.point)) {
        Fail(Key(path, "op"), "unknown fault point " + Quote(op) +
                                  " (the fault points are listed in "
                                  "docs/fault-points.md)");
      }
      // A fault that kills answers nothing: its "rc" may be left out.
      fault.kill = OptBool(entry, path, "kill", false);
      if (fault.kill && entry.Find("rc") == nullptr) {
        fault.rc = E_FAIL;
      } else {
        fault.rc = ResultCode(Require(entry, path, "rc"), Key(path, "rc"));
      }
      fault.document = OptString(entry, path, "document");
      if (const Value* fault_path = entry.Find("path")) {
        if (fault.document.empty()) {
          Fail(Key(path, "path"), "a path needs its \"document\"");
        }
        fault.hasPath = true;
        fault.path = AsString(*fault_path, Key(path, "path"));
      }
      fault.product = OptString(entry, path, "product");
      if (!fault.product.empty() && !fault.document.empty()) {
        Fail(Key(path, "product"),
             "a fault names its product either by \"document\" and "
             "\"path\" or by \"product\", not both");
      }
      fault.call = OptInt(entry, path, "call", 0, 0, INT32_MAX);
      faults.push_back(fault);
    }
  }

  void OpenDocument(Value iDocument, const JPath& iPath) {
    ExpectObject(iDocument, iPath);
    const JObject object(t_, iDocument, iPath);
    CheckKeys(object, iPath, {"name", "storage", "pdm", "docId", "displayName", "root"});
    std::string name = AsString(Require(object, iPath, "name"), Key(iPath, "name"));
    std::string storage = OptString(object, iPath, "storage", name);
    if (storage.empty()) Fail(Key(iPath, "storage"), "empty storage name");
    if (s_.FindDocument(storage)) {
      Fail(Key(iPath, "storage"), "duplicate document storage name " + Quote(storage));
    }
    bool pdm = OptBool(object, iPath, "pdm", false);
    MemDocument* document = nullptr;
    if (const Value* root = object.Find("root")) {
      JPath root_path = Key(iPath, "root");
      ExpectObject(*root, root_path);
      const JObject root_object(t_, *root, root_path);
      if (root_object.Find("id")) Fail(Key(root_path, "id"), "a document root cannot be shared");
      if (root_object.Find("document")) {
        Fail(Key(root_path, "document"), "a document root lives in its own document");
      }
      std::string part_number = OptString(root_object, root_path, "partNumber");
      document = s_.NewProductDocument(name, storage, part_number, pdm);
    } else {
      document = s_.NewShapeDocument(storage);
      document->SetName(name);
      document->pdm_ = pdm;
    }
    std::string doc_id = OptString(object, iPath, "docId");
    std::string display_name = OptString(object, iPath, "displayName");
    if (!s_.SetDocId(document, doc_id, display_name)) {
      Fail(Key(iPath, "docId"), "duplicate document identifier " + Quote(doc_id));
    }
    opened_.push_back(document);
  }

  // A new reference of iDocument numbered iPartNumber as the file gives it;
  // refuses a number another reference of the document has.
  MemProduct* NewReference(MemDocument* iDocument, const std::string& iPartNumber,
                           const JPath& iPath) {
    MemProduct* reference = s_.NewReferenceNumbered(iDocument, iPartNumber, MemKind::kComponent);
    if (reference == nullptr) Fail(iPath, "duplicate part number " + Quote(iPartNumber));
    return reference;
  }

  MemDocument* DocumentNamed(const JObject& iObject, const JPath& iPath,
                             MemDocument* iDefault) {
    const Value* value = iObject.Find("document");
    if (value == nullptr) return iDefault;
    std::string storage = AsString(*value, Key(iPath, "document"));
    MemDocument* document = s_.FindDocument(storage);
    if (document == nullptr) {
      Fail(Key(iPath, "document"), "no document stored as " + Quote(storage));
    }
    return document;
  }

  // The document of a declared reference without "document": the one that
  // holds its "Default" shape (else its first shape), as a part's reference
  // lives in the part's file; null when it has no shape in a document.
  MemDocument* ShapeHolder(const JObject& iObject, const JPath& iPath) {
    const Value* shapes = iObject.Find("shapes");
    if (shapes == nullptr || t_.KindOf(*shapes) != JKind::kObject) return nullptr;
    const JPath shapes_path = Key(iPath, "shapes");
    const JObject map(t_, *shapes, shapes_path);
    if (map.empty()) return nullptr;
    const Value* shape = map.Find("Default");
    JPath path = Key(shapes_path, "Default");
    if (shape == nullptr) {
      shape = &map[0].value;
      path = Key(shapes_path, map[0].key);
    }
    ExpectObject(*shape, path);
    const JObject object(t_, *shape, path);
    std::string storage = OptString(object, path, "document");
    return storage.empty() ? nullptr : s_.ShapeDocument(storage);
  }

  void CheckId(const JObject& iObject, const JPath& iPath, bool iRequired) {
    const Value* value = iObject.Find("id");
    if (value == nullptr) {
      if (iRequired) Require(iObject, iPath, "id");  // refuses
      return;
    }
    std::string id = AsString(*value, Key(iPath, "id"));
    if (id.empty()) Fail(Key(iPath, "id"), "empty reference id");
    if (!ids_.insert(id).second) Fail(Key(iPath, "id"), "duplicate reference id " + Quote(id));
  }

  // A reference object of the "references" list: made now, filled later.
  MemProduct* DeclareReference(Value iObject, const JPath& iPath) {
    ExpectObject(iObject, iPath);
    const JObject object(t_, iObject, iPath);
    CheckId(object, iPath, true);
    std::string id = AsString(*object.Find("id"), Key(iPath, "id"));
    std::string part_number = OptString(object, iPath, "partNumber");
    MemDocument* document = DocumentNamed(object, iPath, ShapeHolder(object, iPath));
    MemProduct* reference = NewReference(document, part_number, Key(iPath, "partNumber"));
    reference->SetFileId(id);
    s_.Pin(reference);
    by_id_.emplace(id, reference);
    return reference;
  }

  // A reference written inside an instance node.
  MemProduct* InlineReference(const JObject& iObject, const JPath& iPath,
                              MemDocument* iDocument) {
    CheckId(iObject, iPath, false);
    std::string part_number = OptString(iObject, iPath, "partNumber");
    MemDocument* document = DocumentNamed(iObject, iPath, iDocument);
    MemProduct* reference = NewReference(document, part_number, Key(iPath, "partNumber"));
    if (const Value* id = iObject.Find("id")) reference->SetFileId(AsString(*id, Key(iPath, "id")));
    return reference;
  }

  // Attributes, object data and children of a reference object.
  void FillReference(MemProduct* iReference, const JObject& iObject, const JPath& iPath) {
    CheckKeys(iObject, iPath,
              {"id", "partNumber", "revision", "definition", "nomenclature", "description",
               "kind", "nodeType", "document", "parameters", "userProperties", "shapes",
               "activeShape", "properties", "vpm", "origin", "color", "shown", "loaded",
               "mode", "children", "name"});
    LoadRootName(iReference, iObject, iPath);
    iReference->SetRevision(OptString(iObject, iPath, "revision"));
    iReference->SetDefinition(OptString(iObject, iPath, "definition"));
    iReference->SetNomenclature(OptString(iObject, iPath, "nomenclature"));
    iReference->SetDescription(OptString(iObject, iPath, "description"));
    for (const auto& [name, value] : StringMap(iObject, iPath, "parameters")) {
      iReference->AddParm(std::string(name), std::string(value));
    }
    iReference->UserProperties() = StringMap(iObject, iPath, "userProperties");
    LoadShapes(iReference, iObject, iPath);
    LoadObjectData(iReference, iObject, iPath);
    // The kind is read before the children (the text behind them may be
    // let go) and checked after them, as it always was.
    std::string kind_name, kind_refused;
    const Value* kind = iObject.Find("kind");
    if (kind && t_.KindOf(*kind) == JKind::kString) {
      kind_name = t_.StringOf(*kind, scratch_);
    } else if (kind) {
      kind_refused = "expected a string, got " + TypeOf(*kind);
    }
    if (const Value* children = iObject.Find("children")) {
      JPath path = Key(iPath, "children");
      ExpectArray(*children, path);
      MemProduct* father = iReference->Instances().empty() ? iReference
                                                           : iReference->Instances().front();
      MemJsonText::Items items(t_, *children);
      Value child;
      for (size_t i = 0; items.Next(child); ++i) LoadInstance(father, child, Item(path, i));
    }
    if (kind) {
      if (!kind_refused.empty()) Fail(Key(iPath, "kind"), kind_refused);
      iReference->SetKind(KindNamed(kind_name, Key(iPath, "kind")));
    } else {
      iReference->SetKind(DerivedKind(iReference));
    }
  }

  // The optional name of a document root, shown at the top of its tree and
  // first in its instance paths (its part number when absent).
  void LoadRootName(MemProduct* iReference, const JObject& iObject, const JPath& iPath) {
    const Value* name = iObject.Find("name");
    if (name == nullptr) return;
    JPath path = Key(iPath, "name");
    if (!iReference->IsRoot()) Fail(path, "only a document root has a name");
    std::string text = AsString(*name, path);
    if (text.empty()) Fail(path, "empty root name");
    iReference->SetInstanceName(text);
  }

  static MemKind KindNamed(const std::string& iName, const JPath& iPath) {
    for (MemKind kind : {MemKind::kComponent, MemKind::kProduct, MemKind::kPart,
                         MemKind::kModel, MemKind::kOther}) {
      if (iName == KindName(kind)) return kind;
    }
    Fail(iPath, "expected one of component, product, part, model, other, got " + Quote(iName));
  }

  void LoadShapes(MemProduct* iReference, const JObject& iObject, const JPath& iPath) {
    if (const Value* shapes = iObject.Find("shapes")) {
      JPath path = Key(iPath, "shapes");
      ExpectObject(*shapes, path);
      const JObject map(t_, *shapes, path);
      for (size_t i = 0; i < map.size(); ++i) {
        JPath shape_path = Key(path, map[i].key);
        if (map[i].key.empty()) Fail(shape_path, "empty shape name");
        ExpectObject(map[i].value, shape_path);
        const JObject object(t_, map[i].value, shape_path);
        CheckKeys(object, shape_path, {"document", "path"});
        // The storage name is held by its document, not by the shape.
        MemShape shape(map[i].key, {}, OptString(object, shape_path, "path"));
        const std::string storage = OptString(object, shape_path, "document");
        if (!storage.empty()) shape.Resolve(s_.ShapeDocument(storage));
        iReference->AddShape(std::move(shape));
      }
    }
    if (const Value* active = iObject.Find("activeShape")) {
      std::string name = AsString(*active, Key(iPath, "activeShape"));
      if (!iReference->SetActiveShape(name)) {
        Fail(Key(iPath, "activeShape"), "no shape named " + Quote(name));
      }
    }
  }

  // The data every product object carries (instance node or reference object).
  // Values left at a new product's are not set: a product that has no
  // object data of its own does not get any (see MemProduct).
  void LoadObjectData(MemProduct* iProduct, const JObject& iObject, const JPath& iPath) {
    MemTextMap properties = StringMap(iObject, iPath, "properties");
    if (!properties.empty() || !std::as_const(*iProduct).Properties().empty()) {
      iProduct->Properties() = std::move(properties);
    }
    if (const Value* vpm = iObject.Find("vpm")) {
      JPath path = Key(iPath, "vpm");
      ExpectObject(*vpm, path);
      const JObject object(t_, *vpm, path);
      CheckKeys(object, path, {"printableId", "env", "modelRevision"});
      const std::string printable_id = OptString(object, path, "printableId");
      CheckPrintableId(printable_id, Key(path, "printableId"));
      iProduct->Vpm() = MemVpm(printable_id, OptString(object, path, "env"),
                               OptString(object, path, "modelRevision"));
    }
    if (const Value* origin = iObject.Find("origin")) {
      iProduct->SetOrigin(AsString(*origin, Key(iPath, "origin")));
    }
    std::string color = OptString(iObject, iPath, "color");
    if (!color.empty()) CheckColor(color, Key(iPath, "color"));
    if (color != std::as_const(*iProduct).Graphic().color) {
      iProduct->Graphic().color = std::move(color);
    }
    bool shown = OptBool(iObject, iPath, "shown", true);
    if (shown != std::as_const(*iProduct).Graphic().shown) iProduct->Graphic().shown = shown;
    iProduct->SetLoaded(OptBool(iObject, iPath, "loaded", true));
    if (const Value* mode = iObject.Find("mode")) {
      std::string name = AsString(*mode, Key(iPath, "mode"));
      if (name == "design") iProduct->SetMode(MemMode::kDesign);
      else if (name == "product") iProduct->SetMode(MemMode::kProduct);
      else if (name == "visu") iProduct->SetMode(MemMode::kVisu);
      else Fail(Key(iPath, "mode"), "expected one of design, product, visu, got " + Quote(name));
    }
    iProduct->SetExplicitNodeType(OptInt(iObject, iPath, "nodeType", -1, 0, 9));
  }

  void LoadInstance(MemProduct* iFather, Value iNode, const JPath& iPath) {
    DepthGuard guard(depth_, iPath);
    if (iNode.pos >= next_report_) {
      if (progress_.passed) progress_.passed(std::min<size_t>(iNode.pos, floor_), progress_.context);
      t_.ReleaseBefore(std::min(iNode.ord, floor_ord_));
      next_report_ = iNode.pos + (size_t{1} << 20);
    }
    ExpectObject(iNode, iPath);
    const JObject node(t_, iNode, iPath);
    CheckKeys(node, iPath, {"name", "position", "nodeType", "properties", "vpm", "origin",
                            "color", "shown", "loaded", "mode", "ref"});
    std::string name = AsString(Require(node, iPath, "name"), Key(iPath, "name"));
    const Value ref = Require(node, iPath, "ref");
    JPath ref_path = Key(iPath, "ref");
    MemProduct* reference = nullptr;
    if (t_.KindOf(ref) == JKind::kString) {
      std::string id(t_.StringOf(ref, scratch_));
      auto it = by_id_.find(id);
      if (it == by_id_.end()) Fail(ref_path, "unknown reference id " + Quote(id));
      reference = it->second;
      NewInstance(iFather, reference, name, node, iPath, ref_path);
    } else if (t_.KindOf(ref) == JKind::kObject) {
      const JObject ref_object(t_, ref, ref_path);
      reference = InlineReference(ref_object, ref_path, iFather->Document());
      NewInstance(iFather, reference, name, node, iPath, ref_path);
      FillReference(reference, ref_object, ref_path);
    } else {
      Fail(ref_path, "expected a reference id or a reference object, got " + TypeOf(ref));
    }
  }

  MemProduct* NewInstance(MemProduct* iFather, MemProduct* iReference, const std::string& iName,
                          const JObject& iNode, const JPath& iPath, const JPath& iRefPath) {
    MemProduct* instance = s_.NewInstance(iFather, iReference, iName);
    if (instance == nullptr) Fail(iRefPath, WhyRefused(iFather, iReference));
    if (const Value* position = iNode.Find("position")) {
      instance->SetPosition(Position(*position, Key(iPath, "position")));
    }
    LoadObjectData(instance, iNode, iPath);
    return instance;
  }

  static std::string WhyRefused(const MemProduct* iFather, const MemProduct* iReference) {
    std::string what = "reference " + Quote(iReference->PartNumber());
    if (!iReference->Children().empty() && !iReference->Instances().empty()) {
      return what + " has children and is already used by another instance";
    }
    if (iFather->Reference()->Instances().size() > 1) {
      return "the father's reference is shared by several instances and cannot have children";
    }
    return what + " would contain itself";
  }

  CATMathTransformation Position(Value iValue, const JPath& iPath) const {
    if (t_.KindOf(iValue) != JKind::kArray) {
      Fail(iPath, "expected 12 numbers, got " + TypeOf(iValue));
    }
    // One pass; a wrong count is told before a wrong item.
    double coef[12];
    size_t count = 0;
    size_t other = 12;  // the first item that is not a number
    Value item, other_item;
    MemJsonText::Items items(t_, iValue);
    for (; items.Next(item); ++count) {
      if (count >= 12 || other < 12) continue;
      if (t_.KindOf(item) == JKind::kNumber) {
        coef[count] = t_.NumberOf(item).value;
      } else {
        other = count;
        other_item = item;
      }
    }
    if (count != 12) Fail(iPath, "expected 12 numbers, got " + std::to_string(count));
    if (other < 12) Fail(Item(iPath, other), "expected a number, got " + TypeOf(other_item));
    return CATMathTransformation(coef);
  }

  // Counts the levels of instances being loaded; refuses one too many.
  class DepthGuard {
   public:
    DepthGuard(int& ioDepth, const JPath& iPath) : depth_(ioDepth) {
      if (++depth_ > kMaxDepth) {
        Fail(iPath, "the product structure is nested deeper than " +
                        std::to_string(kMaxDepth) + " levels");
      }
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

   private:
    int& depth_;
  };

  MemSession& s_;
  MemJsonText& t_;
  memfile::LoadProgress progress_;
  size_t next_report_ = 0;
  size_t floor_ = 0;  // the text from here on is still to be read
  uint32_t floor_ord_ = 0;  // and the containers from this ordinal on
  std::string scratch_;  // decoded strings with escapes
  std::vector<MemDocument*> opened_;
  std::unordered_map<std::string, MemProduct*> by_id_;
  std::unordered_set<std::string> ids_;
  int depth_ = 0;  // instances being loaded, one inside the other
};

// --- MemSession: reading entry points -----------------------------------------------

MemResult MemSession::LoadFromText(const std::string& iText, const std::string& iSourceName) {
  return LoadFromBuffer(iText.data(), iText.size(), iSourceName, nullptr);
}

MemResult MemSession::LoadFromBuffer(const char* iData, size_t iSize,
                                     const std::string& iSourceName,
                                     const memfile::LoadProgress* iProgress) {
  const memfile::LoadProgress progress = iProgress ? *iProgress : memfile::LoadProgress();
  MemSession staging;
  std::vector<MemFault> faults;
  try {
    MemJsonText text(iData, iSize);
    MemJsonText::SyntaxError syntax;
    // The loader reads the text again after the check: only its own pass
    // lets the pages behind it go.
    if (!text.Check(syntax)) {
      return MemResult::Error(iSourceName + ":" + text.LineAndColumn(syntax.offset) +
                              ": invalid JSON: " + syntax.what);
    }
    MemSessionLoader loader(staging, text, progress);
    loader.Load(text.Root());
    faults.swap(loader.faults);
  } catch (const LoadError& error) {
    const std::string path = Shortened(error.path);
    return MemResult::Error(iSourceName + ": " + (path.empty() ? "" : path + ": ") + error.what);
  } catch (const std::bad_alloc&) {
    return MemResult::Error(iSourceName + ": not enough memory to load the session");
  }
  Close();
  TakeFrom(staging);
  MemFaults::Clear();  // no earlier fault may hit the settings being applied
  ApplyGlobals();
  for (const MemFault& fault : faults) MemFaults::Add(fault);
  MemPool::TrimAll();  // the products are made: what the pools asked ahead goes back
  return MemResult::Ok();
}
