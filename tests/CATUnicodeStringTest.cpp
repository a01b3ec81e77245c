// Texts of the host: positions in characters, clamping, search, numbers,
// stream lines and ordering.
#include "CATUnicodeString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CATUtf8.h"

namespace {

TEST(CATUnicodeStringTest, SubStringIsClampedToTheText) {
  const CATUnicodeString abc("abc");
  EXPECT_EQ(abc.SubString(1, 100), "bc");
  EXPECT_EQ(abc.SubString(10, 2), "");
  EXPECT_EQ(abc.SubString(-2, 2), "ab");
  EXPECT_EQ(abc.SubString(1, -1), "");
}

// Character positions skip runs of ASCII bytes eight at a time: on texts
// mixing long runs with multi-byte characters and stray bytes, lengths and
// substrings agree with a walk of one character at a time.
TEST(CATUnicodeStringTest, CharacterPositionsAcrossAsciiRuns) {
  const std::string pieces[] = {"abcdefghijk", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\xFF", "x", "\xC3"};
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int n = random() % 8; n > 0; --n) text += pieces[random() % 7];
    std::vector<size_t> starts;  // byte offset of every character, then the end
    for (size_t i = 0; i < text.size(); i += CATUtf8::CharLength(text, i)) starts.push_back(i);
    const int length = static_cast<int>(starts.size());
    starts.push_back(text.size());
    const CATUnicodeString unicode(text);
    SCOPED_TRACE(text);
    ASSERT_EQ(unicode.GetLengthInChar(), length);
    for (int from = 0; from <= length; ++from) {
      for (int count = 0; count <= length - from + 1; ++count) {
        const size_t end = starts[std::min(from + count, length)];
        ASSERT_EQ(unicode.SubString(from, count).ToStdString(),
                  text.substr(starts[from], end - starts[from]))
            << from << "+" << count;
      }
    }
  }
}

TEST(CATUnicodeStringTest, SearchSubStringForwardAndBackward) {
  const CATUnicodeString text("a.b.c");
  struct Case {
    const char* needle;
    int start, mode, expected;
  };
  const Case kCases[] = {
      {".", 2, 1, 3},  {".", 4, 1, -1}, {".", -5, 1, 1},   {".", -1, 2, 3},
      {".", 2, 2, 1},  {".", 0, 2, -1}, {"a.b.c", -1, 2, 0}, {"", 2, 1, 2},
      {".", 0, 3, -1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.needle << " from " << c.start << " mode " << c.mode);
    EXPECT_EQ(text.SearchSubString(c.needle, c.start, c.mode), c.expected);
  }
}

TEST(CATUnicodeStringTest, NonAsciiTextCountsCharacters) {
  CATUnicodeString nut("Écrou_ø");
  EXPECT_EQ(nut.GetLengthInChar(), 7);
  EXPECT_EQ(nut.GetLengthInByte(), 9);
  EXPECT_EQ(nut.SearchSubString("ø"), 6);
  EXPECT_EQ(nut.SearchSubString("c", -1, 2), 1);
  EXPECT_EQ(nut.SubString(5, 10), "_ø");
  // A byte inside a character is no match.
  EXPECT_EQ(nut.SearchSubString("\x89"), -1);
  nut.Insert(1, "X");
  nut.Remove(6, 2);
  nut.Insert(99, "ø");
  EXPECT_EQ(nut, "ÉXcrouø");
  nut.ToUpper();  // ASCII letters only
  EXPECT_EQ(nut, "ÉXCROUø");
}

TEST(CATUnicodeStringTest, ReplaceAllCountsNonOverlappingReplacements) {
  CATUnicodeString text("aaaa");
  EXPECT_EQ(text.ReplaceAll("aa", "b"), 2);
  EXPECT_EQ(text, "bb");
  text = "ab";
  EXPECT_EQ(text.ReplaceAll("a", "aa"), 1);  // no rescan of the new text
  EXPECT_EQ(text, "aab");
  EXPECT_EQ(text.ReplaceAll("", "x"), 0);
}

TEST(CATUnicodeStringTest, NumbersFromAndToText) {
  int value = 99;
  EXPECT_EQ(CATUnicodeString("12abc").ConvertToNum(&value, "%d"), 1);
  EXPECT_EQ(value, 12);
  value = 99;
  EXPECT_EQ(CATUnicodeString("abc").ConvertToNum(&value, "%d"), 0);
  EXPECT_EQ(value, 99);
  EXPECT_EQ(CATUnicodeString("99999999999").ConvertToNum(&value, "%d"), 0);
  CATUnicodeString text("old");
  EXPECT_EQ(text.BuildFromNum(-42, "%d"), 1);
  EXPECT_EQ(text, "-42");
  EXPECT_EQ(text.BuildFromNum(7, "%s"), 0);  // does not fit an int
  EXPECT_EQ(text, "");
}

TEST(CATUnicodeStringTest, BuildFromStreamReadsLinesWithoutTheirEnd) {
  std::istringstream in("one\r\n\r\ntwo");
  CATUnicodeString line;
  for (const char* expected : {"one", "", "two"}) {
    ASSERT_EQ(line.BuildFromStream(in), 1);
    EXPECT_EQ(line, expected);
  }
  EXPECT_EQ(line.BuildFromStream(in), 0);
  EXPECT_EQ(line, "");
}

// Code-point order: non-ASCII characters come after every ASCII one.
TEST(CATUnicodeStringTest, OrderIsByCodePoint) {
  EXPECT_LT(CATUnicodeString("B"), CATUnicodeString("a"));
  EXPECT_LT(CATUnicodeString("z"), CATUnicodeString("É"));
}

}  // namespace
