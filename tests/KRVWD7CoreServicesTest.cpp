#include "KRVWD7CoreServices.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "CATApplication.h"
#include "CATDialog.h"
#include "CATGetEnv.h"
#include "CATMetaClass.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemFaults.h"
#include "MemSession.h"

namespace {

static_assert(!std::is_default_constructible<KRVWD7CoreServices>::value,
              "the services class is never instantiated");

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

std::string Joined(const std::vector<std::string>& iLines) {
  std::string all;
  for (const std::string& line : iLines) all += line + "\n";
  return all;
}

// Records what progress bars show.
class RecordingObserver : public KRVWD7ProgressObserver {
 public:
  void OnInit(const KRVWD7UtiDlgProgress& iBar) override {
    events.push_back("init " + std::string(iBar.Title().ConvertToChar()) + " " +
                     std::to_string(iBar.First()) + ".." +
                     std::to_string(iBar.Last()));
  }
  void OnStep(const KRVWD7UtiDlgProgress&) override { events.push_back("step"); }
  void OnEnd(const KRVWD7UtiDlgProgress&) override { events.push_back("end"); }
  std::vector<std::string> events;
};

class KRVWD7CoreServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = CATBaseUnknown::LiveObjects();
    dialogs_ = CATDialog::LiveDialogs();
    KRVWD7UtiTracer::ToMemory();
    KRVWD7UtiTracer::ClearLines();
    KRVWD7UtiDlgProgress::SetObserver(&observer_);
    // No catalog files: every message is its default text.
    CATSetEnvOverride("KRVWD7_CATALOGS", "/nonexistent-catalogs");

    MemBuilder build(session());
    doc_ = build.Document("BB.CATProduct", "BB-ROOT", true);
    root_ = doc_->Root();
    mid_ = build.Assembly(root_, "Mid.1", "MID");
    leaf_ = build.Part(mid_, "Leaf.1", "LEAF");
  }
  void TearDown() override {
    CATApplication::SetMainApplication(nullptr);
    KRVWD7UtiDlgProgress::SetObserver(nullptr);
    MemFaults::Clear();
    CATClearEnvOverrides();
    session().Close();
    KRVWD7UtiTracer::Off();
    EXPECT_EQ(CATDialog::LiveDialogs(), dialogs_) << "dialogs leaked";
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "objects leaked";
  }

  static MemSession& session() { return MemSession::Current(); }
  static void MakeBlackBox(MemProduct* iProduct) {
    iProduct->Reference()->AddParm("BBNote", "note");
  }

  long live_ = 0;
  int dialogs_ = 0;
  RecordingObserver observer_;
  MemDocument* doc_ = nullptr;
  MemProduct* root_ = nullptr;
  MemProduct* mid_ = nullptr;
  MemProduct* leaf_ = nullptr;
};

TEST_F(KRVWD7CoreServicesTest, CheckVPMDocumentWithTheFileBasedSwitch) {
  MemDocument* file_doc =
      session().NewProductDocument("File", "/tmp/File.CATProduct", "FILE", false);
  const struct {
    const char* env;  // null: unset
    bool pdm;
    HRESULT rc;
  } rows[] = {{nullptr, true, S_OK},
              {nullptr, false, E_FAIL},
              {"MODE4_ON_A_FILEBASE", false, S_OK},
              {"MODE4_ON_A_FILEBASE", true, S_OK},
              {"OTHER", false, E_FAIL},
              {"", false, E_FAIL}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.env ? row.env : "(unset)") +
                 (row.pdm ? " pdm" : " file"));
    CATSetEnvOverride("KRV_WD7_FILE_BASED", row.env);
    EXPECT_EQ(KRVWD7CoreServices::CheckVPMDocument(row.pdm ? *doc_ : *file_doc),
              row.rc);
  }
  // A failing PDM test refuses the document too.
  CATSetEnvOverride("KRV_WD7_FILE_BASED", nullptr);
  MemFaults::Add("IsPDMDocument", E_FAIL);
  EXPECT_EQ(KRVWD7CoreServices::CheckVPMDocument(*doc_), E_FAIL);
}

TEST_F(KRVWD7CoreServicesTest, CheckIsBlackBox) {
  CATBoolean flag = 1;
  EXPECT_EQ(KRVWD7CoreServices::CheckIsBlackBox(CATBaseUnknown_var(), flag),
            E_INVALIDARG);
  EXPECT_EQ(flag, 0);

  CATBaseUnknown* object = new CATBaseUnknown;
  CATBaseUnknown_var not_a_product(object);
  object->Release();
  flag = 1;
  EXPECT_EQ(KRVWD7CoreServices::CheckIsBlackBox(not_a_product, flag), E_FAIL);
  EXPECT_EQ(flag, 0);

  EXPECT_EQ(KRVWD7CoreServices::CheckIsBlackBox(Handle(mid_), flag), S_OK);
  EXPECT_EQ(flag, 0);
  MakeBlackBox(mid_);
  EXPECT_EQ(KRVWD7CoreServices::CheckIsBlackBox(Handle(mid_), flag), S_OK);
  EXPECT_EQ(flag, 1);
}

TEST_F(KRVWD7CoreServicesTest, CheckIsInsideSubBB) {
  enum Level { kTop, kMid, kLeaf, kNone };
  const struct {
    const char* label;
    bool black_box[3];  // top, mid, leaf
    Level root;         // kNone: empty root
    CATBoolean inside;
  } rows[] = {
      {"no black box", {false, false, false}, kTop, 0},
      {"black box between", {false, true, false}, kTop, 1},
      {"black box is the root", {false, true, false}, kMid, 0},
      {"top black box is the root", {true, false, false}, kTop, 0},
      {"product is a black box", {true, true, true}, kTop, 0},
      {"empty root reaches the top", {true, false, false}, kNone, 1},
      {"empty root, no black box", {false, false, false}, kNone, 0},
  };
  MemBuilder build(session());
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    // A fresh Top/Mid.1/Leaf.1 structure per row.
    const std::string tag = std::to_string(++n);
    MemProduct* chain[3];
    chain[kTop] = build.Document("S" + tag + ".CATProduct", "TOP" + tag)->Root();
    chain[kMid] = build.Assembly(chain[kTop], "Mid.1", "MID" + tag);
    chain[kLeaf] = build.Part(chain[kMid], "Leaf.1", "LEAF" + tag);
    for (int level = kTop; level <= kLeaf; ++level) {
      if (row.black_box[level]) MakeBlackBox(chain[level]);
    }
    CATBaseUnknown_var root =
        row.root == kNone ? CATBaseUnknown_var() : Handle(chain[row.root]);
    EXPECT_EQ(KRVWD7CoreServices::CheckIsInsideSubBB(Handle(chain[kLeaf]), root),
              row.inside);
  }
  CATBaseUnknown* object = new CATBaseUnknown;
  CATBaseUnknown_var not_a_product(object);
  object->Release();
  EXPECT_EQ(KRVWD7CoreServices::CheckIsInsideSubBB(not_a_product, Handle(root_)),
            0);
  EXPECT_EQ(KRVWD7CoreServices::CheckIsInsideSubBB(CATBaseUnknown_var(),
                                                   Handle(root_)),
            0);
}

TEST_F(KRVWD7CoreServicesTest, SwitchToProductModeInBatch) {
  leaf_->SetLoaded(false);
  EXPECT_EQ(KRVWD7CoreServices::SwitchToProductMode(Handle(root_)), S_OK);
  EXPECT_TRUE(leaf_->IsLoaded());
  const std::vector<std::string>& lines = KRVWD7UtiTracer::Lines();
  ASSERT_EQ(lines.size(), 3u) << Joined(lines);
  EXPECT_EQ(lines[0], ">> KRVWD7CoreServices::SwitchToProductMode");
  EXPECT_EQ(lines[1].rfind("[PERFO] <Retrieving Document from VPM> Total time = [", 0),
            0u);
  EXPECT_EQ(lines[1].back(), ']');
  EXPECT_EQ(lines[2], "<< KRVWD7CoreServices::SwitchToProductMode");
  EXPECT_TRUE(observer_.events.empty());
}

TEST_F(KRVWD7CoreServicesTest, SwitchToProductModeInteractiveShowsProgress) {
  CATInteractiveApplication application;
  CATApplication::SetMainApplication(&application);
  MemFaults::Add("SwitchToProductMode", E_FAIL);
  // The toolbox's failure comes back after the bar and the traces.
  EXPECT_EQ(KRVWD7CoreServices::SwitchToProductMode(Handle(root_)), E_FAIL);
  const std::vector<std::string> expected = {
      "init SwitchToProductModeInProgress 0..1", "step", "end"};
  EXPECT_EQ(observer_.events, expected);
  EXPECT_EQ(KRVWD7UtiTracer::Lines().size(), 3u)
      << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(CATDialog::LiveDialogs(), dialogs_);
}

TEST_F(KRVWD7CoreServicesTest, SwitchToProductModeEmptyHandle) {
  EXPECT_EQ(KRVWD7CoreServices::SwitchToProductMode(CATBaseUnknown_var()),
            E_INVALIDARG);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(),
            std::vector<std::string>{">> KRVWD7CoreServices::SwitchToProductMode"});
}

TEST_F(KRVWD7CoreServicesTest, RetrieveAssociatedPSNDoc) {
  const std::string psn_id = MemBuilder::PrintableId(77, {});
  MakeBlackBox(root_);
  CATDocument* found = reinterpret_cast<CATDocument*>(1);
  // No PSN printable id on the black box.
  EXPECT_EQ(KRVWD7CoreServices::RetrieveAssociatedPSNDoc(Handle(root_), found),
            E_FAIL);
  EXPECT_EQ(found, nullptr);

  root_->Properties()["BBPSNPrintableId"] = psn_id;
  root_->Vpm().printableId = psn_id;  // its own root never counts
  MemBuilder build(session());
  MemDocument* other = build.Document("Other.CATProduct", "OTHER", true);
  other->Root()->Vpm().printableId = MemBuilder::PrintableId(78, {});
  MemDocument* psn = build.Document("PSN.CATProduct", "PSN", true);
  psn->Root()->Vpm().printableId = psn_id;
  MemDocument* psn2 = build.Document("PSN2.CATProduct", "PSN2", true);
  psn2->Root()->Vpm().printableId = psn_id;

  EXPECT_EQ(KRVWD7CoreServices::RetrieveAssociatedPSNDoc(Handle(root_), found),
            S_OK);
  EXPECT_EQ(found, static_cast<CATDocument*>(psn));

  MemFaults::Add("GetNbProductDocumentInSession", E_FAIL);
  EXPECT_EQ(KRVWD7CoreServices::RetrieveAssociatedPSNDoc(Handle(root_), found),
            E_FAIL);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(KRVWD7CoreServices::RetrieveAssociatedPSNDoc(CATBaseUnknown_var(),
                                                         found),
            E_INVALIDARG);
}

TEST_F(KRVWD7CoreServicesTest, DumpBPCVersionDefaultText) {
  testing::internal::CaptureStdout();
  KRVWD7CoreServices::DumpBPCVersion();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "???\n");
}

TEST_F(KRVWD7CoreServicesTest, ClassIdentity) {
  CATMetaClass* meta = KRVWD7CoreServices::MetaObject();
  EXPECT_STREQ(meta->GetClassName(), "KRVWD7CoreServices");
  EXPECT_STREQ(KRVWD7CoreServices::ClassName(), "KRVWD7CoreServices");
  EXPECT_EQ(meta->GetKind(), CATImplementationKind);
  EXPECT_STREQ(meta->GetType(), "CATNull");
  EXPECT_STREQ(meta->GetTag(), "External");
  EXPECT_EQ(meta->GetBase(), CATBaseUnknown::MetaObject());
  EXPECT_EQ(meta->IsAKindOf("CATBaseUnknown"), 1);
  EXPECT_EQ(meta->CreateInstance(), nullptr);
}

}  // namespace
