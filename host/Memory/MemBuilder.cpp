#include "MemBuilder.h"

#include <cstdio>

MemDocument* MemBuilder::Document(const std::string& iName,
                                  const std::string& iRootPartNumber, bool iPdm) {
  return s_.NewProductDocument(iName, iName, iRootPartNumber, iPdm);
}

MemProduct* MemBuilder::Add(MemProduct* iFather, const std::string& iName,
                            const std::string& iPartNumber, MemKind iKind) {
  MemProduct* instance = s_.NewComponent(iFather, iName, iPartNumber, iKind);
  if (instance && (iKind == MemKind::kPart || iKind == MemKind::kModel)) {
    std::string file = instance->PartNumber() +
                       (iKind == MemKind::kPart ? ".CATPart" : ".model");
    s_.ShapeDocument(file);
    instance->Reference()->AddShape(MemShape{"Default", file, "/parts/" + file});
  }
  return instance;
}

CATMathTransformation MemBuilder::Translation(double iX, double iY, double iZ) {
  return CATMathTransformation(1, 0, 0, 0, 1, 0, 0, 0, 1, iX, iY, iZ);
}

std::string MemBuilder::Hex16(uint64_t iValue) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(iValue));
  return text;
}

std::string MemBuilder::PrintableId(uint64_t iCoid, const std::vector<uint64_t>& iClinks,
                                    const std::string& iEnv) {
  std::string env = iEnv;
  env.resize(8, ' ');
  std::string table = "PART_LIST";
  table.resize(18, ' ');
  std::string id = Hex16(iCoid) + Hex16(iCoid ^ 0x5A5A5A5AULL) + env + table;
  for (uint64_t clink : iClinks) id += Hex16(clink);
  return id;
}
