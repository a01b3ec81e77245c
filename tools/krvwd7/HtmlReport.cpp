#include "HtmlReport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "JsonOut.h"
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
    JsonOut::AppendString(buffer_, iText);
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

void WriteSide(const Side& iSide, DataWriter& oOut) {
  oOut.Raw("[").Str(iSide.name).Raw(",").Str(iSide.part).Raw(",").Str(iSide.version);
  oOut.Raw(",").Str(iSide.revision);
}

class NodeWriter {
 public:
  NodeWriter(const Comparison& iComparison, const DiffTree& iTree, DataWriter& oOut)
      : comparison_(iComparison), tree_(iTree), out_(oOut) {}

  // Every node in depth-first order, parents first; each row is
  // [parent, black-box side, PSN side, own differences].
  void WriteAll() {
    const auto& nodes = tree_.Nodes();
    std::vector<int> order;  // new index -> node
    std::vector<int> index(nodes.size(), -1);
    std::vector<int> stack = {0};
    while (!stack.empty()) {
      int node = stack.back();
      stack.pop_back();
      index[node] = static_cast<int>(order.size());
      order.push_back(node);
      const auto& children = nodes[node].children;
      for (auto child = children.rbegin(); child != children.rend(); ++child) {
        stack.push_back(*child);
      }
    }
    psn_paths_.resize(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
      const DiffTree::Node& node = nodes[order[i]];
      int parent = node.parent < 0 ? -1 : index[node.parent];
      out_.Raw(i == 0 ? "\n[" : ",\n[").Int(parent).Raw(",");
      WriteNode(static_cast<int>(i), order[i], parent);
      out_.Raw("]");
    }
  }

 private:
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

  // PSN side: 0 for none, 1 for the same texts as the black-box side at
  // the place the tree gives, else its texts, with its path when the tree
  // does not give it (the father's PSN path, "/", its name).
  void WriteNode(int iRow, int iNode, int iParentRow) {
    const Side bb = BlackBoxSide(iNode);
    const Side psn = PsnSide(iNode);
    if (bb.present) {
      WriteSide(bb, out_);
      out_.Raw("],");
    } else {
      out_.Raw("0,");
    }
    if (!psn.present) {
      out_.Raw("0,");
    } else {
      const std::string& father = iParentRow < 0 ? std::string() : psn_paths_[iParentRow];
      const std::string placed = father.empty() ? psn.name : father + "/" + psn.name;
      psn_paths_[iRow] = psn.path;
      if (bb.present && bb == psn && placed == psn.path) {
        out_.Raw("1,");
      } else {
        WriteSide(psn, out_);
        if (placed != psn.path) out_.Raw(",").Str(psn.path);
        out_.Raw("],");
      }
    }
    WriteDifferences(tree_.Nodes()[iNode]);
  }

  // [[kind, change], ...] or 0.
  void WriteDifferences(const DiffTree::Node& iNode) {
    bool any = false;
    auto open = [&] { out_.Raw(any ? ",[" : "[["); any = true; };
    for (int k : iNode.entries) {
      int kind = KindOf(comparison_.types[k].ToStdString());
      if (kind < 0) continue;
      open();
      out_.Int(kind).Raw(",").Str(ChangeText(comparison_, k)).Raw("]");
    }
    if (iNode.added != 0) {
      open();
      out_.Int(kAdded).Raw(",").Str(AddedText(comparison_.added[iNode.added])).Raw("]");
    }
    out_.Raw(any ? "]" : "0");
  }

  const Comparison& comparison_;
  const DiffTree& tree_;
  DataWriter& out_;
  std::vector<std::string> psn_paths_;  // by row
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
  out.Raw("],\"nodes\":[");
  NodeWriter(iComparison, iTree, out).WriteAll();
  out.Raw("\n]}");
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
