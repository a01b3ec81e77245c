// krvwd7 info: the documents of a session, which are black boxes, and each
// black box's attributes.
#include <nlohmann/json.hpp>

#include "CATDocument.h"
#include "Commands.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "Structures.h"
#include "Table.h"
#include "ToolSession.h"

namespace krvwd7 {

namespace {

nlohmann::json AttributesJson(const BlackBoxAttributes& iBB) {
  return {{"version", iBB.version},
          {"versionResult", iBB.versionRc},
          {"type", iBB.type},
          {"typeResult", iBB.typeRc},
          {"psnPartNumber", iBB.psnPartNumber},
          {"note", iBB.note},
          {"psnFilenameStored", iBB.psnFilenameStored},
          {"psnFilename", iBB.psnFilename},
          {"flatten", iBB.flatten},
          {"psnPrintableId", iBB.psnPrintableId}};
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
  nlohmann::json documents = nlohmann::json::array();
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
    nlohmann::json entry = {{"name", ToolSession::NameOf(doc)},
                            {"storage", doc->StorageName().ToStdString()},
                            {"root", part_number.ToStdString()},
                            {"pdm", pdm},
                            {"products", count},
                            {"blackBox", bb.isBlackBox ? AttributesJson(bb)
                                                       : nlohmann::json(nullptr)}};
    documents.push_back(entry);
    table.AddRow({ToolSession::NameOf(doc), part_number.ToStdString(), pdm ? "yes" : "no",
                  std::to_string(count),
                  bb.isBlackBox ? "version " + std::to_string(bb.version) : "-"});
    if (bb.isBlackBox) black_boxes.emplace_back(ToolSession::NameOf(doc), bb);
  }
  if (iOptions.json) {
    oOut << nlohmann::json{{"command", "info"},
                           {"session", iOptions.session},
                           {"documents", documents}}
                .dump(2)
         << "\n";
    return kExitOk;
  }
  table.Print(oOut);
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
