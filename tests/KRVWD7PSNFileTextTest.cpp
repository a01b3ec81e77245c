// The text steps of the PSN file writer, one group per step: old-file
// reading, collapsed-part rewriting, target name, storage names, link
// substitution (against its plain form) and covered collapsed parts.
#include "KRVWD7PSNFileText.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "PSNFileTestSupport.h"
#include "TestSessions.h"

namespace krvwd7_core {
namespace {

using krvwd7_test::FinalReferencesReplaceLinks;
using krvwd7_test::PlainDropCovered;
using krvwd7_test::PlainReplaceLinks;
using krvwd7_test::Views;

PSNOldEntries Read(const std::string& iText) {
  std::istringstream in(iText);
  PSNOldEntries entries;
  ReadPSNEntries(in, entries);
  return entries;
}

// --- Reading the old file ---------------------------------------------------------------

TEST(PSNOldFileTest, ReadsLinksAndCollapsedPartsWithoutQuoteZero) {
  KRVWD7UtiTracer::ToMemory();
  const PSNOldEntries entries = Read(
      "PSN\n"
      "#2=Clink(\"00000000000000A01\") ;\n"
      "#3=Clink(\"0AB\"C\") ;\r\n"                        // first remaining quote only
      "#4=RootPart('E','PART_LIST',\"0X\",\"0\") ;\n"      // ignored
      "#5=CollapsedPart(1,(#2,#3),()) ;\n"
      ") ;#6=Clink(\"0Z\")\n"                              // ") ;" first: empty content
      "#7=CollapsedPart(1,(#2),())\n"                      // no ") ;": ignored
      "#8=Clink(\"0Q\") ;=CollapsedPart(1,(#8),()) ;\n");  // a link line
  EXPECT_EQ(entries.linkRefs, (std::vector<std::string>{"#2", "#3", ") ;#6", "#8"}));
  EXPECT_EQ(entries.linkIds, (std::vector<std::string>{"0000000000000A01", "ABC\"", "", "Q"}));
  EXPECT_EQ(entries.collapsedParts, (std::vector<std::string>{"1,(#2,#3),()"}));
  const std::vector<std::string>& trace = KRVWD7UtiTracer::Lines();
  ASSERT_GE(trace.size(), 3u);
  EXPECT_EQ(trace[0], "PSN\n");
  EXPECT_EQ(trace[1], "#2=Clink(\"00000000000000A01\") ;\n");
  EXPECT_EQ(trace[2], "\tClink identified:'#2'=Clink('\"00000000000000A01\"') ;\n");
  EXPECT_TRUE(krvwd7_test::Traced("\tCollapsedPart identified:'#5'=CollapsedPart('1,(#2,#3),()') ;\n"));
  // The read that meets the end of the file is traced as an empty line.
  EXPECT_EQ(trace.back(), "\n");
}

TEST(PSNOldFileTest, BinaryDataAndLongLinesAreReadWhole) {
  const char kBinary[] = "\0\xff\x80#2=Clink(\"0\xc3\xa9\0x\") ;";
  const std::string text = std::string(kBinary, sizeof kBinary - 1) + "\n#3=CollapsedPart(" + std::string(10 << 20, '#') + ",) ;";
  const PSNOldEntries entries = Read(text);
  ASSERT_EQ(entries.linkIds.size(), 1u);
  EXPECT_EQ(entries.linkIds[0], std::string("\xc3\xa9\0x", 4));
  ASSERT_EQ(entries.collapsedParts.size(), 1u);
  EXPECT_EQ(entries.collapsedParts[0].size(), (10u << 20) + 1);
}

// --- Rewriting collapsed parts --------------------------------------------------------

TEST(PSNOldFileTest, CollapsedPartReferencesBecomeLinkIdentifiers) {
  struct Case {
    const char* name;
    std::vector<std::string> parts, expected;
  };
  // #7 is X, #5 is Y, #8 is "#5" (an identifier holding "#"), and #5
  // appears again with another identifier (the first wins).
  const std::vector<std::string> refs = {"#7", "#5", "#8", "#5"};
  const std::vector<std::string> ids = {"X", "Y", "#5", "Z"};
  const Case cases[] = {
      {"two references", {"1,(#7,#5),()"}, {"1,(X,Y),()"}},
      {"no comma after the last: stays", {"1,(#7,#5)"}, {"1,(X,#5)"}},
      {"a reference naming no link stays", {"1,(#9,#5),()"}, {"1,(#9,Y),()"}},
      {"an identifier holding # is final", {"1,(#8,#7),()"}, {"1,(#5,X),()"}},
      {"not a \")\" before the comma", {"#7)x,#5,"}, {"#7)x,Y,"}},
      {"several # before one comma", {"##7,"}, {"#X,"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PSNOldEntries entries;
    entries.linkRefs = refs;
    entries.linkIds = ids;
    entries.collapsedParts = c.parts;
    RewriteCollapsedParts(entries);
    EXPECT_EQ(entries.collapsedParts, c.expected);
  }
}

TEST(PSNOldFileTest, RewritingLongPartsEnds) {
  // A long run of "#" before one comma, with references of every length
  // from 1 to 200 in the table, and a million resolvable references.
  PSNOldEntries entries;
  for (int n = 1; n <= 200; ++n) {
    entries.linkRefs.push_back(std::string(n, '#') + "x");
    entries.linkIds.push_back("L" + std::to_string(n));
  }
  entries.linkRefs.push_back("#1");
  entries.linkIds.push_back("A");
  std::string many;
  for (int k = 0; k < 1000000; ++k) many += "#1,";
  entries.collapsedParts = {std::string(1 << 21, '#') + "x,", many};
  RewriteCollapsedParts(entries);
  EXPECT_EQ(entries.collapsedParts[0], std::string((1 << 21) - 200, '#') + "L200,");
  EXPECT_EQ(entries.collapsedParts[1].size(), 2000000u);
  EXPECT_EQ(entries.collapsedParts[1].substr(0, 6), "A,A,A,");
}

// --- Target file name --------------------------------------------------------------------

TEST(PSNTargetNameTest, DefaultDirectoryAndExtension) {
  struct Case {
    const char *directory, *name, *expected;
  };
  const Case cases[] = {
      {"D:\\psn", "part", "D:\\psn\\part.psn"},
      {"D:\\psn", "d:\\PSN\\part.psn", "d:\\PSN\\part.psn"},  // case ignored
      {"D:\\psn", "sub\\part", "sub\\part.psn"},              // its own folder
      {"D:\\psn", "part.PSN", "D:\\psn\\part.PSN.psn"},       // case-sensitive
      {"D:\\psn", "/data/part.psn", "D:\\psn\\/data/part.psn"},  // "/" is no folder
      {"", "part", "part.psn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.directory) + " | " + c.name);
    EXPECT_EQ(ResolvePSNFilename(c.name, c.directory, false).ToStdString(), c.expected);
  }
}

TEST(PSNTargetNameTest, TracesEachCase) {
  KRVWD7UtiTracer::ToMemory();
  ResolvePSNFilename("part", "D:\\psn", true);
  EXPECT_TRUE(krvwd7_test::Traced("2.2 Case PSN filename does not start with the PSN directory"));
  EXPECT_TRUE(krvwd7_test::Traced("Final file name=[D:\\psn\\part.psn]"));
  KRVWD7UtiTracer::ToMemory();
  ResolvePSNFilename("d:\\PSN\\a", "D:\\psn", true);
  EXPECT_TRUE(krvwd7_test::Traced("Default directory position in file name=0"));
  EXPECT_TRUE(krvwd7_test::Traced("2.1 Case PSN filename starts with the default directory"));
}

// --- Storage names --------------------------------------------------------------------------

TEST(PSNStorageNameTest, BothLayoutsAndShortNames) {
  const std::string vpm = krvwd7_test::VpmStorage(0xD1, 0xC1, "CAD_MODEL");
  const std::string cgr_tail = vpm.substr(32, 26) + vpm.substr(0, 32) + ".cgr";
  // The fields as "env|table|coid|compid".
  const std::string fields = "VPMENV  |CAD_MODEL         |00000000000000D1|00000000000000C1";
  const struct {
    const char* name;
    std::string storage;
    const char* separator;
    std::string fields;
  } cases[] = {
      {"VPM name", vpm, "/", fields},
      {"cgr, /", "/cache/x/" + cgr_tail, "/", fields},
      {"cgr, \\", "C:\\cache\\" + cgr_tail, "\\", fields},
      {"cgr, \\ name read with /", "C:\\cache\\" + cgr_tail, "/",
       "C:\\cache|\\" + cgr_tail.substr(0, 17) + "|" + cgr_tail.substr(17, 16) + "|" +
           cgr_tail.substr(33, 16)},
      {"cgr without separator", cgr_tail, "/", fields},
      {"short cgr", "/c/AB.cgr", "/", "AB.cgr|||"},
      {"short VPM name", "0123456789ABCDEF01", "/", "||0123456789ABCDEF|01"},
      {"empty", "", "/", "|||"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PSNDocumentFields split = SplitStorageName(c.storage, c.separator);
    EXPECT_EQ(split.env.ToStdString() + "|" + split.table.ToStdString() + "|" +
                  split.coid.ToStdString() + "|" + split.compid.ToStdString(),
              c.fields);
  }
}

// --- Link identifiers to entity references ------------------------------------------------

// A text of iMin to iMax characters drawn from iAlphabet.
std::string Word(std::mt19937& ioRandom, const std::string& iAlphabet, int iMin, int iMax) {
  std::string text;
  const int length = iMin + static_cast<int>(ioRandom() % (iMax - iMin + 1));
  for (int i = 0; i < length; ++i) text += iAlphabet[ioRandom() % iAlphabet.size()];
  return text;
}

std::vector<std::string*> Pointers(std::vector<std::string>& ioTexts) {
  std::vector<std::string*> pointers;
  for (std::string& text : ioTexts) pointers.push_back(&text);
  return pointers;
}

TEST(PSNLinkSubstitutionTest, AgreesWithPlainReplacementOnWellFormedTexts) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    // Identifiers of 16 hexadecimal characters, some sharing long
    // prefixes; texts of them joined by "," as link texts and collapsed
    // parts are, with identifiers that are in no list.
    std::vector<std::string> links;
    const int count = 1 + static_cast<int>(random() % 60);
    for (int k = 0; k < count; ++k) links.push_back(MemBuilder::Hex16(random() % 97 + (k % 3) * 0x100));
    std::sort(links.begin(), links.end());
    links.erase(std::unique(links.begin(), links.end()), links.end());
    std::shuffle(links.begin(), links.end(), random);
    std::vector<std::string> texts;
    for (int t = 0; t < 30; ++t) {
      std::string text = t % 2 ? "1,(" : "";
      const int parts = static_cast<int>(random() % 5);
      for (int p = 0; p < parts; ++p) {
        if (p) text += ",";
        text += random() % 4 ? links[random() % links.size()] : MemBuilder::Hex16(0xFFFF00 + p);
      }
      texts.push_back(text + (t % 2 ? "),()" : ""));
    }
    std::vector<std::string> plain = texts;
    ReplaceLinksByEntities(Views(links), 2, Pointers(texts));
    PlainReplaceLinks(Views(links), 2, Pointers(plain));
    EXPECT_EQ(texts, plain);
  }
}

TEST(PSNLinkSubstitutionTest, ReferencesPutInAreFinalOnAnyText) {
  // Short identifiers over a small alphabet (with "#", digits, "," and
  // bytes of a two-byte character) find every overlap the plain
  // replacement could have; the linear form must agree with the byte-wise
  // plain form that keeps references final.
  const std::string alphabet = "ab#1,2\xc3\xa9";
  std::mt19937 random(11);
  auto word = [&](int iMax) { return Word(random, alphabet, 1, iMax); };
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> links;
    for (int k = 0; k < 6; ++k) {
      const std::string link = word(3);
      if (std::find(links.begin(), links.end(), link) == links.end()) links.push_back(link);
    }
    std::vector<std::string> texts = {word(40), word(40), ""};
    std::vector<std::string> reference = texts;
    ReplaceLinksByEntities(Views(links), 8, Pointers(texts));
    FinalReferencesReplaceLinks(Views(links), 8, Pointers(reference));
    EXPECT_EQ(texts, reference);
  }
}

TEST(PSNLinkSubstitutionTest, WhereThePlainReplacementRewritesItsOwnReferences) {
  // "5" would be found again inside "#5" by a plain replacement.
  const std::vector<std::string> links = {"AB", "5", "C"};
  std::vector<std::string> texts = {"AB,5,C", "\xc3\xa9", ""};
  std::vector<std::string> plain = texts;
  ReplaceLinksByEntities(Views(links), 5, Pointers(texts));
  PlainReplaceLinks(Views(links), 5, Pointers(plain));
  EXPECT_EQ(texts[0], "#5,#6,#7");
  EXPECT_EQ(plain[0], "##6,#6,#7");
  // No match inside a character.
  std::vector<std::string> inside = {"\xc3\xa9"};
  ReplaceLinksByEntities({"\xa9"}, 2, Pointers(inside));
  EXPECT_EQ(inside[0], "\xc3\xa9");
}

TEST(PSNLinkSubstitutionTest, DuplicatesKeepTheFirst) {
  const std::vector<std::string> texts = {"B", "A", "B", "", "C", "A", ""};
  std::vector<std::string_view> views = Views(texts);
  RemoveDuplicates(views);
  EXPECT_EQ(views, (std::vector<std::string_view>{"B", "A", "", "C"}));
}

// --- Collapsed parts covered by a selected object -----------------------------------------

TEST(PSNCoveredPartsTest, KeyDropsFirstMarkersOnly) {
  EXPECT_EQ(CollapsedPartKey("1,(#7,#5),()"), "#7,#5");
  EXPECT_EQ(CollapsedPartKey("1,(#a),2,(#b),()"), "#a),#b");
  EXPECT_EQ(CollapsedPartKey("1,(1,(x),()),()"), "1,(x),()");
  EXPECT_EQ(CollapsedPartKey("1,(),()"), "");
}

TEST(PSNCoveredPartsTest, AgreesWithPlainLoop) {
  const std::string alphabet = "#12,()\xc3\xa9";
  std::mt19937 random(3);
  auto word = [&](int iMax) { return Word(random, alphabet, 0, iMax); };
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> selected;
    for (int s = static_cast<int>(random() % 4); s > 0; --s) selected.push_back(word(30));
    std::vector<std::string> parts;
    for (int p = 0; p < 8; ++p) {
      parts.push_back(random() % 2 ? "1,(" + word(4) + "),()" : word(6));
    }
    std::vector<std::string> plain = parts;
    DropCoveredCollapsedParts(selected, parts);
    PlainDropCovered(selected, plain);
    EXPECT_EQ(parts, plain);
  }
}

}  // namespace
}  // namespace krvwd7_core
