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
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Comparison.h"
#include "KRVWD7UtiHashIndex.h"

namespace krvwd7 {

class DiffTree {
 public:
  struct Node {
    std::string_view name;      // last component of its path (kept by the tree)
    std::vector<int> children;  // node indexes
    std::vector<int> entries;   // 1-based indexes of its own entries
    int parent = -1;            // -1 for the root
    int bb = 0;                 // 1-based index in bbList; 0 for none
    int psn = 0;                // 1-based index in psnList; 0 for none
    int added = 0;              // 1-based index in the added list; 0 for none
    int branch = -1;            // its branch's counts in branches_; -1: no difference
    bool psnRoot = false;       // paired with the PSN root (not in psnList)
  };
  using Counts = std::array<int, kDiffKinds>;

  // Builds the tree of iComparison.
  explicit DiffTree(const Comparison& iComparison);

  // Node 0 is the black-box root.
  const std::vector<Node>& Nodes() const { return nodes_; }
  // The differences of node iNode's branch (its own and those of every node
  // below it) by kind, and their sum.
  const Counts& CountsOf(int iNode) const;
  int Total(int iNode) const;
  // The node's path in the black box ("BB-CAR/CAR.1/Engine.1"); for an
  // added product, the path of its PSN record.
  std::string PathOf(int iNode) const;
  // The kinds of the node's own differences, as a bit set (1 << kind).
  unsigned OwnKinds(int iNode) const;

 private:
  // Texts one after the other in blocks of a megabyte: a tree has hundreds
  // of thousands of node names, and a string each would take twice the
  // memory. A block is never moved, so a text stays where it was put (one
  // growing string would copy every text each time it doubled). Ids are
  // dense from 0.
  class TextBlock {
   public:
    // A copy of iText, kept with the block.
    std::string_view Copy(std::string_view iText);
    // A copy of iText, found again by the id answered.
    int Add(std::string_view iText);
    std::string_view operator[](int iId) const { return texts_[iId]; }

   private:
    static constexpr size_t kBlock = size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;  // where the next text goes in the last block
    size_t free_ = 0;       // bytes left after it
    std::vector<std::string_view> texts_;  // by id
  };

  int AddNode(std::string_view iName, int iParent);
  // The path of node iNode, read into oText: its black-box record's, or the
  // one it was made for.
  std::string_view NodePath(int iNode, CATUnicodeString& oText) const;
  // The node of a black-box path, made with its missing ancestors.
  int NodeForBlackBoxPath(std::string_view iPath);
  int FindNode(std::string_view iPath) const;
  // Enters node iNode in bb_nodes_ under iPath (its path), unless a node of
  // that path is there already.
  void IndexNode(int iNode, std::string_view iPath);
  // The PSN record of a path (1-based); -1 when none.
  int FindPsnRecord(std::string_view iPath) const;
  void PairWithPsn();
  void PlaceAdded();
  void RollUp();

  const Comparison& comparison_;
  std::vector<Node> nodes_;
  // The counts of the branches that have a difference: most nodes of a
  // large black box have none, and a count per kind on every node would
  // take a third of the tree.
  std::vector<Counts> branches_;
  TextBlock names_;   // the nodes' names
  int psn_node_ = 0;  // the node standing for the PSN root
  // Used while building, released after. The tables hold hashes, not
  // paths: a path is read again from its record when a hash matches, so
  // that the hundreds of thousands of paths of a large comparison are not
  // copied. made_paths_ has the paths of the nodes that have no black-box
  // record (the root, the PSN node, fathers no record has), made_path_[n]
  // the id of node n's there (-1 for a node with a record).
  TextBlock made_paths_;
  std::vector<int> made_path_;
  KRVWD7UtiHashIndex bb_nodes_;     // nodes by black-box path
  KRVWD7UtiHashIndex psn_records_;  // PSN records by path
  mutable CATUnicodeString read_;   // a path read to compare with another
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_DIFFTREE_H_
