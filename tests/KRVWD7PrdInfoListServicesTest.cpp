#include "KRVWD7PrdInfoListServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "CATApplication.h"
#include "CATDialog.h"
#include "CATGetEnv.h"
#include "CATMetaClass.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemFaults.h"
#include "MemSession.h"

namespace {

static_assert(!std::is_default_constructible<KRVWD7PrdInfoListServices>::value,
              "the services class is never instantiated");

CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

std::string Joined(const std::vector<std::string>& iLines) {
  std::string all;
  for (const std::string& line : iLines) all += line + "\n";
  return all;
}

std::string Paths(const CATListValKRVWD7PrdInfo& iList) {
  std::string out;
  for (int i = 1; i <= iList.Size(); ++i) {
    CATUnicodeString path;
    iList[i].GetInstancePath(path, 0);
    if (i > 1) out += ",";
    out += path.ConvertToChar();
  }
  return out;
}

KRVWD7PrdInfo Rec(const char* iId, const char* iPath) {
  KRVWD7PrdInfo info;
  info.SetPrintableId(iId);
  info.SetInstancePath(iPath);
  return info;
}

// The trace with the "[PERFO]" line's time replaced by "T".
std::vector<std::string> TraceWithoutTime() {
  std::vector<std::string> lines = KRVWD7UtiTracer::Lines();
  for (std::string& line : lines) {
    if (line.rfind("[PERFO]", 0) == 0) {
      const size_t open = line.rfind('[');
      if (open != std::string::npos && line.back() == ']') {
        line = line.substr(0, open) + "[T]";
      }
    }
  }
  return lines;
}

class CountingObserver : public KRVWD7ProgressObserver {
 public:
  void OnInit(const KRVWD7UtiDlgProgress& iBar) override {
    events.push_back("init " + std::string(iBar.Title().ConvertToChar()) + " " +
                     std::to_string(iBar.First()) + ".." +
                     std::to_string(iBar.Last()));
  }
  void OnStep(const KRVWD7UtiDlgProgress&) override { ++steps; }
  void OnEnd(const KRVWD7UtiDlgProgress&) override { events.push_back("end"); }
  std::vector<std::string> events;
  int steps = 0;
};

class KRVWD7PrdInfoListServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = CATBaseUnknown::LiveObjects();
    dialogs_ = CATDialog::LiveDialogs();
    KRVWD7UtiTracer::ToMemory();
    KRVWD7UtiTracer::ClearLines();
    KRVWD7UtiDlgProgress::SetObserver(&observer_);
    CATSetEnvOverride("KRVWD7_CATALOGS", "/nonexistent-catalogs");

    // Root / A.1 / {B.1, C.1}: three children below the root.
    MemBuilder build(session());
    root_ = build.Document("Root.CATProduct", "ROOT")->Root();
    a_ = build.Assembly(root_, "A.1", "A");
    b_ = build.Part(a_, "B.1", "B");
    c_ = build.Part(a_, "C.1", "C");
    int coid = 1;
    for (MemProduct* p : {a_, b_, c_}) {
      p->Vpm().printableId = MemBuilder::PrintableId(coid, {100u + coid});
      p->Vpm().env = "VPMENV";
      ++coid;
    }
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

  long live_ = 0;
  int dialogs_ = 0;
  CountingObserver observer_;
  MemProduct* root_ = nullptr;
  MemProduct* a_ = nullptr;
  MemProduct* b_ = nullptr;
  MemProduct* c_ = nullptr;
};

// --- BuildPrdInfoList ---------------------------------------------------------------

TEST_F(KRVWD7PrdInfoListServicesTest, BuildsOneRecordPerProductInToolboxOrder) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("STALE", "Stale"));
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                Handle(root_), list, 0, CATBaseUnknown_var(), nullptr),
            S_OK)
      << Joined(KRVWD7UtiTracer::Lines());
  // The toolbox's order, read back from the toolbox itself.
  CATListValCATBaseUnknown_var* children = nullptr;
  ASSERT_EQ(KRVWD7UtiPrdServices::GetAllChildren(Handle(root_), children,
                                                 "CATIProduct", 2),
            S_OK);
  ASSERT_NE(children, nullptr);
  ASSERT_EQ(list.Size(), children->Size());
  for (int i = 1; i <= list.Size(); ++i) {
    CATBaseUnknown_var product;
    list[i].GetProduct(product);
    EXPECT_TRUE(product == (*children)[i]) << i;
  }
  delete children;
  EXPECT_EQ(Paths(list), "A.1,A.1/B.1,A.1/C.1");

  const std::vector<std::string> expected = {
      ">> KRVWD7PrdInfoListServices::BuildPrdInfoList",
      "Nb of Child found = 3",
      "[PERFO] <Retrieving information on product structure> Total time = [T]",
      "<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 0"};
  EXPECT_EQ(TraceWithoutTime(), expected);
  EXPECT_TRUE(observer_.events.empty());  // batch: no progress bar
}

TEST_F(KRVWD7PrdInfoListServicesTest, PathsCountFromThePathRoot) {
  CATListValKRVWD7PrdInfo list;
  KRVWD7PrdInfoListServices::BuildPrdInfoList(Handle(a_), list, 1,
                                              CATBaseUnknown_var(), nullptr);
  EXPECT_EQ(Paths(list), "B.1,C.1");
  KRVWD7PrdInfoListServices::BuildPrdInfoList(Handle(a_), list, 1,
                                              Handle(root_), nullptr);
  EXPECT_EQ(Paths(list), "A.1/B.1,A.1/C.1");
}

TEST_F(KRVWD7PrdInfoListServicesTest, FailedChildIsKeptApartAndTheLoopGoesOn) {
  MemFaults::Add("GetInstancePath", E_FAIL, "B.1");
  CATListValKRVWD7PrdInfo list;
  CATListValKRVWD7PrdInfo failed;
  failed.Append(Rec("EARLIER", "Earlier"));
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                Handle(root_), list, 0, CATBaseUnknown_var(), &failed),
            S_FALSE);
  EXPECT_EQ(Paths(list), "A.1,A.1/C.1");
  ASSERT_EQ(failed.Size(), 2);  // not emptied first
  CATBaseUnknown_var product;
  failed[2].GetProduct(product);
  EXPECT_TRUE(product == Handle(b_));
  CATUnicodeString part_number;
  failed[2].GetPartNumber(part_number);
  EXPECT_EQ(part_number, "B");  // filled as far as it could be

  const std::vector<std::string> expected = {
      ">> KRVWD7PrdInfoListServices::BuildPrdInfoList",
      "Nb of Child found = 3",
      "KRVWD7PrdInfo.RetrieveInfo() has FAILED for child #2",
      "[PERFO] <Retrieving information on product structure> Total time = [T]",
      "<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 1"};
  EXPECT_EQ(TraceWithoutTime(), expected);

  // Without a failed list the child is only left out.
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                Handle(root_), list, 0, CATBaseUnknown_var(), nullptr),
            S_FALSE);
  EXPECT_EQ(list.Size(), 2);
}

TEST_F(KRVWD7PrdInfoListServicesTest, NoChildListingFailureAndEmptyRoot) {
  MemProduct* leaf_root =
      MemBuilder(session()).Document("Leaf.CATProduct", "LEAFROOT")->Root();
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("STALE", "Stale"));
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                Handle(leaf_root), list, 0, CATBaseUnknown_var(), nullptr),
            S_FALSE);
  EXPECT_EQ(list.Size(), 0);
  std::vector<std::string> expected = {
      ">> KRVWD7PrdInfoListServices::BuildPrdInfoList",
      "NO Child found (pListOfSubProduct = NULL)",
      "[PERFO] <Retrieving information on product structure> Total time = [T]",
      "<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 1"};
  EXPECT_EQ(TraceWithoutTime(), expected);

  KRVWD7UtiTracer::ClearLines();
  MemFaults::Add("GetAllChildren", E_FAIL);
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                Handle(root_), list, 0, CATBaseUnknown_var(), nullptr),
            E_FAIL);
  EXPECT_EQ(list.Size(), 0);
  expected = {
      ">> KRVWD7PrdInfoListServices::BuildPrdInfoList",
      "KRVWD7UtiPrdServices::GetAllChildren() has FAILED",
      "[PERFO] <Retrieving information on product structure> Total time = [T]",
      "<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 2147500037"};
  EXPECT_EQ(TraceWithoutTime(), expected);

  KRVWD7UtiTracer::ClearLines();
  list.Append(Rec("STALE", "Stale"));
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                CATBaseUnknown_var(), list, 0, Handle(root_), nullptr),
            E_INVALIDARG);
  EXPECT_EQ(list.Size(), 0);
  expected = {">> KRVWD7PrdInfoListServices::BuildPrdInfoList",
              "<< KRVWD7PrdInfoListServices::BuildPrdInfoList = 2147942487"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected);
}

TEST_F(KRVWD7PrdInfoListServicesTest, InteractiveSessionShowsOneStepPerChild) {
  CATInteractiveApplication application;
  CATApplication::SetMainApplication(&application);
  MemFaults::Add("GetInstancePath", E_FAIL, "B.1");
  CATListValKRVWD7PrdInfo list;
  EXPECT_EQ(KRVWD7PrdInfoListServices::BuildPrdInfoList(
                Handle(root_), list, 0, CATBaseUnknown_var(), nullptr),
            S_FALSE);
  EXPECT_EQ(list.Size(), 2);
  const std::vector<std::string> expected = {"init BuildPrdInfoList 1..3", "end"};
  EXPECT_EQ(observer_.events, expected);
  EXPECT_EQ(observer_.steps, 3);  // failed children step too
  EXPECT_EQ(CATDialog::LiveDialogs(), dialogs_);
}

// --- Look-ups -----------------------------------------------------------------------

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpsShareOneContract) {
  CATListValKRVWD7PrdInfo empty;
  CATListValKRVWD7PrdInfo list;
  KRVWD7PrdInfo with_product = Rec("ID", "R/A");
  with_product.SetProduct(Handle(a_));
  list.Append(with_product);
  KRVWD7PrdInfo info;
  auto reset = [&info]() { info = Rec("DIRTY", "Dirty/Path"); };
  auto is_reset = [&info]() {
    CATUnicodeString id, path;
    info.GetPrintableId(id, 0);
    info.GetInstancePath(path, 0);
    return id == "" && path == "";
  };
  const struct {
    const char* label;
    std::function<HRESULT()> call;
    HRESULT rc;
  } rows[] = {
      {"product, empty key",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(list, CATBaseUnknown_var(), info); },
       E_INVALIDARG},
      {"product, empty list",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(empty, Handle(a_), info); },
       E_FAIL},
      {"product, no match",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(list, Handle(b_), info); },
       E_FAIL},
      {"path, empty key",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(list, "", 0, info); },
       E_INVALIDARG},
      {"path, empty list",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(empty, "R/A", 0, info); },
       E_FAIL},
      {"path, no match",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(list, "R/B", 0, info); },
       E_FAIL},
      {"id, empty key",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(list, CATUnicodeString(), info); },
       E_INVALIDARG},
      {"id, empty list",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(empty, CATUnicodeString("ID"), info); },
       E_FAIL},
      {"id, no match",
       [&] { return KRVWD7PrdInfoListServices::GetPrdInfo(list, CATUnicodeString("IX"), info); },
       E_FAIL},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    reset();
    EXPECT_EQ(row.call(), row.rc);
    EXPECT_TRUE(is_reset());
  }
}

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpByProductSkipsEmptyHandles) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("", "no product"));
  KRVWD7PrdInfo first = Rec("", "first b");
  first.SetProduct(Handle(b_));
  KRVWD7PrdInfo second = Rec("", "second b");
  second.SetProduct(Handle(b_));
  list.Append(first);
  list.Append(second);
  KRVWD7PrdInfo info;
  // Another handle type on the same object matches too.
  CATIProduct_var as_product(Handle(b_));
  EXPECT_EQ(KRVWD7PrdInfoListServices::GetPrdInfo(
                list, CATBaseUnknown_var(as_product), info),
            S_OK);
  CATUnicodeString path;
  info.GetInstancePath(path, 0);
  EXPECT_EQ(path, "first b");
}

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpByPathWithComponentsSkipped) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("1", "B"));  // too short for one skip: never matches
  list.Append(Rec("2", "Root/A/B"));
  list.Append(Rec("3", "Other/A/B"));
  KRVWD7PrdInfo info;
  EXPECT_EQ(KRVWD7PrdInfoListServices::GetPrdInfo(list, "A/B", 1, info), S_OK);
  CATUnicodeString id;
  info.GetPrintableId(id, 0);
  EXPECT_EQ(id, "2");
  EXPECT_EQ(KRVWD7PrdInfoListServices::GetPrdInfo(list, "B", 0, info), S_OK);
  info.GetPrintableId(id, 0);
  EXPECT_EQ(id, "1");
  EXPECT_EQ(KRVWD7PrdInfoListServices::GetPrdInfo(list, "A/B", 0, info), E_FAIL);
}

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpByPrintableIdTracesEachComparison) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("X", "p1"));
  list.Append(Rec("K", "p2"));
  list.Append(Rec("Y", "p3"));
  list.Append(Rec("K", "p4"));
  KRVWD7PrdInfo info;
  EXPECT_EQ(KRVWD7PrdInfoListServices::GetPrdInfo(list, CATUnicodeString("K"), info),
            S_OK);
  CATUnicodeString path;
  info.GetInstancePath(path, 0);
  EXPECT_EQ(path, "p2");
  const std::vector<std::string> expected = {
      "Nb of product=4", "Comparaison : ", "c1=X", "c2=K", "c1 != c2 CONTINUE",
      "Comparaison : ", "c1=K", "c2=K", "c1 == c2 FOUND"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected);

  KRVWD7UtiTracer::ClearLines();
  CATListValKRVWD7PrdInfo empty;
  EXPECT_EQ(KRVWD7PrdInfoListServices::GetPrdInfo(empty, CATUnicodeString("K"), info),
            E_FAIL);
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), std::vector<std::string>{"Nb of product=0"});
}

// --- Dump and UpdateClink -----------------------------------------------------------

TEST_F(KRVWD7PrdInfoListServicesTest, DumpWritesEveryRecordInOrder) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("1", "R/First"));
  list.Append(Rec("2", "R/Second"));
  EXPECT_EQ(KRVWD7PrdInfoListServices::DumpPrdInfoList(list), S_OK);
  const std::vector<std::string>& lines = KRVWD7UtiTracer::Lines();
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[0], "\tInstance Name: First");
  EXPECT_EQ(lines[9], "\tInstance Name: Second");
  EXPECT_EQ(lines[15], "\tCLink        : 2");
}

TEST_F(KRVWD7PrdInfoListServicesTest, UpdateClinkTable) {
  const std::string head(58, 'H');
  const std::string a(16, 'a'), b(16, 'b'), c(16, 'c'), x(16, 'x');
  const CATListValCATUnicodeString clinks = {x.c_str(), a.c_str(), b.c_str()};
  const struct {
    const char* label;
    std::string id;
    CATListValCATUnicodeString replacing;
    std::string updated;
  } rows[] = {
      {"head only", head, {"N1", "N2", c.c_str()}, head},
      {"shorter than a head", "SHORT", {"N1", "N2", c.c_str()}, "SHORT"},
      {"last clink replaced", head + a + b, {"NotReplaced", "NotReplaced", c.c_str()},
       head + a + c},
      {"marker keeps the clink", head + a + b,
       {"NotReplaced", "NotReplaced", "NotReplaced"}, head + a + b},
      {"both replaced", head + a + b, {"NotReplaced", c.c_str(), x.c_str()},
       head + c + x},
      {"unknown clink kept", head + c, {"NotReplaced", a.c_str(), b.c_str()},
       head + c},
      {"partial tail", head + b + "tail", {"NotReplaced", "NotReplaced", c.c_str()},
       head + c + "tail"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    CATUnicodeString updated = "garbage";
    EXPECT_EQ(KRVWD7PrdInfoListServices::UpdateClink(row.id.c_str(), clinks,
                                                     row.replacing, updated),
              S_OK);
    EXPECT_EQ(updated, row.updated.c_str());
  }
}

TEST_F(KRVWD7PrdInfoListServicesTest, ClassIdentity) {
  CATMetaClass* meta = KRVWD7PrdInfoListServices::MetaObject();
  EXPECT_STREQ(meta->GetClassName(), "KRVWD7PrdInfoListServices");
  EXPECT_EQ(meta->GetKind(), CATImplementationKind);
  EXPECT_STREQ(meta->GetType(), "CATNull");
  EXPECT_STREQ(meta->GetTag(), "External");
  EXPECT_EQ(meta->GetBase(), CATBaseUnknown::MetaObject());
  EXPECT_EQ(meta->CreateInstance(), nullptr);
}

}  // namespace
