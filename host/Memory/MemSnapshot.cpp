#include "MemSnapshot.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "MemDocument.h"
#include "MemProduct.h"
#include "MemSession.h"

namespace {

std::string Joined(const std::string& iFatherPath, const std::string& iName) {
  return iFatherPath.empty() ? iName : iFatherPath + "/" + iName;
}

std::array<double, 12> Coefficients(const CATMathTransformation& iPosition) {
  std::array<double, 12> coef;
  iPosition.GetCoef(coef.data());
  return coef;
}

// The knowledge parameters of iProduct's reference, as texts by name.
MemTextMap ParameterMap(const MemProduct* iProduct) {
  std::vector<MemTextMap::Entry> entries;
  for (const auto& [name, parm] : iProduct->Parms()) entries.emplace_back(name, parm->value());
  return MemTextMap(entries.begin(), entries.end());
}

// One product of the session being compared, in depth-first order.
struct Current {
  MemProduct* product;
  const MemDocument* document;
  std::string path;
  int before;          // index in the snapshot, -1 for a new product
  bool fatherIsNew;    // its father is a new product too
};

}  // namespace

// --- Recording ------------------------------------------------------------------

MemSnapshot::MemSnapshot(const MemSession& iSession) {
  for (MemDocument* document : iSession.ProductDocuments()) {
    documents_.emplace_back(document, document->Name());
    // Depth first with an explicit stack: structures may be deep.
    std::vector<std::pair<MemProduct*, int>> stack = {{document->Root(), -1}};
    while (!stack.empty()) {
      const auto [product, father] = stack.back();
      stack.pop_back();
      Record(document, product, father);
      const int index = static_cast<int>(products_.size()) - 1;
      const std::vector<MemProduct*>& children = product->Children();
      for (auto child = children.rbegin(); child != children.rend(); ++child) {
        stack.emplace_back(*child, index);
      }
    }
  }
}

MemSnapshot::~MemSnapshot() {
  for (Product& product : products_) product.object->Release();
}

void MemSnapshot::Record(const MemDocument* iDocument, MemProduct* iProduct,
                         int iFather) {
  iProduct->AddRef();
  const MemProduct* reference = iProduct->Reference();
  if (references_.find(reference) == references_.end()) {
    Reference recorded{reference->PartNumber(),   reference->Revision(),
                       reference->Definition(),   reference->Nomenclature(),
                       reference->Description(),  reference->UserProperties(),
                       {}};
    recorded.parameters = ParameterMap(reference);
    references_.emplace(reference, std::move(recorded));
  }
  index_.emplace(iProduct, static_cast<int>(products_.size()));
  products_.push_back(Product{iProduct, iDocument, iFather, reference,
                              iProduct->InstanceName(), iProduct->Position(),
                              std::as_const(*iProduct).Properties(),
                              std::as_const(*iProduct).Graphic().color,
                              std::as_const(*iProduct).Graphic().shown});
}

std::string MemSnapshot::PathOf(int iIndex) const {
  std::vector<const std::string*> names;
  for (int i = iIndex; products_[i].father >= 0; i = products_[i].father) {
    names.push_back(&products_[i].name);
  }
  std::string path;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    path = Joined(path, **name);
  }
  return path;
}

// --- Comparing ------------------------------------------------------------------

// One run of ChangesTo.
class MemSnapshot::Comparison {
 public:
  Comparison(const MemSnapshot& iBefore, const MemSession& iAfter)
      : before_(iBefore), after_(iAfter), seen_(iBefore.products_.size(), 0) {}

  std::vector<HostChange> Run() {
    CollectCurrent();
    IndexRemovedPlaces();
    // current_ holds the documents one after the other, in order.
    size_t next = 0;
    for (const MemDocument* document : after_.ProductDocuments()) {
      for (; next < current_.size() && current_[next].document == document; ++next) {
        Compare(current_[next]);
      }
      Removed(document);
    }
    // Products of documents that are no longer open.
    for (const auto& [document, name] : before_.documents_) {
      bool open = false;
      for (const MemDocument* now : after_.ProductDocuments()) open |= now == document;
      if (!open) Removed(document);
    }
    return std::move(out_);
  }

 private:
  void CollectCurrent() {
    for (MemDocument* document : after_.ProductDocuments()) {
      struct Pending {
        MemProduct* product;
        std::string path;
        bool fatherIsNew;
      };
      std::vector<Pending> stack = {{document->Root(), "", false}};
      while (!stack.empty()) {
        Pending next = std::move(stack.back());
        stack.pop_back();
        auto found = before_.index_.find(next.product);
        const int before = found == before_.index_.end() ? -1 : found->second;
        if (before >= 0) seen_[before] = 1;
        const std::vector<MemProduct*>& children = next.product->Children();
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
          stack.push_back({*child, Joined(next.path, (*child)->InstanceName()), before < 0});
        }
        current_.push_back(
            Current{next.product, document, std::move(next.path), before, next.fatherIsNew});
      }
    }
  }

  // Where each removed product was, so that a new product in the same place
  // is seen as taking its place.
  void IndexRemovedPlaces() {
    for (size_t i = 0; i < before_.products_.size(); ++i) {
      if (seen_[i]) continue;
      removed_at_.emplace(
          std::make_pair(before_.products_[i].document, before_.PathOf(static_cast<int>(i))),
          static_cast<int>(i));
    }
  }

  HostChange& Add(HostChange::Kind iKind, const Current& iProduct) {
    out_.emplace_back();
    HostChange& change = out_.back();
    change.kind = iKind;
    change.document = iProduct.document->Name();
    change.path = iProduct.path;
    change.partNumber = iProduct.product->PartNumber();
    return change;
  }

  void Compare(const Current& iProduct) {
    if (iProduct.before < 0) {
      New(iProduct);
      return;
    }
    const Product& before = before_.products_[iProduct.before];
    Placement(iProduct, before);
    const Reference& reference = before_.references_.at(before.reference);
    const MemProduct* now = iProduct.product;
    Text(iProduct, HostChange::Kind::kPartNumber, "", reference.partNumber, now->PartNumber());
    Text(iProduct, HostChange::Kind::kAttribute, "revision", reference.revision, now->Revision());
    Text(iProduct, HostChange::Kind::kAttribute, "definition", reference.definition,
         now->Definition());
    Text(iProduct, HostChange::Kind::kAttribute, "nomenclature", reference.nomenclature,
         now->Nomenclature());
    Text(iProduct, HostChange::Kind::kAttribute, "description", reference.description,
         now->Description());
    Map(iProduct, HostChange::Kind::kUserProperty, reference.userProperties,
        now->UserProperties());
    Map(iProduct, HostChange::Kind::kParameter, reference.parameters, ParameterMap(now));
    Map(iProduct, HostChange::Kind::kProperty, before.properties, now->Properties());
    if (before.position != now->Position()) {
      HostChange& change = Add(HostChange::Kind::kPosition, iProduct);
      change.oldPosition = Coefficients(before.position);
      change.newPosition = Coefficients(now->Position());
    }
    Text(iProduct, HostChange::Kind::kAttribute, "colour", before.colour, now->Graphic().color);
    Text(iProduct, HostChange::Kind::kAttribute, "shown", before.shown ? "true" : "false",
         now->Graphic().shown ? "true" : "false");
  }

  // A product that was not there: added, or re-referenced when it took the
  // place of a removed one below a father that was there.
  void New(const Current& iProduct) {
    if (!iProduct.fatherIsNew && iProduct.product->Father() != nullptr) {
      auto removed = removed_at_.find(std::make_pair(iProduct.document, iProduct.path));
      if (removed != removed_at_.end()) {
        const Product& old = before_.products_[removed->second];
        HostChange& change = Add(HostChange::Kind::kReReferenced, iProduct);
        change.oldValue = before_.references_.at(old.reference).partNumber;
        change.newValue = iProduct.product->PartNumber();
        seen_[removed->second] = 1;
        removed_at_.erase(removed);
        return;
      }
    }
    Add(HostChange::Kind::kAdded, iProduct);
  }

  // Moved or renamed.
  void Placement(const Current& iProduct, const Product& iBefore) {
    const MemProduct* father = iProduct.product->Father();
    const MemProduct* father_before =
        iBefore.father < 0 ? nullptr : before_.products_[iBefore.father].object;
    const bool moved = father != father_before || iBefore.document != iProduct.document;
    if (!moved && iBefore.name == iProduct.product->InstanceName()) return;
    HostChange& change =
        Add(moved ? HostChange::Kind::kMoved : HostChange::Kind::kRenamed, iProduct);
    change.oldPath = before_.PathOf(iProduct.before);
  }

  void Text(const Current& iProduct, HostChange::Kind iKind, const char* iName,
            const std::string& iOld, const std::string& iNew) {
    if (iOld == iNew) return;
    HostChange& change = Add(iKind, iProduct);
    change.name = iName;
    change.oldValue = iOld;
    change.newValue = iNew;
  }

  // Entries created, deleted or changed between two maps, by name.
  void Map(const Current& iProduct, HostChange::Kind iKind,
           const MemTextMap& iOld, const MemTextMap& iNew) {
    auto old_it = iOld.begin();
    auto new_it = iNew.begin();
    while (old_it != iOld.end() || new_it != iNew.end()) {
      std::optional<MemTextMap::Entry> old_entry, new_entry;
      if (old_it != iOld.end()) old_entry = *old_it;
      if (new_it != iNew.end()) new_entry = *new_it;
      const bool take_old = !new_entry || (old_entry && old_entry->first <= new_entry->first);
      const bool take_new = !old_entry || (new_entry && new_entry->first <= old_entry->first);
      const std::string_view name = take_old ? old_entry->first : new_entry->first;
      std::optional<std::string_view> old_value, new_value;
      if (take_old) old_value = old_entry->second;
      if (take_new) new_value = new_entry->second;
      if (!old_value || !new_value || *old_value != *new_value) {
        HostChange& change = Add(iKind, iProduct);
        change.name = name;
        change.hadOld = old_value.has_value();
        change.hasNew = new_value.has_value();
        if (old_value) change.oldValue = *old_value;
        if (new_value) change.newValue = *new_value;
      }
      if (take_old) ++old_it;
      if (take_new) ++new_it;
    }
  }

  void Removed(const MemDocument* iDocument) {
    for (size_t i = 0; i < before_.products_.size(); ++i) {
      const Product& old = before_.products_[i];
      if (seen_[i] || old.document != iDocument) continue;
      out_.emplace_back();
      HostChange& change = out_.back();
      change.kind = HostChange::Kind::kRemoved;
      for (const auto& [document, name] : before_.documents_) {
        if (document == iDocument) change.document = name;
      }
      change.path = before_.PathOf(static_cast<int>(i));
      change.partNumber = before_.references_.at(old.reference).partNumber;
    }
  }

  const MemSnapshot& before_;
  const MemSession& after_;
  std::vector<char> seen_;
  std::vector<Current> current_;
  std::map<std::pair<const MemDocument*, std::string>, int> removed_at_;
  std::vector<HostChange> out_;
};

std::vector<HostChange> MemSnapshot::ChangesTo(const MemSession& iSession) const {
  return Comparison(*this, iSession).Run();
}
