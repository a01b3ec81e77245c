// The structure of a session at one moment, and what changed since.
//
// A snapshot records every product of the session's product documents,
// depth first in document order: the product object itself (one reference
// held, so that no other product can take its address while the snapshot
// lives), its father, document and instance name, its position, text
// properties and graphic properties, and once per reference the part
// number, attributes, user properties and parameters. ChangesTo compares a
// session with it and lists the changes (HostChange in HostSession.h):
// products are followed by object identity, so a moved product is one
// change, and a product put in the place of another one whose father was
// already there is a re-referencing rather than a removal and an addition.
//
// Used by the tool's editing commands (through HostSession) and by tests
// on any session. Costs one pass over each side and a hash look-up per
// product; memory about that of the products' own texts.
#ifndef KRVWD7_HOST_MEMSNAPSHOT_H_
#define KRVWD7_HOST_MEMSNAPSHOT_H_

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "CATMathTransformation.h"
#include "HostSession.h"
#include "MemTextMap.h"

class MemDocument;
class MemProduct;
class MemSession;

class MemSnapshot {
 public:
  explicit MemSnapshot(const MemSession& iSession);
  ~MemSnapshot();
  MemSnapshot(const MemSnapshot&) = delete;
  MemSnapshot& operator=(const MemSnapshot&) = delete;

  // What differs in iSession from the recorded structure (see
  // HostSession::ChangesSince for the order).
  std::vector<HostChange> ChangesTo(const MemSession& iSession) const;

  size_t ProductCount() const { return products_.size(); }

 private:
  // What a reference carries, recorded once per reference.
  struct Reference {
    std::string partNumber, revision, definition, nomenclature, description;
    MemTextMap userProperties;
    MemTextMap parameters;
  };
  // One product object (an instance, or a document's root).
  struct Product {
    MemProduct* object;  // one reference held
    const MemDocument* document;
    int father;  // index in products_, -1 for a root
    const MemProduct* reference;
    std::string name;
    CATMathTransformation position;
    MemTextMap properties;
    std::string colour;
    bool shown;
  };
  class Comparison;

  void Record(const MemDocument* iDocument, MemProduct* iProduct, int iFather);
  // The instance path of products_[iIndex] below its root.
  std::string PathOf(int iIndex) const;

  std::vector<Product> products_;  // depth first, documents in order
  std::unordered_map<const MemProduct*, int> index_;
  std::unordered_map<const MemProduct*, Reference> references_;
  std::vector<std::pair<const MemDocument*, std::string>> documents_;  // and names
};

#endif  // KRVWD7_HOST_MEMSNAPSHOT_H_
