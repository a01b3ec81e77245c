#include "KRVWD7PrdInfoListServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CATApplication.h"
#include "TestSessions.h"

namespace {

using namespace krvwd7_test;
using Services = KRVWD7PrdInfoListServices;

class KRVWD7PrdInfoListServicesTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    // Root / A.1 / {B.1, C.1}: three children below the root.
    MemBuilder build(session());
    root_ = build.Document("Root.CATProduct", "ROOT")->Root();
    a_ = build.Assembly(root_, "A.1", "A");
    b_ = build.Part(a_, "B.1", "B");
    c_ = build.Part(a_, "C.1", "C");
    int coid = 1;
    for (MemProduct* p : {a_, b_, c_}) {
      p->Vpm() = MemVpm{MemBuilder::PrintableId(coid, {100u + coid}), "VPMENV", ""};
      ++coid;
    }
  }
  // BuildPrdInfoList of iTop's structure, paths from iTop.
  static HRESULT Build(MemProduct* iTop, CATListValKRVWD7PrdInfo& oList,
                       CATListValKRVWD7PrdInfo* oFailed = nullptr) {
    return Services::BuildPrdInfoList(Handle(iTop), oList, 0, CATBaseUnknown_var(), oFailed);
  }

  MemProduct *root_ = nullptr, *a_ = nullptr, *b_ = nullptr, *c_ = nullptr;
};

// --- BuildPrdInfoList ---------------------------------------------------------------

TEST_F(KRVWD7PrdInfoListServicesTest, BuildsOneRecordPerProductInToolboxOrder) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("STALE", "Stale"));
  EXPECT_EQ(Build(root_, list), S_OK) << Joined(KRVWD7UtiTracer::Lines());
  EXPECT_EQ(Paths(list), "ROOT/A.1,ROOT/A.1/B.1,ROOT/A.1/C.1");
  CATBaseUnknown_var product;
  list[3].GetProduct(product);
  EXPECT_TRUE(product == Handle(c_));
  const std::vector<std::string> expected = {
      ">> KRVWD7PrdInfoListServices::BuildPrdInfoList", "Nb of Child found = 3",
      "[PERFO] <Retrieving information on product structure> Total time = [T]",
      "<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 0"};
  EXPECT_EQ(TraceWithoutTimes(), expected);
  EXPECT_TRUE(progress_.events.empty());  // batch: no progress bar
}

TEST_F(KRVWD7PrdInfoListServicesTest, PathsCountFromThePathRoot) {
  CATListValKRVWD7PrdInfo list;
  Services::BuildPrdInfoList(Handle(a_), list, 1, Handle(root_), nullptr);
  EXPECT_EQ(Paths(list), "ROOT/A.1/B.1,ROOT/A.1/C.1");
}

TEST_F(KRVWD7PrdInfoListServicesTest, FailedChildIsKeptApartAndTheLoopGoesOn) {
  MemFaults::Add(MemFaultPoint::kGetInstancePath, E_FAIL, "B.1");
  CATListValKRVWD7PrdInfo list, failed;
  failed.Append(Rec("EARLIER", "Earlier"));
  EXPECT_EQ(Build(root_, list, &failed), S_FALSE);
  EXPECT_EQ(Paths(list), "ROOT/A.1,ROOT/A.1/C.1");
  ASSERT_EQ(failed.Size(), 2);  // not emptied first
  CATBaseUnknown_var product;
  failed[2].GetProduct(product);
  EXPECT_TRUE(product == Handle(b_));
  CATUnicodeString part_number;
  failed[2].GetPartNumber(part_number);
  EXPECT_EQ(part_number, "B");  // filled as far as it could be
  EXPECT_TRUE(Traced("KRVWD7PrdInfo.RetrieveInfo() has FAILED for child #2"));
  EXPECT_TRUE(Traced("<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 1"));
  // Without a failed list the child is only left out.
  EXPECT_EQ(Build(root_, list), S_FALSE);
  EXPECT_EQ(list.Size(), 2);
}

TEST_F(KRVWD7PrdInfoListServicesTest, NoChildListingFailureAndEmptyRoot) {
  MemProduct* leaf_root = MemBuilder(session()).Document("Leaf.CATProduct", "LEAFROOT")->Root();
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("STALE", "Stale"));
  EXPECT_EQ(Build(leaf_root, list), S_FALSE);
  EXPECT_EQ(list.Size(), 0);
  EXPECT_TRUE(Traced("NO Child found (pListOfSubProduct = NULL)"));

  // Children, none of them loaded: the toolbox answers an empty list.
  KRVWD7UtiTracer::ClearLines();
  a_->SetLoaded(false);
  EXPECT_EQ(Build(root_, list), S_FALSE);
  EXPECT_EQ(list.Size(), 0);
  EXPECT_TRUE(Traced("NO Child found (pListOfSubProduct.Size = 0)"));
  a_->SetLoaded(true);

  KRVWD7UtiTracer::ClearLines();
  MemFaults::Add(MemFaultPoint::kGetAllChildren, E_FAIL);
  EXPECT_EQ(Build(root_, list), E_FAIL);
  EXPECT_EQ(list.Size(), 0);
  EXPECT_TRUE(Traced("<< KRVWD7PrdInfoListServices::BuildPrdInfoList RC = 2147500037"));

  list.Append(Rec("STALE", "Stale"));
  EXPECT_EQ(Services::BuildPrdInfoList(CATBaseUnknown_var(), list, 0, Handle(root_), nullptr),
            E_INVALIDARG);
  EXPECT_EQ(list.Size(), 0);
  EXPECT_TRUE(Traced("<< KRVWD7PrdInfoListServices::BuildPrdInfoList = 2147942487"));
}

TEST_F(KRVWD7PrdInfoListServicesTest, InteractiveSessionShowsOneStepPerChild) {
  CATInteractiveApplication application;
  CATApplication::SetMainApplication(&application);
  MemFaults::Add(MemFaultPoint::kGetInstancePath, E_FAIL, "B.1");
  CATListValKRVWD7PrdInfo list;
  EXPECT_EQ(Build(root_, list), S_FALSE);
  CATApplication::SetMainApplication(nullptr);
  EXPECT_EQ(list.Size(), 2);
  const std::vector<std::string> expected = {"init BuildPrdInfoList 1..3", "end"};
  EXPECT_EQ(progress_.events, expected);
  EXPECT_EQ(progress_.steps, 3);  // failed children step too
}

// --- Look-ups -----------------------------------------------------------------------

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpsShareOneContract) {
  CATListValKRVWD7PrdInfo empty, list;
  KRVWD7PrdInfo with_product = Rec("ID", "R/A");
  with_product.SetProduct(Handle(a_));
  list.Append(with_product);
  KRVWD7PrdInfo info;
  const struct {
    const char* label;
    std::function<HRESULT()> call;
    HRESULT rc;
  } rows[] = {
      {"product, empty key",
       [&] { return Services::GetPrdInfo(list, CATBaseUnknown_var(), info); }, E_INVALIDARG},
      {"product, no match", [&] { return Services::GetPrdInfo(list, Handle(b_), info); },
       E_FAIL},
      {"path, empty key", [&] { return Services::GetPrdInfo(list, "", 0, info); },
       E_INVALIDARG},
      {"path, empty list", [&] { return Services::GetPrdInfo(empty, "R/A", 0, info); },
       E_FAIL},
      {"path, no match", [&] { return Services::GetPrdInfo(list, "R/B", 0, info); }, E_FAIL},
      {"id, empty key",
       [&] { return Services::GetPrdInfo(list, CATUnicodeString(), info); }, E_INVALIDARG},
      {"id, no match",
       [&] { return Services::GetPrdInfo(list, CATUnicodeString("IX"), info); }, E_FAIL},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    info = Rec("DIRTY", "Dirty/Path");
    EXPECT_EQ(row.call(), row.rc);
    // Reset whatever the outcome.
    EXPECT_EQ(IdOf(info) + PathOf(info), "");
  }
}

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpByProductSkipsEmptyHandles) {
  CATListValKRVWD7PrdInfo list;
  list.Append(Rec("", "no product"));
  for (const char* path : {"first b", "second b"}) {
    KRVWD7PrdInfo record = Rec("", path);
    record.SetProduct(Handle(b_));
    list.Append(record);
  }
  KRVWD7PrdInfo info;
  // Another handle type on the same object matches too.
  CATIProduct_var as_product(Handle(b_));
  EXPECT_EQ(Services::GetPrdInfo(list, CATBaseUnknown_var(as_product), info), S_OK);
  EXPECT_EQ(PathOf(info), "first b");
}

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpByPathWithComponentsSkipped) {
  // "B" is too short for one skip: never matches.
  CATListValKRVWD7PrdInfo list =
      ListOf({Rec("1", "B"), Rec("2", "Root/A/B"), Rec("3", "Other/A/B")});
  KRVWD7PrdInfo info;
  EXPECT_EQ(Services::GetPrdInfo(list, "A/B", 1, info), S_OK);
  EXPECT_EQ(IdOf(info), "2");
  EXPECT_EQ(Services::GetPrdInfo(list, "B", 0, info), S_OK);
  EXPECT_EQ(IdOf(info), "1");
  EXPECT_EQ(Services::GetPrdInfo(list, "A/B", 0, info), E_FAIL);
}

TEST_F(KRVWD7PrdInfoListServicesTest, LookUpByPrintableIdTracesEachComparison) {
  CATListValKRVWD7PrdInfo list =
      ListOf({Rec("X", "p1"), Rec("K", "p2"), Rec("Y", "p3"), Rec("K", "p4")});
  KRVWD7PrdInfo info;
  EXPECT_EQ(Services::GetPrdInfo(list, CATUnicodeString("K"), info), S_OK);
  EXPECT_EQ(PathOf(info), "p2");
  const std::vector<std::string> expected = {
      "Nb of product=4", "Comparaison : ", "c1=X", "c2=K", "c1 != c2 CONTINUE",
      "Comparaison : ", "c1=K", "c2=K", "c1 == c2 FOUND"};
  EXPECT_EQ(KRVWD7UtiTracer::Lines(), expected);

}

// --- UpdateClink --------------------------------------------------------------------

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
      {"last clink replaced", head + a + b, {"NotReplaced", "NotReplaced", c.c_str()},
       head + a + c},
      {"marker keeps the clink", head + a + b,
       {"NotReplaced", "NotReplaced", "NotReplaced"}, head + a + b},
      {"both replaced", head + a + b, {"NotReplaced", c.c_str(), x.c_str()},
       head + c + x},
      {"unknown clink kept", head + c, {"NotReplaced", a.c_str(), b.c_str()},
       head + c},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    CATUnicodeString updated = "garbage";
    EXPECT_EQ(Services::UpdateClink(row.id.c_str(), clinks, row.replacing, updated), S_OK);
    EXPECT_EQ(updated, row.updated.c_str());
  }
}

}  // namespace
