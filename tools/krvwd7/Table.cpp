#include "Table.h"

#include <algorithm>

namespace krvwd7 {

namespace {

const char kEllipsis[] = "\xE2\x80\xA6";  // "…"
const int kGap = 2;                       // blanks between columns

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of the character iChars characters from the start.
size_t ByteOffset(const std::string& iText, int iChars) {
  size_t i = 0;
  while (i < iText.size() && iChars > 0) {
    ++i;
    while (i < iText.size() && IsContinuation(iText[i])) ++i;
    --iChars;
  }
  return i;
}

void Pad(std::ostream& oOut, int iCount) {
  for (int i = 0; i < iCount; ++i) oOut << ' ';
}

std::vector<int> NaturalWidths(const std::vector<std::string>& iHeaders,
                               const std::vector<std::vector<std::string>>& iRows) {
  std::vector<int> widths;
  for (const std::string& header : iHeaders) widths.push_back(TextWidth(header));
  for (const auto& row : iRows) {
    for (size_t c = 0; c < widths.size(); ++c) {
      widths[c] = std::max(widths[c], TextWidth(row[c]));
    }
  }
  return widths;
}

// Removes from column iColumn the first path component ("Root/") that all
// its paths share; cells without a path ("-", "") are left alone. Nothing
// changes when a path has a single component or the first components differ.
void DropCommonRoot(std::vector<std::vector<std::string>>& ioRows, size_t iColumn) {
  std::string root;
  for (const auto& row : ioRows) {
    const std::string& cell = row[iColumn];
    if (cell.empty() || cell == "-") continue;
    size_t slash = cell.find('/');
    if (slash == std::string::npos) return;
    if (root.empty()) root = cell.substr(0, slash + 1);
    if (cell.compare(0, root.size(), root) != 0) return;
  }
  if (root.empty()) return;
  for (auto& row : ioRows) {
    std::string& cell = row[iColumn];
    if (!cell.empty() && cell != "-") cell.erase(0, root.size());
  }
}

}  // namespace

int TextWidth(const std::string& iText) {
  int n = 0;
  for (unsigned char c : iText) n += IsContinuation(c) ? 0 : 1;
  return n;
}

std::string ShortenMiddle(const std::string& iText, int iWidth) {
  int width = TextWidth(iText);
  if (width <= iWidth) return iText;
  if (iWidth <= 1) return iWidth == 1 ? kEllipsis : "";
  int keep = iWidth - 1;
  int head = (keep + 1) / 2;
  int tail = keep - head;
  std::string out = iText.substr(0, ByteOffset(iText, head));
  out += kEllipsis;
  out += iText.substr(ByteOffset(iText, width - tail));
  return out;
}

std::string WrapList(const std::string& iHead, const std::vector<std::string>& iItems,
                     int iWidth, const std::string& iIndent) {
  std::string out = iHead;
  int line = TextWidth(iHead);
  bool at_start = iHead.empty();
  for (size_t i = 0; i < iItems.size(); ++i) {
    std::string item = iItems[i] + (i + 1 < iItems.size() ? "," : "");
    const int width = TextWidth(item);
    if (!at_start) {
      if (iWidth > 0 && line + 1 + width > iWidth) {
        out += "\n" + iIndent;
        line = TextWidth(iIndent);
      } else {
        out += ' ';
        ++line;
      }
    }
    out += item;
    line += width;
    at_start = false;
  }
  return out + "\n";
}

std::string ShortenPath(const std::string& iPath, int iWidth) {
  if (TextWidth(iPath) <= iWidth) return iPath;
  const size_t last = iPath.rfind('/');
  if (last == std::string::npos || TextWidth(iPath.substr(last)) + 1 > iWidth) {
    // Not even "…/Leaf.1": the path's end, where instance numbers are.
    if (iWidth <= 1) return iWidth == 1 ? kEllipsis : "";
    return kEllipsis + iPath.substr(ByteOffset(iPath, TextWidth(iPath) - (iWidth - 1)));
  }
  // "…" then as many of the last components as fit, the leaf at least.
  size_t from = last;
  while (from > 0) {
    const size_t slash = iPath.rfind('/', from - 1);
    if (slash == std::string::npos || 1 + TextWidth(iPath.substr(slash)) > iWidth) break;
    from = slash;
  }
  return kEllipsis + iPath.substr(from);
}

void Table::AddColumn(const std::string& iHeader, int iShrinkLevel,
                      bool iRightAligned, int iMinWidth, bool iPaths) {
  columns_.push_back({iHeader, iShrinkLevel, iRightAligned, iMinWidth, iPaths});
}

void Table::AddRow(std::vector<std::string> iCells) {
  iCells.resize(columns_.size());
  rows_.push_back(std::move(iCells));
}

std::vector<int> Table::Fit(const std::vector<std::vector<std::string>>& iRows,
                            int iWidth) const {
  const size_t n = columns_.size();
  std::vector<std::string> headers;
  for (const auto& col : columns_) headers.push_back(col.header);
  std::vector<int> widths = NaturalWidths(headers, iRows);
  if (iWidth <= 0) return widths;
  // Shrink, level by level, the widest column of the level one character at
  // a time until the table fits; a column keeps at least its header and 8
  // characters.
  auto total = [&] {
    int sum = kGap * static_cast<int>(n - 1);
    for (int w : widths) sum += w;
    return sum;
  };
  for (int level = 1; level <= 2; ++level) {
    while (total() > iWidth) {
      int widest = -1;
      for (size_t c = 0; c < n; ++c) {
        int floor = std::max(columns_[c].min_width, TextWidth(columns_[c].header));
        if (columns_[c].shrink == level && widths[c] > floor &&
            (widest < 0 || widths[c] > widths[widest])) {
          widest = static_cast<int>(c);
        }
      }
      if (widest < 0) break;
      --widths[widest];
    }
  }
  return widths;
}

void Table::Print(std::ostream& oOut, int iWidth) const {
  const size_t n = columns_.size();
  if (n == 0) return;
  std::vector<std::vector<std::string>> rows = rows_;
  std::vector<int> widths = Fit(rows, iWidth);
  std::vector<std::string> headers;
  for (const auto& col : columns_) headers.push_back(col.header);
  const std::vector<int> natural = NaturalWidths(headers, rows);
  bool dropped = false;
  for (size_t c = 0; c < n; ++c) {
    if (columns_[c].paths && widths[c] < natural[c]) {
      DropCommonRoot(rows, c);
      dropped = true;
    }
  }
  if (dropped) widths = Fit(rows, iWidth);
  auto line = [&](const std::vector<std::string>& cells) {
    std::string out;
    for (size_t c = 0; c < n; ++c) {
      std::string cell = columns_[c].paths ? ShortenPath(cells[c], widths[c])
                                           : ShortenMiddle(cells[c], widths[c]);
      int pad = widths[c] - TextWidth(cell);
      if (c > 0) Pad(oOut, kGap);
      if (columns_[c].right) Pad(oOut, pad);
      oOut << cell;
      if (!columns_[c].right && c + 1 < n) Pad(oOut, pad);
    }
    oOut << '\n';
  };
  std::vector<std::string> header;
  for (const auto& col : columns_) header.push_back(col.header);
  line(header);
  std::vector<std::string> rule;
  for (size_t c = 0; c < n; ++c) rule.push_back(std::string(widths[c], '-'));
  line(rule);
  for (const auto& row : rows) line(row);
}

}  // namespace krvwd7
