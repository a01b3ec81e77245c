// Phases 1 and 2 of the difference identification written as the plain
// first-to-last scans they are: every black-box record searched in the PSN
// list, every unpaired PSN record in the black-box list. The library
// answers the same searches from indexes; tests check on generated lists
// that both give the same entries, added products and trace, and the
// benchmark measures the gain.
#ifndef KRVWD7_TESTS_SUPPORT_PLAINSCANDIFFERENCES_H_
#define KRVWD7_TESTS_SUPPORT_PLAINSCANDIFFERENCES_H_

#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATRawCollint.h"

namespace krvwd7_test {

// What phases 1 and 2 hand on: the entries, the added products and their
// count, and for phase 3 the removed records with the positions of their
// entries.
struct PlainScanOutputs {
  CATListValKRVWD7PrdInfo inBB, inPSN, added;
  CATListValCATUnicodeString types;
  int count = 0;
  CATListValKRVWD7PrdInfo removed;
  CATRawCollint removedEntries;
  // The trace lines of both phases, "[PERFO]" times written as "[T]".
  std::vector<std::string> trace;
};

void PlainScanPhases(const CATBaseUnknown_var& iPSNRoot,
                     const CATListValKRVWD7PrdInfo& iListBB,
                     const CATListValKRVWD7PrdInfo& iListPSN, int iBBType,
                     unsigned char iIsFlatten, PlainScanOutputs& oOut);

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_SUPPORT_PLAINSCANDIFFERENCES_H_
