// krvwd7 info: the documents of a session, which are black boxes, and each
// black box's attributes.
#include "CATDocument.h"
#include "Commands.h"
#include "JsonOut.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "Structures.h"
#include "Table.h"
#include "Terminal.h"
#include "ToolSession.h"

namespace krvwd7 {

namespace {

// Keys in byte order.
void WriteAttributes(const BlackBoxAttributes& iBB, JsonOut& oOut) {
  oOut.BeginObject()
      .Key("flatten").Boolean(iBB.flatten)
      .Key("note").String(iBB.note)
      .Key("psnFilename").String(iBB.psnFilename)
      .Key("psnFilenameStored").String(iBB.psnFilenameStored)
      .Key("psnPartNumber").String(iBB.psnPartNumber)
      .Key("psnPrintableId").String(iBB.psnPrintableId)
      .Key("type").Integer(iBB.type)
      .Key("typeResult").Integer(iBB.typeRc)
      .Key("version").Integer(iBB.version)
      .Key("versionResult").Integer(iBB.versionRc)
      .EndObject();
}

void PrintAttributes(const BlackBoxAttributes& iBB, std::ostream& oOut) {
  auto line = [&](const char* label, const std::string& value) {
    oOut << "    " << label << std::string(22 - std::string(label).size(), ' ')
         << (value.empty() ? "-" : value) << "\n";
  };
  line("version", std::to_string(iBB.version));
  line("type", iBB.typeRc < 0 ? "unknown" : std::to_string(iBB.type));
  line("PSN part number", iBB.psnPartNumber);
  line("note", iBB.note);
  line("PSN file (stored)", iBB.psnFilenameStored);
  line("PSN file (read)", iBB.psnFilename);
  line("flattened", iBB.flatten ? "yes" : "no");
  line("PSN printable id", iBB.psnPrintableId);
}

}  // namespace

int RunInfo(const CommonOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  ToolSession session;
  std::string error;
  if (!session.Open(iOptions, error)) {
    oErr << "krvwd7: " << error << "\n";
    return kExitUsage;
  }
  JsonOut out(oOut);
  if (iOptions.json) {
    out.BeginObject().Key("command").String("info").Key("documents").BeginArray();
  }
  Table table;
  table.AddColumn("DOCUMENT", 1);
  table.AddColumn("ROOT");
  table.AddColumn("VPM");
  table.AddColumn("PRODUCTS", 0, true);
  table.AddColumn("BLACK BOX");
  std::vector<std::pair<std::string, BlackBoxAttributes>> black_boxes;
  for (CATDocument* doc : session.Documents()) {
    CATBaseUnknown_var root = RootOf(doc);
    CATUnicodeString part_number;
    KRVWD7UtiPrdServices::GetPartNumber(root, part_number);
    bool pdm = KRVWD7UtiPDMServices::IsPDMDocument(doc) == 0;
    int count = root ? CountProducts(root) : 0;
    BlackBoxAttributes bb = ReadBlackBox(root);
    if (iOptions.json) {
      out.BeginObject().Key("blackBox");
      if (bb.isBlackBox) {
        WriteAttributes(bb, out);
      } else {
        out.Null();
      }
      out.Key("name").String(ToolSession::NameOf(doc))
          .Key("pdm").Boolean(pdm)
          .Key("products").Integer(count)
          .Key("root").String(part_number.ToStdString())
          .Key("storage").String(doc->StorageName().ToStdString())
          .EndObject();
      continue;
    }
    table.AddRow({ToolSession::NameOf(doc), part_number.ToStdString(), pdm ? "yes" : "no",
                  std::to_string(count),
                  bb.isBlackBox ? "version " + std::to_string(bb.version) : "-"});
    if (bb.isBlackBox) black_boxes.emplace_back(ToolSession::NameOf(doc), bb);
  }
  if (iOptions.json) {
    out.EndArray().Key("session").String(iOptions.session).EndObject();
    out.Finish();
    return kExitOk;
  }
  table.Print(oOut, OutputWidth(iOptions));
  for (const auto& [name, bb] : black_boxes) {
    oOut << "\nBlack box " << name << "\n";
    PrintAttributes(bb, oOut);
  }
  if (!iOptions.quiet) {
    oOut << "\n" << table.RowCount() << " document(s), " << black_boxes.size()
         << " black box(es)\n";
  }
  return kExitOk;
}

}  // namespace krvwd7
