// The text work of the PSN file writer (KRVEWD7BlackBoxServices::
// UpdatePSNFile) that needs no host object: reading the link and
// collapsed-part entries of an old PSN file, rewriting the collapsed parts'
// references, resolving the target file name, putting entity references in
// place of link identifiers, and dropping the collapsed parts that a
// selected object now covers. The operation calls them in its order; tests
// and the fuzz target call them directly. Not exported. The link and
// collapsed-part steps have sources of their own (KRVWD7PSNFileLinks.cpp,
// KRVWD7PSNFileCollapsed.cpp); their hashes are in KRVWD7PSNFileHash.h.
//
// Texts are bytes (UTF-8 as the host keeps them). Every function here takes
// time linear in its input, whatever the input holds (see each one for the
// exact bound), so that an old file from outside can neither crash nor hang
// the writer.
#ifndef KRVWD7CORE_SRC_KRVWD7PSNFILETEXT_H_
#define KRVWD7CORE_SRC_KRVWD7PSNFILETEXT_H_

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CATUnicodeString.h"

namespace krvwd7_core {

// What an old PSN file gives: the link entities (reference "#7" and link
// identifier, two parallel lists, in file order) and the collapsed parts.
struct PSNOldEntries {
  std::vector<std::string> linkRefs;
  std::vector<std::string> linkIds;
  std::vector<std::string> collapsedParts;
};

// Reads lines until iStream is no longer good, tracing each read ("%s\n",
// also the empty read that meets the end of the file) and each entity it
// recognises. A line that holds "=Clink(" and ") ;" gives a link (the
// reference is what precedes "=Clink(", the identifier what lies between
// the two, or "" when ") ;" comes first, without its first "\"0" and then
// its first remaining "\""); else one that holds "=CollapsedPart(" and
// ") ;" gives a collapsed part the same way. Other lines are ignored.
// oEntries is cleared first; its parts are not yet rewritten.
void ReadPSNEntries(std::istream& iStream, PSNOldEntries& oEntries);

// Replaces, in every collapsed part, each reference to a link entity by
// that entity's identifier. A reference starts at a "#" and ends before the
// next "," (before ")," when the comma follows a ")"); it is looked up among
// linkRefs (the first equal one wins). Scanning goes on after the text put
// in (or after the "#" of a reference that names no link entity, which
// stays as written), so neither an identifier that holds "#" nor a
// reference cycle is looked at twice; the scan of a part ends when no "#"
// or no "," after it is left. Linear in the parts' length.
void RewriteCollapsedParts(PSNOldEntries& ioEntries);

// The target file name for iName with the default PSN directory
// iDirectory: iName itself when it begins with the directory (upper-case
// comparison) or holds a "\", otherwise iDirectory + "\" + iName (with a
// non-empty directory); then ".psn" appended unless the name ends with it
// (case-sensitive). Only "\" counts as a directory separator. With iTrace,
// writes the resolution's trace from "Default Directory=[...]" to
// "<< SetPSNFilename".
CATUnicodeString ResolvePSNFilename(const CATUnicodeString& iName,
                                    const CATUnicodeString& iDirectory,
                                    bool iTrace);

// The four fixed-width fields of a document's storage name. A name ending
// in ".cgr" is read after its last iSeparator (searched before the
// extension): environment (8 characters), table (18), COID (16), compid
// (16); any other name from its start: COID, compid, environment, table.
// Fields beyond the end of the name are empty or cut.
struct PSNDocumentFields {
  CATUnicodeString env, table, coid, compid;
};
PSNDocumentFields SplitStorageName(const CATUnicodeString& iStorage,
                                   const CATUnicodeString& iSeparator);

// Puts entity references in place of link identifiers: for each identifier
// iLinks[k] in turn, every occurrence in every text becomes "#" followed by
// iFirstEntity + k (iLinks holds no duplicates; an empty one replaces
// nothing). Occurrences are taken from the left without overlapping, as a
// plain replacement does, and only on character boundaries. A reference
// put in is final: a later identifier is never matched inside or across it
// (a plain replacement would, for an identifier such as "2" or "#5", and
// could make a text grow without bound); on identifiers that hold no "#"
// and texts in which every identifier is delimited (every well-formed file)
// the two agree byte for byte. Time: linear in the texts and identifiers
// times the number of distinct identifier lengths, plus the number of
// occurrences times its logarithm.
void ReplaceLinksByEntities(const std::vector<std::string_view>& iLinks,
                            int iFirstEntity,
                            const std::vector<std::string*>& ioTexts);

// Keeps the first of equal texts, in their order. Linear.
void RemoveDuplicates(std::vector<std::string_view>& ioTexts);

// The text a selected object must hold to cover a collapsed part: the part
// without its first "1,(", then its first "2,(", then its first "),()".
std::string CollapsedPartKey(const std::string& iPart);

// Removes from ioParts, keeping the order of the others, every part whose
// key some text of iSelected contains (an empty key is in any text, so it
// goes as soon as there is one selected object). Linear in the texts and
// keys (one automaton over the keys).
void DropCoveredCollapsedParts(const std::vector<std::string>& iSelected,
                               std::vector<std::string>& ioParts);

// The two steps whose plain form costs (identifiers x texts) and (selected
// objects x parts). Tests put their plain forms here (SetPSNFileStepsFor
// Testing) to check that both write the same files; null restores the
// ones above.
struct PSNFileSteps {
  void (*replaceLinks)(const std::vector<std::string_view>& iLinks,
                       int iFirstEntity,
                       const std::vector<std::string*>& ioTexts);
  void (*dropCovered)(const std::vector<std::string>& iSelected,
                      std::vector<std::string>& ioParts);
};
const PSNFileSteps& CurrentPSNFileSteps();
void SetPSNFileStepsForTesting(const PSNFileSteps* iSteps);

}  // namespace krvwd7_core

#endif  // KRVWD7CORE_SRC_KRVWD7PSNFILETEXT_H_
