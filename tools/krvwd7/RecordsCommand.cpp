// krvwd7 records: the product records of a structure as the comparison
// reads them.
#include "Commands.h"
#include "JsonOut.h"
#include "KRVWD7CoreServices.h"
#include "Structures.h"
#include "Table.h"
#include "ToolSession.h"

namespace krvwd7 {

namespace {

// Why the records of a document could not be read, for the one-line
// message of a failed run.
std::string WhyNoRecords(CATDocument* iDocument, HRESULT iRc) {
  const std::string name = "'" + ToolSession::NameOf(iDocument) + "'";
  CATBaseUnknown_var root = RootOf(iDocument);
  BlackBoxAttributes bb = ReadBlackBox(root);
  CATBaseUnknown_var node;
  int type = 0;
  std::string why;
  if (!root) {
    why = "the document has no root product";
  } else if (bb.isBlackBox && bb.typeRc < 0) {
    why = "the type of black box " + name + " (of version " + std::to_string(bb.version) +
          ") cannot be read, so no node stands for its PSN";
  } else if (bb.isBlackBox && FAILED(KRVWD7CoreServices::RetrievePSNNode(root, node, type))) {
    why = "black box " + name + " has no node for its PSN part number '" + bb.psnPartNumber + "'";
  } else {
    why = "reading the products of " + name + " failed";
  }
  return why + " (result " + ResultText(iRc) + ")";
}

}  // namespace

int RunRecords(const RecordsOptions& iOptions, std::ostream& oOut,
               std::ostream& oErr) {
  ToolSession session;
  std::string error;
  if (!session.Open(iOptions.common, error)) {
    oErr << "krvwd7: " << error << "\n";
    return kExitUsage;
  }
  std::vector<CATDocument*> documents;
  if (iOptions.doc.empty()) {
    documents = session.Documents();
  } else if (CATDocument* doc = session.FindDocument(iOptions.doc)) {
    documents.push_back(doc);
  } else {
    oErr << "krvwd7: " << iOptions.common.session << ": no product document named '"
         << iOptions.doc << "'\n";
    return kExitUsage;
  }
  const bool json = iOptions.common.json;
  JsonOut out(oOut);
  if (json) {
    out.BeginObject().Key("command").String("records").Key("documents").BeginArray();
  }
  int exit_code = kExitOk;
  const int width = OutputWidth(iOptions.common);
  ProgressPhase phase(session.Progress(),
                      documents.size() == 1 ? "Reading the records"
                                            : "Reading the records of " +
                                                  std::to_string(documents.size()) + " documents",
                      2 * static_cast<int>(documents.size()));
  std::vector<std::string> failures;
  for (CATDocument* doc : documents) {
    CATListValKRVWD7PrdInfo records;
    HRESULT rc = BuildRecords(RootOf(doc), records);
    if (rc < 0) {
      exit_code = kExitFailed;
      failures.push_back(WhyNoRecords(doc, rc));
    }
    if (json) {
      out.BeginObject().Key("document").String(ToolSession::NameOf(doc)).Key("records").BeginArray();
      for (int i = 1; i <= records.Size(); ++i) WriteRecord(records[i], out);
      out.EndArray().Key("result").Integer(rc).EndObject();
      continue;
    }
    Table table;
    table.AddColumn("INSTANCE PATH", 2, false, 8, true);
    table.AddColumn("TYPE", 0, true);
    table.AddColumn("PART NUMBER");
    table.AddColumn("VERSION");
    table.AddColumn("REVISION");
    table.AddColumn("PRINTABLE ID", 1);
    for (int i = 1; i <= records.Size(); ++i) {
      const KRVWD7PrdInfo& record = records[i];
      table.AddRow({PathOf(record), std::to_string(NodeTypeOf(record)),
                    PartNumberOf(record), VersionOf(record), RevisionOf(record),
                    PrintableIdOf(record)});
    }
    oOut << ToolSession::NameOf(doc) << "\n";
    table.Print(oOut, width);
    if (!iOptions.common.quiet) {
      oOut << records.Size() << " record(s), result " << ResultText(rc) << "\n";
    }
    oOut << "\n";
  }
  if (json) {
    out.EndArray().Key("session").String(iOptions.common.session).EndObject();
    out.Finish();
  }
  for (const std::string& failure : failures) {
    oErr << "krvwd7: " << iOptions.common.session << ": " << failure << "\n";
  }
  return exit_code;
}

}  // namespace krvwd7
