// The embedding program's view of the in-memory host.
#include "HostSession.h"

#include <algorithm>

#include "MemDocument.h"
#include "MemFaults.h"
#include "MemPrefault.h"
#include "MemProduct.h"
#include "MemSession.h"
#include "MemSnapshot.h"

bool HostSession::Load(const std::string& iPath, std::string& oError) {
  MemResult loaded = MemSession::Current().Load(iPath);
  if (!loaded) oError = loaded.error;
  return loaded.ok;
}

bool HostSession::Save(const std::string& iPath, std::string& oError) {
  MemResult saved = MemSession::Current().Save(iPath);
  if (!saved) oError = saved.error;
  return saved.ok;
}

void HostSession::StartPopulating() { MemPrefault::Start(); }

void HostSession::PopulateSoon(const void* iFrom, const void* iTo) {
  MemPrefault::Instance().Want(iFrom, iTo);
}

void HostSession::Close() {
  MemSession::Current().Close();
  MemFaults::Clear();
}

std::vector<CATDocument*> HostSession::ProductDocuments() {
  std::vector<CATDocument*> documents;
  for (MemDocument* document : MemSession::Current().ProductDocuments()) {
    documents.push_back(document);
  }
  return documents;
}

std::string HostSession::NameOf(CATDocument* iDocument) {
  const MemDocument* document = MemDocument::From(iDocument);
  return document ? std::string(document->Name()) : std::string();
}

CATDocument* HostSession::FindProductDocument(const std::string& iName) {
  for (MemDocument* document : MemSession::Current().ProductDocuments()) {
    if (document->Name() == iName || document->Storage() == iName) {
      return document;
    }
  }
  return nullptr;
}

bool HostSession::FindProduct(CATDocument* iDocument,
                              const std::vector<std::string>& iPath,
                              CATBaseUnknown_var& oProduct, size_t& oFound,
                              std::vector<std::string>& oChildren) {
  oProduct = CATBaseUnknown_var();
  oFound = 0;
  oChildren.clear();
  const MemDocument* document = MemDocument::From(iDocument);
  if (document == nullptr || document->Root() == nullptr) return false;
  MemProduct* product = document->Root();
  for (const std::string& name : iPath) {
    MemProduct* child = product->FindChild(name);
    if (child == nullptr) {
      for (const MemProduct* existing : product->Children()) {
        oChildren.push_back(existing->InstanceName());
      }
      return false;
    }
    product = child;
    ++oFound;
  }
  oProduct = CATBaseUnknown_var(static_cast<CATIProduct*>(product));
  return true;
}

HostProductPlace HostSession::PlaceOf(const CATBaseUnknown_var& iProduct) {
  HostProductPlace place;
  MemProduct* product = MemProduct::From(iProduct);
  if (product == nullptr || product->Document() == nullptr) return place;
  // The product's own document: the one whose root is at the top. A root
  // is held by its own document, so that one is tried first: the session's
  // documents include a shape document per part, too many to scan for
  // every product a command reports.
  const MemProduct* top = product->Top();
  MemDocument* own = top->Document();
  if (own != nullptr && own->Root() == top && own->IsProductDocument()) {
    place.document = own;
  } else {
    for (MemDocument* document : MemSession::Current().ProductDocuments()) {
      if (document->Root() == top) place.document = document;
    }
  }
  if (place.document == nullptr) return place;
  place.documentName = MemDocument::From(place.document)->Name();
  for (const MemProduct* p = product; p->Father() != nullptr; p = p->Father()) {
    place.path.push_back(p->InstanceName());
  }
  std::reverse(place.path.begin(), place.path.end());
  place.partNumber = product->PartNumber();
  return place;
}

// --- Structural comparison ------------------------------------------------------

class HostSnapshot : public MemSnapshot {
 public:
  using MemSnapshot::MemSnapshot;
};

void HostSnapshotDeleter::operator()(HostSnapshot* iSnapshot) const {
  delete iSnapshot;
}

HostSnapshotPtr HostSession::TakeSnapshot() {
  return HostSnapshotPtr(new HostSnapshot(MemSession::Current()));
}

std::vector<HostChange> HostSession::ChangesSince(const HostSnapshot& iBefore) {
  return iBefore.ChangesTo(MemSession::Current());
}

const char* HostChangeKindName(HostChange::Kind iKind) {
  switch (iKind) {
    case HostChange::Kind::kAdded: return "added";
    case HostChange::Kind::kRemoved: return "removed";
    case HostChange::Kind::kMoved: return "moved";
    case HostChange::Kind::kRenamed: return "renamed";
    case HostChange::Kind::kReReferenced: return "re-referenced";
    case HostChange::Kind::kPartNumber: return "part number";
    case HostChange::Kind::kAttribute: return "attribute";
    case HostChange::Kind::kUserProperty: return "user property";
    case HostChange::Kind::kProperty: return "property";
    case HostChange::Kind::kParameter: return "parameter";
    case HostChange::Kind::kPosition: return "position";
  }
  return "";
}
