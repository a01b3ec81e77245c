#include "KRVWD7PSNFileText.h"

#include <array>
#include <utility>

#include "KRVWD7PSNFileHash.h"

namespace krvwd7_core {

using psnhash::CharacterStarts;
using psnhash::RemoveFirst;

// --- Collapsed parts covered by a selected object ---------------------------------

std::string CollapsedPartKey(const std::string& iPart) {
  std::string key = iPart;
  RemoveFirst(key, "1,(", 3);
  RemoveFirst(key, "2,(", 3);
  RemoveFirst(key, "),()", 4);
  return key;
}

namespace {

// An Aho-Corasick automaton over the keys: which keys occur in a text, in
// one pass over the text. Children are kept as sibling lists (the root has
// a full table), so memory stays linear in the keys whatever bytes they
// hold.
class KeyAutomaton {
 public:
  explicit KeyAutomaton(const std::vector<std::string>& iKeys)
      : next_key_(iKeys.size(), -1), found_(iKeys.size(), false) {
    nodes_.emplace_back();
    root_children_.fill(-1);
    for (size_t k = 0; k < iKeys.size(); ++k) Add(iKeys[k], static_cast<int>(k));
    Link();
  }

  // Marks the keys that occur in iText on character boundaries.
  void Scan(const std::string& iText) {
    const std::vector<char> starts = CharacterStarts(iText);
    int state = 0;
    for (size_t i = 0; i < iText.size(); ++i) {
      state = Next(state, static_cast<unsigned char>(iText[i]));
      if (starts.empty()) {
        MarkAll(state);
      } else {
        MarkOnBoundaries(state, starts, i + 1);
      }
    }
  }

  bool Found(size_t iKey) const { return found_[iKey]; }

 private:
  struct Node {
    int firstChild = -1;
    int nextSibling = -1;
    int fail = 0;
    int output = -1;  // nearest node on the fail chain (itself included) that ends a key
    int depth = 0;
    int firstKey = -1;  // keys ending here (equal keys share a node), by next_key_
    unsigned char byte = 0;
    bool marked = false;  // its keys and its output chain are found
  };

  int Child(int iNode, unsigned char iByte) const {
    if (iNode == 0) return root_children_[iByte];
    for (int c = nodes_[iNode].firstChild; c >= 0; c = nodes_[c].nextSibling) {
      if (nodes_[c].byte == iByte) return c;
    }
    return -1;
  }

  void Add(const std::string& iKey, int iIndex) {
    int node = 0;
    for (char c : iKey) {
      const unsigned char byte = static_cast<unsigned char>(c);
      int child = Child(node, byte);
      if (child < 0) {
        child = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
        nodes_[child].byte = byte;
        nodes_[child].depth = nodes_[node].depth + 1;
        if (node == 0) {
          root_children_[byte] = child;
        } else {
          nodes_[child].nextSibling = nodes_[node].firstChild;
          nodes_[node].firstChild = child;
        }
      }
      node = child;
    }
    next_key_[iIndex] = nodes_[node].firstKey;
    nodes_[node].firstKey = iIndex;
  }

  void MarkKeys(int iNode) {
    for (int key = nodes_[iNode].firstKey; key >= 0; key = next_key_[key]) {
      found_[key] = true;
    }
  }

  // Fail and output links, breadth first.
  void Link() {
    std::vector<int> queue;
    for (int child : root_children_) {
      if (child >= 0) queue.push_back(child);
    }
    for (size_t q = 0; q < queue.size(); ++q) {
      const int node = queue[q];
      Node& n = nodes_[node];
      const int fail_output = n.fail > 0 ? nodes_[n.fail].output : -1;
      n.output = n.firstKey < 0 ? fail_output : node;
      for (int c = n.firstChild; c >= 0; c = nodes_[c].nextSibling) {
        nodes_[c].fail = Next(n.fail, nodes_[c].byte);
        queue.push_back(c);
      }
    }
  }

  int Next(int iState, unsigned char iByte) const {
    while (true) {
      const int child = Child(iState, iByte);
      if (child >= 0) return child;
      if (iState == 0) return 0;
      iState = nodes_[iState].fail;
    }
  }

  // Every key ending at iState; stops at a node already marked, whose
  // chain was marked with it.
  void MarkAll(int iState) {
    for (int node = nodes_[iState].output; node > 0 && !nodes_[node].marked;) {
      nodes_[node].marked = true;
      MarkKeys(node);
      node = nodes_[nodes_[node].fail].output;
    }
  }

  // The keys ending at iState whose occurrence ending at iEnd starts and
  // ends on character boundaries (iStarts).
  void MarkOnBoundaries(int iState, const std::vector<char>& iStarts, size_t iEnd) {
    if (!iStarts[iEnd]) return;
    for (int node = nodes_[iState].output; node > 0;
         node = nodes_[nodes_[node].fail].output) {
      if (iStarts[iEnd - nodes_[node].depth]) MarkKeys(node);
    }
  }

  std::vector<Node> nodes_;
  std::array<int, 256> root_children_;
  std::vector<int> next_key_;  // next key ending at the same node
  std::vector<bool> found_;
};

}  // namespace

void DropCoveredCollapsedParts(const std::vector<std::string>& iSelected,
                               std::vector<std::string>& ioParts) {
  if (iSelected.empty() || ioParts.empty()) return;
  std::vector<std::string> keys;
  keys.reserve(ioParts.size());
  for (const std::string& part : ioParts) keys.push_back(CollapsedPartKey(part));
  KeyAutomaton automaton(keys);
  for (const std::string& selected : iSelected) automaton.Scan(selected);
  size_t kept = 0;
  for (size_t k = 0; k < ioParts.size(); ++k) {
    if (keys[k].empty() || automaton.Found(k)) continue;
    if (kept != k) ioParts[kept] = std::move(ioParts[k]);
    ++kept;
  }
  ioParts.resize(kept);
}

}  // namespace krvwd7_core
