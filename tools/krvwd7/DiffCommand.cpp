// krvwd7 diff: compares a black box with its PSN the way the black-box
// services do before an update, and lists every difference: as a table, as
// the black box's tree (--tree), as JSON, and in an HTML report (--html).
#include <algorithm>
#include <array>
#include <map>
#include <memory>

#include "CATDocument.h"
#include "CATGetEnv.h"
#include "Commands.h"
#include "Comparison.h"
#include "DiffTree.h"
#include "HtmlReport.h"
#include "JsonOut.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "Pairs.h"
#include "Structures.h"
#include "Table.h"
#include "Terminal.h"
#include "ToolSession.h"
#include "TreeOutput.h"

namespace krvwd7 {

namespace {

// Keys in byte order.
void WriteComparison(const Comparison& iResult, const DiffTree& iTree, std::ostream& oOut) {
  JsonOut out(oOut);
  std::map<std::string, int> summary;
  out.BeginObject().Key("added").BeginArray();
  for (int k = 1; k <= iResult.added.Size(); ++k) WriteRecord(iResult.added[k], out);
  out.EndArray();
  if (iResult.added.Size() > 0) summary["ADDED"] = iResult.added.Size();
  out.Key("blackBox").String(iResult.blackBox).Key("command").String("diff");
  out.Key("entries").BeginArray();
  for (int k = 1; k <= iResult.types.Size(); ++k) {
    std::string type = iResult.types[k].ToStdString();
    ++summary[type];
    out.BeginObject().Key("bb");
    WriteRecord(iResult.bbEntries[k], out);
    out.Key("change").String(ChangeText(iResult, k));
    out.Key("index").Integer(k).Key("psn");
    WriteRecord(iResult.psnEntries[k], out);
    out.Key("type").String(type).EndObject();
  }
  out.EndArray();
  out.Key("nbDiff").Integer(iResult.nbDiff)
      .Key("psn").String(iResult.psn)
      .Key("result").Integer(iResult.rc)
      .Key("session").String(iResult.session)
      .Key("summary").BeginObject();
  for (const auto& [type, count] : summary) out.Key(type).Integer(count);
  out.EndObject().Key("tree");
  WriteTree(iTree, iResult, out);
  out.Key("upToDate").Boolean(iResult.nbDiff == 0).EndObject();
  out.Finish();
}

void PrintEntries(const Comparison& iResult, int iWidth, std::ostream& oOut) {
  std::vector<std::vector<std::string>> rows;
  int change_width = 31;
  for (int k = 1; k <= iResult.types.Size(); ++k) {
    std::string type = iResult.types[k].ToStdString();
    const KRVWD7PrdInfo& bb = iResult.bbEntries[k];
    const KRVWD7PrdInfo& psn = iResult.psnEntries[k];
    bool removed = type == "REMOVED";
    std::string change = ChangeText(iResult, k);
    // Document compids tell nothing once cut: keep them whole.
    if (type == "ALTCUSTO") change_width = std::max(change_width, TextWidth(change));
    rows.push_back({std::to_string(k), type, PathOf(bb), PartNumberOf(bb),
                    removed ? "-" : PathOf(psn), removed ? "-" : PartNumberOf(psn), change});
  }
  if (rows.empty()) return;
  Table entries;
  entries.AddColumn("#", 0, true);
  entries.AddColumn("TYPE");
  entries.AddColumn("BLACK BOX PATH", 2, false, 8, true);
  entries.AddColumn("BB PART");
  entries.AddColumn("PSN PATH", 2, false, 8, true);
  entries.AddColumn("PSN PART");
  entries.AddColumn("CHANGE", 1, false, change_width);
  for (auto& row : rows) entries.AddRow(std::move(row));
  entries.Print(oOut, iWidth);
}

void PrintAdded(const Comparison& iResult, int iWidth, std::ostream& oOut) {
  if (iResult.added.Size() == 0) return;
  Table added;
  added.AddColumn("ADDED PSN PATH", 1, false, 8, true);
  added.AddColumn("PART NUMBER");
  added.AddColumn("VERSION");
  added.AddColumn("REVISION");
  added.AddColumn("TYPE", 0, true);
  for (int k = 1; k <= iResult.added.Size(); ++k) {
    const KRVWD7PrdInfo& record = iResult.added[k];
    added.AddRow({PathOf(record), PartNumberOf(record), VersionOf(record),
                  RevisionOf(record), std::to_string(NodeTypeOf(record))});
  }
  added.Print(oOut, iWidth);
}

// The last line: up to date, failed, or the count of each kind.
void PrintSummary(const Comparison& iResult, int iWidth, std::ostream& oOut) {
  bool colour = UseColour();
  if (iResult.rc < 0) {
    oOut << Colour("Comparison failed", "31", colour) << " (result "
         << ResultText(iResult.rc) << "): the differences above are incomplete\n";
    return;
  }
  if (iResult.nbDiff == 0) {
    oOut << Colour("Up to date", "32", colour) << ": no difference\n";
    return;
  }
  int counts[kDiffKinds];
  iResult.CountKinds(counts);
  std::array<int, kDiffKinds> all;
  std::copy(counts, counts + kDiffKinds, all.begin());
  const std::string head = std::to_string(iResult.nbDiff) + " difference(s):";
  std::string text = WrapList(head, CountTexts(all), iWidth);
  oOut << Colour(head, "33", colour) << text.substr(head.size());
}

// The table, or the tree with --tree; with --html alone, only the summary
// (the report holds the rest).
void PrintComparison(const DiffOptions& iOptions, const Comparison& iResult,
                     const DiffTree* iTree, std::ostream& oOut) {
  const int width = OutputWidth(iOptions.common);
  const bool quiet = iOptions.common.quiet;
  oOut << "Black box " << iResult.blackBox << " against PSN " << iResult.psn << "\n";
  if (iTree) {
    oOut << "\n";
    PrintTree(*iTree, iResult, width, oOut);
  } else if (iOptions.html.empty()) {
    if (iResult.types.Size() > 0) {
      oOut << "\n";
      PrintEntries(iResult, width, oOut);
    }
    if (iResult.added.Size() > 0) {
      oOut << "\n";
      PrintAdded(iResult, width, oOut);
    }
  }
  if (!quiet) {
    oOut << "\n";
    PrintSummary(iResult, width, oOut);
  }
  if (!iOptions.html.empty() && iResult.rc >= 0 && !quiet) {
    oOut << "Report written to " << iOptions.html << "\n";
  }
}

std::string InstancePath(const CATBaseUnknown_var& iProduct, const CATBaseUnknown_var& iRoot) {
  CATUnicodeString path;
  KRVWD7UtiPrdServices::GetInstancePath(iProduct, iRoot, path);
  return path.ToStdString();
}

std::string PartNumber(const CATBaseUnknown_var& iProduct) {
  CATUnicodeString text;
  KRVWD7UtiPrdServices::GetPartNumber(iProduct, text);
  return text.ToStdString();
}

}  // namespace

int RunDiff(const DiffOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  ToolSession session;
  std::string error;
  if (!session.Open(iOptions.common, error)) {
    oErr << "krvwd7: " << error << "\n";
    return kExitUsage;
  }
  DocumentPair pair = ChooseDocuments(iOptions.common.session, iOptions.bb, iOptions.psn);
  if (!pair.error.empty()) {
    oErr << "krvwd7: " << pair.error << "\n";
    return kExitUsage;
  }
  CATBaseUnknown_var bb_root = RootOf(pair.bb);
  CATBaseUnknown_var psn_root = RootOf(pair.psn);
  BlackBoxAttributes bb = ReadBlackBox(bb_root);
  const std::string refused =
      NotOfVersion2(iOptions.common.session, ToolSession::NameOf(pair.bb), bb, "compared");
  if (!refused.empty()) {
    oErr << "krvwd7: " << refused << "\n";
    return kExitUsage;
  }
  // The same preparation as the services' up-to-date check.
  auto comparison = std::make_unique<Comparison>();
  Comparison& result = *comparison;
  result.session = iOptions.common.session;
  result.blackBox = ToolSession::NameOf(pair.bb);
  result.psn = ToolSession::NameOf(pair.psn);
  result.bbType = bb.type;
  result.flatten = bb.flatten;
  result.secondMethod = CATGetEnv("KRV_WD7_RETRIEVEDIFFERENCES2") != nullptr;
  {
    ProgressPhase phase(session.Progress(), "Loading the black box and its PSN", 2);
    KRVWD7CoreServices::SwitchToProductMode(bb_root);
    KRVWD7CoreServices::SwitchToProductMode(psn_root);
  }
  CATBaseUnknown_var node;
  int type = 0;
  if (FAILED(KRVWD7CoreServices::RetrievePSNNode(bb_root, node, type))) {
    oErr << "krvwd7: " << iOptions.common.session << ": black box '" << result.blackBox
         << "' has no node for its PSN part number '" << bb.psnPartNumber << "'\n";
    return kExitFailed;
  }
  result.bbRootPath = InstancePath(bb_root, bb_root);
  result.bbNodePath = InstancePath(node, bb_root);
  result.psnRootPath = InstancePath(psn_root, psn_root);
  result.bbRootPart = PartNumber(bb_root);
  result.bbNodePart = PartNumber(node);
  result.psnRootPart = PartNumber(psn_root);
  {
    ProgressPhase phase(session.Progress(), "Reading the PSN and the black box", 2);
    BuildLists(bb_root, psn_root, node, result);
  }
  RetrieveDifferences(bb, psn_root, result);

  const bool html = !iOptions.html.empty();
  std::unique_ptr<DiffTree> tree;
  if (iOptions.common.json || iOptions.tree || html) tree = std::make_unique<DiffTree>(result);
  // The report first: when it cannot be written, the command prints nothing.
  if (html && result.rc >= 0 && !WriteHtmlReport(result, *tree, iOptions.html, error)) {
    oErr << "krvwd7: " << error << "\n";
    return kExitUsage;
  }
  if (iOptions.common.json) {
    WriteComparison(result, *tree, oOut);
  } else {
    PrintComparison(iOptions, result, iOptions.tree ? tree.get() : nullptr, oOut);
  }
  if (result.rc < 0) {
    oErr << "krvwd7: the comparison failed with result " << ResultText(result.rc)
         << (html ? "; no report written" : "") << "\n";
    return kExitFailed;
  }
  const int exit_code = result.nbDiff > 0 ? kExitDifferences : kExitOk;
  // Hundreds of thousands of records and nodes: the process ends next.
  ToolSession::LeaveAtExit(std::move(tree));
  ToolSession::LeaveAtExit(std::move(comparison));
  return exit_code;
}

}  // namespace krvwd7
