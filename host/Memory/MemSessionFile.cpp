// Session files: reading (with full validation) and writing.
//
// The loader builds the new session in a separate MemSession; only when the
// whole file is valid does it replace the current content. Validation
// errors are thrown as LoadError inside this file and turned into a
// MemResult at the boundary, with nlohmann's own exceptions.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <nlohmann/json.hpp>

#include "CATApplication.h"
#include "CATGetEnv.h"
#include "CATGetSystemInfo.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "MemFaults.h"
#include "MemSession.h"

#include <unistd.h>

using Json = nlohmann::ordered_json;
using OrderedJson = nlohmann::ordered_json;

namespace {

const char kFormat[] = "krvwd7-session/1";
// Deepest product structure a file may describe: structures are read and
// written recursively, and real ones are a few tens of levels deep.
constexpr int kMaxDepth = 1000;

// A place in the file, rendered only when an error names it: loading
// builds no text for the places that are fine. A path refers to its parent,
// which must outlive it (parents are function arguments or locals above).
class JPath {
 public:
  JPath() = default;
  JPath(const char* iKey) : key_(iKey && *iKey ? iKey : nullptr) {}  // a top-level key
  JPath(const JPath* iParent, const char* iKey, size_t iIndex)
      : parent_(iParent), key_(iKey), index_(iIndex) {}
  std::string Str() const {
    std::string text = parent_ ? parent_->Str() : std::string();
    if (key_) {
      if (!text.empty()) text += '.';
      text += key_;
    } else if (parent_) {
      text += "[" + std::to_string(index_) + "]";
    }
    return text;
  }

 private:
  const JPath* parent_ = nullptr;
  const char* key_ = nullptr;  // null: an array item
  size_t index_ = 0;
};

// A place deep in a structure, with its middle cut out: its start names
// the document, its end the object.
std::string Shortened(const std::string& iPath) {
  constexpr size_t kKept = 100;
  if (iPath.size() <= 2 * kKept + 40) return iPath;
  return iPath.substr(0, kKept) + " ... " + iPath.substr(iPath.size() - kKept);
}

struct LoadError {
  std::string path;
  std::string what;
};

[[noreturn]] void Fail(const JPath& iPath, const std::string& iWhat) {
  throw LoadError{iPath.Str(), iWhat};
}

JPath Key(const JPath& iPath, const char* iKey) { return JPath(&iPath, iKey, 0); }

JPath Item(const JPath& iPath, size_t iIndex) { return JPath(&iPath, nullptr, iIndex); }

std::string Quote(const std::string& iText) { return "'" + iText + "'"; }

std::string TypeOf(const Json& iValue) {
  if (iValue.is_number()) return "a number";
  if (iValue.is_string()) return "a string";
  if (iValue.is_boolean()) return "a boolean";
  if (iValue.is_null()) return "null";
  if (iValue.is_array()) return "an array";
  return "an object";
}

void ExpectObject(const Json& iValue, const JPath& iPath) {
  if (!iValue.is_object()) Fail(iPath, "expected an object, got " + TypeOf(iValue));
}

void ExpectArray(const Json& iValue, const JPath& iPath) {
  if (!iValue.is_array()) Fail(iPath, "expected an array, got " + TypeOf(iValue));
}

// Refuses keys outside iAllowed.
void CheckKeys(const Json& iObject, const JPath& iPath,
               std::initializer_list<const char*> iAllowed) {
  for (auto it = iObject.begin(); it != iObject.end(); ++it) {
    bool known = false;
    for (const char* key : iAllowed) known = known || it.key() == key;
    if (!known) Fail(Key(iPath, it.key().c_str()), "unknown key");
  }
}

const Json* Find(const Json& iObject, const char* iKey) {
  auto it = iObject.find(iKey);
  return it == iObject.end() ? nullptr : &*it;
}

const Json& Require(const Json& iObject, const JPath& iPath, const char* iKey) {
  const Json* value = Find(iObject, iKey);
  if (value == nullptr) Fail(Key(iPath, iKey), "missing required field");
  return *value;
}

std::string AsString(const Json& iValue, const JPath& iPath) {
  if (!iValue.is_string()) Fail(iPath, "expected a string, got " + TypeOf(iValue));
  return iValue.get<std::string>();
}

std::string OptString(const Json& iObject, const JPath& iPath, const char* iKey,
                      const std::string& iDefault = std::string()) {
  const Json* value = Find(iObject, iKey);
  return value ? AsString(*value, Key(iPath, iKey)) : iDefault;
}

bool OptBool(const Json& iObject, const JPath& iPath, const char* iKey,
             bool iDefault) {
  const Json* value = Find(iObject, iKey);
  if (value == nullptr) return iDefault;
  if (!value->is_boolean()) {
    Fail(Key(iPath, iKey), "expected a boolean, got " + TypeOf(*value));
  }
  return value->get<bool>();
}

long long AsInteger(const Json& iValue, const JPath& iPath, long long iMin,
                    long long iMax) {
  if (!iValue.is_number_integer()) {
    Fail(iPath, "expected an integer, got " + TypeOf(iValue));
  }
  bool too_big = iValue.is_number_unsigned() &&
                 iValue.get<unsigned long long>() > static_cast<unsigned long long>(iMax);
  long long value = too_big ? iMax : iValue.get<long long>();
  if (too_big || value < iMin || value > iMax) {
    Fail(iPath, "expected an integer from " + std::to_string(iMin) + " to " +
                    std::to_string(iMax) + ", got " + iValue.dump());
  }
  return value;
}

int OptInt(const Json& iObject, const JPath& iPath, const char* iKey, int iDefault,
           long long iMin, long long iMax) {
  const Json* value = Find(iObject, iKey);
  return value ? static_cast<int>(AsInteger(*value, Key(iPath, iKey), iMin, iMax))
               : iDefault;
}

std::map<std::string, std::string> StringMap(const Json& iObject, const JPath& iPath,
                                             const char* iKey) {
  std::map<std::string, std::string> result;
  const Json* value = Find(iObject, iKey);
  if (value == nullptr) return result;
  JPath path = Key(iPath, iKey);
  ExpectObject(*value, path);
  for (auto it = value->begin(); it != value->end(); ++it) {
    result.emplace(it.key(), AsString(it.value(), Key(path, it.key().c_str())));
  }
  return result;
}

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

const char* KindName(MemKind iKind) {
  switch (iKind) {
    case MemKind::kComponent: return "component";
    case MemKind::kProduct: return "product";
    case MemKind::kPart: return "part";
    case MemKind::kModel: return "model";
    case MemKind::kOther: return "other";
  }
  return "component";
}

const char* ModeName(MemMode iMode) {
  switch (iMode) {
    case MemMode::kDesign: return "design";
    case MemMode::kProduct: return "product";
    case MemMode::kVisu: return "visu";
  }
  return "design";
}

bool EndsWith(const std::string& iText, const std::string& iEnd) {
  return iText.size() >= iEnd.size() &&
         iText.compare(iText.size() - iEnd.size(), iEnd.size(), iEnd) == 0;
}

// The kind a reference without an explicit "kind" gets.
MemKind DerivedKind(const MemProduct* iReference) {
  if (!iReference->Children().empty()) return MemKind::kProduct;
  if (iReference->Shapes().empty()) return MemKind::kComponent;
  const MemShape* shape = iReference->FindShape("Default");
  if (shape == nullptr) shape = &iReference->Shapes().front();
  if (EndsWith(shape->document, ".model") || EndsWith(shape->path, ".model")) {
    return MemKind::kModel;
  }
  return MemKind::kPart;
}

struct ResultName {
  const char* name;
  HRESULT rc;
};
const ResultName kResultNames[] = {
    {"S_OK", S_OK},           {"S_FALSE", S_FALSE},
    {"E_FAIL", E_FAIL},       {"E_INVALIDARG", E_INVALIDARG},
    {"E_NOINTERFACE", E_NOINTERFACE}, {"E_OUTOFMEMORY", E_OUTOFMEMORY},
    {"E_NOTIMPL", E_NOTIMPL}};

HRESULT ResultCode(const Json& iValue, const JPath& iPath) {
  if (iValue.is_string()) {
    for (const ResultName& entry : kResultNames) {
      if (iValue.get<std::string>() == entry.name) return entry.rc;
    }
    Fail(iPath, "unknown result name " + Quote(iValue.get<std::string>()));
  }
  return static_cast<HRESULT>(AsInteger(iValue, iPath, INT32_MIN, INT32_MAX));
}

// Line and column (1-based) of byte iByte of iText.
std::string LineAndColumn(const std::string& iText, size_t iByte) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < iByte && i < iText.size(); ++i) {
    if (iText[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

CATApplication& InteractiveApplication() {
  static CATInteractiveApplication* application = new CATInteractiveApplication;
  return *application;
}

}  // namespace

// --- Loader ----------------------------------------------------------------------

class MemSessionLoader {
 public:
  explicit MemSessionLoader(MemSession& ioStaging) : s_(ioStaging) {}

  void Load(const Json& iRoot) {
    ExpectObject(iRoot, "");
    CheckKeys(iRoot, "", {"format", "settings", "environment", "os", "interactive",
                          "currentDocument", "replacements", "references",
                          "documents", "faults"});
    std::string format = AsString(Require(iRoot, "", "format"), "format");
    if (format != kFormat) {
      Fail("format", "expected \"" + std::string(kFormat) + "\", got " + Quote(format));
    }
    if (const Json* settings = Find(iRoot, "settings")) LoadSettings(*settings);
    s_.environment_ = StringMap(iRoot, "", "environment");
    for (const auto& entry : s_.environment_) {
      if (entry.first.empty()) Fail("environment", "empty variable name");
    }
    s_.os_type_ = OptInt(iRoot, "", "os", -1, 0, 1000);
    s_.interactive_ = OptBool(iRoot, "", "interactive", false);
    if (const Json* rows = Find(iRoot, "replacements")) LoadReplacements(*rows);

    const JPath documents_path("documents"), references_path("references");
    const Json* documents = Find(iRoot, "documents");
    if (documents) ExpectArray(*documents, "documents");
    const Json* references = Find(iRoot, "references");
    if (references) ExpectArray(*references, "references");
    // Documents first (storage names known to shapes), then the declared
    // references, then every tree.
    if (documents) {
      for (size_t i = 0; i < documents->size(); ++i) {
        OpenDocument((*documents)[i], Item(documents_path, i));
      }
    }
    std::vector<MemProduct*> declared;
    if (references) {
      for (size_t i = 0; i < references->size(); ++i) {
        declared.push_back(DeclareReference((*references)[i], Item(references_path, i)));
      }
      for (size_t i = 0; i < references->size(); ++i) {
        FillReference(declared[i], (*references)[i], Item(references_path, i));
      }
    }
    if (documents) {
      for (size_t i = 0; i < documents->size(); ++i) {
        const Json& document = (*documents)[i];
        if (const Json* root = Find(document, "root")) {
          FillReference(opened_[i]->Root(), *root, Key(Item(documents_path, i), "root"));
        }
      }
    }
    if (const Json* current = Find(iRoot, "currentDocument")) {
      std::string storage = AsString(*current, "currentDocument");
      MemDocument* document = s_.FindDocument(storage);
      if (document == nullptr || !document->IsProductDocument()) {
        Fail("currentDocument", "no product document stored as " + Quote(storage));
      }
      s_.current_editor_ = document->Editor();
    }
    if (const Json* faults = Find(iRoot, "faults")) LoadFaults(*faults);
  }

  std::vector<MemFault> faults;

 private:
  void LoadSettings(const Json& iSettings) {
    const JPath path("settings");
    ExpectObject(iSettings, path);
    CheckKeys(iSettings, path, {"psnDirectory", "noteTemplate", "trace", "version", "revision"});
    MemSettings& settings = s_.settings_;
    settings.present = true;
    settings.psnDirectory = OptString(iSettings, path, "psnDirectory");
    settings.noteTemplate = OptString(iSettings, path, "noteTemplate");
    settings.trace = OptInt(iSettings, path, "trace", 0, INT32_MIN, INT32_MAX);
    LoadSource(iSettings, path, "version", settings.version);
    LoadSource(iSettings, path, "revision", settings.revision);
  }

  void LoadSource(const Json& iSettings, const JPath& iPath, const char* iKey,
                  MemSettings::Source& ioSource) {
    const Json* source = Find(iSettings, iKey);
    if (source == nullptr) return;
    JPath path = Key(iPath, iKey);
    ExpectObject(*source, path);
    CheckKeys(*source, path, {"source", "attribute", "property"});
    ioSource.source = OptInt(*source, path, "source", ioSource.source, INT32_MIN, INT32_MAX);
    ioSource.attribute =
        OptInt(*source, path, "attribute", ioSource.attribute, INT32_MIN, INT32_MAX);
    ioSource.property = OptString(*source, path, "property", ioSource.property);
  }

  void LoadReplacements(const Json& iRows) {
    ExpectArray(iRows, "replacements");
    const JPath list("replacements");
    for (size_t i = 0; i < iRows.size(); ++i) {
      JPath path = Item(list, i);
      const Json& row = iRows[i];
      ExpectObject(row, path);
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

  void LoadFaults(const Json& iFaults) {
    ExpectArray(iFaults, "faults");
    const JPath list("faults");
    for (size_t i = 0; i < iFaults.size(); ++i) {
      JPath path = Item(list, i);
      const Json& entry = iFaults[i];
      ExpectObject(entry, path);
      CheckKeys(entry, path, {"op", "rc", "document", "path", "product", "call"});
      MemFault fault;
      const std::string op =
          AsString(Require(entry, path, "op"), Key(path, "op"));
      if (!MemFaultPointFromName(op, fault.point)) {
        Fail(Key(path, "op"), "unknown fault point " + Quote(op) +
                                  " (the fault points are listed in "
                                  "docs/fault-points.md)");
      }
      fault.rc = ResultCode(Require(entry, path, "rc"), Key(path, "rc"));
      fault.document = OptString(entry, path, "document");
      if (const Json* fault_path = Find(entry, "path")) {
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

  void OpenDocument(const Json& iDocument, const JPath& iPath) {
    ExpectObject(iDocument, iPath);
    CheckKeys(iDocument, iPath, {"name", "storage", "pdm", "docId", "displayName", "root"});
    std::string name = AsString(Require(iDocument, iPath, "name"), Key(iPath, "name"));
    std::string storage = OptString(iDocument, iPath, "storage", name);
    if (storage.empty()) Fail(Key(iPath, "storage"), "empty storage name");
    if (s_.FindDocument(storage)) {
      Fail(Key(iPath, "storage"), "duplicate document storage name " + Quote(storage));
    }
    bool pdm = OptBool(iDocument, iPath, "pdm", false);
    MemDocument* document = nullptr;
    if (const Json* root = Find(iDocument, "root")) {
      JPath root_path = Key(iPath, "root");
      ExpectObject(*root, root_path);
      if (Find(*root, "id")) Fail(Key(root_path, "id"), "a document root cannot be shared");
      if (Find(*root, "document")) {
        Fail(Key(root_path, "document"), "a document root lives in its own document");
      }
      std::string part_number = OptString(*root, root_path, "partNumber");
      document = s_.NewProductDocument(name, storage, part_number, pdm);
    } else {
      document = s_.NewShapeDocument(storage);
      document->name_ = name;
      document->pdm_ = pdm;
    }
    std::string doc_id = OptString(iDocument, iPath, "docId");
    std::string display_name = OptString(iDocument, iPath, "displayName");
    if (!s_.SetDocId(document, doc_id, display_name)) {
      Fail(Key(iPath, "docId"), "duplicate document identifier " + Quote(doc_id));
    }
    opened_.push_back(document);
  }

  void CheckPartNumberFree(const std::string& iPartNumber, const MemDocument* iDocument,
                           const JPath& iPath) {
    if (s_.FindByPartNumber(iPartNumber, iDocument)) {
      Fail(iPath, "duplicate part number " + Quote(iPartNumber));
    }
  }

  MemDocument* DocumentNamed(const Json& iObject, const JPath& iPath,
                             MemDocument* iDefault) {
    const Json* value = Find(iObject, "document");
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
  MemDocument* ShapeHolder(const Json& iObject, const JPath& iPath) {
    const Json* shapes = Find(iObject, "shapes");
    if (shapes == nullptr || !shapes->is_object() || shapes->empty()) return nullptr;
    const Json* shape = Find(*shapes, "Default");
    JPath path = Key(Key(iPath, "shapes"), "Default");
    if (shape == nullptr) {
      shape = &shapes->begin().value();
      path = Key(Key(iPath, "shapes"), shapes->begin().key().c_str());
    }
    ExpectObject(*shape, path);
    std::string storage = OptString(*shape, path, "document");
    return storage.empty() ? nullptr : s_.ShapeDocument(storage);
  }

  void CheckId(const Json& iObject, const JPath& iPath, bool iRequired) {
    const Json* value = iRequired ? &Require(iObject, iPath, "id") : Find(iObject, "id");
    if (value == nullptr) return;
    std::string id = AsString(*value, Key(iPath, "id"));
    if (id.empty()) Fail(Key(iPath, "id"), "empty reference id");
    if (!ids_.insert(id).second) Fail(Key(iPath, "id"), "duplicate reference id " + Quote(id));
  }

  // A reference object of the "references" list: made now, filled later.
  MemProduct* DeclareReference(const Json& iObject, const JPath& iPath) {
    ExpectObject(iObject, iPath);
    CheckId(iObject, iPath, true);
    std::string id = iObject["id"].get<std::string>();
    std::string part_number = OptString(iObject, iPath, "partNumber");
    MemDocument* document = DocumentNamed(iObject, iPath, ShapeHolder(iObject, iPath));
    CheckPartNumberFree(part_number, document, Key(iPath, "partNumber"));
    MemProduct* reference = s_.NewReference(document, part_number, MemKind::kComponent);
    reference->SetFileId(id);
    s_.Pin(reference);
    by_id_.emplace(id, reference);
    return reference;
  }

  // A reference written inside an instance node.
  MemProduct* InlineReference(const Json& iObject, const JPath& iPath,
                              MemDocument* iDocument) {
    ExpectObject(iObject, iPath);
    CheckId(iObject, iPath, false);
    std::string part_number = OptString(iObject, iPath, "partNumber");
    MemDocument* document = DocumentNamed(iObject, iPath, iDocument);
    CheckPartNumberFree(part_number, document, Key(iPath, "partNumber"));
    MemProduct* reference = s_.NewReference(document, part_number, MemKind::kComponent);
    if (const Json* id = Find(iObject, "id")) reference->SetFileId(id->get<std::string>());
    return reference;
  }

  // Attributes, object data and children of a reference object.
  void FillReference(MemProduct* iReference, const Json& iObject, const JPath& iPath) {
    ExpectObject(iObject, iPath);
    CheckKeys(iObject, iPath,
              {"id", "partNumber", "revision", "definition", "nomenclature", "description",
               "kind", "nodeType", "document", "parameters", "userProperties", "shapes",
               "activeShape", "properties", "vpm", "origin", "color", "shown", "loaded",
               "mode", "children"});
    iReference->SetRevision(OptString(iObject, iPath, "revision"));
    iReference->SetDefinition(OptString(iObject, iPath, "definition"));
    iReference->SetNomenclature(OptString(iObject, iPath, "nomenclature"));
    iReference->SetDescription(OptString(iObject, iPath, "description"));
    for (const auto& entry : StringMap(iObject, iPath, "parameters")) {
      iReference->AddParm(entry.first, entry.second);
    }
    iReference->UserProperties() = StringMap(iObject, iPath, "userProperties");
    LoadShapes(iReference, iObject, iPath);
    LoadObjectData(iReference, iObject, iPath);
    if (const Json* children = Find(iObject, "children")) {
      JPath path = Key(iPath, "children");
      ExpectArray(*children, path);
      MemProduct* father = iReference->Instances().empty() ? iReference
                                                           : iReference->Instances().front();
      for (size_t i = 0; i < children->size(); ++i) {
        LoadInstance(father, (*children)[i], Item(path, i));
      }
    }
    if (const Json* kind = Find(iObject, "kind")) {
      iReference->SetKind(KindNamed(AsString(*kind, Key(iPath, "kind")), Key(iPath, "kind")));
    } else {
      iReference->SetKind(DerivedKind(iReference));
    }
  }

  static MemKind KindNamed(const std::string& iName, const JPath& iPath) {
    for (MemKind kind : {MemKind::kComponent, MemKind::kProduct, MemKind::kPart,
                         MemKind::kModel, MemKind::kOther}) {
      if (iName == KindName(kind)) return kind;
    }
    Fail(iPath, "expected one of component, product, part, model, other, got " + Quote(iName));
  }

  void LoadShapes(MemProduct* iReference, const Json& iObject, const JPath& iPath) {
    const Json* shapes = Find(iObject, "shapes");
    if (shapes) {
      JPath path = Key(iPath, "shapes");
      ExpectObject(*shapes, path);
      for (auto it = shapes->begin(); it != shapes->end(); ++it) {
        JPath shape_path = Key(path, it.key().c_str());
        if (it.key().empty()) Fail(shape_path, "empty shape name");
        ExpectObject(it.value(), shape_path);
        CheckKeys(it.value(), shape_path, {"document", "path"});
        MemShape shape;
        shape.name = it.key();
        shape.document = OptString(it.value(), shape_path, "document");
        shape.path = OptString(it.value(), shape_path, "path");
        if (!shape.document.empty()) s_.ShapeDocument(shape.document);
        iReference->AddShape(shape);
      }
    }
    if (const Json* active = Find(iObject, "activeShape")) {
      std::string name = AsString(*active, Key(iPath, "activeShape"));
      if (!iReference->SetActiveShape(name)) {
        Fail(Key(iPath, "activeShape"), "no shape named " + Quote(name));
      }
    }
  }

  // The data every product object carries (instance node or reference object).
  void LoadObjectData(MemProduct* iProduct, const Json& iObject, const JPath& iPath) {
    iProduct->Properties() = StringMap(iObject, iPath, "properties");
    if (const Json* vpm = Find(iObject, "vpm")) {
      JPath path = Key(iPath, "vpm");
      ExpectObject(*vpm, path);
      CheckKeys(*vpm, path, {"printableId", "env", "modelRevision"});
      iProduct->Vpm().printableId = OptString(*vpm, path, "printableId");
      CheckPrintableId(iProduct->Vpm().printableId, Key(path, "printableId"));
      iProduct->Vpm().env = OptString(*vpm, path, "env");
      iProduct->Vpm().modelRevision = OptString(*vpm, path, "modelRevision");
    }
    if (const Json* origin = Find(iObject, "origin")) {
      iProduct->SetOrigin(AsString(*origin, Key(iPath, "origin")));
    }
    iProduct->Graphic().color = OptString(iObject, iPath, "color");
    if (!iProduct->Graphic().color.empty()) {
      CheckColor(iProduct->Graphic().color, Key(iPath, "color"));
    }
    iProduct->Graphic().shown = OptBool(iObject, iPath, "shown", true);
    iProduct->SetLoaded(OptBool(iObject, iPath, "loaded", true));
    if (const Json* mode = Find(iObject, "mode")) {
      std::string name = AsString(*mode, Key(iPath, "mode"));
      if (name == "design") iProduct->SetMode(MemMode::kDesign);
      else if (name == "product") iProduct->SetMode(MemMode::kProduct);
      else if (name == "visu") iProduct->SetMode(MemMode::kVisu);
      else Fail(Key(iPath, "mode"), "expected one of design, product, visu, got " + Quote(name));
    }
    iProduct->SetExplicitNodeType(OptInt(iObject, iPath, "nodeType", -1, 0, 9));
  }

  void LoadInstance(MemProduct* iFather, const Json& iNode, const JPath& iPath) {
    DepthGuard guard(depth_, iPath);
    ExpectObject(iNode, iPath);
    CheckKeys(iNode, iPath, {"name", "position", "nodeType", "properties", "vpm", "origin",
                             "color", "shown", "loaded", "mode", "ref"});
    std::string name = AsString(Require(iNode, iPath, "name"), Key(iPath, "name"));
    const Json& ref = Require(iNode, iPath, "ref");
    JPath ref_path = Key(iPath, "ref");
    MemProduct* reference = nullptr;
    bool inline_reference = false;
    if (ref.is_string()) {
      auto it = by_id_.find(ref.get<std::string>());
      if (it == by_id_.end()) Fail(ref_path, "unknown reference id " + Quote(ref.get<std::string>()));
      reference = it->second;
    } else if (ref.is_object()) {
      reference = InlineReference(ref, ref_path, iFather->Document());
      inline_reference = true;
    } else {
      Fail(ref_path, "expected a reference id or a reference object, got " + TypeOf(ref));
    }
    MemProduct* instance = s_.NewInstance(iFather, reference, name);
    if (instance == nullptr) Fail(ref_path, WhyRefused(iFather, reference));
    if (const Json* position = Find(iNode, "position")) {
      instance->SetPosition(Position(*position, Key(iPath, "position")));
    }
    LoadObjectData(instance, iNode, iPath);
    if (inline_reference) FillReference(reference, ref, ref_path);
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

  static CATMathTransformation Position(const Json& iValue, const JPath& iPath) {
    if (!iValue.is_array()) Fail(iPath, "expected 12 numbers, got " + TypeOf(iValue));
    if (iValue.size() != 12) {
      Fail(iPath, "expected 12 numbers, got " + std::to_string(iValue.size()));
    }
    double coef[12];
    for (size_t i = 0; i < 12; ++i) {
      if (!iValue[i].is_number()) Fail(Item(iPath, i), "expected a number, got " + TypeOf(iValue[i]));
      coef[i] = iValue[i].get<double>();
    }
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
  std::vector<MemDocument*> opened_;
  std::unordered_map<std::string, MemProduct*> by_id_;
  std::unordered_set<std::string> ids_;
  int depth_ = 0;  // instances being loaded, one inside the other
};

// --- Writer ---------------------------------------------------------------------

class MemSessionWriter {
 public:
  explicit MemSessionWriter(const MemSession& iSession) : s_(iSession) {}

  OrderedJson Write() {
    AssignIds();
    OrderedJson root;
    root["format"] = kFormat;
    if (s_.settings_.present) root["settings"] = Settings();
    if (!s_.environment_.empty()) root["environment"] = s_.environment_;
    if (s_.os_type_ >= 0) root["os"] = s_.os_type_;
    if (s_.interactive_) root["interactive"] = true;
    std::vector<MemDocument*> products = s_.ProductDocuments();
    if (s_.current_editor_ && !products.empty() &&
        s_.current_editor_ != products.front()->Editor()) {
      MemDocument* current = static_cast<MemDocument*>(s_.current_editor_->GetDocument());
      root["currentDocument"] = current->Storage();
    }
    if (!s_.replacements_.empty()) {
      OrderedJson rows = OrderedJson::array();
      for (const MemReplacement& row : s_.replacements_) {
        OrderedJson entry;
        entry["old"] = row.oldClink;
        entry["new"] = row.newClink;
        if (!row.env.empty()) entry["env"] = row.env;
        rows.push_back(std::move(entry));
      }
      root["replacements"] = std::move(rows);
    }
    if (!declared_.empty()) {
      OrderedJson references = OrderedJson::array();
      for (MemProduct* reference : declared_) {
        references.push_back(ReferenceObject(reference, nullptr, true));
      }
      root["references"] = std::move(references);
    }
    OrderedJson documents = OrderedJson::array();
    for (MemDocument* document : s_.documents_) {
      if (!IsWorthWriting(document)) continue;
      OrderedJson entry;
      entry["name"] = document->Name();
      if (document->Storage() != document->Name()) entry["storage"] = document->Storage();
      if (document->IsPdm()) entry["pdm"] = true;
      if (!document->DocId().empty()) entry["docId"] = document->DocId();
      if (!document->DisplayName().empty()) entry["displayName"] = document->DisplayName();
      if (document->Root()) entry["root"] = ReferenceObject(document->Root(), document, false);
      documents.push_back(std::move(entry));
    }
    root["documents"] = std::move(documents);
    const std::vector<MemFault>& faults = MemFaults::All();
    if (!faults.empty()) {
      OrderedJson entries = OrderedJson::array();
      for (const MemFault& fault : faults) entries.push_back(Fault(fault));
      root["faults"] = std::move(entries);
    }
    return root;
  }

 private:
  // Shape documents that only carry their storage name are implied by the
  // shapes that name them.
  static bool IsWorthWriting(const MemDocument* iDocument) {
    return iDocument->IsProductDocument() || iDocument->IsPdm() ||
           !iDocument->DocId().empty() || !iDocument->DisplayName().empty() ||
           iDocument->Name() != iDocument->Storage();
  }

  OrderedJson Settings() const {
    const MemSettings& settings = s_.settings_;
    OrderedJson result;
    result["psnDirectory"] = settings.psnDirectory;
    if (!settings.noteTemplate.empty()) result["noteTemplate"] = settings.noteTemplate;
    if (settings.trace != 0) result["trace"] = settings.trace;
    for (const auto* source : {&settings.version, &settings.revision}) {
      OrderedJson entry;
      entry["source"] = source->source;
      entry["attribute"] = source->attribute;
      entry["property"] = source->property;
      result[source == &settings.version ? "version" : "revision"] = std::move(entry);
    }
    return result;
  }

  static OrderedJson Fault(const MemFault& iFault) {
    OrderedJson entry;
    entry["op"] = MemFaultPointName(iFault.point);
    entry["rc"] = iFault.rc;
    for (const ResultName& name : kResultNames) {
      if (name.rc == iFault.rc) entry["rc"] = name.name;
    }
    if (!iFault.document.empty()) entry["document"] = iFault.document;
    if (iFault.hasPath) entry["path"] = iFault.path;
    if (!iFault.product.empty()) entry["product"] = iFault.product;
    if (iFault.call != 0) entry["call"] = iFault.call;
    return entry;
  }

  // Declared references are written in the "references" list: the pinned
  // ones, then those shared by several instances, in the order met.
  void AssignIds() {
    for (MemProduct* reference : s_.pinned_) Declare(reference);
    for (MemProduct* reference : s_.pinned_) Walk(reference);
    for (MemDocument* document : s_.documents_) {
      if (document->Root()) Walk(document->Root());
    }
    for (MemProduct* reference : declared_) {
      std::string id = reference->FileId();
      if (id.empty() || !used_ids_.insert(id).second) {
        do {
          id = "R" + std::to_string(++generated_);
        } while (!used_ids_.insert(id).second);
      }
      ids_[reference] = id;
      emitted_.insert(id);
    }
  }

  void Declare(MemProduct* iReference) {
    if (declared_set_.insert(iReference).second) declared_.push_back(iReference);
  }

  void Walk(MemProduct* iReference) {
    for (MemProduct* child : iReference->Children()) {
      MemProduct* reference = child->Reference();
      if (reference->Instances().size() > 1) Declare(reference);
      if (!declared_set_.count(reference) && !reference->FileId().empty()) {
        used_ids_.insert(reference->FileId());
      }
      if (!declared_set_.count(reference) && reference->Instances().front() == child) {
        Walk(reference);
      }
    }
  }

  void WriteObjectData(OrderedJson& ioJson, const MemProduct* iProduct) const {
    if (iProduct->ExplicitNodeType() >= 0) ioJson["nodeType"] = iProduct->ExplicitNodeType();
    if (!iProduct->Properties().empty()) ioJson["properties"] = iProduct->Properties();
    const MemVpm& vpm = iProduct->Vpm();
    if (!vpm.printableId.empty() || !vpm.env.empty() || !vpm.modelRevision.empty()) {
      OrderedJson entry;
      if (!vpm.printableId.empty()) entry["printableId"] = vpm.printableId;
      if (!vpm.env.empty()) entry["env"] = vpm.env;
      if (!vpm.modelRevision.empty()) entry["modelRevision"] = vpm.modelRevision;
      ioJson["vpm"] = std::move(entry);
    }
    if (iProduct->HasOrigin()) ioJson["origin"] = iProduct->Origin();
    if (!iProduct->Graphic().color.empty()) ioJson["color"] = iProduct->Graphic().color;
    if (!iProduct->Graphic().shown) ioJson["shown"] = false;
    if (!iProduct->IsLoaded()) ioJson["loaded"] = false;
    if (iProduct->Mode() != MemMode::kDesign) ioJson["mode"] = ModeName(iProduct->Mode());
  }

  // iContext: the document the reference is written in (null at top level).
  OrderedJson ReferenceObject(MemProduct* iReference, MemDocument* iContext,
                              bool iDeclared) const {
    OrderedJson json;
    auto id = ids_.find(iReference);
    if (id != ids_.end()) {
      json["id"] = id->second;
    } else if (!iReference->FileId().empty() && !iReference->IsRoot() &&
               emitted_.insert(iReference->FileId()).second) {
      json["id"] = iReference->FileId();
    }
    json["partNumber"] = iReference->PartNumber();
    auto text = [&json](const char* iKey, const std::string& iValue) {
      if (!iValue.empty()) json[iKey] = iValue;
    };
    text("revision", iReference->Revision());
    text("definition", iReference->Definition());
    text("nomenclature", iReference->Nomenclature());
    text("description", iReference->Description());
    if (iReference->Kind() != DerivedKind(iReference)) json["kind"] = KindName(iReference->Kind());
    MemDocument* document = iReference->Document();
    if (document && (iDeclared || document != iContext)) json["document"] = document->Storage();
    if (!iReference->Parms().empty()) {
      OrderedJson parms;
      for (const auto& entry : iReference->Parms()) parms[entry.first] = entry.second->value();
      json["parameters"] = std::move(parms);
    }
    if (!iReference->UserProperties().empty()) json["userProperties"] = iReference->UserProperties();
    if (!iReference->Shapes().empty()) {
      OrderedJson shapes;
      for (const MemShape& shape : iReference->Shapes()) {
        OrderedJson entry = OrderedJson::object();
        if (!shape.document.empty()) entry["document"] = shape.document;
        if (!shape.path.empty()) entry["path"] = shape.path;
        shapes[shape.name] = std::move(entry);
      }
      json["shapes"] = std::move(shapes);
    }
    text("activeShape", iReference->ActiveShapeName());
    WriteObjectData(json, iReference);
    if (!iReference->Children().empty()) {
      OrderedJson children = OrderedJson::array();
      for (MemProduct* child : iReference->Children()) children.push_back(Instance(child));
      json["children"] = std::move(children);
    }
    return json;
  }

  OrderedJson Instance(MemProduct* iInstance) const {
    OrderedJson json;
    json["name"] = iInstance->InstanceName();
    if (!iInstance->Position().IsIdentity()) {
      double coef[12];
      iInstance->Position().GetCoef(coef);
      OrderedJson numbers = OrderedJson::array();
      for (double value : coef) {
        // Whole numbers print as integers ("100", not "100.0").
        if (std::fabs(value) < 1e15 && value == std::floor(value)) {
          numbers.push_back(static_cast<long long>(value));
        } else {
          numbers.push_back(value);
        }
      }
      json["position"] = std::move(numbers);
    }
    WriteObjectData(json, iInstance);
    MemProduct* reference = iInstance->Reference();
    auto id = ids_.find(reference);
    if (id != ids_.end()) {
      json["ref"] = id->second;
    } else {
      json["ref"] = ReferenceObject(reference, iInstance->Document(), false);
    }
    return json;
  }

  const MemSession& s_;
  std::vector<MemProduct*> declared_;
  std::unordered_set<MemProduct*> declared_set_;
  std::unordered_set<std::string> used_ids_;
  std::unordered_map<const MemProduct*, std::string> ids_;
  mutable std::unordered_set<std::string> emitted_;  // ids written so far
  unsigned long generated_ = 0;
};

// --- MemSession: file entry points ------------------------------------------------

MemResult MemSession::Load(const std::string& iPath) {
  std::ifstream in(iPath, std::ios::binary | std::ios::ate);
  if (!in) return MemResult::Error(iPath + ": cannot open the file");
  std::string text(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  if (!in.read(&text[0], static_cast<std::streamsize>(text.size()))) {
    return MemResult::Error(iPath + ": cannot read the file");
  }
  return LoadFromText(text, iPath);
}

MemResult MemSession::LoadFromText(const std::string& iText, const std::string& iSourceName) {
  MemSession staging;
  MemSessionLoader loader(staging);
  try {
    Json root = Json::parse(iText);
    loader.Load(root);
  } catch (const LoadError& error) {
    const std::string path = Shortened(error.path);
    return MemResult::Error(iSourceName + ": " + (path.empty() ? "" : path + ": ") + error.what);
  } catch (const Json::parse_error& error) {
    std::string what = error.what();
    size_t colon = what.find("]: ");  // drop nlohmann's "[json.exception...]"
    if (colon != std::string::npos) what = what.substr(colon + 3);
    return MemResult::Error(iSourceName + ":" + LineAndColumn(iText, error.byte > 0 ? error.byte - 1 : 0) +
                            ": invalid JSON: " + what);
  } catch (const std::exception& error) {
    return MemResult::Error(iSourceName + ": " + error.what());
  }
  Close();
  TakeFrom(staging);
  MemFaults::Clear();  // no earlier fault may hit the settings being applied
  ApplyGlobals();
  for (const MemFault& fault : loader.faults) MemFaults::Add(fault);
  return MemResult::Ok();
}

std::string MemSession::SaveToText() const {
  MemSessionWriter writer(*this);
  return writer.Write().dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

namespace {

// Writes iText to iPath through a temporary file in the same folder, which
// replaces iPath only once complete and is removed on every failure. The
// fault points File.Create, File.Write (after each block written) and
// File.Commit make each step fail.
MemResult WriteAtomically(const std::string& iPath, const std::string& iText) {
  const std::string temporary = iPath + ".tmp" + std::to_string(::getpid());
  HRESULT rc = S_OK;
  if (MemFaults::Hit(MemFaultPoint::kFileCreate, rc)) {
    return MemResult::Error(iPath + ": cannot create " + temporary);
  }
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) return MemResult::Error(iPath + ": cannot create " + temporary);
  constexpr size_t kBlock = 1 << 16;
  for (size_t at = 0; at < iText.size(); at += kBlock) {
    out.write(iText.data() + at,
              static_cast<std::streamsize>(std::min(kBlock, iText.size() - at)));
    if (!out || MemFaults::Hit(MemFaultPoint::kFileWrite, rc)) {
      out.close();
      std::remove(temporary.c_str());
      return MemResult::Error(iPath + ": cannot write " + temporary);
    }
  }
  out.close();
  if (!out || MemFaults::Hit(MemFaultPoint::kFileCommit, rc) ||
      std::rename(temporary.c_str(), iPath.c_str()) != 0) {
    std::remove(temporary.c_str());
    return MemResult::Error(iPath + ": cannot replace the file");
  }
  return MemResult::Ok();
}

}  // namespace

MemResult MemSession::Save(const std::string& iPath) const {
  std::string text;
  try {
    text = SaveToText();
  } catch (const std::exception& error) {
    return MemResult::Error(iPath + ": cannot write the session: " + error.what());
  }
  return WriteAtomically(iPath, text);
}

// --- Moving a loaded session in, and the process-wide state -------------------------

void MemSession::TakeFrom(MemSession& iOther) {
  documents_.swap(iOther.documents_);
  by_storage_.swap(iOther.by_storage_);
  by_doc_id_.swap(iOther.by_doc_id_);
  references_.swap(iOther.references_);
  pinned_.swap(iOther.pinned_);
  by_part_number_.swap(iOther.by_part_number_);
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
    for (MemProduct* child : reference->children_) child->session_ = this;
  }
}

void MemSession::ApplyGlobals() {
  for (const auto& entry : environment_) {
    CATSetEnvOverride(entry.first.c_str(), entry.second.c_str());
  }
  CATSetSystemOSType(os_type_);
  CATApplication::SetMainApplication(interactive_ ? &InteractiveApplication() : nullptr);
  if (settings_.present) {
    KRVIWD7BlackBoxSettingAtt* settings = nullptr;
    void* out = nullptr;
    if (GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &out) >= 0 && out) {
      settings = static_cast<KRVIWD7BlackBoxSettingAtt*>(out);
      settings->SetPSNDirectory(CATUnicodeString(settings_.psnDirectory));
      settings->SetNoteTemplate(CATUnicodeString(settings_.noteTemplate));
      settings->SetTraceActivation(settings_.trace);
      settings->SetVersionSource(settings_.version.source);
      settings->SetVersionAttribute(settings_.version.attribute);
      settings->SetVersionProperty(CATUnicodeString(settings_.version.property));
      settings->SetRevisionSource(settings_.revision.source);
      settings->SetRevisionAttribute(settings_.revision.attribute);
      settings->SetRevisionProperty(CATUnicodeString(settings_.revision.property));
      settings->Release();
    }
  }
  applied_globals_ = true;
}

void MemSession::UndoGlobals() {
  if (!applied_globals_) return;
  for (const auto& entry : environment_) CATRemoveEnvOverride(entry.first.c_str());
  CATSetSystemOSType(-1);
  CATApplication::SetMainApplication(nullptr);
  if (settings_.present) KRVWD7ResetBlackBoxSettings();
  MemFaults::Clear();
  applied_globals_ = false;
}
