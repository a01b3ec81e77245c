#include "MemBuilder.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <random>

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

namespace {

const char kEnv[] = "VPMENV  ";

// Gives a generated PSN product its VPM identity below iFather's.
void Identify(MemProduct* ioProduct, const MemProduct* iFather, uint64_t iClink) {
  ioProduct->Vpm().SetPrintableId(std::string(iFather->Vpm().PrintableId()) + MemBuilder::Hex16(iClink));
  ioProduct->Vpm().SetEnv(std::string(iFather->Vpm().Env()) + "/" + kEnv);
}

void Describe(MemProduct* ioProduct) {
  ioProduct->SetDefinition("1");
  ioProduct->SetRevision("A");
}

}  // namespace

MemPSNPair MemBuilder::GeneratePSN(const MemPSNSpec& iSpec) {
  MemPSNPair pair;
  MemDocument* psn_doc = Document("PSN.CATProduct", "PSN", true);
  pair.psnRoot = psn_doc->Root();
  pair.psnRoot->Vpm().SetPrintableId(PrintableId(1, {}));
  pair.psnRoot->Vpm().SetEnv(kEnv);
  Describe(pair.psnRoot);

  MemDocument* bb_doc = Document("BB.CATProduct", "BB", true);
  pair.bbRoot = bb_doc->Root();
  pair.bbRoot->AddParm("BBNote", "generated");
  pair.bbRoot->Properties() = {{"BBVersion", "2"},
                               {"BBType", "2"},
                               {"BBPSNPartNumber", "PSN"},
                               {"BBFlatten", "0"},
                               {"BBPSNPrintableId", std::string(pair.psnRoot->Vpm().PrintableId())}};
  pair.psnNode = Add(pair.bbRoot, "PSN.1", "PSN", MemKind::kComponent);
  pair.psnNode->Properties() = {{"BBPrintableId", std::string(pair.psnRoot->Vpm().PrintableId())},
                                {"BBVpmEnv", kEnv}};

  std::mt19937 random(iSpec.seed);
  auto percent = [&random](int iShare) {
    return static_cast<int>(random() % 100) < iShare;
  };
  const int models = iSpec.products * iSpec.modelShare / 100;
  const int model_numbers = std::max(1, models / std::max(1, iSpec.modelRepeat));
  std::deque<MemProduct*> fathers{pair.psnRoot};
  int made = 0;
  while (made < iSpec.products && !fathers.empty()) {
    MemProduct* father = fathers.front();
    fathers.pop_front();
    const int fan_out = 1 + static_cast<int>(random() % std::max(1, iSpec.maxFanOut));
    for (int k = 1; k <= fan_out && made < iSpec.products; ++k, ++made) {
      const std::string index = std::to_string(made);
      const std::string place = "." + std::to_string(k);
      const bool last_open = fathers.empty() && k == fan_out;
      MemProduct* product = nullptr;
      if (percent(iSpec.assemblyShare) || last_open) {
        product = Add(father, "Asm" + place, "ASM-" + index, MemKind::kProduct);
        fathers.push_back(product);
      } else if (percent(iSpec.modelShare)) {
        const std::string number =
            "MODEL-" + std::to_string(random() % static_cast<unsigned>(model_numbers));
        MemProduct* model = s_.FindByPartNumber(number, psn_doc);
        if (model == nullptr) {
          model = s_.NewReference(psn_doc, number, MemKind::kModel);
          const std::string file = number + ".model";
          s_.ShapeDocument(file);
          model->AddShape(MemShape{"Default", file, "/models/" + file});
          Describe(model);
        }
        product = s_.NewInstance(father, model, "Model" + place);
      } else {
        product = Add(father, "Part" + place, "PART-" + index, MemKind::kPart);
      }
      Describe(product);
      Identify(product, father, 0x1000 + static_cast<uint64_t>(made));
      product->SetPosition(Translation(made, k, 0));
    }
  }
  // Fathers first, children in order, as GetAllChildren lists them.
  std::vector<std::pair<MemProduct*, size_t>> stack{{pair.psnRoot, 0}};
  while (!stack.empty()) {
    auto& top = stack.back();
    if (top.second == top.first->Children().size()) {
      stack.pop_back();
      continue;
    }
    MemProduct* child = top.first->Children()[top.second++];
    pair.psnProducts.push_back(child);
    stack.emplace_back(child, 0);
  }
  return pair;
}
