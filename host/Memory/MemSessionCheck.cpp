// The structural check of a session: the links between documents,
// references, instances and the session's indexes agree with each other.
// Tests run it after operations that change structures (and after every
// failure the fault sweeps inject), so that a half-made change is caught
// where it happens rather than when a later reading trips over it.
#include <unordered_set>
#include <vector>

#include "MemSession.h"

namespace {

// Collects the first problem found; later ones are not looked at.
class Checker {
 public:
  bool ok() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }
  // False (and the problem kept) when iCondition does not hold.
  bool Expect(bool iCondition, const std::string& iWhat) {
    if (!iCondition && problem_.empty()) problem_ = iWhat;
    return iCondition;
  }

 private:
  std::string problem_;
};

std::string Name(const MemProduct* iProduct) {
  if (iProduct == nullptr) return "(null)";
  return iProduct->IsRef() ? "reference '" + iProduct->PartNumber() + "'"
                           : "instance '" + iProduct->InstanceName() + "'";
}

}  // namespace

bool MemSession::CheckInvariants(std::string& oProblem) const {
  Checker check;
  // Whether iReference is in the session's list, at the slot it knows.
  auto Listed = [this](const MemProduct* iReference) {
    if (iReference == nullptr) return false;
    const int slot = iReference->slot_;
    return slot >= 0 && slot < static_cast<int>(references_.size()) &&
           references_[slot] == iReference;
  };
  // Documents and their indexes.
  size_t with_id = 0;
  for (const MemDocument* document : documents_) {
    const std::string name = "document '" + std::string(document->Storage()) + "'";
    check.Expect(document->session_ == this, name + " belongs to another session");
    check.Expect(by_storage_.Find(document->Storage()) == document,
                 name + " is not found by its storage name");
    if (!document->DocId().empty()) {
      ++with_id;
      auto by_id = by_doc_id_.find(document->DocId());
      check.Expect(by_id != by_doc_id_.end() && by_id->second == document,
                   name + " is not found by its identifier");
    }
    const MemProduct* root = document->root_;
    if (root == nullptr) {
      check.Expect(document->editor_ == nullptr, name + " has an editor but no root");
      continue;
    }
    check.Expect(document->editor_ != nullptr, name + " has a root but no editor");
    check.Expect(root->IsRef() && root->IsRoot() && root->document_ == document,
                 name + ": its root does not know it");
    check.Expect(Listed(root),
                 name + ": its root is not in the session");
    check.Expect(root->R().instances_.empty(), name + ": its root has instances");
  }
  check.Expect(by_storage_.size() == documents_.size(),
               "the storage index holds documents that are not open");
  check.Expect(by_doc_id_.size() == with_id,
               "the identifier index holds documents that are not open");

  // References, their children and their instances.
  size_t numbered = 0;
  for (const MemProduct* reference : references_) {
    const std::string name = Name(reference);
    check.Expect(reference->IsRef(), name + " is listed as a reference");
    check.Expect(Listed(reference), name + " does not know its place in the session's list");
    check.Expect(reference->session_ == this, name + " belongs to another session");
    check.Expect(!reference->R().children_.empty() ? reference->R().instances_.size() <= 1 : true,
                 name + " has children and several instances");
    for (size_t slot = 0; slot < reference->R().instances_.size(); ++slot) {
      const MemProduct* instance = reference->R().instances_[slot];
      check.Expect(instance->reference_ == reference &&
                       instance->slot_ == static_cast<int>(slot),
                   Name(instance) + " is not the instance its " + name + " lists");
      check.Expect(instance->owner_ != nullptr &&
                       Listed(instance->owner_),
                   Name(instance) + " of " + name + " has no father in the session");
    }
    for (const MemProduct* child : reference->R().children_) {
      check.Expect(!child->IsRef() && child->owner_ == reference &&
                       child->session_ == this,
                   Name(child) + " below " + name + " does not point back to it");
      check.Expect(Listed(child->reference_),
                   Name(child) + " below " + name + " has a reference out of the session");
    }
    const std::pair<std::string_view, MemProduct*> ordered(
        reference->R().part_number_, const_cast<MemProduct*>(reference));
    check.Expect(!number_order_built_ || by_number_order_.count(ordered) == 1,
                 name + " is not in the part-number order");
    if (!reference->R().part_number_.empty()) {
      ++numbered;
      check.Expect(by_part_number_.Find(PartKey{reference->document_,
                                                reference->R().part_number_}) == reference,
                   name + " is not found by its part number");
    }
  }
  check.Expect(by_part_number_.size() == numbered,
               "the part-number index holds references that are gone");
  check.Expect(!number_order_built_ || by_number_order_.size() == references_.size(),
               "the part-number order holds references that are gone");

  // Every structure is a tree: no reference with children is met twice
  // from the document roots.
  std::unordered_set<const MemProduct*> seen;
  std::vector<const MemProduct*> stack;
  for (const MemDocument* document : documents_) {
    if (document->root_) stack.push_back(document->root_);
  }
  while (!stack.empty() && check.ok()) {
    const MemProduct* reference = stack.back()->Reference();
    stack.pop_back();
    if (reference->R().children_.empty()) continue;
    if (!check.Expect(seen.insert(reference).second,
                      Name(reference) + " is met twice: the structure is no tree")) {
      break;
    }
    for (const MemProduct* child : reference->R().children_) stack.push_back(child);
  }

  // The current editor is the editor of an open product document.
  bool editor_found = current_editor_ == nullptr;
  for (const MemDocument* document : documents_) {
    if (document->editor_.get() == current_editor_) editor_found = true;
  }
  check.Expect(editor_found, "the current editor belongs to no open document");

  oProblem = check.problem();
  return check.ok();
}
