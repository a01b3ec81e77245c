// An aligned text table for terminals.
//
// Columns are as wide as their widest cell. When the table is wider than the
// limit, cells of the columns marked shrinkable (paths) are shortened in the
// middle ("Root/…/Leaf.1") until it fits, widest column first; other columns
// are never cut. Widths count characters, not bytes.
#ifndef KRVWD7_TOOL_TABLE_H_
#define KRVWD7_TOOL_TABLE_H_

#include <ostream>
#include <string>
#include <vector>

namespace krvwd7 {

class Table {
 public:
  // Adds a column; right-aligned columns suit numbers.
  void AddColumn(const std::string& iHeader, bool iShrinkable = false,
                 bool iRightAligned = false);
  // REQUIRES: one cell per column.
  void AddRow(std::vector<std::string> iCells);
  size_t RowCount() const { return rows_.size(); }

  // Writes the header, a rule and the rows, each line at most iWidth
  // characters when shrinking can achieve it.
  void Print(std::ostream& oOut, int iWidth = 100) const;

 private:
  struct Column {
    std::string header;
    bool shrinkable;
    bool right;
  };
  std::vector<Column> columns_;
  std::vector<std::vector<std::string>> rows_;
};

// Number of characters (code points) of a UTF-8 text.
int TextWidth(const std::string& iText);
// iText cut to iWidth characters by replacing its middle with "…".
std::string ShortenMiddle(const std::string& iText, int iWidth);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_TABLE_H_
