#include "DiffTree.h"

#include <algorithm>

#include "Structures.h"

namespace krvwd7 {

namespace {

std::string_view LastComponent(std::string_view iPath) {
  size_t slash = iPath.rfind('/');
  return slash == std::string_view::npos ? iPath : iPath.substr(slash + 1);
}

// The path without its last component; "" for a path of one component.
std::string_view FatherPath(std::string_view iPath) {
  size_t slash = iPath.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : iPath.substr(0, slash);
}

int Depth(std::string_view iPath) {
  return static_cast<int>(std::count(iPath.begin(), iPath.end(), '/'));
}

uint64_t HashOf(std::string_view iText) { return std::hash<std::string_view>()(iText); }

}  // namespace

const DiffTree::Counts& DiffTree::CountsOf(int iNode) const {
  static const Counts kNone{};
  const int branch = nodes_[iNode].branch;
  return branch < 0 ? kNone : branches_[branch];
}

int DiffTree::Total(int iNode) const {
  int total = 0;
  for (int count : CountsOf(iNode)) total += count;
  return total;
}

// --- TextBlock -------------------------------------------------

std::string_view DiffTree::TextBlock::Copy(std::string_view iText) {
  if (iText.size() > free_) {
    const size_t size = std::max(kBlock, iText.size());
    blocks_.emplace_back(new char[size]);
    next_ = blocks_.back().get();
    free_ = size;
  }
  std::copy(iText.begin(), iText.end(), next_);
  const std::string_view copy(next_, iText.size());
  next_ += iText.size();
  free_ -= iText.size();
  return copy;
}

int DiffTree::TextBlock::Add(std::string_view iText) {
  texts_.push_back(Copy(iText));
  return static_cast<int>(texts_.size()) - 1;
}

// --- The tree ------------------------------------------------------------------

namespace {

std::string_view PathIn(const KRVWD7PrdInfo& iRecord, CATUnicodeString& oText) {
  iRecord.GetInstancePath(oText, 0);
  return oText.ToStdString();
}

}  // namespace

DiffTree::DiffTree(const Comparison& iComparison) : comparison_(iComparison) {
  const CATListValKRVWD7PrdInfo& bb = iComparison.bbList;
  const CATListValKRVWD7PrdInfo& psn = iComparison.psnList;
  // Sized up front: large sessions would otherwise move every node and
  // rehash several times. The tables have room for every node, including
  // those made for the fathers that no record has.
  const size_t records = bb.Size() + iComparison.added.Size() + 2;
  nodes_.reserve(records);
  made_path_.reserve(records);
  bb_nodes_ = KRVWD7UtiHashIndex(records + iComparison.types.Size());
  psn_records_ = KRVWD7UtiHashIndex(psn.Size() + 1);

  made_path_.push_back(made_paths_.Add(iComparison.bbRootPath));
  AddNode(iComparison.bbRootPath, -1);
  IndexNode(0, iComparison.bbRootPath);
  psn_node_ = iComparison.bbNodePath.empty() ? 0 : NodeForBlackBoxPath(iComparison.bbNodePath);
  nodes_[psn_node_].psnRoot = true;
  CATUnicodeString text;
  for (int i = 1; i <= bb.Size(); ++i) {
    const std::string_view path = PathIn(bb[i], text);
    const int made = FindNode(path);  // made for a child listed before it
    if (made > 0 && nodes_[made].bb == 0) {
      nodes_[made].bb = i;
      continue;
    }
    const std::string_view father = FatherPath(path);
    const int parent = father.empty() ? 0 : NodeForBlackBoxPath(father);
    const int node = AddNode(LastComponent(path), parent);
    nodes_[node].bb = i;
    made_path_.push_back(-1);
    IndexNode(node, path);  // the first of two equal paths keeps it
  }
  for (int i = 1; i <= psn.Size(); ++i) {
    const std::string_view path = PathIn(psn[i], text);
    psn_records_.Insert(HashOf(path), i, [&](int iRecord) {
      return PathIn(psn[iRecord], read_) == path;
    });
  }
  PairWithPsn();
  PlaceAdded();
  RollUp();
  made_paths_ = TextBlock();
  made_path_ = std::vector<int>();
  bb_nodes_ = psn_records_ = KRVWD7UtiHashIndex(0);
  read_ = CATUnicodeString();
}

int DiffTree::AddNode(std::string_view iName, int iParent) {
  int index = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  nodes_.back().name = names_.Copy(iName);
  nodes_.back().parent = iParent;
  if (iParent >= 0) nodes_[iParent].children.push_back(index);
  return index;
}

std::string_view DiffTree::NodePath(int iNode, CATUnicodeString& oText) const {
  const int made = made_path_[iNode];
  if (made >= 0) return made_paths_[made];
  return PathIn(comparison_.bbList[nodes_[iNode].bb], oText);
}

int DiffTree::FindNode(std::string_view iPath) const {
  return bb_nodes_.Find(HashOf(iPath), [&](int iNode) { return NodePath(iNode, read_) == iPath; });
}

int DiffTree::NodeForBlackBoxPath(std::string_view iPath) {
  const int found = FindNode(iPath);
  if (found >= 0) return found;
  const int id = made_paths_.Add(iPath);
  const std::string_view path = made_paths_[id];
  const std::string_view father = FatherPath(path);
  const int parent = father.empty() ? 0 : NodeForBlackBoxPath(father);
  const int node = AddNode(LastComponent(path), parent);
  made_path_.push_back(id);
  IndexNode(node, path);
  return node;
}

void DiffTree::IndexNode(int iNode, std::string_view iPath) {
  bb_nodes_.Insert(HashOf(iPath), iNode, [&](int iOther) { return NodePath(iOther, read_) == iPath; });
}

int DiffTree::FindPsnRecord(std::string_view iPath) const {
  return psn_records_.Find(HashOf(iPath), [&](int iRecord) {
    return PathIn(comparison_.psnList[iRecord], read_) == iPath;
  });
}

void DiffTree::PairWithPsn() {
  const Comparison& c = comparison_;
  CATUnicodeString path;
  for (int k = 1; k <= c.types.Size(); ++k) {
    c.bbEntries[k].GetInstancePath(path, 0);
    int node = NodeForBlackBoxPath(path.ToStdString());
    nodes_[node].entries.push_back(k);
    if (c.types[k].ToStdString() == "REMOVED" || nodes_[node].psn != 0) continue;
    c.psnEntries[k].GetInstancePath(path, 0);
    const int found = FindPsnRecord(path.ToStdString());
    if (found > 0) nodes_[node].psn = found;
  }
  // The others as the comparison pairs them: the first PSN record with the
  // same printable id. The table keeps the hash of each id and its first
  // record, not a copy of every id; a record found by hash is checked, and
  // two ids of one hash (which practically never happens) fall back to a
  // scan.
  KRVWD7UtiHashIndex by_hash(c.psnList.Size());
  const auto any = [](int) { return true; };
  CATUnicodeString id, other;  // read in place: no copy of each id
  for (int i = 1; i <= c.psnList.Size(); ++i) {
    c.psnList[i].GetPrintableId(id, 1);
    by_hash.Insert(HashOf(id.ToStdString()), i, any);
  }
  for (Node& node : nodes_) {
    if (node.bb == 0 || node.psn != 0) continue;
    bool removed = false;
    for (int k : node.entries) removed |= c.types[k].ToStdString() == "REMOVED";
    if (removed) continue;
    c.bbList[node.bb].GetPrintableId(id, 1);
    const int found = by_hash.Find(HashOf(id.ToStdString()), any);
    if (found < 0) continue;
    c.psnList[found].GetPrintableId(other, 1);
    if (other.ToStdString() == id.ToStdString()) {
      node.psn = found;
      continue;
    }
    for (int i = 1; i <= c.psnList.Size() && node.psn == 0; ++i) {
      c.psnList[i].GetPrintableId(other, 1);
      if (other.ToStdString() == id.ToStdString()) node.psn = i;
    }
  }
}

void DiffTree::PlaceAdded() {
  const Comparison& c = comparison_;
  // The added products' paths (ids 0 to n - 1) and the PSN root's (id n),
  // read once.
  TextBlock paths;
  for (int a = 1; a <= c.added.Size(); ++a) paths.Add(PathIn(c.added[a], read_));
  const int psn_root = paths.Add(c.psnRootPath);
  // PSN path -> node: the table finds an entry (key, node) of `keyed`,
  // where a key > 0 is a PSN record and a key <= 0 the id -key in paths.
  std::vector<std::pair<int, int>> keyed;
  keyed.reserve(nodes_.size() + c.added.Size() + 1);
  KRVWD7UtiHashIndex psn_nodes(nodes_.size() + c.added.Size() + 1);
  const auto path_of = [&](int iKey, CATUnicodeString& oText) {
    return iKey > 0 ? PathIn(c.psnList[iKey], oText) : paths[-iKey];
  };
  const auto find = [&](std::string_view iPath) {
    return psn_nodes.Find(HashOf(iPath), [&](int iEntry) {
      return path_of(keyed[iEntry].first, read_) == iPath;
    });
  };
  CATUnicodeString text;
  const auto enter = [&](int iKey, int iNode) {
    const std::string_view path = path_of(iKey, text);
    keyed.emplace_back(iKey, iNode);
    psn_nodes.Insert(HashOf(path), static_cast<int>(keyed.size()) - 1, [&](int iEntry) {
      return path_of(keyed[iEntry].first, read_) == path;
    });
  };
  enter(-psn_root, psn_node_);
  for (size_t n = 0; n < nodes_.size(); ++n) {
    if (nodes_[n].psn != 0) enter(nodes_[n].psn, static_cast<int>(n));
  }
  // Fathers before their children, whatever the order of the list.
  std::vector<int> order;
  for (int a = 1; a <= c.added.Size(); ++a) order.push_back(a);
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    return Depth(paths[x - 1]) < Depth(paths[y - 1]);
  });
  for (int a : order) {
    const std::string_view path = paths[a - 1];
    int parent = psn_node_;
    for (std::string_view father = FatherPath(path); !father.empty();
         father = FatherPath(father)) {
      const int found = find(father);
      if (found >= 0) {
        parent = keyed[found].second;
        break;
      }
    }
    int node = AddNode(LastComponent(path), parent);
    nodes_[node].added = a;
    const int record = FindPsnRecord(path);
    if (record > 0) nodes_[node].psn = record;
    enter(-(a - 1), node);
  }
}

void DiffTree::RollUp() {
  const auto counts = [this](Node& ioNode) -> Counts& {
    if (ioNode.branch < 0) {
      ioNode.branch = static_cast<int>(branches_.size());
      branches_.emplace_back();
    }
    return branches_[ioNode.branch];
  };
  for (Node& node : nodes_) {
    for (int k : node.entries) {
      int kind = KindOf(comparison_.types[k].ToStdString());
      if (kind >= 0) ++counts(node)[kind];
    }
    if (node.added != 0) ++counts(node)[kAdded];
  }
  // A parent always comes before its children.
  for (size_t n = nodes_.size(); n-- > 1;) {
    if (nodes_[n].branch < 0) continue;
    const Counts child = branches_[nodes_[n].branch];
    Counts& parent = counts(nodes_[nodes_[n].parent]);
    for (int k = 0; k < kDiffKinds; ++k) parent[k] += child[k];
  }
}

std::string DiffTree::PathOf(int iNode) const {
  const Node& node = nodes_[iNode];
  if (node.bb != 0) return krvwd7::PathOf(comparison_.bbList[node.bb]);
  if (node.added != 0) return krvwd7::PathOf(comparison_.added[node.added]);
  if (node.parent < 0) return comparison_.bbRootPath;
  return PathOf(node.parent).append("/").append(node.name);
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
