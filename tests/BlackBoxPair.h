// A small black box and its PSN, built in a session for the tests of the
// services that work across the two.
//
//   PSN.CATProduct (root "PSN")        BB.CATProduct (root "BB", black box)
//     Asm.1 (ASM)                         [type 2: PSN.1 (PSN), then:]
//       Bolt.1 (BOLT)                       Asm.1 (ASM)
//       Nut.1 (NUT)                           Bolt.1, Nut.1
//     Washer.1 (WASHER)                     Washer.1
//
// Every PSN product has a VPM printable id; its black-box twin carries the
// same id in "BBPrintableId" and a reference of its own with the same part
// number (so one side's version can change alone), so the two structures
// compare as up to date. Products are found by instance name in
// `psn` and `bb` (the PSN node of a type 2 black box is bb["PSN.1"]). The
// black box's PSN printable id is the PSN root's, so the services find the
// PSN document. Every product is borrowed from the session.
#ifndef KRVWD7_TESTS_BLACKBOXPAIR_H_
#define KRVWD7_TESTS_BLACKBOXPAIR_H_

#include <map>
#include <string>
#include <vector>

#include "MemBuilder.h"
#include "MemSession.h"

namespace krvwd7_test {

struct BlackBoxPair {
  MemDocument *bbDocument = nullptr, *psnDocument = nullptr;
  MemProduct *bbRoot = nullptr, *psnRoot = nullptr;
  MemProduct* bbNode = nullptr;  // stands for the PSN root in the black box
  std::map<std::string, MemProduct*> psn, bb;
};

// The printable id of a product of the pair, by its chain of clinks.
inline std::string PairId(const std::vector<uint64_t>& iClinks) {
  return MemBuilder::PrintableId(1, iClinks);
}

// Builds the pair in ioSession (documents opened black box first, so its
// window is current). iType 1 or 2; iFlatten marks the black box flattened
// (the structure is the same).
inline BlackBoxPair MakeBlackBoxPair(MemSession& ioSession, int iType,
                                     bool iFlatten = false) {
  MemBuilder build(ioSession);
  BlackBoxPair pair;
  pair.bbDocument = build.Document("BB.CATProduct", "BB", true);
  pair.psnDocument = build.Document("PSN.CATProduct", "PSN", true);
  pair.bbRoot = pair.bbDocument->Root();
  pair.psnRoot = pair.psnDocument->Root();
  pair.psnRoot->Vpm() = MemVpm{PairId({}), "VPMENV", ""};

  MemProduct* bb = pair.bbRoot;
  bb->AddParm("BBNote", "test black box");
  bb->Properties() = {{"BBVersion", "2"},
                      {"BBType", std::to_string(iType)},
                      {"BBPSNPartNumber", "PSN"},
                      {"BBFlatten", iFlatten ? "1" : "0"},
                      {"BBPSNPrintableId", PairId({})}};
  pair.bbNode = bb;
  if (iType == 2) {
    pair.bbNode = build.Add(bb, "PSN.1", "PSN", MemKind::kComponent);
    pair.bbNode->Properties() = {{"BBPrintableId", PairId({})}, {"BBVpmEnv", "VPMENV  "}};
    pair.bb["PSN.1"] = pair.bbNode;
  }

  // Each PSN product and its black-box twin.
  auto twin = [&](MemProduct* iPSNFather, MemProduct* iBBFather, const std::string& iName,
                  const std::string& iPartNumber, MemKind iKind,
                  const std::vector<uint64_t>& iClinks, double iX) {
    MemProduct* psn = build.Add(iPSNFather, iName, iPartNumber, iKind);
    psn->Vpm() = MemVpm{PairId(iClinks), "VPMENV", ""};
    psn->SetPosition(MemBuilder::Translation(iX, 0, 0));
    MemProduct* bb = build.Add(iBBFather, iName, iPartNumber, iKind);
    bb->Properties() = {{"BBPrintableId", PairId(iClinks)}, {"BBVpmEnv", "VPMENV  "}};
    bb->SetPosition(MemBuilder::Translation(iX, 0, 0));
    pair.psn[iName] = psn;
    pair.bb[iName] = bb;
  };
  twin(pair.psnRoot, pair.bbNode, "Asm.1", "ASM", MemKind::kProduct, {0xA1}, 0);
  twin(pair.psn["Asm.1"], pair.bb["Asm.1"], "Bolt.1", "BOLT", MemKind::kPart, {0xA1, 0xB1}, 10);
  twin(pair.psn["Asm.1"], pair.bb["Asm.1"], "Nut.1", "NUT", MemKind::kPart, {0xA1, 0xC1}, 20);
  twin(pair.psnRoot, pair.bbNode, "Washer.1", "WASHER", MemKind::kPart, {0xD1}, 30);
  return pair;
}

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_BLACKBOXPAIR_H_
