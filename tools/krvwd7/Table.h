// An aligned text table for terminals.
//
// Columns are as wide as their widest cell, so that numbers of any width
// stay aligned. Without a limit (a width of 0: output to a file or a pipe,
// or --wide) nothing is ever cut. When the table is wider than the
// limit, cells of the shrinkable columns are shortened in the middle
// until it fits: columns of shrink level 1 (paths) first, widest first,
// then those of level 2; level 0 columns are never cut. A path column that
// must be cut first drops the first component that all its paths share
// (the root's name), then drops whole leading components ("…/Chassis.1/
// Axle.1"), so that the product's own name and its fathers' stay whole.
// When the columns that are never cut leave too little room, the table is
// wider than the limit.
// Widths count characters, not bytes.
#ifndef KRVWD7_TOOL_TABLE_H_
#define KRVWD7_TOOL_TABLE_H_

#include <ostream>
#include <string>
#include <vector>

namespace krvwd7 {

class Table {
 public:
  // Adds a column; right-aligned columns suit numbers. iShrinkLevel: 0
  // never cut, 1 cut first, 2 cut when level 1 is not enough. A cut column
  // keeps at least iMinWidth characters (and its header). iPaths: cells
  // are "/"-separated paths ("-" or "" for none) whose common first
  // component may be dropped when the column must be cut.
  void AddColumn(const std::string& iHeader, int iShrinkLevel = 0,
                 bool iRightAligned = false, int iMinWidth = 8,
                 bool iPaths = false);
  // REQUIRES: one cell per column.
  void AddRow(std::vector<std::string> iCells);
  size_t RowCount() const { return rows_.size(); }

  // Writes the header, a rule and the rows, each line at most iWidth
  // characters when shrinking can achieve it; iWidth 0 for no limit.
  void Print(std::ostream& oOut, int iWidth = 0) const;

 private:
  struct Column {
    std::string header;
    int shrink;
    bool right;
    int min_width;
    bool paths;
  };
  // The widths of the columns once shrunk to fit iWidth.
  std::vector<int> Fit(const std::vector<std::vector<std::string>>& iRows,
                       int iWidth) const;
  std::vector<Column> columns_;
  std::vector<std::vector<std::string>> rows_;
};

// Number of characters (code points) of a UTF-8 text.
int TextWidth(const std::string& iText);
// iText cut to iWidth characters by replacing its middle with "…".
std::string ShortenMiddle(const std::string& iText, int iWidth);
// iPath cut to iWidth characters: "…" and as many whole last components as
// fit ("…/B/Leaf.1"); when "…/Leaf.1" is too wide, "…" and the path's end.
std::string ShortenPath(const std::string& iPath, int iWidth);
// iHead followed by iItems joined by ", ", broken into lines of at most
// iWidth characters between items (0 for no limit); continuation lines
// begin with iIndent. An item longer than a line gets a line of its own.
// Every line ends with "\n".
std::string WrapList(const std::string& iHead, const std::vector<std::string>& iItems,
                     int iWidth, const std::string& iIndent = "  ");

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_TABLE_H_
