// The HTML report of a comparison (krvwd7 diff --html FILE).
//
// One self-contained file: its styles, its script and its data are inline,
// and a content security policy forbids the page any network access. The
// page shows the black box and its PSN side by side, one row per pair of
// products as the comparison pairs them (see DiffTree), each difference
// coloured by kind with a legend; sub-assemblies start collapsed with the
// counts of their branch, and only the rows of expanded sub-assemblies are
// ever made, so that a report of 100 000 products per side opens at once.
// The legend filters by kind; a search box finds products by path or part
// number. The page's source is tools/krvwd7/report/report.html; the build
// embeds it.
#ifndef KRVWD7_TOOL_HTMLREPORT_H_
#define KRVWD7_TOOL_HTMLREPORT_H_

#include <ostream>
#include <string>

#include "Comparison.h"
#include "DiffTree.h"

namespace krvwd7 {

// Writes the page to oOut.
void WriteHtml(const Comparison& iComparison, const DiffTree& iTree, std::ostream& oOut);

// Writes the page to iFile through a temporary file in the same folder,
// renamed over iFile once complete. False, with a one-line message naming
// the file, when it cannot be written; iFile is then left as it was.
bool WriteHtmlReport(const Comparison& iComparison, const DiffTree& iTree,
                     const std::string& iFile, std::string& oError);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_HTMLREPORT_H_
