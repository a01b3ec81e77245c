#include "CATListValKRVWD7PrdInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSessions.h"

namespace {

using krvwd7_test::ListOf;
using krvwd7_test::Paths;
using krvwd7_test::Rec;

// "A,B,C": the printable ids in order.
std::string Ids(const CATListValKRVWD7PrdInfo& iList) { return Paths(iList, true); }

// Three-way by instance path, for QuickSort and Compare.
int ByPath(KRVWD7PrdInfo* a, KRVWD7PrdInfo* b) {
  if (*a < *b) return -1;
  return *a > *b ? 1 : 0;
}

using CATListValKRVWD7PrdInfoTest = krvwd7_test::LeakCheckedTest;

TEST_F(CATListValKRVWD7PrdInfoTest, StoresCopies) {
  CATListValKRVWD7PrdInfo list;
  KRVWD7PrdInfo a = Rec("A");
  list.Append(a);
  a.SetPrintableId("CHANGED");
  EXPECT_EQ(Ids(list), "A");
  // A reference to a stored record reaches the copy itself.
  list[1].SetPrintableId("B");
  EXPECT_EQ(Ids(list), "B");
  // Built from pointers, null entries are skipped; a copy is independent.
  KRVWD7PrdInfo array[2] = {Rec("A"), Rec("C")};
  KRVWD7PrdInfo* pointers[4] = {&array[1], nullptr, &array[0], nullptr};
  CATListValKRVWD7PrdInfo from_pointers(pointers, 4);
  CATListValKRVWD7PrdInfo copy(from_pointers);
  copy[1].SetPrintableId("Z");
  EXPECT_EQ(Ids(from_pointers), "C,A");
  EXPECT_EQ(Ids(copy), "Z,A");
}

TEST_F(CATListValKRVWD7PrdInfoTest, EditsWithTheListItself) {
  CATListValKRVWD7PrdInfo list = ListOf({Rec("A"), Rec("B")});
  list.Replace(2, list[2]);  // replacing a record by itself
  list.Append(list);
  CATListValKRVWD7PrdInfo& alias = list;
  list = alias;  // self-assignment keeps everything
  EXPECT_EQ(Ids(list), "A,B,A,B");
}

TEST_F(CATListValKRVWD7PrdInfoTest, LocateFromAStartPosition) {
  CATListValKRVWD7PrdInfo list = ListOf({Rec("X"), Rec("A"), Rec("Y"), Rec("Z"), Rec("A")});
  const struct {
    int from, found;
  } rows[] = {{2, 2}, {3, 5}, {6, 0}, {0, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.from);
    EXPECT_EQ(list.Locate(Rec("A"), row.from), row.found);
  }
  EXPECT_EQ(list.NbOccur(Rec("A")), 2);
  // Identity by path when neither record has an id.
  CATListValKRVWD7PrdInfo paths = ListOf({Rec("", "R/P"), Rec("ID", "R/Q")});
  EXPECT_EQ(paths.Locate(Rec("", "R/Q")), 0);
  EXPECT_EQ(paths.Locate(Rec("", "R/P")), 1);
}

TEST_F(CATListValKRVWD7PrdInfoTest, RemoveTakesTheFirstOfEach) {
  CATListValKRVWD7PrdInfo two_a = ListOf({Rec("A"), Rec("B"), Rec("A"), Rec("C")});
  EXPECT_EQ(two_a.Remove(ListOf({Rec("A"), Rec("Q"), Rec("C")})), 2);
  EXPECT_EQ(Ids(two_a), "B,A");
}

TEST_F(CATListValKRVWD7PrdInfoTest, RemoveDuplicatesKeepsTheFirst) {
  CATListValKRVWD7PrdInfo list = ListOf(
      {Rec("A", "1"), Rec("B", "2"), Rec("A", "3"), Rec("A", "4"), Rec("C", "5")});
  CATListValKRVWD7PrdInfo copy(list);
  EXPECT_EQ(list.RemoveDuplicates(), 2);
  EXPECT_EQ(Paths(list), "1,2,5");
  CATListValKRVWD7PrdInfo removed = ListOf({Rec("OLD")});
  copy.RemoveDuplicates(removed);
  EXPECT_EQ(Ids(copy), "A,B,C");
  EXPECT_EQ(Ids(removed), "OLD,A,A");
  EXPECT_EQ(Paths(removed), ",3,4");
}

TEST_F(CATListValKRVWD7PrdInfoTest, IntersectionAppendsInReverse) {
  CATListValKRVWD7PrdInfo first = ListOf({Rec("A"), Rec("B"), Rec("C")});
  CATListValKRVWD7PrdInfo second = ListOf({Rec("C"), Rec("A")});
  CATListValKRVWD7PrdInfo result = ListOf({Rec("KEEP")});
  CATListValKRVWD7PrdInfo::Intersection(first, second, result);
  EXPECT_EQ(Ids(result), "KEEP,C,A");
  // The result may be one of the inputs.
  CATListValKRVWD7PrdInfo::Intersection(first, second, first);
  EXPECT_EQ(Ids(first), "A,B,C,C,A");
}

TEST_F(CATListValKRVWD7PrdInfoTest, ComparisonsLookAtSizeFirst) {
  CATListValKRVWD7PrdInfo three = ListOf({Rec("", "a"), Rec("", "a"), Rec("", "a")});
  CATListValKRVWD7PrdInfo two = ListOf({Rec("", "z"), Rec("", "z")});
  EXPECT_EQ(three > two, 1);
  EXPECT_EQ(three == two, 0);
  // Equal by identity yet ordered by path.
  CATListValKRVWD7PrdInfo x = ListOf({Rec("A", "p1"), Rec("B", "q")});
  CATListValKRVWD7PrdInfo y = ListOf({Rec("A", "p2"), Rec("B", "a")});
  EXPECT_EQ(x == y, 1);
  EXPECT_EQ(x < y, 1);  // first difference: p1 < p2
  EXPECT_EQ(x < x, 0);
  CATListValKRVWD7PrdInfo z = ListOf({Rec("A", "p1"), Rec("C", "q")});
  EXPECT_EQ(x == z, 0);
  EXPECT_EQ(x <= z, 1);  // same paths
  EXPECT_EQ(x >= z, 1);
}

TEST_F(CATListValKRVWD7PrdInfoTest, QuickSortAndCompareShareOneConvention) {
  CATListValKRVWD7PrdInfo list =
      ListOf({Rec("3", "c"), Rec("1", "a"), Rec("2", "b"), Rec("1bis", "a")});
  list.QuickSort(&ByPath);
  EXPECT_EQ(Ids(list), "1,1bis,2,3");  // stable for equal paths
  CATListValKRVWD7PrdInfo ab = ListOf({Rec("", "a"), Rec("", "b")});
  CATListValKRVWD7PrdInfo ac = ListOf({Rec("", "a"), Rec("", "c")});
  CATListValKRVWD7PrdInfo abc = ListOf({Rec("", "a"), Rec("", "b"), Rec("", "c")});
  EXPECT_EQ(CATListValKRVWD7PrdInfo::Compare(ab, ac, &ByPath), -1);
  EXPECT_EQ(CATListValKRVWD7PrdInfo::Compare(ac, abc, &ByPath), -1);
  EXPECT_EQ(CATListValKRVWD7PrdInfo::Compare(abc, ab, &ByPath), 1);
}

}  // namespace
