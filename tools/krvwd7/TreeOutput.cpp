#include "TreeOutput.h"

#include <algorithm>

#include "JsonOut.h"
#include "Structures.h"
#include "Table.h"

namespace krvwd7 {

namespace {

// One difference of a node: its kind and what changed.
struct OwnDifference {
  int kind;
  int index;  // entry, or added record for kAdded
  std::string change;
};

std::vector<OwnDifference> OwnDifferences(const DiffTree::Node& iNode,
                                          const Comparison& iComparison) {
  std::vector<OwnDifference> out;
  for (int k : iNode.entries) {
    int kind = KindOf(iComparison.types[k].ToStdString());
    if (kind >= 0) out.push_back({kind, k, ChangeText(iComparison, k)});
  }
  if (iNode.added != 0) {
    out.push_back({kAdded, iNode.added, AddedText(iComparison.added[iNode.added])});
  }
  return out;
}

std::string DifferenceLine(const OwnDifference& iDifference) {
  std::string line = KindName(iDifference.kind);
  if (!iDifference.change.empty()) line += "  " + iDifference.change;
  return line;
}

std::vector<int> ShownChildren(const DiffTree& iTree, int iNode) {
  std::vector<int> shown;
  for (int child : iTree.Nodes()[iNode].children) {
    if (iTree.Total(child) > 0) shown.push_back(child);
  }
  return shown;
}

class TreePrinter {
 public:
  TreePrinter(const DiffTree& iTree, const Comparison& iComparison, int iWidth,
              std::ostream& oOut)
      : tree_(iTree), comparison_(iComparison), width_(iWidth), out_(oOut) {}

  // iLead: what goes before the node's name; iBelow: the start of the lines
  // below it (its differences and its children).
  void Print(int iNode, const std::string& iLead, const std::string& iBelow) {
    const DiffTree::Node& node = tree_.Nodes()[iNode];
    const std::vector<int> children = ShownChildren(tree_, iNode);
    const std::vector<OwnDifference> own = OwnDifferences(node, comparison_);
    const int total = tree_.Total(iNode);
    if (children.empty() && own.size() == 1) {
      out_ << iLead << node.name << "  " << DifferenceLine(own.front()) << "\n";
      return;
    }
    const std::string below_name = iBelow + (children.empty() ? "   " : "\xE2\x94\x82  ");
    if (total == 0) {
      out_ << iLead << node.name << "  no difference\n";
    } else {
      std::string head = iLead + std::string(node.name) + "  " + std::to_string(total) +
                         (total == 1 ? " difference:" : " differences:");
      out_ << WrapList(head, CountTexts(tree_.CountsOf(iNode)), width_, below_name + "    ");
    }
    for (const OwnDifference& difference : own) {
      out_ << below_name << DifferenceLine(difference) << "\n";
    }
    for (size_t i = 0; i < children.size(); ++i) {
      const bool last = i + 1 == children.size();
      Print(children[i], iBelow + (last ? "\xE2\x94\x94\xE2\x94\x80 " : "\xE2\x94\x9C\xE2\x94\x80 "),
            iBelow + (last ? "   " : "\xE2\x94\x82  "));
    }
  }

 private:
  const DiffTree& tree_;
  const Comparison& comparison_;
  int width_;
  std::ostream& out_;
};

void WriteNode(const DiffTree& iTree, const Comparison& iComparison, int iNode,
               JsonOut& oOut) {
  const DiffTree::Node& node = iTree.Nodes()[iNode];
  // Keys in byte order.
  oOut.BeginObject().Key("bbPath");
  if (node.added == 0) {
    oOut.String(iTree.PathOf(iNode));
  } else {
    oOut.Null();
  }
  oOut.Key("children").BeginArray();
  for (int child : ShownChildren(iTree, iNode)) WriteNode(iTree, iComparison, child, oOut);
  oOut.EndArray();
  std::vector<int> kinds;
  for (int k = 0; k < kDiffKinds; ++k) {
    if (iTree.CountsOf(iNode)[k] > 0) kinds.push_back(k);
  }
  std::sort(kinds.begin(), kinds.end(), [](int a, int b) {
    return std::string(KindName(a)) < std::string(KindName(b));
  });
  oOut.Key("counts").BeginObject();
  for (int k : kinds) oOut.Key(KindName(k)).Integer(iTree.CountsOf(iNode)[k]);
  oOut.EndObject();
  oOut.Key("differences").BeginArray();
  for (const OwnDifference& difference : OwnDifferences(node, iComparison)) {
    oOut.BeginObject()
        .Key("change").String(difference.change)
        .Key("index").Integer(difference.index)
        .Key("type").String(KindName(difference.kind))
        .EndObject();
  }
  oOut.EndArray();
  oOut.Key("name").String(node.name).Key("psnPath");
  if (node.psnRoot) {
    oOut.String(iComparison.psnRootPath);
  } else if (node.psn != 0) {
    oOut.String(PathOf(iComparison.psnList[node.psn]));
  } else {
    oOut.Null();
  }
  oOut.Key("total").Integer(iTree.Total(iNode)).EndObject();
}

}  // namespace

std::vector<std::string> CountTexts(const std::array<int, kDiffKinds>& iCounts) {
  std::vector<std::string> texts;
  for (int k = 0; k < kDiffKinds; ++k) {
    if (iCounts[k] > 0) texts.push_back(std::to_string(iCounts[k]) + " " + KindName(k));
  }
  return texts;
}

void PrintTree(const DiffTree& iTree, const Comparison& iComparison, int iWidth,
               std::ostream& oOut) {
  TreePrinter(iTree, iComparison, iWidth, oOut).Print(0, "", "");
}

void WriteTree(const DiffTree& iTree, const Comparison& iComparison, JsonOut& oOut) {
  WriteNode(iTree, iComparison, 0, oOut);
}

}  // namespace krvwd7
