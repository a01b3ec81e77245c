// The results of a comparison laid on the black box's structure.
//
// One node per product of the black box (the root, the node that stands for
// the PSN root and every record of the black-box list), each paired with
// the PSN record it stands for:
//  - the PSN record of its entries (a version, revision, document, position,
//    replacement or identity entry names both records);
//  - otherwise the first PSN record with the same printable id, the rule by
//    which the comparison pairs records; a "REMOVED" product has none;
//  - the node standing for the PSN root is paired with the PSN root.
// An added PSN product becomes a node of its own, without a black-box
// record, under the node that stands for its PSN father: the node paired
// with the father's record, or with the nearest PSN ancestor that has one
// (the PSN node at the latest); an added product below an added product
// goes under it.
//
// Every node counts the differences of its branch by kind (its own entries,
// 1 ADDED for an added product, and those of every node below it), so the
// root's counts are the comparison's: entries plus added products.
//
// Parents come before their children in Nodes(); children are in the order
// of the black-box list, added products after them in the order of the
// added list. The tree borrows the comparison, which must outlive it; its
// indexes refer to the comparison's lists.
#ifndef KRVWD7_TOOL_DIFFTREE_H_
#define KRVWD7_TOOL_DIFFTREE_H_

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Comparison.h"

namespace krvwd7 {

class DiffTree {
 public:
  struct Node {
    std::string name;           // last component of its path
    int parent = -1;            // -1 for the root
    std::vector<int> children;  // node indexes
    int bb = 0;                 // 1-based index in bbList; 0 for none
    int psn = 0;                // 1-based index in psnList; 0 for none
    bool psnRoot = false;       // paired with the PSN root (not in psnList)
    int added = 0;              // 1-based index in the added list; 0 for none
    std::vector<int> entries;   // 1-based indexes of its own entries
    std::array<int, kDiffKinds> counts{};  // the branch's differences by kind
    int Total() const;          // the sum of counts
  };

  // Builds the tree of iComparison.
  explicit DiffTree(const Comparison& iComparison);

  // Node 0 is the black-box root.
  const std::vector<Node>& Nodes() const { return nodes_; }
  // The node's path in the black box ("BB-CAR/CAR.1/Engine.1"); for an
  // added product, the path of its PSN record.
  std::string PathOf(int iNode) const;
  // The kinds of the node's own differences, as a bit set (1 << kind).
  unsigned OwnKinds(int iNode) const;

 private:
  int AddNode(const std::string& iName, int iParent);
  // The node of a black-box path, made with its missing ancestors.
  int NodeForBlackBoxPath(const std::string& iPath);
  void PairWithPsn();
  void PlaceAdded();
  void RollUp();

  const Comparison& comparison_;
  std::vector<Node> nodes_;
  int psn_node_ = 0;  // the node standing for the PSN root
  // Used while building: the paths of the records (1-based, read once),
  // those of the nodes made for paths no record has, nodes by black-box
  // path, PSN records by path. The maps' keys are views into the paths.
  std::vector<std::string> bb_paths_, psn_paths_;
  std::deque<std::string> other_paths_;
  std::unordered_map<std::string_view, int> bb_nodes_;
  std::unordered_map<std::string_view, int> psn_records_;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_DIFFTREE_H_
