// The host's 1-based lists and its tokenizer.
#include <gtest/gtest.h>

#include <vector>

#include "CATBaseUnknown.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATListValCATUnicodeString.h"
#include "CATToken.h"

namespace {

TEST(CATListTest, TextListPositionsStartAtOne) {
  CATListValCATUnicodeString list = {"a", "b", "a", "c", "b"};
  EXPECT_EQ(list[5], "b");
  EXPECT_EQ(list.Locate("b", 3), 5);
  EXPECT_EQ(list.Locate("b", 6), 0);
  EXPECT_EQ(list.Locate("a", 0), 1);
  EXPECT_EQ(list.RemoveDuplicates(), 2);
  list.InsertAt(list.Size() + 1, "last");
  EXPECT_EQ(list, CATListValCATUnicodeString({"a", "b", "c", "last"}));
  EXPECT_EQ(list.RemoveValue("b"), 2);
  EXPECT_EQ(list.RemoveValue("b"), 0);
}

TEST(CATListTest, PositionOutOfRangeAbortsWithAMessage) {
  CATListValCATUnicodeString list = {"a", "b"};
  EXPECT_DEATH(list[0], "CATListValCATUnicodeString: position 0 out of range 1..2");
  EXPECT_DEATH(list.InsertAt(4, "x"), "position 4 out of range 1..3");
}

TEST(CATListTest, HandleListRemovesDuplicatesByIdentity) {
  const long live = CATBaseUnknown::LiveObjects();
  {
    CATBaseUnknown_var objects[2];
    for (auto& object : objects) {
      CATBaseUnknown* raw = new CATBaseUnknown;
      object = raw;
      raw->Release();  // the handle holds the only reference
    }
    const CATBaseUnknown_var empty;
    CATListValCATBaseUnknown_var list;
    for (const auto& h : {objects[0], objects[1], objects[0], empty, empty, objects[1]}) {
      list.Append(h);
    }
    EXPECT_EQ(list.Locate(empty), 4);
    EXPECT_EQ(list.RemoveDuplicates(), 3);
    ASSERT_EQ(list.Size(), 3);
    EXPECT_TRUE(list[2] == objects[1]);
    EXPECT_TRUE(list[3] == empty);
  }
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), live);
}

TEST(CATListTest, TokenGivesPiecesThenEmptyTexts) {
  struct Case {
    const char *text, *separators;
    std::vector<const char*> pieces;
  };
  const Case kCases[] = {
      {"/a//b/", "/", {"a", "b"}},
      {"x·y", "·", {"x", "y"}},
      {"///", "/", {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    CATToken token(c.text);
    for (const char* piece : c.pieces) EXPECT_EQ(token.GetNextToken(c.separators), piece);
    EXPECT_EQ(token.GetNextToken(c.separators), "");
    EXPECT_EQ(token.GetNextToken(c.separators), "");
  }
}

}  // namespace
