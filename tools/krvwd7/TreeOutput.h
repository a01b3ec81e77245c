// The tree of a comparison as text (krvwd7 diff --tree) and as the "tree"
// member of diff's JSON.
//
// Only the branches that hold a difference are shown. A product with one
// difference and nothing below it is one line, "Axle.1  VERSION  version
// 1 -> 2"; any other product of the tree shows the roll-up of its branch,
// "Chassis.1  3 differences: 1 VERSION, 2 POSITION" (kinds in the order of
// DiffKind), then its own differences on lines of their own, then its
// children.
#ifndef KRVWD7_TOOL_TREEOUTPUT_H_
#define KRVWD7_TOOL_TREEOUTPUT_H_

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "DiffTree.h"

namespace krvwd7 {

class JsonOut;

// "1 VERSION", "2 POSITION", ... for the kinds counted, in DiffKind order.
std::vector<std::string> CountTexts(const std::array<int, kDiffKinds>& iCounts);

// Prints the tree; a roll-up longer than iWidth (0: no limit) is wrapped.
void PrintTree(const DiffTree& iTree, const Comparison& iComparison, int iWidth,
               std::ostream& oOut);

// Writes the tree as one JSON object: per node "name", "bbPath" and
// "psnPath" (null where there is none), "total" and "counts" (by kind, of
// the branch), "differences" (its own: type, change, and the 1-based index
// of the entry, or of the added record for "ADDED") and "children".
void WriteTree(const DiffTree& iTree, const Comparison& iComparison, JsonOut& oOut);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_TREEOUTPUT_H_
