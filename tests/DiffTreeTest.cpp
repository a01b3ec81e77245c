// The comparison laid on the black box's tree (tools/krvwd7/DiffTree.h),
// its text and JSON forms and the HTML report's data, on a comparison made
// by hand so that every placement rule is exercised.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "DiffTree.h"
#include "HtmlReport.h"
#include "JsonOut.h"
#include "TestSessions.h"
#include "TreeOutput.h"

namespace krvwd7 {
namespace {

using krvwd7_test::ListOf;
using krvwd7_test::Rec;

KRVWD7PrdInfo Versioned(const std::string& iId, const std::string& iPath,
                        const char* iVersion) {
  KRVWD7PrdInfo record = Rec(iId, iPath);
  record.SetVersion(iVersion);
  return record;
}

// A type 2 black box BB whose PSN node N.1 stands for the PSN root P:
//   BB/N.1/A.1        paired by id with P/A.1
//   BB/N.1/A.1/X.1    VERSION then POSITION against P/A.1/X.1
//   BB/N.1/B.1        REPLACE by P/B.2 (another id)
//   BB/N.1/C.1        REMOVED
//   BB/N.1/Evil<!--<script>.1  unchanged (a name the page must escape)
// Added PSN products, listed children first: P/D.1/E.1 under the added
// P/D.1, P/A.1/Y.1 under A.1, and P/Q.1/R.1 whose father Q.1 has no
// counterpart (as in a flattened black box), so it goes to the PSN node.
class DiffTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    c_.session = "hand.json";
    c_.blackBox = "BB.CATProduct";
    c_.psn = "P.CATProduct";
    c_.bbType = 2;
    c_.bbRootPath = "BB";
    c_.bbNodePath = "BB/N.1";
    c_.psnRootPath = "P";
    c_.bbList = ListOf({Rec("a", "BB/N.1/A.1"), Versioned("ax", "BB/N.1/A.1/X.1", "1"),
                        Rec("b", "BB/N.1/B.1"), Rec("c", "BB/N.1/C.1"),
                        Rec("e", "BB/N.1/Evil<!--<script>.1")});
    c_.psnList = ListOf({Rec("a", "P/A.1"), Versioned("ax", "P/A.1/X.1", "2"), Rec("b2", "P/B.2"),
                         Rec("e", "P/Evil<!--<script>.1"), Rec("d", "P/D.1"),
                         Rec("de", "P/D.1/E.1"), Rec("ay", "P/A.1/Y.1"), Rec("q", "P/Q.1"),
                         Rec("qr", "P/Q.1/R.1")});
    Entry("REMOVED", c_.bbList[4], c_.bbList[4]);
    Entry("REPLACE", c_.bbList[3], c_.psnList[3]);
    Entry("VERSION", c_.bbList[2], c_.psnList[2]);
    Entry("POSITION", c_.bbList[2], c_.psnList[2]);
    for (int i : {6, 5, 7, 9}) c_.added.Append(c_.psnList[i]);
    c_.nbDiff = c_.types.Size() + c_.added.Size();
  }

  void Entry(const char* iType, const KRVWD7PrdInfo& iBB, const KRVWD7PrdInfo& iPSN) {
    c_.types.Append(iType);
    c_.bbEntries.Append(iBB);
    c_.psnEntries.Append(iPSN);
  }

  // The node whose path is iPath.
  static int Find(const DiffTree& iTree, const std::string& iPath) {
    for (size_t n = 0; n < iTree.Nodes().size(); ++n) {
      if (iTree.PathOf(static_cast<int>(n)) == iPath) return static_cast<int>(n);
    }
    ADD_FAILURE() << "no node " << iPath;
    return 0;
  }

  Comparison c_;
};

TEST_F(DiffTreeTest, PairsEveryProductAndPlacesAddedProductsUnderTheirPsnFather) {
  DiffTree tree(c_);
  const auto& nodes = tree.Nodes();
  const struct {
    const char* path;
    const char* father;  // path of the parent node
    int bb, psn, added;  // indexes in the lists, 0 for none
    std::vector<int> entries;
  } expected[] = {
      {"BB/N.1", "BB", 0, 0, 0, {}},
      {"BB/N.1/A.1", "BB/N.1", 1, 1, 0, {}},           // by printable id
      {"BB/N.1/A.1/X.1", "BB/N.1/A.1", 2, 2, 0, {3, 4}},
      {"BB/N.1/B.1", "BB/N.1", 3, 3, 0, {2}},          // by its replacement entry
      {"BB/N.1/C.1", "BB/N.1", 4, 0, 0, {1}},          // removed: no PSN side
      {"P/D.1", "BB/N.1", 0, 5, 2, {}},                // father is the PSN root
      {"P/D.1/E.1", "P/D.1", 0, 6, 1, {}},             // father added too
      {"P/A.1/Y.1", "BB/N.1/A.1", 0, 7, 3, {}},        // father paired by id
      {"P/Q.1/R.1", "BB/N.1", 0, 9, 4, {}},            // father without counterpart
  };
  for (const auto& row : expected) {
    SCOPED_TRACE(row.path);
    const DiffTree::Node& node = nodes[Find(tree, row.path)];
    EXPECT_EQ(tree.PathOf(node.parent), row.father);
    EXPECT_EQ(node.bb, row.bb);
    EXPECT_EQ(node.psn, row.psn);
    EXPECT_EQ(node.added, row.added);
    EXPECT_EQ(node.entries, row.entries);
  }
  EXPECT_TRUE(nodes[Find(tree, "BB/N.1")].psnRoot);
  for (size_t n = 1; n < nodes.size(); ++n) EXPECT_LT(nodes[n].parent, static_cast<int>(n));
}

// Many more nodes than records (fathers that no record has, deep down) and
// a path listed twice: every node is made once, under its father, and the
// first record of a path keeps its node.
TEST_F(DiffTreeTest, MakesMissingFathersOnceAndKeepsTheFirstOfTwoEqualPaths) {
  c_ = Comparison();
  c_.bbRootPath = "BB";
  std::string deep = "BB";
  for (int level = 0; level < 40; ++level) deep += "/L" + std::to_string(level) + ".1";
  c_.bbList = ListOf({Rec("x", deep + "/X.1"), Rec("y", deep + "/Y.1"), Rec("x2", deep + "/X.1"),
                      Rec("m", "BB/L0.1/L1.1")});
  c_.psnRootPath = "P";
  c_.psnList = ListOf({Rec("x2", "P/X.1")});
  Entry("VERSION", c_.bbList[3], c_.psnList[1]);  // found by its path: the first X.1
  DiffTree tree(c_);
  const auto& nodes = tree.Nodes();
  ASSERT_EQ(nodes.size(), 1u + 40u + 3u);  // the second X.1 has a node of its own
  for (size_t n = 1; n < nodes.size(); ++n) {
    const std::string path = tree.PathOf(static_cast<int>(n));
    EXPECT_EQ(tree.PathOf(nodes[n].parent), path.substr(0, path.rfind('/')));
  }
  const DiffTree::Node& first = nodes[Find(tree, deep + "/X.1")];
  EXPECT_EQ(first.bb, 1);
  EXPECT_EQ(first.entries, std::vector<int>{1});
  EXPECT_EQ(first.psn, 1);
  ASSERT_EQ(nodes.back().bb, 3);  // the second X.1, made last but one record
  EXPECT_TRUE(nodes.back().entries.empty());
  EXPECT_EQ(nodes[Find(tree, deep + "/Y.1")].bb, 2);
  EXPECT_EQ(nodes[Find(tree, "BB/L0.1/L1.1")].bb, 4);  // made as a father first
}

// Two printable ids whose hashes agree in the tree's table: each black-box
// product still pairs with the PSN record of its own id.
TEST_F(DiffTreeTest, IdsOfOneHashPairWithTheirOwnRecords) {
  const std::string a = "ID17339", b = "ID78129";
  const auto low = [](const std::string& iId) {
    return static_cast<uint32_t>(std::hash<std::string_view>()(iId));
  };
  if (low(a) != low(b)) GTEST_SKIP() << "this standard library hashes the two ids apart";
  c_ = Comparison();
  c_.bbRootPath = "BB";
  c_.psnRootPath = "P";
  c_.bbList = ListOf({Rec(a, "BB/A.1"), Rec(b, "BB/B.1")});
  c_.psnList = ListOf({Rec(b, "P/B.1"), Rec(a, "P/A.1")});
  DiffTree tree(c_);
  EXPECT_EQ(tree.Nodes()[Find(tree, "BB/A.1")].psn, 2);
  EXPECT_EQ(tree.Nodes()[Find(tree, "BB/B.1")].psn, 1);
}

TEST_F(DiffTreeTest, RollsUpEveryDifferenceOnceByKind) {
  DiffTree tree(c_);
  EXPECT_EQ(tree.Total(0), c_.nbDiff);
  int counts[kDiffKinds];
  c_.CountKinds(counts);
  for (int k = 0; k < kDiffKinds; ++k) EXPECT_EQ(tree.CountsOf(0)[k], counts[k]) << KindName(k);
  const int a = Find(tree, "BB/N.1/A.1");
  EXPECT_EQ(tree.Total(a), 3);  // X.1's VERSION and POSITION, Y.1 added
  EXPECT_EQ(tree.CountsOf(a)[kVersion], 1);
  EXPECT_EQ(tree.CountsOf(a)[kPosition], 1);
  EXPECT_EQ(tree.CountsOf(a)[kAdded], 1);
  EXPECT_EQ(tree.OwnKinds(Find(tree, "BB/N.1/A.1/X.1")), (1u << kVersion) | (1u << kPosition));
  EXPECT_EQ(tree.Total(Find(tree, "BB/N.1/Evil<!--<script>.1")), 0);
}

TEST_F(DiffTreeTest, TextShowsOnlyBranchesWithDifferences) {
  DiffTree tree(c_);
  std::ostringstream out;
  PrintTree(tree, c_, 0, out);
  EXPECT_EQ(out.str(),
            "BB  8 differences: 1 REMOVED, 1 VERSION, 1 POSITION, 1 REPLACE, 4 ADDED\n"
            "└─ N.1  8 differences: 1 REMOVED, 1 VERSION, 1 POSITION, 1 REPLACE, 4 ADDED\n"
            "   ├─ A.1  3 differences: 1 VERSION, 1 POSITION, 1 ADDED\n"
            "   │  ├─ X.1  2 differences: 1 VERSION, 1 POSITION\n"
            "   │  │     VERSION  version 1 -> 2\n"
            "   │  │     POSITION  moved by up to 0\n"
            "   │  └─ Y.1  ADDED  part \"\", version \"\", revision \"\"\n"
            "   ├─ B.1  REPLACE  part \"\" -> \"\"\n"
            "   ├─ C.1  REMOVED\n"
            "   ├─ D.1  2 differences: 2 ADDED\n"
            "   │  │  ADDED  part \"\", version \"\", revision \"\"\n"
            "   │  └─ E.1  ADDED  part \"\", version \"\", revision \"\"\n"
            "   └─ R.1  ADDED  part \"\", version \"\", revision \"\"\n");
  // A roll-up wider than the output continues under its product.
  std::ostringstream narrow;
  PrintTree(tree, c_, 40, narrow);
  EXPECT_NE(narrow.str().find("BB  8 differences: 1 REMOVED, 1 VERSION,\n│      1 POSITION,"),
            std::string::npos)
      << narrow.str();
}

TEST_F(DiffTreeTest, JsonNodesCarryPathsCountsAndIndexes) {
  DiffTree tree(c_);
  std::ostringstream text;
  {
    JsonOut out(text);
    WriteTree(tree, c_, out);
    out.Finish();
  }
  nlohmann::json root = nlohmann::json::parse(text.str());
  EXPECT_EQ(root["total"], 8);
  EXPECT_EQ(root["counts"]["ADDED"], 4);
  EXPECT_TRUE(root["psnPath"].is_null());  // a type 2 root stands for no PSN product
  const nlohmann::json& node = root["children"][0];
  EXPECT_EQ(node["psnPath"], "P");
  std::map<std::string, nlohmann::json> by_name;
  for (const auto& child : node["children"]) by_name[child["name"]] = child;
  EXPECT_EQ(by_name.count("Evil<!--<script>.1"), 0u);  // no difference: not shown
  EXPECT_EQ(by_name["B.1"]["psnPath"], "P/B.2");
  EXPECT_EQ(by_name["B.1"]["differences"][0]["index"], 2);
  EXPECT_TRUE(by_name["R.1"]["bbPath"].is_null());
  EXPECT_EQ(by_name["R.1"]["differences"][0]["type"], "ADDED");
  EXPECT_EQ(by_name["R.1"]["differences"][0]["index"], 4);
}

// The data block of the page, parsed.
nlohmann::json PageData(const std::string& iPage) {
  const std::string open = "<script id=\"krvwd7-data\" type=\"application/json\">";
  size_t start = iPage.find(open);
  EXPECT_NE(start, std::string::npos);
  start += open.size();
  size_t end = iPage.find("</script>", start);
  return nlohmann::json::parse(iPage.substr(start, end - start));
}

TEST_F(DiffTreeTest, PageDataListsEveryNodeParentsFirstWithEveryDifference) {
  DiffTree tree(c_);
  std::ostringstream page;
  WriteHtml(c_, tree, page);
  // The script element is not closed early by a name that holds "<!--<script>".
  nlohmann::json data = PageData(page.str());
  EXPECT_EQ(page.str().find("Evil<!--"), std::string::npos);
  EXPECT_EQ(data["header"]["blackBox"], "BB.CATProduct");
  EXPECT_EQ(data["header"]["nbDiff"], 8);
  ASSERT_EQ(data["count"].get<size_t>(), tree.Nodes().size());
  for (size_t i = 0; i < tree.Nodes().size(); ++i) {
    EXPECT_LT(data["parent"][i].get<int>(), static_cast<int>(i));  // parents first
  }
  std::map<std::string, int> kinds;
  for (const auto& kind : data["diffs"]["kind"]) ++kinds[data["kinds"][kind.get<int>()]];
  EXPECT_EQ(kinds, (std::map<std::string, int>{
                       {"ADDED", 4}, {"POSITION", 1}, {"REMOVED", 1}, {"REPLACE", 1}, {"VERSION", 1}}));
}

}  // namespace
}  // namespace krvwd7
