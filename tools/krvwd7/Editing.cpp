#include "Editing.h"

#include <cstdio>
#include <map>
#include <set>

#include "CATError.h"
#include "CATICreateInstance.h"
#include "JsonOut.h"
#include "Pairs.h"
#include "ProductName.h"
#include "Structures.h"
#include "Table.h"
#include "Terminal.h"
#include "ToolSession.h"

namespace krvwd7 {

namespace {

const std::set<std::string> kBlackBoxAttributes = {
    "BBVersion", "BBType", "BBPSNPartNumber", "BBNote", "BBPSNFilename", "BBFlatten",
    "BBPSNPrintableId"};

// The component made by name and asked for the services interface; empty
// when the host cannot make it.
KRVIWD7BlackBoxServices_var MakeServices() {
  void* object = nullptr;
  if (FAILED(CATInstantiateComponent("KRVWD7BlackBoxServices", IID_KRVIWD7BlackBoxServices,
                                     &object)) ||
      object == nullptr) {
    return KRVIWD7BlackBoxServices_var();
  }
  KRVIWD7BlackBoxServices* services = static_cast<KRVIWD7BlackBoxServices*>(object);
  KRVIWD7BlackBoxServices_var handle(services);
  services->Release();
  return handle;
}

// The line that tells why the operation failed: the error the service
// raised (key and catalog text), else the body's explanation with the
// result code, else the result code.
std::string FailureText(const char* iCommand, const EditOutcome& iOutcome) {
  std::string text = std::string(iCommand) + ": ";
  const CATError* error = CATError::LastError();
  if (error != nullptr) {
    return text + error->GetMsgId().ToStdString() + ": " +
           error->GetNLSMessage().ToStdString();
  }
  if (!iOutcome.explanation.empty()) {
    return text + iOutcome.explanation + " (result " + ResultText(iOutcome.rc) + ")";
  }
  return text + "the operation failed with result " + ResultText(iOutcome.rc);
}

// The kind of a change as the report names it: properties and parameters
// of a black box's root that hold its attributes are "black-box attribute";
// positions in a document that is no black box are "PSN position".
class KindNamer {
 public:
  std::string operator()(const HostChange& iChange) {
    const bool attribute = iChange.kind == HostChange::Kind::kProperty ||
                           iChange.kind == HostChange::Kind::kParameter;
    if (attribute && iChange.path.empty() && kBlackBoxAttributes.count(iChange.name)) {
      return "black-box attribute";
    }
    if (iChange.kind == HostChange::Kind::kPosition && !IsBlackBox(iChange.document)) {
      return "PSN position";
    }
    return HostChangeKindName(iChange.kind);
  }

 private:
  bool IsBlackBox(const std::string& iDocument) {
    auto found = black_boxes_.find(iDocument);
    if (found != black_boxes_.end()) return found->second;
    CATDocument* document = HostSession::FindProductDocument(iDocument);
    const bool is_black_box = document && ReadBlackBox(RootOf(document)).isBlackBox;
    black_boxes_.emplace(iDocument, is_black_box);
    return is_black_box;
  }
  std::map<std::string, bool> black_boxes_;
};

std::string Number(double iValue) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", iValue);
  return text;
}

// "x y z" of the translation, with " rotated" when the matrix differs from
// iOther's.
std::string PositionText(const std::array<double, 12>& iPosition,
                         const std::array<double, 12>& iOther) {
  std::string text =
      Number(iPosition[9]) + " " + Number(iPosition[10]) + " " + Number(iPosition[11]);
  for (int i = 0; i < 9; ++i) {
    if (iPosition[i] != iOther[i]) return text + " rotated";
  }
  return text;
}

// The old and new values of a change as texts ("" when there is none).
void ChangeValues(const HostChange& iChange, std::string& oWhat, std::string& oOld,
                  std::string& oNew) {
  oWhat = iChange.name;
  oOld = iChange.hadOld ? iChange.oldValue : "(none)";
  oNew = iChange.hasNew ? iChange.newValue : "(none)";
  switch (iChange.kind) {
    case HostChange::Kind::kAdded:
      oOld.clear();
      oNew = iChange.partNumber;
      break;
    case HostChange::Kind::kRemoved:
      oOld = iChange.partNumber;
      oNew.clear();
      break;
    case HostChange::Kind::kMoved:
    case HostChange::Kind::kRenamed:
      oWhat = "path";
      oOld = iChange.oldPath;
      oNew = iChange.path;
      break;
    case HostChange::Kind::kReReferenced:
    case HostChange::Kind::kPartNumber:
      oWhat = "part number";
      break;
    case HostChange::Kind::kPosition:
      oWhat = "translation";
      oOld = PositionText(iChange.oldPosition, iChange.newPosition);
      oNew = PositionText(iChange.newPosition, iChange.oldPosition);
      break;
    default:
      break;
  }
}

std::vector<std::string> PathNames(const std::string& iPath) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < iPath.size()) {
    size_t end = iPath.find('/', start);
    if (end == std::string::npos) end = iPath.size();
    names.push_back(iPath.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::string ProductOf(const HostChange& iChange) {
  return FormatProductName(iChange.document, PathNames(iChange.path));
}

// --- Output ------------------------------------------------------------------

struct Report {
  const EditOptions& options;
  const EditCommand& command;
  const EditOutcome& outcome;
  const std::vector<HostChange>& changes;
  std::string written;  // the file written, "" for none
};

void PrintProducts(const EditOutcome& iOutcome, int iWidth, std::ostream& oOut) {
  if (iOutcome.listTitle.empty()) return;
  oOut << iOutcome.listTitle << "\n\n";
  if (iOutcome.products.empty()) {
    oOut << "(none)\n\n";
    return;
  }
  Table table;
  table.AddColumn("PRODUCT", 1);
  table.AddColumn("PART NUMBER");
  for (const ReportedProduct& product : iOutcome.products) {
    table.AddRow({product.product, product.partNumber});
  }
  table.Print(oOut, iWidth);
  oOut << "\n";
}

void PrintReport(const Report& iReport, std::ostream& oOut) {
  const bool colour = UseColour();
  const bool quiet = iReport.options.common.quiet;
  const int width = OutputWidth(iReport.options.common);
  if (!quiet) {
    oOut << Colour(iReport.command.name, "1", colour) << ": " << iReport.outcome.explanation
         << " (result " << ResultText(iReport.outcome.rc) << ")\n\n";
  }
  if (iReport.outcome.printDetails) iReport.outcome.printDetails(oOut);
  PrintProducts(iReport.outcome, width, oOut);
  if (!iReport.command.writes) return;
  KindNamer kind_of;
  std::map<std::string, int> summary;
  Table table;
  table.AddColumn("#", 0, true);
  table.AddColumn("CHANGE");
  table.AddColumn("PRODUCT", 1);
  table.AddColumn("WHAT", 2);
  table.AddColumn("OLD", 2);
  table.AddColumn("NEW", 2);
  for (size_t i = 0; i < iReport.changes.size(); ++i) {
    const HostChange& change = iReport.changes[i];
    std::string kind = kind_of(change);
    ++summary[kind];
    std::string what, old_value, new_value;
    ChangeValues(change, what, old_value, new_value);
    table.AddRow({std::to_string(i + 1), kind, ProductOf(change), what, old_value, new_value});
  }
  if (table.RowCount() > 0) {
    table.Print(oOut, width);
    oOut << "\n";
  }
  if (quiet) return;
  if (iReport.changes.empty()) {
    oOut << "No change to the session\n";
  } else {
    std::vector<std::string> counts;
    for (const auto& [kind, count] : summary) counts.push_back(std::to_string(count) + " " + kind);
    oOut << WrapList(std::to_string(iReport.changes.size()) + " change(s):", counts, width);
  }
  if (!iReport.written.empty()) {
    oOut << "Written to " << iReport.written << "\n";
  } else if (iReport.options.dryRun) {
    oOut << "Dry run: nothing written\n";
  }
}

void WritePosition(const std::array<double, 12>& iPosition, JsonOut& oOut) {
  oOut.BeginArray();
  for (double value : iPosition) oOut.Double(value);
  oOut.EndArray();
}

// Keys in byte order.
void WriteChange(const HostChange& iChange, const std::string& iKind, JsonOut& oOut) {
  const bool position = iChange.kind == HostChange::Kind::kPosition;
  std::string what, old_value, new_value;
  ChangeValues(iChange, what, old_value, new_value);
  oOut.BeginObject().Key("document").String(iChange.document).Key("kind").String(iKind);
  oOut.Key("name").String(iChange.name).Key("new");
  if (position) {
    WritePosition(iChange.newPosition, oOut);
  } else if (iChange.kind == HostChange::Kind::kRemoved || !iChange.hasNew) {
    oOut.Null();
  } else {
    oOut.String(new_value);
  }
  oOut.Key("old");
  if (position) {
    WritePosition(iChange.oldPosition, oOut);
  } else if (iChange.kind == HostChange::Kind::kAdded || !iChange.hadOld) {
    oOut.Null();
  } else {
    oOut.String(old_value);
  }
  oOut.Key("oldPath").String(iChange.oldPath)
      .Key("partNumber").String(iChange.partNumber)
      .Key("path").String(iChange.path)
      .Key("product").String(ProductOf(iChange))
      .EndObject();
}

void WriteReport(const Report& iReport, std::ostream& oOut) {
  JsonOut out(oOut);
  KindNamer kind_of;
  std::map<std::string, int> summary;
  out.BeginObject().Key("changes").BeginArray();
  for (const HostChange& change : iReport.changes) {
    std::string kind = kind_of(change);
    ++summary[kind];
    WriteChange(change, kind, out);
  }
  out.EndArray();
  out.Key("command").String(iReport.command.name).Key("details");
  if (iReport.outcome.writeDetails) {
    iReport.outcome.writeDetails(out);
  } else {
    out.Null();
  }
  out.Key("dryRun").Boolean(iReport.options.dryRun)
      .Key("explanation").String(iReport.outcome.explanation)
      .Key("listTitle").String(iReport.outcome.listTitle)
      .Key("products").BeginArray();
  for (const ReportedProduct& product : iReport.outcome.products) {
    out.BeginObject().Key("partNumber").String(product.partNumber)
        .Key("product").String(product.product).EndObject();
  }
  out.EndArray();
  out.Key("result").Integer(iReport.outcome.rc)
      .Key("session").String(iReport.options.common.session)
      .Key("summary").BeginObject();
  for (const auto& [kind, count] : summary) out.Key(kind).Integer(count);
  out.EndObject().Key("written");
  if (iReport.written.empty()) {
    out.Null();
  } else {
    out.String(iReport.written);
  }
  out.EndObject();
  out.Finish();
}

// The file the session goes to, "" for none.
std::string Target(const EditOptions& iOptions) {
  if (iOptions.dryRun) return "";
  if (!iOptions.output.empty()) return iOptions.output;
  if (iOptions.inPlace) return iOptions.common.session;
  return "";
}

}  // namespace

// --- EditContext -------------------------------------------------------------------

CATBaseUnknown_var EditContext::Product(const std::string& iText) {
  CATBaseUnknown_var product;
  CATDocument* document = nullptr;
  std::string error;
  if (!FindProduct(iText, product, document, error)) {
    Refuse(options_.common.session + ": " + error);
  }
  return product;
}

CATDocument* EditContext::Document(const std::string& iName) {
  std::string error;
  CATDocument* document = FindDocument(iName, error);
  if (document == nullptr) Refuse(options_.common.session + ": " + error);
  return document;
}

ChosenBlackBox EditContext::BlackBox(const std::string& iBB) {
  ChosenBlackBox chosen;
  std::string error;
  chosen.document = ChooseBlackBox(options_.common.session, iBB, error);
  if (chosen.document == nullptr) {
    Refuse(error);
    return chosen;
  }
  chosen.name = HostSession::NameOf(chosen.document);
  chosen.root = RootOf(chosen.document);
  chosen.before = ReadBlackBox(chosen.root);
  return chosen;
}

const std::vector<HostChange>& EditContext::Changes() {
  if (!has_changes_) {
    changes_ = HostSession::ChangesSince(before_);
    has_changes_ = true;
  }
  return changes_;
}

std::vector<ReportedProduct> EditContext::Changed(const std::string& iDocument,
                                                  HostChange::Kind iKind,
                                                  const std::string& iName) {
  std::vector<ReportedProduct> products;
  for (const HostChange& change : Changes()) {
    if (change.kind == iKind && change.document == iDocument &&
        (iName.empty() || change.name == iName)) {
      products.push_back(Report(change));
    }
  }
  return products;
}

ReportedProduct EditContext::Report(const CATBaseUnknown_var& iProduct) {
  const HostProductPlace place = HostSession::PlaceOf(iProduct);
  return ReportedProduct{FormatProductName(place.documentName, place.path), place.partNumber};
}

ReportedProduct EditContext::Report(const HostChange& iChange) {
  return ReportedProduct{ProductOf(iChange), iChange.partNumber};
}

// --- RunEditing ----------------------------------------------------------------------

int RunEditing(const EditOptions& iOptions, const EditCommand& iCommand, std::ostream& oOut,
               std::ostream& oErr) {
  const std::string prefix = std::string("krvwd7: ") + iCommand.name + ": ";
  ToolSession session;
  std::string error;
  if (!session.Open(iOptions.common, error)) {
    oErr << "krvwd7: " << error << "\n";
    return kExitUsage;
  }
  KRVIWD7BlackBoxServices_var services = MakeServices();
  if (!services) {
    oErr << prefix << "the component KRVWD7BlackBoxServices cannot be made\n";
    return kExitFailed;
  }
  HostSnapshotPtr before = HostSession::TakeSnapshot();
  EditContext context(iOptions, *services, *before);
  CATError::ClearLastError();
  const EditOutcome outcome = iCommand.body(context);
  if (!context.Refusal().empty()) {
    oErr << prefix << context.Refusal() << "\n";
    return kExitUsage;
  }
  if (FAILED(outcome.rc)) {
    oErr << "krvwd7: " << FailureText(iCommand.name, outcome) << "\n";
    CATError::ClearLastError();
    return kExitFailed;
  }
  Report report{iOptions, iCommand, outcome, context.Changes(), ""};
  const std::string target =
      iCommand.writes && outcome.write ? Target(iOptions) : "";
  if (iCommand.writes && !outcome.write) {
    oErr << prefix << outcome.notWritten << "; nothing written\n";
  } else if (!target.empty()) {
    if (!HostSession::Save(target, error)) {
      oErr << prefix << error << "; nothing written\n";
      return kExitUsage;
    }
    report.written = target;
  } else if (iCommand.writes && !iOptions.dryRun) {
    oErr << prefix << "nothing written (use -o FILE or --in-place)\n";
  }
  if (iOptions.common.json) {
    WriteReport(report, oOut);
  } else {
    PrintReport(report, oOut);
  }
  if (!outcome.warning.empty()) oErr << prefix << outcome.warning << "\n";
  return outcome.exitCode;
}

}  // namespace krvwd7
