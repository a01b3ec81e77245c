#include "DiffTree.h"

#include <algorithm>

#include "Structures.h"

namespace krvwd7 {

namespace {

std::string LastComponent(const std::string& iPath) {
  size_t slash = iPath.rfind('/');
  return slash == std::string::npos ? iPath : iPath.substr(slash + 1);
}

// The path without its last component; "" for a path of one component.
std::string FatherPath(const std::string& iPath) {
  size_t slash = iPath.rfind('/');
  return slash == std::string::npos ? std::string() : iPath.substr(0, slash);
}

int Depth(const std::string& iPath) {
  return static_cast<int>(std::count(iPath.begin(), iPath.end(), '/'));
}

}  // namespace

int DiffTree::Node::Total() const {
  int total = 0;
  for (int count : counts) total += count;
  return total;
}

DiffTree::DiffTree(const Comparison& iComparison) : comparison_(iComparison) {
  // Sized up front: large sessions would otherwise rehash and move every
  // node several times.
  const size_t records = iComparison.bbList.Size() + iComparison.added.Size() + 2;
  nodes_.reserve(records);
  bb_nodes_.reserve(records);
  psn_records_.reserve(iComparison.psnList.Size());
  AddNode(iComparison.bbRootPath, -1);
  bb_nodes_.emplace(iComparison.bbRootPath, 0);  // the comparison outlives the tree
  psn_node_ = iComparison.bbNodePath.empty() ? 0 : NodeForBlackBoxPath(iComparison.bbNodePath);
  nodes_[psn_node_].psnRoot = true;
  const CATListValKRVWD7PrdInfo& bb = iComparison.bbList;
  bb_paths_.resize(bb.Size() + 1);
  for (int i = 1; i <= bb.Size(); ++i) bb_paths_[i] = krvwd7::PathOf(bb[i]);
  const CATListValKRVWD7PrdInfo& psn = iComparison.psnList;
  psn_paths_.resize(psn.Size() + 1);
  for (int i = 1; i <= psn.Size(); ++i) psn_paths_[i] = krvwd7::PathOf(psn[i]);
  for (int i = 1; i <= bb.Size(); ++i) {
    const std::string& path = bb_paths_[i];
    auto made = bb_nodes_.find(path);  // made for a child listed before it
    if (made != bb_nodes_.end() && nodes_[made->second].bb == 0 && made->second != 0) {
      nodes_[made->second].bb = i;
      continue;
    }
    const std::string father = FatherPath(path);
    int parent = father.empty() ? 0 : NodeForBlackBoxPath(father);
    int node = AddNode(LastComponent(path), parent);
    nodes_[node].bb = i;
    bb_nodes_.emplace(path, node);  // the first of two equal paths keeps it
  }
  for (int i = 1; i <= psn.Size(); ++i) psn_records_.emplace(psn_paths_[i], i);
  PairWithPsn();
  PlaceAdded();
  RollUp();
  bb_nodes_.clear();
  psn_records_.clear();
  bb_paths_.clear();
  psn_paths_.clear();
  other_paths_.clear();
}

int DiffTree::AddNode(const std::string& iName, int iParent) {
  int index = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  nodes_.back().name = iName;
  nodes_.back().parent = iParent;
  if (iParent >= 0) nodes_[iParent].children.push_back(index);
  return index;
}

int DiffTree::NodeForBlackBoxPath(const std::string& iPath) {
  auto found = bb_nodes_.find(iPath);
  if (found != bb_nodes_.end()) return found->second;
  const std::string father = FatherPath(iPath);
  int parent = father.empty() ? 0 : NodeForBlackBoxPath(father);
  int node = AddNode(LastComponent(iPath), parent);
  other_paths_.push_back(iPath);
  bb_nodes_.emplace(other_paths_.back(), node);
  return node;
}

void DiffTree::PairWithPsn() {
  const Comparison& c = comparison_;
  for (int k = 1; k <= c.types.Size(); ++k) {
    int node = NodeForBlackBoxPath(krvwd7::PathOf(c.bbEntries[k]));
    nodes_[node].entries.push_back(k);
    if (c.types[k].ToStdString() == "REMOVED" || nodes_[node].psn != 0) continue;
    auto found = psn_records_.find(krvwd7::PathOf(c.psnEntries[k]));
    if (found != psn_records_.end()) nodes_[node].psn = found->second;
  }
  // The others as the comparison pairs them: the first PSN record with the
  // same printable id. The table keeps the hash of each id and its first
  // record, not a copy of every id; a record found by hash is checked, and
  // two ids of one hash (which practically never happens) fall back to a
  // scan.
  std::unordered_map<size_t, int> by_hash;
  by_hash.reserve(c.psnList.Size());
  const std::hash<std::string> hash;
  for (int i = 1; i <= c.psnList.Size(); ++i) by_hash.emplace(hash(PrintableIdOf(c.psnList[i])), i);
  for (Node& node : nodes_) {
    if (node.bb == 0 || node.psn != 0) continue;
    bool removed = false;
    for (int k : node.entries) removed |= c.types[k].ToStdString() == "REMOVED";
    if (removed) continue;
    const std::string id = PrintableIdOf(c.bbList[node.bb]);
    auto found = by_hash.find(hash(id));
    if (found == by_hash.end()) continue;
    if (PrintableIdOf(c.psnList[found->second]) == id) {
      node.psn = found->second;
      continue;
    }
    for (int i = 1; i <= c.psnList.Size() && node.psn == 0; ++i) {
      if (PrintableIdOf(c.psnList[i]) == id) node.psn = i;
    }
  }
}

void DiffTree::PlaceAdded() {
  const Comparison& c = comparison_;
  // PSN path -> node; the keys are views into the paths read once.
  std::unordered_map<std::string_view, int> psn_nodes;
  psn_nodes.reserve(nodes_.size() + c.added.Size() + 1);
  psn_nodes.emplace(c.psnRootPath, psn_node_);
  for (size_t n = 0; n < nodes_.size(); ++n) {
    if (nodes_[n].psn != 0) {
      psn_nodes.emplace(psn_paths_[nodes_[n].psn], static_cast<int>(n));
    }
  }
  // Fathers before their children, whatever the order of the list.
  std::vector<std::string> paths(c.added.Size() + 1);
  std::vector<int> order;
  for (int a = 1; a <= c.added.Size(); ++a) {
    paths[a] = krvwd7::PathOf(c.added[a]);
    order.push_back(a);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](int x, int y) { return Depth(paths[x]) < Depth(paths[y]); });
  for (int a : order) {
    int parent = psn_node_;
    for (std::string father = FatherPath(paths[a]); !father.empty();
         father = FatherPath(father)) {
      auto found = psn_nodes.find(father);
      if (found != psn_nodes.end()) {
        parent = found->second;
        break;
      }
    }
    int node = AddNode(LastComponent(paths[a]), parent);
    nodes_[node].added = a;
    auto record = psn_records_.find(paths[a]);
    if (record != psn_records_.end()) nodes_[node].psn = record->second;
    psn_nodes.emplace(paths[a], node);
  }
}

void DiffTree::RollUp() {
  for (Node& node : nodes_) {
    for (int k : node.entries) {
      int kind = KindOf(comparison_.types[k].ToStdString());
      if (kind >= 0) ++node.counts[kind];
    }
    if (node.added != 0) ++node.counts[kAdded];
  }
  // A parent always comes before its children.
  for (size_t n = nodes_.size(); n-- > 1;) {
    Node& parent = nodes_[nodes_[n].parent];
    for (int k = 0; k < kDiffKinds; ++k) parent.counts[k] += nodes_[n].counts[k];
  }
}

std::string DiffTree::PathOf(int iNode) const {
  const Node& node = nodes_[iNode];
  if (node.bb != 0) return krvwd7::PathOf(comparison_.bbList[node.bb]);
  if (node.added != 0) return krvwd7::PathOf(comparison_.added[node.added]);
  if (node.parent < 0) return comparison_.bbRootPath;
  return PathOf(node.parent) + "/" + node.name;
}

unsigned DiffTree::OwnKinds(int iNode) const {
  const Node& node = nodes_[iNode];
  unsigned kinds = node.added != 0 ? 1u << kAdded : 0u;
  for (int k : node.entries) {
    int kind = KindOf(comparison_.types[k].ToStdString());
    if (kind >= 0) kinds |= 1u << kind;
  }
  return kinds;
}

}  // namespace krvwd7
