// Session files: writing.
//
// The writer streams the session's text to a sink (a string, or the
// temporary file of a save) as it walks the session: no tree is built, so
// saving needs no memory in proportion to the session. Keys come in a fixed
// order, defaults are left out and maps are sorted by name, so that loading
// a saved text and saving it again gives the same bytes.
#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "MemFaults.h"
#include "MemJsonWriter.h"
#include "MemSession.h"
#include "MemSessionFileInternal.h"

using memfile::DerivedKind;
using memfile::KindName;
using memfile::ModeName;

class MemSessionWriter {
 public:
  MemSessionWriter(const MemSession& iSession, memfile::TextSink& ioSink)
      : s_(iSession), out_(ioSink) {}

  bool Write() {
    AssignIds();
    out_.BeginObject();
    out_.Key("format");
    out_.String(memfile::kFormat);
    if (s_.settings_.present) {
      out_.Key("settings");
      Settings();
    }
    if (!s_.environment_.empty()) {
      out_.Key("environment");
      StringMap(s_.environment_);
    }
    if (s_.os_type_ >= 0) {
      out_.Key("os");
      out_.Integer(s_.os_type_);
    }
    if (s_.interactive_) {
      out_.Key("interactive");
      out_.Boolean(true);
    }
    std::vector<MemDocument*> products = s_.ProductDocuments();
    if (s_.current_editor_ && !products.empty() &&
        s_.current_editor_ != products.front()->Editor()) {
      MemDocument* current = static_cast<MemDocument*>(s_.current_editor_->GetDocument());
      out_.Key("currentDocument");
      out_.String(current->Storage());
    }
    if (!s_.replacements_.empty()) {
      out_.Key("replacements");
      out_.BeginArray();
      for (const MemReplacement& row : s_.replacements_) {
        out_.BeginObject();
        Text("old", row.oldClink);
        Text("new", row.newClink);
        if (!row.env.empty()) Text("env", row.env);
        out_.EndObject();
      }
      out_.EndArray();
    }
    if (!declared_.empty()) {
      out_.Key("references");
      out_.BeginArray();
      for (MemProduct* reference : declared_) ReferenceObject(reference, nullptr, true);
      out_.EndArray();
    }
    out_.Key("documents");
    out_.BeginArray();
    for (MemDocument* document : s_.documents_) {
      if (!IsWorthWriting(document)) continue;
      out_.BeginObject();
      Text("name", document->Name());
      if (document->Storage() != document->Name()) Text("storage", document->Storage());
      if (document->IsPdm()) {
        out_.Key("pdm");
        out_.Boolean(true);
      }
      if (!document->DocId().empty()) Text("docId", document->DocId());
      if (!document->DisplayName().empty()) Text("displayName", document->DisplayName());
      if (document->Root()) {
        out_.Key("root");
        ReferenceObject(document->Root(), document, false);
      }
      out_.EndObject();
    }
    out_.EndArray();
    const std::vector<MemFault>& faults = MemFaults::All();
    if (!faults.empty()) {
      out_.Key("faults");
      out_.BeginArray();
      for (const MemFault& fault : faults) Fault(fault);
      out_.EndArray();
    }
    out_.EndObject();
    return out_.Finish();
  }

 private:
  // Shape documents that only carry their storage name are implied by the
  // shapes that name them.
  static bool IsWorthWriting(const MemDocument* iDocument) {
    return iDocument->IsProductDocument() || iDocument->IsPdm() ||
           !iDocument->DocId().empty() || !iDocument->DisplayName().empty() ||
           iDocument->Name() != iDocument->Storage();
  }

  void Text(std::string_view iKey, std::string_view iValue) {
    out_.Key(iKey);
    out_.String(iValue);
  }

  void Integer(const char* iKey, long long iValue) {
    out_.Key(iKey);
    out_.Integer(iValue);
  }

  // A std::map or a MemTextMap: names in order, each once.
  template <typename Map>
  void StringMap(const Map& iMap) {
    out_.BeginObject();
    for (const auto& [name, value] : iMap) Text(name, value);
    out_.EndObject();
  }

  void Settings() {
    const MemSettings& settings = s_.settings_;
    out_.BeginObject();
    Text("psnDirectory", settings.psnDirectory);
    if (!settings.noteTemplate.empty()) Text("noteTemplate", settings.noteTemplate);
    if (settings.trace != 0) Integer("trace", settings.trace);
    for (const auto* source : {&settings.version, &settings.revision}) {
      out_.Key(source == &settings.version ? "version" : "revision");
      out_.BeginObject();
      Integer("source", source->source);
      Integer("attribute", source->attribute);
      Text("property", source->property);
      out_.EndObject();
    }
    out_.EndObject();
  }

  void Fault(const MemFault& iFault) {
    out_.BeginObject();
    Text("op", MemFaultPointName(iFault.point));
    out_.Key("rc");
    const char* name = nullptr;
    for (const memfile::ResultName& entry : memfile::kResultNames) {
      if (entry.rc == iFault.rc) name = entry.name;
    }
    if (name) {
      out_.String(name);
    } else {
      out_.Integer(iFault.rc);
    }
    if (iFault.kill) {
      out_.Key("kill");
      out_.Boolean(true);
    }
    if (!iFault.document.empty()) Text("document", iFault.document);
    if (iFault.hasPath) Text("path", iFault.path);
    if (!iFault.product.empty()) Text("product", iFault.product);
    if (iFault.call != 0) Integer("call", iFault.call);
    out_.EndObject();
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

  void ObjectData(const MemProduct* iProduct) {
    if (iProduct->ExplicitNodeType() >= 0) Integer("nodeType", iProduct->ExplicitNodeType());
    if (!iProduct->Properties().empty()) {
      out_.Key("properties");
      StringMap(iProduct->Properties());
    }
    const MemVpm& vpm = iProduct->Vpm();
    if (!vpm.PrintableId().empty() || !vpm.Env().empty() || !vpm.ModelRevision().empty()) {
      out_.Key("vpm");
      out_.BeginObject();
      if (!vpm.PrintableId().empty()) Text("printableId", vpm.PrintableId());
      if (!vpm.Env().empty()) Text("env", vpm.Env());
      if (!vpm.ModelRevision().empty()) Text("modelRevision", vpm.ModelRevision());
      out_.EndObject();
    }
    if (iProduct->HasOrigin()) Text("origin", iProduct->Origin());
    if (!iProduct->Graphic().color.empty()) Text("color", iProduct->Graphic().color);
    if (!iProduct->Graphic().shown) {
      out_.Key("shown");
      out_.Boolean(false);
    }
    if (!iProduct->IsLoaded()) {
      out_.Key("loaded");
      out_.Boolean(false);
    }
    if (iProduct->Mode() != MemMode::kDesign) Text("mode", ModeName(iProduct->Mode()));
  }

  // iContext: the document the reference is written in (null at top level).
  void ReferenceObject(MemProduct* iReference, MemDocument* iContext, bool iDeclared) {
    out_.BeginObject();
    auto id = ids_.find(iReference);
    if (id != ids_.end()) {
      Text("id", id->second);
    } else if (!iReference->FileId().empty() && !iReference->IsRoot() &&
               emitted_.insert(iReference->FileId()).second) {
      Text("id", iReference->FileId());
    }
    if (iReference->IsRoot() && !iReference->InstanceName().empty()) {
      Text("name", iReference->InstanceName());
    }
    Text("partNumber", iReference->PartNumber());
    auto text = [this](const char* iKey, const std::string& iValue) {
      if (!iValue.empty()) Text(iKey, iValue);
    };
    text("revision", iReference->Revision());
    text("definition", iReference->Definition());
    text("nomenclature", iReference->Nomenclature());
    text("description", iReference->Description());
    if (iReference->Kind() != DerivedKind(iReference)) Text("kind", KindName(iReference->Kind()));
    MemDocument* document = iReference->Document();
    if (document && (iDeclared || document != iContext)) Text("document", document->Storage());
    if (!iReference->Parms().empty()) {
      out_.Key("parameters");
      out_.BeginObject();
      for (const auto& entry : iReference->Parms()) Text(entry.first.c_str(), entry.second->value());
      out_.EndObject();
    }
    if (!iReference->UserProperties().empty()) {
      out_.Key("userProperties");
      StringMap(iReference->UserProperties());
    }
    if (!iReference->Shapes().empty()) {
      out_.Key("shapes");
      Shapes(iReference->Shapes());
    }
    text("activeShape", iReference->ActiveShapeName());
    ObjectData(iReference);
    if (!iReference->Children().empty()) {
      out_.Key("children");
      out_.BeginArray();
      for (MemProduct* child : iReference->Children()) Instance(child);
      out_.EndArray();
    }
    out_.EndObject();
  }

  // Shapes by name; a name given twice keeps its first place and its last
  // value, as a JSON object does.
  void Shapes(const std::vector<MemShape>& iShapes) {
    out_.BeginObject();
    for (size_t i = 0; i < iShapes.size(); ++i) {
      const MemShape* shape = &iShapes[i];
      bool seen = false;
      for (size_t j = 0; j < i && !seen; ++j) seen = iShapes[j].Name() == shape->Name();
      if (seen) continue;
      for (size_t j = i + 1; j < iShapes.size(); ++j) {
        if (iShapes[j].Name() == shape->Name()) shape = &iShapes[j];
      }
      out_.Key(shape->Name());
      out_.BeginObject();
      if (!shape->Storage().empty()) Text("document", shape->Storage());
      if (!shape->Path().empty()) Text("path", shape->Path());
      out_.EndObject();
    }
    out_.EndObject();
  }

  void Instance(MemProduct* iInstance) {
    out_.BeginObject();
    Text("name", iInstance->InstanceName());
    if (!iInstance->Position().IsIdentity()) {
      double coef[12];
      iInstance->Position().GetCoef(coef);
      out_.Key("position");
      out_.BeginArray();
      for (double value : coef) {
        // Whole numbers print as integers ("100", not "100.0").
        if (std::fabs(value) < 1e15 && value == std::floor(value)) {
          out_.Integer(static_cast<long long>(value));
        } else {
          out_.Double(value);
        }
      }
      out_.EndArray();
    }
    ObjectData(iInstance);
    MemProduct* reference = iInstance->Reference();
    auto id = ids_.find(reference);
    if (id != ids_.end()) {
      Text("ref", id->second);
    } else {
      out_.Key("ref");
      ReferenceObject(reference, iInstance->Document(), false);
    }
    out_.EndObject();
  }

  const MemSession& s_;
  MemJsonWriter out_;
  std::vector<MemProduct*> declared_;
  std::unordered_set<MemProduct*> declared_set_;
  std::unordered_set<std::string> used_ids_;
  std::unordered_map<const MemProduct*, std::string> ids_;
  std::unordered_set<std::string> emitted_;  // ids written so far
  unsigned long generated_ = 0;
};

bool memfile::WriteSession(const MemSession& iSession, TextSink& ioSink) {
  MemSessionWriter writer(iSession, ioSink);
  return writer.Write();
}

namespace {

class StringSink : public memfile::TextSink {
 public:
  explicit StringSink(std::string& oText) : text_(oText) {}
  bool Write(const char* iData, size_t iSize) override {
    text_.append(iData, iSize);
    return true;
  }

 private:
  std::string& text_;
};

}  // namespace

std::string MemSession::SaveToText() const {
  std::string text;
  StringSink sink(text);
  memfile::WriteSession(*this, sink);
  return text;
}
