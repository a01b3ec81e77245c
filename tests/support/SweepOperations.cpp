// The library's operations as the fault sweeps run them. Products are found
// through the in-memory session directly, so that only the operation's own
// host calls are counted and failed.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "CATDlgNotify.h"
#include "CATDocument.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "FaultSweep.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "MemSession.h"

namespace krvwd7_test {

namespace {

// The sample pair: the black box "BB-CAR.CATProduct" and its PSN
// "CAR.CATProduct".
MemDocument* Document(const char* iName) {
  for (MemDocument* document : MemSession::Current().ProductDocuments()) {
    if (document->Name() == iName) return document;
  }
  return nullptr;
}
MemDocument* BBDocument() { return Document("BB-CAR.CATProduct"); }
MemDocument* PSNDocument() { return Document("CAR.CATProduct"); }

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}
CATBaseUnknown_var BBRoot() { return Handle(BBDocument()->Root()); }
CATBaseUnknown_var PSNRoot() { return Handle(PSNDocument()->Root()); }

// The last product of a depth-first walk below iTop: a leaf at the bottom.
MemProduct* DeepestLeaf(MemProduct* iTop) {
  MemProduct* current = iTop;
  while (!current->Children().empty()) current = current->Children().back();
  return current;
}

// The node that stands for the PSN root in the black box: CAR.1, or the
// root itself when the black box has no such child.
CATBaseUnknown_var BBNode() {
  MemProduct* root = BBDocument()->Root();
  MemProduct* node = root->FindChild("CAR.1");
  return Handle(node ? node : root);
}

// A result no operation gives: the sweep's own check failed.
constexpr HRESULT kWrongAnswer = static_cast<HRESULT>(0x8000FFFFu);

bool Any(HRESULT iRc) { return iRc != kWrongAnswer; }
bool Negative(HRESULT iRc) { return iRc < 0; }
bool Always(HRESULT) { return true; }
bool OkOrNegative(HRESULT iRc) { return iRc == S_OK || iRc < 0; }

std::vector<std::string> Samples(const std::string& iDir,
                                 std::initializer_list<const char*> iNames) {
  std::vector<std::string> paths;
  for (const char* name : iNames) paths.push_back(iDir + "/examples/" + name);
  return paths;
}

HRESULT BuildBothLists(CATListValKRVWD7PrdInfo& oBB, CATListValKRVWD7PrdInfo& oPSN) {
  HRESULT rc = KRVWD7PrdInfoListServices::BuildPrdInfoList(BBNode(), oBB, 1, BBRoot(), nullptr);
  HRESULT psn_rc = KRVWD7PrdInfoListServices::BuildPrdInfoList(
      PSNRoot(), oPSN, 0, CATBaseUnknown_var(), nullptr);
  return rc < 0 ? rc : psn_rc;
}

// UpdatePSNFile from the source folder (psn.json names its old file
// relative to it) into a target that holds an earlier file; kWrongAnswer
// when a temporary file is left beside it, or when the target is then not
// complete (or empty, when no component list was had) after a success, or
// neither complete nor the earlier file after a failure.
HRESULT UpdatePSNFileChecked(const std::string& iDir) {
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("krvwd7-sweep-psn-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(folder);
  const std::string target = folder + "/pump.psn";
  const std::string earlier = "PSN\nan earlier file\n";
  std::ofstream(target, std::ios::binary | std::ios::trunc) << earlier;
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(iDir);
  KRVEWD7BlackBoxServices services;
  const HRESULT rc = services.UpdatePSNFile(target.c_str());
  std::filesystem::current_path(here);
  std::ifstream in(target, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string end = "END-ISO-10303-21;\n";
  const bool complete = written.size() >= end.size() &&
                        written.compare(written.size() - end.size(), end.size(), end) == 0;
  const bool alone = std::distance(std::filesystem::directory_iterator(folder),
                                   std::filesystem::directory_iterator()) == 1;
  std::filesystem::remove_all(folder);
  if (!alone) return kWrongAnswer;
  if (rc < 0 && written != earlier && !complete) return kWrongAnswer;
  return rc >= 0 && !complete && !written.empty() ? kWrongAnswer : rc;
}

// Every operation of the black-box interface, run on the black box's root.
void AddBlackBoxAttributes(const std::string& iDir, std::vector<SweepOperation>& ioOps) {
  const std::vector<std::string> sessions =
      Samples(iDir, {"demo.json", "flattened.json", "version1.json"});
  struct Attribute {
    const char* name;
    bool reads;
    HRESULT (*run)(KRVIWD7BlackBox&);
  };
  static const Attribute kAttributes[] = {
      {"KRVIWD7BlackBox::IsABlackBox", true,
       [](KRVIWD7BlackBox& b) { CATBoolean v = 0; return b.IsABlackBox(v); }},
      {"KRVIWD7BlackBox::GetVersion", true,
       [](KRVIWD7BlackBox& b) { int v = 0; return b.GetVersion(v); }},
      {"KRVIWD7BlackBox::SetVersion", false,
       [](KRVIWD7BlackBox& b) { return b.SetVersion(2); }},
      {"KRVIWD7BlackBox::GetType", true,
       [](KRVIWD7BlackBox& b) { int t = 0; CATUnicodeString p; return b.GetType(t, p); }},
      {"KRVIWD7BlackBox::SetType", false,
       [](KRVIWD7BlackBox& b) { return b.SetType(2, "CAR"); }},
      {"KRVIWD7BlackBox::GetNote", true,
       [](KRVIWD7BlackBox& b) { CATUnicodeString v; return b.GetNote(v); }},
      {"KRVIWD7BlackBox::SetNote", false,
       [](KRVIWD7BlackBox& b) { return b.SetNote("swept"); }},
      {"KRVIWD7BlackBox::GetPSNFilename", true,
       [](KRVIWD7BlackBox& b) { CATUnicodeString v; return b.GetPSNFilename(v); }},
      {"KRVIWD7BlackBox::SetPSNFilename", false,
       [](KRVIWD7BlackBox& b) { return b.SetPSNFilename("D:\\PSN\\swept.psn"); }},
      {"KRVIWD7BlackBox::SetIsFlatten", false,
       [](KRVIWD7BlackBox& b) { return b.SetIsFlatten(1); }},
      {"KRVIWD7BlackBox::GetIsFlatten", true,
       [](KRVIWD7BlackBox& b) { CATBoolean v = 0; return b.GetIsFlatten(v); }},
      {"KRVIWD7BlackBox::GetPSNPrintableId", true,
       [](KRVIWD7BlackBox& b) { CATUnicodeString v; return b.GetPSNPrintableId(v); }},
      {"KRVIWD7BlackBox::SetPSNPrintableId", false,
       [](KRVIWD7BlackBox& b) { return b.SetPSNPrintableId("ID"); }},
  };
  for (const Attribute& attribute : kAttributes) {
    SweepOperation op;
    op.name = attribute.name;
    op.sessions = sessions;
    HRESULT (*run)(KRVIWD7BlackBox&) = attribute.run;
    op.run = [run] {
      KRVIWD7BlackBox_var black_box(BBRoot());
      return black_box ? run(*black_box) : E_NOINTERFACE;
    };
    // Answers: S_OK, S_FALSE for an absent attribute, E_FAIL, E_INVALIDARG,
    // or the failure of the toolbox's write.
    op.documented = [](HRESULT iRc) { return iRc == S_OK || iRc == S_FALSE || iRc < 0; };
    if (attribute.reads) op.unchanged = Always;
    ioOps.push_back(op);
  }
}

// The operations that rearrange a black box and the migrations.
void AddRearrangingAndMigration(const std::string& iDir, std::vector<SweepOperation>& ioOps) {
  const auto flatten_results = [](HRESULT iRc) {
    return iRc == S_OK || iRc == E_FAIL || iRc == E_INVALIDARG;
  };
  // A refused Flatten or migration (not applicable) changes nothing.
  const auto not_applicable = [](HRESULT iRc) { return iRc == E_INVALIDARG; };
  for (unsigned char option : {0, 1}) {
    ioOps.push_back({"KRVEWD7BlackBoxServices::Flatten option " + std::to_string(option),
                     Samples(iDir, {"demo.json", "flattened.json", "version1.json"}),
                     [option] { return KRVEWD7BlackBoxServices().Flatten(*BBDocument(), option); },
                     flatten_results, not_applicable});
  }
  ioOps.push_back({"KRVEWD7BlackBoxServices::MoveToPersonalizedStructure",
                   Samples(iDir, {"flattened.json", "demo.json"}),
                   [] {
                     MemProduct* root = BBDocument()->Root();
                     MemProduct* axle = root->FindChild("CAR.1")->FindChild("Axle.1");
                     return KRVEWD7BlackBoxServices().MoveToPersonalizedStructure(Handle(axle),
                                                                                  Handle(root));
                   },
                   [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, nullptr});
  ioOps.push_back({"KRVEWD7BlackBoxServices::CopyPosition",
                   Samples(iDir, {"demo.json", "flattened.json"}),
                   [] {
                     // The refusal's notification is shown to no one.
                     struct Discard : CATDlgNotifyObserver {
                       void OnDisplay(const CATDlgNotify&, const CATUnicodeString&,
                                      const CATUnicodeString&) override {}
                     } discard;
                     CATDlgNotify::SetObserver(&discard);
                     MemProduct* target =
                         BBDocument()->Root()->FindChild("CAR.1")->FindChild("Engine.1");
                     KRVEWD7BlackBoxServices services;
                     const HRESULT rc = services.CopyPosition(
                         Handle(PSNDocument()->Root()->FindChild("Engine.1")), Handle(target));
                     CATDlgNotify::SetObserver(nullptr);
                     return rc;
                   },
                   OkOrNegative, nullptr});
  const auto migration_results = [](HRESULT iRc) {
    return iRc == S_OK || iRc == E_FAIL || iRc == E_INVALIDARG;
  };
  ioOps.push_back({"KRVEWD7BlackBoxServices::Migrate",
                   Samples(iDir, {"version1.json", "demo.json"}),
                   [] { return KRVEWD7BlackBoxServices().Migrate(*BBDocument(), "CAR.psn"); },
                   migration_results, not_applicable});
  ioOps.push_back({"KRVEWD7BlackBoxServices::Migrate2",
                   Samples(iDir, {"demo.json", "version1.json"}),
                   [] { return KRVEWD7BlackBoxServices().Migrate2(*BBDocument(), "CAR.psn"); },
                   migration_results, not_applicable});
  ioOps.push_back(
      {"KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning",
       Samples(iDir, {"demo.json", "version1.json"}),
       [] {
         return KRVEWD7BlackBoxServices().MigrateAfterRootPartVersionning(
             *BBDocument(), "00000000000001000000000000002200VPMENV  PART_LIST         ",
             "CAR2.psn", "CAR2");
       },
       migration_results, not_applicable});
}

}  // namespace

std::vector<SweepOperation> LibraryOperations(const std::string& iDir) {
  std::vector<SweepOperation> ops;
  const std::vector<std::string> pair = Samples(iDir, {"demo.json", "flattened.json"});

  ops.push_back({"KRVWD7PrdInfo::RetrieveInfo", pair,
                 [] {
                   KRVWD7PrdInfo bb, psn;
                   const HRESULT rc = bb.RetrieveInfo(
                       Handle(DeepestLeaf(BBDocument()->Root())), BBRoot(), 1);
                   const HRESULT psn_rc = psn.RetrieveInfo(
                       Handle(DeepestLeaf(PSNDocument()->Root())), PSNRoot(), 0);
                   return rc < 0 ? rc : psn_rc;
                 },
                 OkOrNegative, Always});

  ops.push_back({"KRVWD7PrdInfoListServices::BuildPrdInfoList", pair,
                 [] {
                   CATListValKRVWD7PrdInfo bb, psn;
                   return BuildBothLists(bb, psn);
                 },
                 [](HRESULT iRc) {
                   return iRc == S_OK || iRc == S_FALSE || iRc == E_FAIL || iRc == E_INVALIDARG;
                 },
                 Always});

  ops.push_back({"KRVWD7PrdInfoListServices::RetrieveDifferences",
                 Samples(iDir, {"demo.json", "flattened.json", "uptodate.json"}),
                 [] {
                   CATListValKRVWD7PrdInfo bb, psn, in_bb, in_psn, added;
                   CATListValCATUnicodeString types;
                   int count = 0;
                   BuildBothLists(bb, psn);
                   return KRVWD7PrdInfoListServices::RetrieveDifferences(
                       PSNRoot(), bb, psn, in_bb, in_psn, added, types, count, 2, 0);
                 },
                 Any, Always});

  ops.push_back({"KRVEWD7BlackBoxServices::IsUpToDate",
                 Samples(iDir, {"demo.json", "flattened.json", "uptodate.json",
                                "version1.json"}),
                 [] {
                   KRVEWD7BlackBoxServices services;
                   unsigned char up_to_date = 0;
                   return services.IsUpToDate(*BBDocument(), *PSNDocument(), up_to_date);
                 },
                 Any, nullptr});

  // Two components of the black box: a leaf and the PSN node.
  ops.push_back({"KRVEWD7BlackBoxServices::Identify",
                 Samples(iDir, {"demo.json", "flattened.json"}),
                 [] {
                   CATListValCATBaseUnknown_var components;
                   components.Append(Handle(DeepestLeaf(BBDocument()->Root())));
                   components.Append(BBNode());
                   return KRVEWD7BlackBoxServices().Identify(components);
                 },
                 Any,
                 // Only the selection changes; an error part-way leaves the
                 // PSN window current, which a saved session records.
                 [](HRESULT iRc) { return iRc >= 0; }});

  // Switching to product mode changes the structures' modes, so nothing is
  // promised unchanged.
  ops.push_back({"KRVEWD7BlackBoxServices::UpdatePosition",
                 Samples(iDir, {"demo.json", "flattened.json", "uptodate.json"}),
                 [] { return KRVEWD7BlackBoxServices().UpdatePosition(PSNRoot(), BBRoot()); },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == S_FALSE || iRc == E_FAIL; },
                 nullptr});

  // The sample's added product, Radio.1, to the black box's root.
  ops.push_back({"KRVEWD7BlackBoxServices::AddToBlackBox", Samples(iDir, {"demo.json"}),
                 [] {
                   MemProduct* radio = PSNDocument()->Root()->FindChild("Radio.1");
                   if (radio == nullptr) return kWrongAnswer;
                   KRVEWD7BlackBoxServices services;
                   CATBaseUnknown_var added;
                   return services.AddToBlackBox(Handle(radio), PSNRoot(), BBRoot(), added, 0);
                 },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, nullptr});

  ops.push_back({"KRVWD7CoreServices::CheckVPMDocument", pair,
                 [] { return KRVWD7CoreServices::CheckVPMDocument(*BBDocument()); },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, Always});
  ops.push_back({"KRVWD7CoreServices::CheckIsBlackBox", pair,
                 [] {
                   CATBoolean is_black_box = 0;
                   return KRVWD7CoreServices::CheckIsBlackBox(BBRoot(), is_black_box);
                 },
                 Any, Always});
  ops.push_back({"KRVWD7CoreServices::CheckIsInsideSubBB", pair,
                 [] {
                   return KRVWD7CoreServices::CheckIsInsideSubBB(
                              Handle(DeepestLeaf(BBDocument()->Root())), BBNode())
                              ? S_OK
                              : S_FALSE;
                 },
                 Any, Always});
  ops.push_back({"KRVWD7CoreServices::SwitchToProductMode", pair,
                 [] { return KRVWD7CoreServices::SwitchToProductMode(BBRoot()); }, Any,
                 Negative});
  ops.push_back({"KRVWD7CoreServices::RetrieveAssociatedPSNDoc", pair,
                 [] {
                   CATDocument* document = nullptr;
                   const HRESULT rc =
                       KRVWD7CoreServices::RetrieveAssociatedPSNDoc(BBRoot(), document);
                   return rc == S_OK && document != PSNDocument() ? kWrongAnswer : rc;
                 },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, Always});
  // Adding the PSN's deepest leaf (there already: 1, nothing changed) and
  // each product directly below the PSN root (Radio.1 is missing).
  ops.push_back({"KRVWD7CoreServices::AddProductFromPSNtoBB", pair,
                 [] {
                   HRESULT worst = S_OK;
                   std::vector<MemProduct*> products{DeepestLeaf(PSNDocument()->Root())};
                   for (MemProduct* child : PSNDocument()->Root()->Children()) {
                     products.push_back(child);
                   }
                   for (MemProduct* product : products) {
                     KRVWD7PrdInfo record;
                     record.RetrieveInfo(Handle(product), PSNRoot(), 0);
                     CATBaseUnknown_var added;
                     const HRESULT rc = KRVWD7CoreServices::AddProductFromPSNtoBB(
                         record, PSNRoot(), BBNode(), added, 0);
                     if (rc != S_OK && rc != S_FALSE && rc != E_FAIL) return kWrongAnswer;
                     // 1 hands back the product there, or none (an assembly in
                     // a flattened black box).
                     if ((rc == S_OK && !added) || (rc < 0 && added)) return kWrongAnswer;
                     if (rc < 0 || (rc == S_FALSE && worst == S_OK)) worst = rc;
                   }
                   return worst;
                 },
                 Any, nullptr});
  ops.push_back({"KRVWD7CoreServices::RetrieveSimilarInstances", pair,
                 [] {
                   CATListValCATBaseUnknown_var* list = nullptr;
                   const HRESULT rc = KRVWD7CoreServices::RetrieveSimilarInstances(
                       BBRoot(), "BOLT", "", "", 4, list);
                   const bool listed = list != nullptr;
                   delete list;
                   return listed == (rc == S_OK) ? rc : kWrongAnswer;
                 },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, Always});
  ops.push_back({"KRVWD7CoreServices::UpdateBBNodeFromPSN", pair,
                 [] {
                   return KRVWD7CoreServices::UpdateBBNodeFromPSN(
                       Handle(DeepestLeaf(BBDocument()->Root())),
                       Handle(DeepestLeaf(PSNDocument()->Root())), 1);
                 },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, nullptr});
  // Reading only: the node that stands for the PSN root.
  ops.push_back({"KRVWD7CoreServices::RetrievePSNNode", pair,
                 [] {
                   CATBaseUnknown_var node;
                   int type = 0;
                   const HRESULT rc = KRVWD7CoreServices::RetrievePSNNode(BBRoot(), node, type);
                   return (rc == S_OK) == !!node ? rc : kWrongAnswer;
                 },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == E_FAIL; }, Always});
  // A new identity on the black box's deepest leaf, its environment kept,
  // then both written.
  ops.push_back({"KRVWD7CoreServices::SetPrintableIdParameterOnNode", pair,
                 [] {
                   const CATBaseUnknown_var leaf = Handle(DeepestLeaf(BBDocument()->Root()));
                   const HRESULT rc = KRVWD7CoreServices::SetPrintableIdParameterOnNode(
                       leaf, "NEW-ID", "Unchanged");
                   if (FAILED(rc)) return rc;
                   return KRVWD7CoreServices::SetPrintableIdParameterOnNode(leaf, "NEW-ID", "ENV");
                 },
                 OkOrNegative, nullptr});
  // The PSN root's number onto a black-box leaf: the black box already
  // holds a reference of that number, so the suffix counter runs.
  ops.push_back({"KRVWD7CoreServices::CopyPartNumber", pair,
                 [] {
                   return KRVWD7CoreServices::CopyPartNumber(
                       PSNRoot(), Handle(DeepestLeaf(BBDocument()->Root())));
                 },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == S_FALSE || iRc == E_FAIL; },
                 nullptr});
  ops.push_back({"KRVWD7CoreServices::UpdateBBLeafFromPSN", pair,
                 [] {
                   return KRVWD7CoreServices::UpdateBBLeafFromPSN(
                       Handle(DeepestLeaf(BBDocument()->Root())),
                       Handle(DeepestLeaf(PSNDocument()->Root())), 0);
                 },
                 OkOrNegative, nullptr});
  ops.push_back({"KRVEWD7BlackBoxServices::UpdatePSNFile",
                 Samples(iDir, {"psn.json", "demo.json"}),
                 [iDir] { return UpdatePSNFileChecked(iDir); },
                 [](HRESULT iRc) { return iRc == S_OK || iRc == S_FALSE || iRc < 0; },
                 Always});
  AddBlackBoxAttributes(iDir, ops);
  AddRearrangingAndMigration(iDir, ops);
  return ops;
}

}  // namespace krvwd7_test
