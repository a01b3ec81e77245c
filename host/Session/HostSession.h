// The in-memory host as a program that embeds it sees it.
//
// A program that runs the library's services the way a command of the host
// would (the tool krvwd7) loads a saved session into the host, picks its
// documents, and saves the result; everything else it does through the
// host's interfaces. This header is all it sees of the in-memory
// implementation.
//
// The host has one process-wide session. Documents handed out are borrowed
// and stay valid until the session is closed or replaced.
#ifndef KRVWD7_HOST_HOSTSESSION_H_
#define KRVWD7_HOST_HOSTSESSION_H_

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"

class CATDocument;

// Where a product of the session is: its document and the instance names
// from below the document's root down to it (empty for the root).
struct HostProductPlace {
  CATDocument* document = nullptr;  // borrowed; null: not a product of the session
  std::string documentName;
  std::vector<std::string> path;
  std::string partNumber;
};

// One change of a session's structure between two moments, found by
// comparing the session with a snapshot taken before (ChangesSince).
// Products are followed by identity, not by name: a product moved or
// renamed is the same product, one replaced by another is not.
struct HostChange {
  enum class Kind {
    kAdded,         // a product that was not there (each product of a new branch)
    kRemoved,       // a product that is gone (each product of a removed branch)
    kMoved,         // under another father: oldPath -> path
    kRenamed,       // another instance name under the same father
    kReReferenced,  // another product (another reference) took the place of
                    // one that existed: oldValue -> newValue part numbers
    kPartNumber,    // oldValue -> newValue
    kAttribute,     // name: "revision", "definition", "nomenclature",
                    // "description", "colour" or "shown"
    kUserProperty,  // user property `name` of the reference
    kProperty,      // text property `name` of the product
    kParameter,     // knowledge parameter `name` of the reference
    kPosition       // position in the father: oldPosition -> newPosition
  };
  Kind kind = Kind::kAdded;
  std::string document;    // the name of the product's document
  std::string path;        // instance path below the document's root ("" for
                           // the root); where it was, for kRemoved
  std::string oldPath;     // kMoved, kRenamed
  std::string partNumber;  // the product's (before the change for kRemoved)
  std::string name;        // kAttribute, kUserProperty, kProperty, kParameter
  // Values as texts. hadOld / hasNew are false for a property, user
  // property or parameter that did not exist before / does not exist now.
  std::string oldValue, newValue;
  bool hadOld = true, hasNew = true;
  std::array<double, 12> oldPosition{}, newPosition{};  // kPosition
};

// The name of a kind as the tool prints it ("added", "part number", ...).
const char* HostChangeKindName(HostChange::Kind iKind);

// The structure of the process's session at one moment (opaque).
class HostSnapshot;
struct HostSnapshotDeleter {
  void operator()(HostSnapshot* iSnapshot) const;
};
using HostSnapshotPtr = std::unique_ptr<HostSnapshot, HostSnapshotDeleter>;

class HostSession {
 public:
  // Replaces the process's session by the one in the session file iPath.
  // False with a one-line message naming the file and the place when the
  // file cannot be used; the session is then left as it was.
  static bool Load(const std::string& iPath, std::string& oError);
  // Writes the process's session to iPath; the file is replaced only once
  // its new content is complete. False with a one-line message otherwise.
  static bool Save(const std::string& iPath, std::string& oError);
  // Closes the process's session and drops the faults its file declared.
  static void Close();

  // The product documents in opening order.
  static std::vector<CATDocument*> ProductDocuments();
  // The name a user sees in the document's window title; "" for an object
  // that is not a document of the session.
  static std::string NameOf(CATDocument* iDocument);
  // The product document whose name or storage name is iName; null when
  // there is none.
  static CATDocument* FindProductDocument(const std::string& iName);

  // The product of iDocument at iPath (instance names below its root; empty
  // for the root), the first child of each name. When there is none,
  // oProduct is empty, oFound is the number of leading names that were
  // found and oChildren holds the instance names of the children of the
  // last product found, in order (for a message). Reads the host directly:
  // no fault point is consulted or counted.
  static bool FindProduct(CATDocument* iDocument,
                          const std::vector<std::string>& iPath,
                          CATBaseUnknown_var& oProduct, size_t& oFound,
                          std::vector<std::string>& oChildren);
  // Where iProduct is (document null when it is not a product of the
  // session). No fault point, as FindProduct.
  static HostProductPlace PlaceOf(const CATBaseUnknown_var& iProduct);

  // Structural comparison. TakeSnapshot records every product of the
  // product documents: where it is, its reference's attributes, user
  // properties and parameters, its own properties, position and graphic
  // properties. ChangesSince lists what differs now, document by document
  // in opening order; within a document the products in their order, then
  // those removed. Representation modes and VPM identities are not
  // compared. A snapshot holds a reference on every product it recorded
  // (safe to release after the session closed). Linear in the number of
  // products.
  static HostSnapshotPtr TakeSnapshot();
  static std::vector<HostChange> ChangesSince(const HostSnapshot& iBefore);

  // For a program's memory allocator, which hands out the memory that the
  // session's texts and lists are made in: the host's background thread
  // makes [iFrom, iTo) resident soon, as it does for its own object pools
  // (host/Memory/MemPrefault.h). The range must stay mapped. Safe to call
  // from inside an allocation (it never allocates) once
  // StartPopulating() has run from a place that may allocate.
  static void StartPopulating();
  static void PopulateSoon(const void* iFrom, const void* iTo);
};

#endif  // KRVWD7_HOST_HOSTSESSION_H_
