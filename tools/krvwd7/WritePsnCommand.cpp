// krvwd7 write-psn: writes the PSN file of the black box of the current
// window, as the host's command does, then says what went into it.
//
// The tool does what the host's command does and nothing more: it does not
// switch structures to product mode first and does not refuse a black box
// of another version. It refuses (exit 2, nothing written) what the command
// could not be started on: no current document, a root that is no black
// box, no file name, a SOURCE_DATE_EPOCH that is not a number of seconds.
#include <filesystem>
#include <fstream>
#include <string>

#include "CATDocument.h"
#include "CATGetEnv.h"
#include "CATICreateInstance.h"
#include "Commands.h"
#include "JsonOut.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBoxServices.h"
#include "Structures.h"
#include "ToolSession.h"

namespace krvwd7 {

namespace {

// What a written PSN file holds, counted from its lines.
struct PsnCounts {
  int links = 0;           // link entities before the root part
  int documentLinks = 0;   // link entities after it
  int selectedObjects = 0;
  int collapsedParts = 0;
};

// True when iText is a whole number of seconds ("" counts as unset).
bool IsWholeSeconds(const char* iText) {
  if (*iText == '\0') return true;
  for (const char* p = iText; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  return true;
}

bool IsEntity(const std::string& iLine, const char* iMarker) {
  return iLine.find(iMarker) != std::string::npos &&
         iLine.find(") ;") != std::string::npos;
}

// Counts the entities of iPath; the collapsed parts are counted the way
// the writer recognises them in an old file, so the count of an old file
// is what it offers.
PsnCounts CountEntities(const std::string& iPath) {
  PsnCounts counts;
  std::ifstream in(iPath, std::ios::binary);
  bool after_root = false;
  for (std::string line; std::getline(in, line);) {
    if (IsEntity(line, "=Clink(")) {
      ++(after_root ? counts.documentLinks : counts.links);
    } else if (IsEntity(line, "=CollapsedPart(")) {
      ++counts.collapsedParts;
    } else if (IsEntity(line, "=RootPart(")) {
      after_root = true;
    } else if (IsEntity(line, "=SelectedObj(")) {
      ++counts.selectedObjects;
    }
  }
  return counts;
}

// The old PSN file the operation will read: the black box's own file name,
// when it names a regular file ("" otherwise).
std::string OldFileOf(const std::string& iPSNFilename) {
  std::error_code error;
  if (iPSNFilename.empty() || !std::filesystem::is_regular_file(iPSNFilename, error)) return "";
  return iPSNFilename;
}

// UpdatePSNFile of the services component, made by name and reached
// through its interface as a command of the host reaches it; the failure
// to make it when it cannot be made.
HRESULT UpdatePSNFile(const std::string& iName) {
  void* made = nullptr;
  const HRESULT rc = CATInstantiateComponent("KRVWD7BlackBoxServices",
                                             IID_KRVIWD7BlackBoxServices, &made);
  if (FAILED(rc) || made == nullptr) return FAILED(rc) ? rc : E_NOINTERFACE;
  KRVIWD7BlackBoxServices* services = static_cast<KRVIWD7BlackBoxServices*>(made);
  const HRESULT result = services->UpdatePSNFile(iName.c_str());
  services->Release();
  return result;
}

}  // namespace

int RunWritePsn(const WritePsnOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  const std::string& file = iOptions.common.session;
  ToolSession session;
  std::string error;
  if (!session.Open(iOptions.common, error)) {
    oErr << "krvwd7: " << error << "\n";
    return kExitUsage;
  }
  // The session's environment overrides the process's (CATGetEnv).
  const char* epoch = CATGetEnv("SOURCE_DATE_EPOCH");
  if (epoch != nullptr && !IsWholeSeconds(epoch)) {
    oErr << "krvwd7: SOURCE_DATE_EPOCH: '" << epoch
         << "' is not a whole number of seconds\n";
    return kExitUsage;
  }
  if (!iOptions.editor.empty() && !session.ActivateDocument(iOptions.editor)) {
    oErr << "krvwd7: " << file << ": no product document named '" << iOptions.editor << "'\n";
    return kExitUsage;
  }
  CATDocument* document = ToolSession::CurrentDocument();
  if (document == nullptr) {
    oErr << "krvwd7: " << file << ": no document is open, so there is no black box to write\n";
    return kExitUsage;
  }
  const BlackBoxAttributes black_box = ReadBlackBox(RootOf(document));
  if (!black_box.isBlackBox) {
    oErr << "krvwd7: " << file << ": document '" << ToolSession::NameOf(document)
         << "' is not a black box (use --editor)\n";
    return kExitUsage;
  }
  const std::string name = iOptions.name.empty() ? black_box.psnFilename : iOptions.name;
  if (name.empty()) {
    oErr << "krvwd7: " << file << ": black box '" << ToolSession::NameOf(document)
         << "' has no PSN file name; give NAME\n";
    return kExitUsage;
  }

  const std::string target = KRVEWD7BlackBoxServices::GetPSNTargetFilename(name.c_str()).ToStdString();
  const std::string old_file = OldFileOf(black_box.psnFilename);
  const int old_parts = old_file.empty() ? 0 : CountEntities(old_file).collapsedParts;
  const HRESULT rc = UpdatePSNFile(name);
  if (rc < 0) {
    oErr << "krvwd7: writing the PSN file " << target << " failed with result "
         << ResultText(rc) << " (--trace FILE shows the step)\n";
    return kExitFailed;
  }
  const PsnCounts counts = CountEntities(target);
  if (iOptions.common.json) {
    JsonOut out(oOut);
    out.BeginObject();
    out.Key("blackBox").String(ToolSession::NameOf(document));
    out.Key("collapsedParts").Integer(counts.collapsedParts);
    out.Key("command").String("write-psn");
    out.Key("documentLinks").Integer(counts.documentLinks);
    out.Key("file").String(target);
    out.Key("links").Integer(counts.links);
    out.Key("oldCollapsedParts").Integer(old_parts);
    out.Key("oldFile");
    if (old_file.empty()) {
      out.Null();
    } else {
      out.String(old_file);
    }
    out.Key("result").Integer(rc);
    out.Key("selectedObjects").Integer(counts.selectedObjects);
    out.Key("session").String(file);
    out.EndObject();
    out.Finish();
    return kExitOk;
  }
  oOut << target << "\n";
  oOut << "  links             " << counts.links << "\n";
  oOut << "  document links    " << counts.documentLinks << "\n";
  oOut << "  selected objects  " << counts.selectedObjects << "\n";
  oOut << "  collapsed parts   " << counts.collapsedParts;
  if (!old_file.empty()) oOut << " carried over of " << old_parts << " in " << old_file;
  oOut << "\n";
  if (!iOptions.common.quiet && rc != 0) {
    oOut << "Written; the root's PSN printable id read with result " << ResultText(rc) << "\n";
  }
  return kExitOk;
}

}  // namespace krvwd7
