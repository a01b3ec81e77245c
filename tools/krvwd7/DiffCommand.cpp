// krvwd7 diff: compares a black box with its PSN the way the black-box
// services do before an update, and lists every difference.
#include <cmath>
#include <map>
#include <sstream>

#include "CATDocument.h"
#include "Comparison.h"
#include "CATMathTransformation.h"
#include "Commands.h"
#include "JsonOut.h"
#include "Pairs.h"
#include "Structures.h"
#include "Table.h"
#include "Terminal.h"
#include "ToolSession.h"

namespace krvwd7 {

namespace {

// What changed in one entry, in a few words.
std::string ChangeText(const std::string& iType, const KRVWD7PrdInfo& iBB,
                       const KRVWD7PrdInfo& iPSN) {
  auto arrow = [](const std::string& a, const std::string& b) {
    return (a.empty() ? "\"\"" : a) + " -> " + (b.empty() ? "\"\"" : b);
  };
  if (iType == "VERSION") return "version " + arrow(VersionOf(iBB), VersionOf(iPSN));
  if (iType == "REVISION") return "revision " + arrow(RevisionOf(iBB), RevisionOf(iPSN));
  if (iType == "VERSION/REVISION") {
    return "version " + arrow(VersionOf(iBB), VersionOf(iPSN)) + ", revision " +
           arrow(RevisionOf(iBB), RevisionOf(iPSN));
  }
  if (iType == "ALTCUSTO") {
    CATUnicodeString a, b;
    iBB.GetDocCompid(a);
    iPSN.GetDocCompid(b);
    return "document " + arrow(a.ToStdString(), b.ToStdString());
  }
  if (iType == "POSITION") {
    CATMathTransformation a, b;
    iBB.GetPosition(a);
    iPSN.GetPosition(b);
    std::ostringstream text;
    text << "moved by up to " << a.MaxDifference(b);
    return text.str();
  }
  if (iType == "REPLACE") return "part " + arrow(PartNumberOf(iBB), PartNumberOf(iPSN));
  if (iType == "IDCHANGE") return "identity changed";
  return "";
}

// Keys in byte order.
void WriteComparison(const DiffOptions& iOptions, const DocumentPair& iPair,
                     const Comparison& iResult, std::ostream& oOut) {
  JsonOut out(oOut);
  std::map<std::string, int> summary;
  out.BeginObject().Key("added").BeginArray();
  for (int k = 1; k <= iResult.added.Size(); ++k) WriteRecord(iResult.added[k], out);
  out.EndArray();
  if (iResult.added.Size() > 0) summary["ADDED"] = iResult.added.Size();
  out.Key("blackBox").String(ToolSession::NameOf(iPair.bb)).Key("command").String("diff");
  out.Key("entries").BeginArray();
  for (int k = 1; k <= iResult.types.Size(); ++k) {
    std::string type = iResult.types[k].ToStdString();
    ++summary[type];
    out.BeginObject().Key("bb");
    WriteRecord(iResult.bbEntries[k], out);
    out.Key("change").String(ChangeText(type, iResult.bbEntries[k], iResult.psnEntries[k]));
    out.Key("index").Integer(k).Key("psn");
    WriteRecord(iResult.psnEntries[k], out);
    out.Key("type").String(type).EndObject();
  }
  out.EndArray();
  out.Key("nbDiff").Integer(iResult.nbDiff)
      .Key("psn").String(ToolSession::NameOf(iPair.psn))
      .Key("result").Integer(iResult.rc)
      .Key("session").String(iOptions.common.session)
      .Key("summary").BeginObject();
  for (const auto& [type, count] : summary) out.Key(type).Integer(count);
  out.EndObject().Key("upToDate").Boolean(iResult.nbDiff == 0).EndObject();
  out.Finish();
}

void PrintComparison(const DiffOptions& iOptions, const DocumentPair& iPair,
                     const Comparison& iResult, std::ostream& oOut) {
  bool colour = UseColour();
  Table entries;
  entries.AddColumn("#", 0, true);
  entries.AddColumn("TYPE");
  entries.AddColumn("BLACK BOX PATH", 2, false, 8, true);
  entries.AddColumn("BB PART");
  entries.AddColumn("PSN PATH", 2, false, 8, true);
  entries.AddColumn("PSN PART");
  entries.AddColumn("CHANGE", 1, false, 31);
  std::map<std::string, int> summary;
  for (int k = 1; k <= iResult.types.Size(); ++k) {
    std::string type = iResult.types[k].ToStdString();
    ++summary[type];
    const KRVWD7PrdInfo& bb = iResult.bbEntries[k];
    const KRVWD7PrdInfo& psn = iResult.psnEntries[k];
    bool removed = type == "REMOVED";
    entries.AddRow({std::to_string(k), type, PathOf(bb), PartNumberOf(bb),
                    removed ? "-" : PathOf(psn), removed ? "-" : PartNumberOf(psn),
                    ChangeText(type, bb, psn)});
  }
  oOut << "Black box " << ToolSession::NameOf(iPair.bb) << " against PSN " << ToolSession::NameOf(iPair.psn) << "\n\n";
  if (entries.RowCount() > 0) {
    entries.Print(oOut);
    oOut << "\n";
  }
  if (iResult.added.Size() > 0) {
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
    added.Print(oOut);
    oOut << "\n";
    summary["ADDED"] = iResult.added.Size();
  }
  if (iOptions.common.quiet) return;
  if (iResult.rc < 0) {
    oOut << Colour("Comparison failed", "31", colour) << " (result "
         << ResultText(iResult.rc) << "): the entries above are incomplete\n";
    return;
  }
  if (iResult.nbDiff == 0) {
    oOut << Colour("Up to date", "32", colour) << ": no difference\n";
    return;
  }
  std::string line;
  for (const auto& [type, count] : summary) {
    line += (line.empty() ? "" : ", ") + std::to_string(count) + " " + type;
  }
  oOut << Colour(std::to_string(iResult.nbDiff) + " difference(s)", "33", colour)
       << ": " << line << "\n";
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
  if (!bb.isBlackBox) {
    oErr << "krvwd7: " << iOptions.common.session << ": document '" << ToolSession::NameOf(pair.bb)
         << "' is not a black box\n";
    return kExitUsage;
  }
  if (bb.versionRc < 0 || bb.version != 2) {
    oErr << "krvwd7: " << iOptions.common.session << ": black box '" << ToolSession::NameOf(pair.bb)
         << "' is of version " << bb.version << "; only version 2 can be compared\n";
    return kExitUsage;
  }
  // The same preparation as the services' up-to-date check.
  CATBaseUnknown_var node;
  Comparison result;
  if (!Compare(bb_root, bb, psn_root, node, result)) {
    oErr << "krvwd7: " << iOptions.common.session << ": black box '" << ToolSession::NameOf(pair.bb)
         << "' has no node for its PSN part number '" << bb.psnPartNumber << "'\n";
    return kExitFailed;
  }
  if (iOptions.common.json) {
    WriteComparison(iOptions, pair, result, oOut);
  } else {
    PrintComparison(iOptions, pair, result, oOut);
  }
  if (result.rc < 0) {
    oErr << "krvwd7: the comparison failed with result " << ResultText(result.rc) << "\n";
    return kExitFailed;
  }
  return result.nbDiff > 0 ? kExitDifferences : kExitOk;
}

}  // namespace krvwd7
