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
