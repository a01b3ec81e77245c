// Fuzz target for the old PSN files that the PSN file writer reads: the
// reading of link and collapsed-part entries, the rewriting of the parts'
// references, and the two steps that then work on what the file held (link
// identifiers to entity references, collapsed parts that a selected object
// covers).
//
// Every input must go through without a crash, a hang or a sanitizer
// report. On inputs small enough for the plain forms of the two steps
// (tests/PSNFileTestSupport.h), the linear forms must give the same texts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "KRVWD7PSNFileText.h"
#include "PSNFileTestSupport.h"

namespace {

[[noreturn]] void Fail(const char* iWhat, const std::string& iInput) {
  std::fprintf(stderr, "PSN file steps: %s\ninput (%zu bytes):\n%s\n", iWhat, iInput.size(),
               iInput.c_str());
  std::abort();
}

std::vector<std::string*> Pointers(std::vector<std::string>& ioTexts) {
  std::vector<std::string*> pointers;
  for (std::string& text : ioTexts) pointers.push_back(&text);
  return pointers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  const std::string input(reinterpret_cast<const char*>(iData), iSize);
  std::istringstream in(input);
  krvwd7_core::PSNOldEntries entries;
  krvwd7_core::ReadPSNEntries(in, entries);
  if (entries.linkRefs.size() != entries.linkIds.size()) Fail("unpaired links", input);
  const size_t parts = entries.collapsedParts.size();
  krvwd7_core::RewriteCollapsedParts(entries);
  if (entries.collapsedParts.size() != parts) Fail("parts lost in rewriting", input);

  // The link list of a black box without components: the file's links,
  // duplicates removed; the texts: the parts and link texts made of the
  // identifiers, last first, as components give them.
  std::vector<std::string_view> links(entries.linkIds.begin(), entries.linkIds.end());
  krvwd7_core::RemoveDuplicates(links);
  std::vector<std::string> texts = entries.collapsedParts;
  for (size_t k = 0; k + 1 < links.size(); k += 2) {
    texts.push_back(std::string(links[k + 1]) + "," + std::string(links[k]));
  }
  const bool small = input.size() <= 2048 && links.size() <= 64;

  std::vector<std::string> linear = texts;
  krvwd7_core::ReplaceLinksByEntities(links, 2, Pointers(linear));
  if (small) {
    std::vector<std::string> plain = texts;
    krvwd7_test::FinalReferencesReplaceLinks(links, 2, Pointers(plain));
    if (plain != linear) Fail("link substitution differs from its plain form", input);
  }

  // Selected lists: the substituted link texts behind a document link.
  std::vector<std::string> selected;
  for (size_t t = parts; t < linear.size(); ++t) selected.push_back("#1," + linear[t]);
  std::vector<std::string> kept(linear.begin(), linear.begin() + parts);
  std::vector<std::string> plain_kept = kept;
  krvwd7_core::DropCoveredCollapsedParts(selected, kept);
  if (small) {
    krvwd7_test::PlainDropCovered(selected, plain_kept);
    if (plain_kept != kept) Fail("covered parts differ from the plain loop", input);
  }
  return 0;
}
