// Short-hand construction of session content for tests and benchmarks.
//
// Every product made here is borrowed from the session (see MemSession.h).
// Identifiers are made the way VPM prints them: 16-character fields of
// upper-case hexadecimal, 8-character environments padded with blanks.
#ifndef KRVWD7_HOST_MEMBUILDER_H_
#define KRVWD7_HOST_MEMBUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "CATMathTransformation.h"
#include "MemSession.h"

// What GeneratePSN makes: a PSN of `products` products below its root, in
// levels of assemblies that hold 1 to `maxFanOut` children each; about
// `assemblyShare` % of the products are assemblies and `modelShare` % of
// the leaves model instances, whose part numbers repeat about
// `modelRepeat` times (instances of one model reference); the other leaves
// are parts of their own. The same spec and seed give the same session.
struct MemPSNSpec {
  int products = 1000;
  int maxFanOut = 50;
  int assemblyShare = 20;
  int modelShare = 20;
  int modelRepeat = 4;
  unsigned seed = 1;
};

// A generated black box and its PSN (borrowed from the session).
struct MemPSNPair {
  MemProduct* bbRoot = nullptr;   // a black box of version 2, type 2
  MemProduct* psnNode = nullptr;  // the black box's node of the PSN root
  MemProduct* psnRoot = nullptr;
  // Every product below the PSN root, fathers first (GetAllChildren order).
  std::vector<MemProduct*> psnProducts;
};

class MemBuilder {
 public:
  explicit MemBuilder(MemSession& ioSession) : s_(ioSession) {}

  // A product document stored as iName whose root is numbered iRootPartNumber.
  // REQUIRES: no document is stored as iName.
  MemDocument* Document(const std::string& iName, const std::string& iRootPartNumber,
                        bool iPdm = false);
  // A new reference of iKind numbered iPartNumber (made unique) and its
  // instance iName below iFather. Parts and models get a "Default" shape in
  // a document named after the part number. Null as MemSession::NewInstance.
  MemProduct* Add(MemProduct* iFather, const std::string& iName,
                  const std::string& iPartNumber, MemKind iKind);
  MemProduct* Part(MemProduct* iFather, const std::string& iName,
                   const std::string& iPartNumber) {
    return Add(iFather, iName, iPartNumber, MemKind::kPart);
  }
  MemProduct* Assembly(MemProduct* iFather, const std::string& iName,
                       const std::string& iPartNumber) {
    return Add(iFather, iName, iPartNumber, MemKind::kProduct);
  }
  // Another instance of iReference's reference below iFather.
  MemProduct* Instance(MemProduct* iFather, MemProduct* iReference, const std::string& iName) {
    return s_.NewInstance(iFather, iReference ? iReference->Reference() : nullptr, iName);
  }

  // Opens "BB.CATProduct", a black box that holds only the node of its PSN
  // root, and "PSN.CATProduct", a PSN made as iSpec says, with VPM
  // identities (the root's head, one clink per level, "VPMENV" at every
  // level), version (definition) "1" and revision "A" on every reference.
  // REQUIRES: neither document is open.
  MemPSNPair GeneratePSN(const MemPSNSpec& iSpec);

  // A translation by (iX, iY, iZ).
  static CATMathTransformation Translation(double iX, double iY, double iZ);
  // A 16-character upper-case hexadecimal field.
  static std::string Hex16(uint64_t iValue);
  // A printable identifier: head of object iCoid in environment iEnv and
  // table "PART_LIST", then one clink per value of iClinks.
  static std::string PrintableId(uint64_t iCoid, const std::vector<uint64_t>& iClinks,
                                 const std::string& iEnv = "VPMENV");

 private:
  MemSession& s_;
};

#endif  // KRVWD7_HOST_MEMBUILDER_H_
