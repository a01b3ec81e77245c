#include "HtmlReport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "JsonOut.h"
#include "KRVWD7UtiJsonText.h"
#include "Structures.h"

namespace krvwd7 {

extern const char kReportTemplate[];  // report/report.html, embedded by the build

namespace {

// The page's data as compact JSON. Inside a <script> element the text may
// not hold "</"; every "<" is written as \u003c, which only strings can
// hold.
class DataWriter {
 public:
  explicit DataWriter(std::ostream& oOut) : out_(oOut) {}
  ~DataWriter() { Flush(); }

  DataWriter& Raw(const char* iText) {
    buffer_ += iText;
    return *this;
  }
  DataWriter& Int(long long iValue) {
    buffer_ += std::to_string(iValue);
    return *this;
  }
  DataWriter& Str(const std::string& iText) {
    size_t start = buffer_.size();
    KRVWD7UtiJsonText::AppendString(buffer_, iText);
    if (iText.find('<') != std::string::npos) {
      std::string quoted = buffer_.substr(start);
      buffer_.resize(start);
      for (char c : quoted) {
        if (c == '<') {
          buffer_ += "\\u003c";
        } else {
          buffer_ += c;
        }
      }
    }
    if (buffer_.size() >= (size_t{64} << 10)) Flush();
    return *this;
  }
  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  std::ostream& out_;
  std::string buffer_;
};

std::string LastComponent(const std::string& iPath) {
  size_t slash = iPath.rfind('/');
  return slash == std::string::npos ? iPath : iPath.substr(slash + 1);
}

// The four texts a side of a row shows.
struct Side {
  bool present = false;
  std::string name, part, version, revision;
  std::string path;  // PSN side: the record's path
  bool operator==(const Side& o) const {
    return name == o.name && part == o.part && version == o.version && revision == o.revision;
  }
};

Side RecordSide(const KRVWD7PrdInfo& iRecord) {
  Side side;
  side.present = true;
  side.path = PathOf(iRecord);
  side.name = LastComponent(side.path);
  side.part = PartNumberOf(iRecord);
  side.version = VersionOf(iRecord);
  side.revision = RevisionOf(iRecord);
  return side;
}

// A text as one line of a column: a line break in it (which no product
// name is expected to hold) shows as U+2424.
void AddLine(std::string& ioColumn, bool& ioFirst, const std::string& iText) {
  if (!ioFirst) ioColumn += '\n';
  ioFirst = false;
  if (iText.find_first_of("\r\n") == std::string::npos) {
    ioColumn += iText;
    return;
  }
  for (char c : iText) {
    if (c == '\n') {
      ioColumn += "\xE2\x90\xA4";
    } else if (c != '\r') {
      ioColumn += c;
    }
  }
}

// The four texts of a side, as four columns of lines.
struct SideColumns {
  std::string columns[4];
  bool first = true;
  void Add(const Side& iSide) {
    bool first_of_row = first;
    const std::string* texts[4] = {&iSide.name, &iSide.part, &iSide.version, &iSide.revision};
    for (int f = 0; f < 4; ++f) {
      bool line_first = first_of_row;
      AddLine(columns[f], line_first, *texts[f]);
    }
    first = false;
  }
};

// The page's data, one column per field, so that the page reads large
// reports quickly: flat arrays of numbers, and texts as lines of one string.
//   count     the number of nodes, in depth-first order, parents first
//   parent    the parent of each node (-1 for the root)
//   flags     1: a black-box side; 2: a PSN side; 4: the PSN side has texts
//             of its own (else those of the black-box side); 8: its PSN path
//             is given (else the father's PSN path, "/", its name)
//   bb, psn   names, part numbers, versions, revisions: one line per node
//             with flag 1, resp. flags 2 and 4, in node order
//   psnPaths  one line per node with flag 8
//   diffs     node, kind and change of each difference, in node order
class DataColumns {
 public:
  DataColumns(const Comparison& iComparison, const DiffTree& iTree)
      : comparison_(iComparison), tree_(iTree) {}

  void Write(DataWriter& oOut) {
    Collect();
    oOut.Raw(",\"count\":").Int(static_cast<long long>(parents_.size()));
    WriteInts("parent", parents_, oOut);
    WriteInts("flags", flags_, oOut);
    oOut.Raw(",\"bb\":[");
    for (int f = 0; f < 4; ++f) oOut.Raw(f ? "," : "").Str(bb_.columns[f]);
    oOut.Raw("],\"psn\":[");
    for (int f = 0; f < 4; ++f) oOut.Raw(f ? "," : "").Str(psn_.columns[f]);
    oOut.Raw("],\"psnPaths\":").Str(psn_paths_column_);
    oOut.Raw(",\"diffs\":{");
    WriteInts("node", diff_nodes_, oOut, false);
    WriteInts("kind", diff_kinds_, oOut);
    oOut.Raw(",\"change\":").Str(changes_).Raw("}");
  }

 private:
  static void WriteInts(const char* iName, const std::vector<int>& iValues, DataWriter& oOut,
                        bool iComma = true) {
    oOut.Raw(iComma ? ",\"" : "\"").Raw(iName).Raw("\":[");
    for (size_t i = 0; i < iValues.size(); ++i) {
      if (i) oOut.Raw(",");
      oOut.Int(iValues[i]);
    }
    oOut.Raw("]");
  }

  // Every node in depth-first order.
  void Collect() {
    const auto& nodes = tree_.Nodes();
    std::vector<int> index(nodes.size(), -1);
    std::vector<int> stack = {0};
    while (!stack.empty()) {
      int node = stack.back();
      stack.pop_back();
      int row = static_cast<int>(parents_.size());
      index[node] = row;
      int parent = nodes[node].parent < 0 ? -1 : index[nodes[node].parent];
      parents_.push_back(parent);
      AddNode(row, node, parent);
      const auto& children = nodes[node].children;
      for (auto child = children.rbegin(); child != children.rend(); ++child) {
        stack.push_back(*child);
      }
    }
  }

  Side BlackBoxSide(int iNode) const {
    const DiffTree::Node& node = tree_.Nodes()[iNode];
    if (node.bb != 0) return RecordSide(comparison_.bbList[node.bb]);
    Side side;
    if (node.added != 0) return side;
    side.present = true;
    side.name = node.name;
    if (iNode == 0) side.part = comparison_.bbRootPart;
    if (node.psnRoot) side.part = comparison_.bbNodePart;
    return side;
  }

  Side PsnSide(int iNode) const {
    const DiffTree::Node& node = tree_.Nodes()[iNode];
    if (node.psn != 0) return RecordSide(comparison_.psnList[node.psn]);
    Side side;
    if (node.psnRoot) {
      side.present = true;
      side.path = comparison_.psnRootPath;
      side.name = LastComponent(side.path);
      side.part = comparison_.psnRootPart;
    }
    return side;
  }

  void AddNode(int iRow, int iNode, int iParentRow) {
    const Side bb = BlackBoxSide(iNode);
    const Side psn = PsnSide(iNode);
    int flags = 0;
    if (bb.present) {
      flags |= 1;
      bb_.Add(bb);
    }
    psn_paths_.emplace_back();
    if (psn.present) {
      flags |= 2;
      psn_paths_[iRow] = psn.path;
      if (!bb.present || !(bb == psn)) {
        flags |= 4;
        psn_.Add(psn);
      }
      const std::string& father = iParentRow < 0 ? std::string() : psn_paths_[iParentRow];
      const std::string placed = father.empty() ? psn.name : father + "/" + psn.name;
      if (placed != psn.path) {
        flags |= 8;
        AddLine(psn_paths_column_, first_path_, psn.path);
      }
    }
    flags_.push_back(flags);
    const DiffTree::Node& node = tree_.Nodes()[iNode];
    for (int k : node.entries) {
      int kind = KindOf(comparison_.types[k].ToStdString());
      if (kind >= 0) AddDifference(iRow, kind, ChangeText(comparison_, k));
    }
    if (node.added != 0) AddDifference(iRow, kAdded, AddedText(comparison_.added[node.added]));
  }

  void AddDifference(int iRow, int iKind, const std::string& iChange) {
    diff_nodes_.push_back(iRow);
    diff_kinds_.push_back(iKind);
    AddLine(changes_, first_change_, iChange);
  }

  const Comparison& comparison_;
  const DiffTree& tree_;
  std::vector<int> parents_, flags_;
  SideColumns bb_, psn_;
  std::vector<std::string> psn_paths_;  // by row, "" where none
  std::string psn_paths_column_;
  bool first_path_ = true;
  std::vector<int> diff_nodes_, diff_kinds_;
  std::string changes_;
  bool first_change_ = true;
};

void WriteData(const Comparison& iComparison, const DiffTree& iTree, std::ostream& oOut) {
  DataWriter out(oOut);
  out.Raw("{\"header\":{\"session\":").Str(iComparison.session)
      .Raw(",\"blackBox\":").Str(iComparison.blackBox)
      .Raw(",\"psn\":").Str(iComparison.psn)
      .Raw(",\"result\":").Str(ResultText(iComparison.rc))
      .Raw(",\"nbDiff\":").Int(iComparison.nbDiff)
      .Raw(",\"method\":").Str(iComparison.MethodText())
      .Raw(",\"bbType\":").Int(iComparison.bbType)
      .Raw(",\"flatten\":").Raw(iComparison.flatten ? "true" : "false")
      .Raw(",\"tool\":").Str(std::string("krvwd7 ") + KRVWD7_VERSION)
      .Raw("},\"kinds\":[");
  for (int k = 0; k < kDiffKinds; ++k) out.Raw(k ? "," : "").Str(KindName(k));
  out.Raw("]");
  DataColumns(iComparison, iTree).Write(out);
  out.Raw("}");
}

std::string HtmlEscape(const std::string& iText) {
  std::string out;
  for (char c : iText) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

void WriteHtml(const Comparison& iComparison, const DiffTree& iTree, std::ostream& oOut) {
  const std::string page = kReportTemplate;
  const std::string kTitle = "{{TITLE}}", kData = "{{DATA}}";
  size_t title = page.find(kTitle);
  size_t data = page.find(kData);
  oOut << page.substr(0, title)
       << HtmlEscape(iComparison.blackBox + " against " + iComparison.psn + " - krvwd7 diff")
       << page.substr(title + kTitle.size(), data - title - kTitle.size());
  WriteData(iComparison, iTree, oOut);
  oOut << page.substr(data + kData.size());
}

bool WriteHtmlReport(const Comparison& iComparison, const DiffTree& iTree,
                     const std::string& iFile, std::string& oError) {
  // A temporary file beside the target, so that the rename stays on one
  // file system.
  std::string temp = iFile + ".tmp-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    oError = iFile + ": cannot write the report: " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  bool written = false;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (out) {
      WriteHtml(iComparison, iTree, out);
      out.flush();
      written = static_cast<bool>(out);
    }
  }
  if (!written) {
    oError = iFile + ": cannot write the report: " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  // mkstemp makes the file private; a report is an ordinary file.
  mode_t mask = umask(0);
  umask(mask);
  chmod(temp.c_str(), 0666 & ~mask);
  if (std::rename(temp.c_str(), iFile.c_str()) != 0) {
    oError = iFile + ": cannot write the report: " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace krvwd7
