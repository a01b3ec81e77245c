// KRVEWD7BlackBoxServices::UpdatePSNFile: writes the PSN file of the black
// box of the current editor.
//
// In this order, which matters: (1) the root and its components; (2) the
// link and collapsed-part entries of the black box's existing PSN file,
// read completely; (3) the target file name; (4) the temporary file beside
// the target; (5) every line, in memory; (6) the lines written and the
// temporary file renamed over the target. The text work lives in
// KRVWD7PSNFileText; here are the host's calls and the trace.
#include <sys/stat.h>

#include <cstdio>
#include <initializer_list>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "CATDocument.h"
#include "CATFrmEditor.h"
#include "CATGetSystemInfo.h"
#include "CATILinkableObject.h"
#include "CATIProduct.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATTime.h"
#include "CATUtf8.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7PSNFileText.h"
#include "KRVWD7UtiAtomicFile.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"

namespace krvwd7_core {
namespace {

// --- (1) The black box -------------------------------------------------------------

// The root of the current editor's document and the list of its components
// (null when the all-children query gave none).
struct BlackBoxContent {
  CATBaseUnknown_var root;
  std::unique_ptr<CATListValCATBaseUnknown_var> components;
};

BlackBoxContent FindBlackBox() {
  BlackBoxContent box;
  CATFrmEditor* editor = CATFrmEditor::GetCurrentEditor();
  if (editor == nullptr) return box;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(editor, box.root))) {
    box.root = CATBaseUnknown_var();
  }
  if (!box.root) return box;
  CATListValCATBaseUnknown_var* components = nullptr;
  KRVWD7UtiPrdServices::GetAllChildren(box.root, components, "CATIProduct", 2);
  box.components.reset(components);
  if (components) TraceF("Number of children = %d", components->Size());
  return box;
}

// --- (2) The old PSN file ------------------------------------------------------------

bool IsRegularFile(const char* iName) {
  struct stat status;
  return stat(iName, &status) == 0 && S_ISREG(status.st_mode);
}

void TraceOldEntries(const PSNOldEntries& iOld) {
  Trace("\n");
  TraceF("Initial Clinks:%d\n", static_cast<int>(iOld.linkIds.size()));
  for (size_t k = 0; k < iOld.linkIds.size(); ++k) {
    TraceF("\t%d:%s\n", static_cast<int>(k + 1), iOld.linkIds[k].c_str());
  }
  TraceF("Initial CollapsedParts:%d\n", static_cast<int>(iOld.collapsedParts.size()));
  for (size_t k = 0; k < iOld.collapsedParts.size(); ++k) {
    TraceF("\t%d:%s\n", static_cast<int>(k + 1), iOld.collapsedParts[k].c_str());
  }
  Trace("\n");
}

// The entries of the file that GetPSNFilename names on iRoot; none when
// there is no such name or file. Never an error.
PSNOldEntries ReadOldFile(const CATBaseUnknown_var& iRoot) {
  PSNOldEntries old;
  const KRVIWD7BlackBox_var black_box(iRoot);
  CATUnicodeString name;
  if (black_box && SUCCEEDED(black_box->GetPSNFilename(name)) && !name.IsEmpty() &&
      IsRegularFile(name.ConvertToChar())) {
    std::ifstream in(name.ConvertToChar(), std::ios::binary);
    if (in) {
      ReadPSNEntries(in, old);
      in.close();
      RewriteCollapsedParts(old);
    }
  }
  TraceOldEntries(old);
  return old;
}

// --- (3) The target file name ---------------------------------------------------------

// The default PSN directory and the result of asking for it: the settings
// controller's failure, or the directory query's result.
HRESULT ReadPSNDirectory(CATUnicodeString& oDirectory) {
  oDirectory = CATUnicodeString();
  void* pointer = nullptr;
  HRESULT rc = GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &pointer);
  if (FAILED(rc)) return rc;
  if (pointer == nullptr) return E_FAIL;
  KRVIWD7BlackBoxSettingAtt* settings = static_cast<KRVIWD7BlackBoxSettingAtt*>(pointer);
  rc = settings->GetPSNDirectory(oDirectory);
  if (FAILED(rc)) oDirectory = CATUnicodeString();
  settings->Release();
  return rc;
}

CATUnicodeString ResolveTarget(const CATUnicodeString& iName, HRESULT& oSettingsRc) {
  Trace(">> SetPSNFilename");
  TraceF("Input file name=[%s]", iName.ConvertToChar());
  Trace("1. Get default PSN directory based on setting");
  CATUnicodeString directory;
  oSettingsRc = ReadPSNDirectory(directory);
  return ResolvePSNFilename(iName, directory, true);
}

// --- (5) The lines ----------------------------------------------------------------------

// Builds the content of the new file; owns every working list of one run.
class PSNFileBuilder {
 public:
  PSNFileBuilder(const CATUnicodeString& iFileName, const CATBaseUnknown_var& iRoot,
                 const CATListValCATBaseUnknown_var& iComponents, PSNOldEntries& ioOld)
      : file_name_(iFileName.ToStdString()), root_(iRoot), components_(iComponents),
        old_(ioOld) {}

  // Every line in order; returns the result of the root's PSN printable id.
  HRESULT Build(std::string& oContent) {
    WriteBeginning();
    BuildLinkList();
    content_.reserve(content_.size() + 32 * links_.size() + 96 * link_texts_.size() +
                     64 * old_.collapsedParts.size() + 1024);
    WriteLinks();
    const HRESULT rc = WriteRootPart();
    WriteDocumentLinks();
    WriteSelectedObjects();
    WriteCollapsedParts();
    Trace("Write end of PSN file");
    content_ += "ENDSEC;\nEND-ISO-10303-21;\n";
    oContent.swap(content_);
    return rc;
  }

 private:
  // Appends the line of the next entity: "#n" then iPieces.
  void Entity(std::initializer_list<std::string_view> iPieces) {
    content_ += '#';
    content_ += std::to_string(++entity_);
    for (std::string_view piece : iPieces) content_ += piece;
  }

  void WriteBeginning() {
    Trace("Write beginning of PSN file");
    const CATTime now = CATTime::GetCurrentUniversalTime();
    char time[64];
    std::snprintf(time, sizeof time, "%4d-%.2d-%.2dT%.2d:%.2d:%.2d+00:00", now.GetYear(),
                  now.GetMonth(), now.GetDay(), now.GetHour(), now.GetMinute(),
                  now.GetSecond());
    content_ += "PSN\nISO-10303-21;\nHEADER;\n";
    content_ += "FILE_DESCRIPTION(('" + file_name_ + "'),'1');\n";
    content_ += "FILE_NAME('" + file_name_ + "','" + time +
                "',('VPM graph session'),$,$,$,$);\n";
    content_ += "FILE_SCHEMA(('psnsav'));\nENDSEC;\nDATA;\n";
    entity_ = 1;
    content_ += "#1=Version(6);\n";
  }

  // Reads every component's printable identifier: its link identifiers go
  // to the link list, and its link text (the identifiers, last first,
  // joined by ",") to link_texts_. The components' identifiers are kept in
  // one buffer, which the link list views.
  void BuildLinkList() {
    Trace("Build clink list");
    const CATUnicodeString property("BBPrintableId");
    const bool tracing = KRVWD7UtiTracer::IsOn();
    CATUnicodeString value;
    std::vector<std::pair<size_t, size_t>> spans;  // of the identifiers in links_arena_
    std::vector<size_t> first_span;                // per component with an id
    for (int i = 1; i <= components_.Size(); ++i) {
      const CATBaseUnknown_var& component = components_[i];
      if (KRVWD7UtiPrdServices::GetProperty(component, property, value) != S_OK) {
        TraceF("Component %d has not a BBPrintableId property", i);
        has_id_.push_back(0);
        continue;
      }
      if (tracing) {
        const CATIProduct_var product(component);
        const CATUnicodeString text = product ? product->GetDescriptiveText() : CATUnicodeString();
        TraceF("Component %d [%s] has a BBPrintableId property = [%s]", i,
               text.ConvertToChar(), value.ConvertToChar());
      }
      has_id_.push_back(1);
      first_span.push_back(spans.size());
      AppendLinks(value, links_arena_, spans);
    }
    first_span.push_back(spans.size());
    links_.reserve(spans.size() + old_.linkIds.size());
    for (const auto& [offset, length] : spans) {
      links_.emplace_back(links_arena_.data() + offset, length);
    }
    link_texts_.reserve(first_span.size());
    for (size_t c = 0; c + 1 < first_span.size(); ++c) {
      // Room for the document marker and reference put in front later.
      std::string text;
      text.reserve((kClinkLength + 1) * (first_span[c + 1] - first_span[c]) + 16);
      for (size_t k = first_span[c + 1]; k-- > first_span[c];) {
        if (k + 1 != first_span[c + 1]) text += ',';
        text += links_[k];
      }
      link_texts_.push_back(std::move(text));
    }
    for (const std::string& link : old_.linkIds) links_.emplace_back(link);
    RemoveDuplicates(links_);
  }

  // Appends to ioArena the link identifiers of the printable identifier
  // iId (the 16-character pieces after the 58-character head, whole ones
  // only) and their places to ioSpans.
  static void AppendLinks(const CATUnicodeString& iId, std::string& ioArena,
                          std::vector<std::pair<size_t, size_t>>& ioSpans) {
    const std::string& bytes = iId.ToStdString();
    if (CATUtf8::IsAscii(bytes)) {  // characters are bytes
      for (size_t at = kHeadLength; at + kClinkLength <= bytes.size(); at += kClinkLength) {
        ioSpans.emplace_back(ioArena.size(), kClinkLength);
        ioArena.append(bytes, at, kClinkLength);
      }
      return;
    }
    const int count = (iId.GetLengthInChar() - kHeadLength) / kClinkLength;
    for (int k = 0; k < count; ++k) {
      const std::string link =
          iId.SubString(kHeadLength + k * kClinkLength, kClinkLength).ToStdString();
      ioSpans.emplace_back(ioArena.size(), link.size());
      ioArena += link;
    }
  }

  // One link entity per identifier; the identifiers in the link texts and
  // the collapsed parts become references to them.
  void WriteLinks() {
    Trace("Write assembly links's clinks to PSN file");
    const int first = entity_ + 1;
    for (std::string_view link : links_) Entity({"=Clink(\"0", link, "\") ;\n"});
    std::vector<std::string*> texts;  // the link texts, then the parts
    texts.reserve(link_texts_.size() + old_.collapsedParts.size());
    for (std::string& text : link_texts_) texts.push_back(&text);
    for (std::string& part : old_.collapsedParts) texts.push_back(&part);
    CurrentPSNFileSteps().replaceLinks(links_, first, texts);
  }

  HRESULT WriteRootPart() {
    Trace("Write root part id to PSN file");
    CATUnicodeString id;
    const KRVIWD7BlackBox_var black_box(root_);
    const HRESULT rc = black_box ? black_box->GetPSNPrintableId(id) : E_FAIL;
    const CATUnicodeString env = id.SubString(32, 8).Strip();
    Entity({"=RootPart('", env.ToStdString(), "','PART_LIST',\"0",
            id.SubString(0, 16).ToStdString(), "\",\"03030303030303030\") ;\n"});
    return rc;
  }

  // True for the table name "CAD_MODEL" with blanks around it.
  static bool IsModelTable(const std::string& iTable) {
    const size_t first = iTable.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const size_t last = iTable.find_last_not_of(" \t");
    return iTable.compare(first, last + 1 - first, "CAD_MODEL") == 0;
  }

  // The storage name of the document of iComponent's "Default"
  // representation; empty when any of them is missing.
  static CATUnicodeString StorageOf(const CATBaseUnknown_var& iComponent) {
    const CATIProduct_var product(iComponent);
    if (!product) return CATUnicodeString();
    CATBaseUnknown_var representation;
    product->GetShapeRep(representation, "Default", 0, 1, 0);
    const CATILinkableObject_var linkable(representation);
    CATDocument* document = linkable ? linkable->GetDocument() : nullptr;
    return document ? document->StorageName() : CATUnicodeString();
  }

  // One document link per component with a printable identifier and a
  // document; its link text gets the model or document marker and the
  // document link's reference in front.
  void WriteDocumentLinks() {
    Trace("For each model / document, get model's compid");
    CATSystemInfo system;
    const bool backslash = CATGetSystemInfo(&system) == 0 &&
                           std::string(CATPathSeparatorOf(system.OSType)) == "\\";
    const CATUnicodeString separator(backslash ? "\\" : "/");
    size_t j = 0;
    for (int i = 1; i <= components_.Size(); ++i) {
      TraceF("printableIdExistenceList size = %d", static_cast<int>(has_id_.size()));
      TraceF("Current treated document index = %d", i);
      if (has_id_[i - 1] == 0) {
        Trace("Current treated document has not a printable Id");
        continue;
      }
      Trace("Current treated document has a printable Id");
      ++j;
      const CATUnicodeString storage = StorageOf(components_[i]);
      if (storage.IsEmpty()) continue;
      const PSNDocumentFields fields = SplitStorageName(storage, separator);
      TraceF("usTable=[%s]", fields.table.ConvertToChar());
      Entity({"=Clink(\"0", fields.compid.ToStdString(), "\") ;\n"});
      const bool model = IsModelTable(fields.table.ToStdString());
      std::string& text = link_texts_[j - 1];
      std::string marked = model ? "#4#" : "#5#";
      marked += std::to_string(entity_);
      marked += ',';
      text.insert(0, marked);
    }
  }

  void WriteSelectedObjects() {
    Trace("Write selected objects to PSN file");
    selected_.reserve(link_texts_.size());
    for (std::string& text : link_texts_) {
      const char* kind = nullptr;
      if (text.compare(0, 3, "#4#") == 0) {
        kind = "models";
      } else if (text.compare(0, 3, "#5#") == 0) {
        kind = "docs";
      } else {
        continue;
      }
      ReplaceAll(text, text.substr(0, 3), "#");
      Entity({"=SelectedObj('", kind, "',$,(", text, ")) ;\n"});
      selected_.push_back(std::move(text));  // link texts are not read again
    }
  }

  void WriteCollapsedParts() {
    CurrentPSNFileSteps().dropCovered(selected_, old_.collapsedParts);
    Trace("Write collapsed parts to PSN file");
    for (const std::string& part : old_.collapsedParts) {
      Entity({"=CollapsedPart(", part, ") ;\n"});
    }
  }

  // Every non-overlapping occurrence of iOld, from the left, by iNew.
  static void ReplaceAll(std::string& ioText, const std::string& iOld,
                         const std::string& iNew) {
    const size_t first = ioText.find(iOld);
    if (first == std::string::npos) return;
    if (ioText.find(iOld, first + iOld.size()) == std::string::npos) {
      ioText.replace(first, iOld.size(), iNew);  // the one marker in front, as a rule
      return;
    }
    std::string out;
    size_t copied = 0;
    for (size_t at = ioText.find(iOld); at != std::string::npos;
         at = ioText.find(iOld, copied)) {
      out.append(ioText, copied, at - copied);
      out += iNew;
      copied = at + iOld.size();
    }
    out.append(ioText, copied, std::string::npos);
    ioText.swap(out);
  }

  const std::string file_name_;
  const CATBaseUnknown_var& root_;
  const CATListValCATBaseUnknown_var& components_;
  PSNOldEntries& old_;
  int entity_ = 0;                      // the last entity number written
  std::vector<int> has_id_;             // per component: 1 with a printable id
  std::string links_arena_;             // the components' link identifiers
  std::vector<std::string_view> links_; // the link list (in links_arena_ and old_)
  std::vector<std::string> link_texts_; // per component with a printable id
  std::vector<std::string> selected_;   // the selected lists written
  std::string content_;
};

// --- (6) Writing -----------------------------------------------------------------------

// Writes iContent and renames the file over its target; E_FAIL with a trace
// line that says what failed.
HRESULT WriteAndCommit(KRVWD7UtiAtomicFile& ioFile, const std::string& iContent) {
  if (SUCCEEDED(ioFile.Write(iContent)) && SUCCEEDED(ioFile.Commit())) return S_OK;
  TraceF("PSN file [%s] not written: %s", ioFile.Target().c_str(),
         ioFile.ErrorText().c_str());
  return E_FAIL;
}

}  // namespace
}  // namespace krvwd7_core

HRESULT KRVEWD7BlackBoxServices::UpdatePSNFile(const CATUnicodeString& iPSNFilename) {
  using namespace krvwd7_core;
  Trace(">> KRVEWD7BlackBoxServices::UpdatePSNFile");
  const BlackBoxContent box = FindBlackBox();
  PSNOldEntries old;
  if (box.root) {
    old = ReadOldFile(box.root);
  } else {
    TraceOldEntries(old);
  }
  HRESULT settings_rc = S_OK;
  const CATUnicodeString target = ResolveTarget(iPSNFilename, settings_rc);

  KRVWD7UtiAtomicFile file;
  if (FAILED(file.Create(target.ToStdString()))) return E_FAIL;
  Trace("PSN file created");
  if (!box.components) return WriteAndCommit(file, "") == S_OK ? settings_rc : E_FAIL;

  std::string content;
  const HRESULT rc =
      PSNFileBuilder(target, box.root, *box.components, old).Build(content);
  if (FAILED(WriteAndCommit(file, content))) return E_FAIL;
  Trace("<< KRVEWD7BlackBoxServices::UpdatePSNFile");
  return rc;
}

CATUnicodeString KRVEWD7BlackBoxServices::GetPSNTargetFilename(
    const CATUnicodeString& iPSNFilename) {
  CATUnicodeString directory;
  krvwd7_core::ReadPSNDirectory(directory);
  return krvwd7_core::ResolvePSNFilename(iPSNFilename, directory, false);
}
