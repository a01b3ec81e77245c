#include "KRVWD7UtiPrdServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "KRVWD7UtiDocServices.h"
#include "MemBuilder.h"
#include "MemFaults.h"

namespace {

using Prd = KRVWD7UtiPrdServices;

CATBaseUnknown_var H(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

std::string Dump(MemProduct* iProduct, int iDepth = 0) {
  std::ostringstream out;
  out << std::string(2 * iDepth, ' ') << iProduct->DescriptiveText()
      << (iProduct->IsLoaded() ? "" : " [not loaded]") << "\n";
  for (MemProduct* child : iProduct->Children()) out << Dump(child, iDepth + 1);
  return out.str();
}

// The instance names of a list of product handles, joined by blanks.
std::string Names(const CATListValCATBaseUnknown_var* iList) {
  if (iList == nullptr) return "<null>";
  std::string names;
  for (const CATBaseUnknown_var& item : *iList) {
    MemProduct* product = MemProduct::From(item);
    if (!names.empty()) names += ' ';
    names += product ? product->InstanceName() : "?";
  }
  return names;
}

// Root
//   Asm.1 (ASM)
//     Bolt.1 (BOLT)
//     Sub.1 (SUB)
//       Nut.1 (NUT)
//     Bolt.2 (BOLT)
//   Plate.1 (PLATE)
class KRVWD7UtiPrdServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = CATBaseUnknown::LiveObjects();
    MemBuilder build(session_);
    doc_ = build.Document("BB.CATProduct", "BB-ROOT");
    root_ = doc_->Root();
    asm_ = build.Assembly(root_, "Asm.1", "ASM");
    bolt_ = build.Part(asm_, "Bolt.1", "BOLT");
    sub_ = build.Assembly(asm_, "Sub.1", "SUB");
    nut_ = build.Part(sub_, "Nut.1", "NUT");
    bolt2_ = build.Instance(asm_, bolt_, "Bolt.2");
    plate_ = build.Part(root_, "Plate.1", "PLATE");
    ASSERT_NE(bolt2_, nullptr);
    ASSERT_NE(plate_, nullptr);
  }
  void TearDown() override {
    MemFaults::Clear();
    session_.Close();
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "objects leaked";
  }

  std::unique_ptr<CATListValCATBaseUnknown_var> All(MemProduct* iTop, int iMode) {
    CATListValCATBaseUnknown_var* list = nullptr;
    EXPECT_EQ(Prd::GetAllChildren(H(iTop), list, "CATIProduct", iMode), S_OK);
    return std::unique_ptr<CATListValCATBaseUnknown_var>(list);
  }

  long live_ = 0;
  MemSession session_;
  MemDocument* doc_ = nullptr;
  MemProduct *root_ = nullptr, *asm_ = nullptr, *bolt_ = nullptr,
             *sub_ = nullptr, *nut_ = nullptr, *bolt2_ = nullptr,
             *plate_ = nullptr;
};

TEST_F(KRVWD7UtiPrdServicesTest, TextPropertiesFoundAbsentCreatedWritten) {
  CATUnicodeString value = "stale";
  EXPECT_EQ(Prd::GetProperty(H(bolt_), "BBVpmEnv", value), S_FALSE);
  EXPECT_EQ(value, "");
  EXPECT_EQ(Prd::SetProperty(H(bolt_), "BBVpmEnv", "X"), E_FAIL);  // absent
  EXPECT_EQ(Prd::CreateProperty(H(bolt_), "BBVpmEnv", "ENV1"), S_OK);
  EXPECT_EQ(Prd::CreateProperty(H(bolt_), "BBVpmEnv", "ENV2"), E_FAIL);
  EXPECT_EQ(Prd::GetProperty(H(bolt_), "BBVpmEnv", value), S_OK);
  EXPECT_EQ(value, "ENV1");
  EXPECT_EQ(Prd::SetProperty(H(bolt_), "BBVpmEnv", "ENV3"), S_OK);
  EXPECT_EQ(Prd::GetProperty(H(bolt_), "BBVpmEnv", value), S_OK);
  EXPECT_EQ(value, "ENV3");
  // Properties belong to the instance, not to its shared reference.
  EXPECT_EQ(Prd::GetProperty(H(bolt2_), "BBVpmEnv", value), S_FALSE);
}

TEST_F(KRVWD7UtiPrdServicesTest, ParametersLiveOnTheReference) {
  CATICkeParm_var parm;
  CATUnicodeString value = "stale";
  EXPECT_EQ(Prd::GetParameter(H(bolt_), "BBNote", parm, &value), S_FALSE);
  EXPECT_FALSE(parm);
  EXPECT_EQ(value, "");
  ASSERT_EQ(Prd::CreateParameter(H(bolt_), "BBNote", "first", parm), S_OK);
  ASSERT_TRUE(parm);
  EXPECT_EQ(Prd::CreateParameter(H(bolt2_), "BBNote", "again", parm), E_FAIL);
  EXPECT_FALSE(parm);
  // Read through the other instance of the same reference, then valuated.
  ASSERT_EQ(Prd::GetParameter(H(bolt2_), "BBNote", parm, &value), S_OK);
  EXPECT_EQ(value, "first");
  ASSERT_EQ(parm->Valuate("second"), S_OK);
  EXPECT_EQ(Prd::GetParameter(H(bolt_), "BBNote", parm, &value), S_OK);
  EXPECT_EQ(value, "second");
}

TEST_F(KRVWD7UtiPrdServicesTest, AttributesAreReadThroughInstances) {
  bolt_->SetRevision("B");
  bolt_->SetDefinition("DEF");
  bolt_->SetNomenclature("NOM");
  bolt_->SetDescription("DESC");
  bolt_->UserProperties()["Version"] = "3";
  CATUnicodeString value;
  EXPECT_EQ(Prd::GetPartNumber(H(bolt2_), value), S_OK);
  EXPECT_EQ(value, "BOLT");
  EXPECT_EQ(Prd::GetRevision(H(bolt2_), value), S_OK);
  EXPECT_EQ(value, "B");
  EXPECT_EQ(Prd::GetDefinition(H(bolt2_), value), S_OK);
  EXPECT_EQ(value, "DEF");
  EXPECT_EQ(Prd::GetNomenclature(H(bolt2_), value), S_OK);
  EXPECT_EQ(value, "NOM");
  EXPECT_EQ(Prd::GetDescriptionRef(H(bolt2_), value), S_OK);
  EXPECT_EQ(value, "DESC");
  EXPECT_EQ(Prd::GetPrdProperty(H(bolt2_), "Version", value), S_OK);
  EXPECT_EQ(value, "3");
  EXPECT_EQ(Prd::GetPrdProperty(H(bolt2_), "Missing", value), S_FALSE);
  EXPECT_EQ(value, "");
  EXPECT_EQ(Prd::GetInstanceName(H(bolt2_), value), S_OK);
  EXPECT_EQ(value, "Bolt.2");
}

TEST_F(KRVWD7UtiPrdServicesTest, SetPartNumberKeepsNumbersUnique) {
  EXPECT_EQ(Prd::SetPartNumber(H(plate_), "BOLT"), S_FALSE);
  CATUnicodeString value;
  ASSERT_EQ(Prd::GetPartNumber(H(plate_), value), S_OK);
  EXPECT_EQ(value, "PLATE");
  EXPECT_EQ(Prd::SetPartNumber(H(plate_), "PLATE-2"), S_OK);
  ASSERT_EQ(Prd::GetPartNumber(H(plate_), value), S_OK);
  EXPECT_EQ(value, "PLATE-2");
}

TEST_F(KRVWD7UtiPrdServicesTest, BadArgumentsGiveTheirCodes) {
  CATUnicodeString value;
  CATBaseUnknown_var empty;
  CATBaseUnknown_var parm_object(new MemParm("p", "v"));
  parm_object->Release();  // the handle keeps the only reference
  CATListValCATBaseUnknown_var* list = nullptr;
  struct Case {
    const char* what;
    HRESULT got;
    HRESULT want;
  };
  const Case cases[] = {
      {"GetProperty empty handle", Prd::GetProperty(empty, "a", value), E_INVALIDARG},
      {"GetProperty empty name", Prd::GetProperty(H(bolt_), "", value), E_INVALIDARG},
      {"GetProperty non-product", Prd::GetProperty(parm_object, "a", value), E_FAIL},
      {"GetPartNumber empty", Prd::GetPartNumber(empty, value), E_INVALIDARG},
      {"GetInstancePath empty root", Prd::GetInstancePath(H(bolt_), empty, value),
       E_INVALIDARG},
      {"GetInstancePath not below", Prd::GetInstancePath(H(plate_), H(asm_), value),
       E_FAIL},
      {"GetChildren other interface", Prd::GetChildren(H(asm_), list, "CATIMovable", 0),
       E_INVALIDARG},
      {"GetChildren null interface", Prd::GetChildren(H(asm_), list, nullptr, 0),
       E_INVALIDARG},
      {"GetAllChildren mode 1", Prd::GetAllChildren(H(asm_), list, "CATIProduct", 1),
       E_INVALIDARG},
      {"CopyPosition onto a root", Prd::CopyPosition(H(root_), H(bolt_)), E_FAIL},
      {"CopyPosition empty source", Prd::CopyPosition(H(bolt_), empty), E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.got, c.want);
  }
  EXPECT_EQ(list, nullptr);
}

TEST_F(KRVWD7UtiPrdServicesTest, InstancePathsFromAnyRoot) {
  CATUnicodeString path = "stale";
  EXPECT_EQ(Prd::GetInstancePath(H(nut_), H(root_), path), S_OK);
  EXPECT_EQ(path, "Asm.1/Sub.1/Nut.1");
  EXPECT_EQ(Prd::GetInstancePath(H(nut_), H(asm_), path), S_OK);
  EXPECT_EQ(path, "Sub.1/Nut.1");
  EXPECT_EQ(Prd::GetInstancePath(H(root_), H(root_), path), S_OK);
  EXPECT_EQ(path, "");
  EXPECT_EQ(Prd::GetInstancePath(H(asm_), H(nut_), path), E_FAIL);
  EXPECT_EQ(path, "");
}

TEST_F(KRVWD7UtiPrdServicesTest, PositionsAreCopiedInTheFather) {
  const CATMathTransformation moved = MemBuilder::Translation(10, 20, 30);
  ASSERT_EQ(Prd::CopyPosition(H(bolt_), moved), S_OK);
  CATMathTransformation position;
  ASSERT_EQ(Prd::GetPosition(H(bolt_), position), S_OK);
  EXPECT_EQ(position, moved);
  // Between products: the source's position in its own father.
  asm_->SetPosition(MemBuilder::Translation(100, 0, 0));
  ASSERT_EQ(Prd::CopyPosition(H(plate_), H(bolt_)), S_OK);
  ASSERT_EQ(Prd::GetPosition(H(plate_), position), S_OK);
  EXPECT_EQ(position, moved);
  ASSERT_EQ(Prd::GetPosition(H(root_), position), S_OK);
  EXPECT_TRUE(position.IsIdentity());
}

TEST_F(KRVWD7UtiPrdServicesTest, SimilarPositionComparesEveryCoefficient) {
  const CATMathTransformation base = MemBuilder::Translation(1, 2, 3);
  struct Row {
    int index;
    double delta;
    int similar;
  };
  const Row rows[] = {{0, 0.0, 1},    {0, 0.0009, 1}, {4, -0.00099, 1},
                      {8, 0.0011, 0}, {9, 0.002, 0},  {11, -0.5, 0},
                      {3, 0.0011, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE("coefficient " + std::to_string(row.index) + " moved by " +
                 std::to_string(row.delta));
    double coef[12];
    base.GetCoef(coef);
    coef[row.index] += row.delta;
    EXPECT_EQ(Prd::IsSimilarPosition(base, CATMathTransformation(coef), 0.001),
              row.similar);
  }
}

TEST_F(KRVWD7UtiPrdServicesTest, ChildrenInDepthFirstOrder) {
  CATListValCATBaseUnknown_var* direct = nullptr;
  ASSERT_EQ(Prd::GetChildren(H(asm_), direct, "CATIProduct", 0), S_OK);
  EXPECT_EQ(Names(direct), "Bolt.1 Sub.1 Bolt.2");
  delete direct;
  EXPECT_EQ(Names(All(root_, 0).get()), "Asm.1 Bolt.1 Sub.1 Nut.1 Bolt.2 Plate.1")
      << Dump(root_);
  // A leaf has no child: no list at all.
  CATListValCATBaseUnknown_var* none = nullptr;
  EXPECT_EQ(Prd::GetChildren(H(nut_), none, "CATIProduct", 0), S_OK);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(All(nut_, 2), nullptr);
}

TEST_F(KRVWD7UtiPrdServicesTest, ModeTwoSkipsWhatIsNotLoadedUntilProductMode) {
  sub_->SetLoaded(false);
  nut_->SetLoaded(false);
  EXPECT_EQ(Names(All(root_, 2).get()), "Asm.1 Bolt.1 Bolt.2 Plate.1") << Dump(root_);
  EXPECT_EQ(Names(All(root_, 0).get()), "Asm.1 Bolt.1 Sub.1 Nut.1 Bolt.2 Plate.1");
  CATListValCATBaseUnknown_var* below = nullptr;
  EXPECT_EQ(Prd::GetChildren(H(sub_), below, "CATIProduct", 2), S_OK);
  EXPECT_EQ(below, nullptr);
  // Product mode on the root loads everything below it, recursively.
  ASSERT_EQ(Prd::SwitchToProductMode(H(root_)), S_OK);
  EXPECT_EQ(Names(All(root_, 2).get()), "Asm.1 Bolt.1 Sub.1 Nut.1 Bolt.2 Plate.1");
  EXPECT_EQ(nut_->Mode(), MemMode::kProduct);
  ASSERT_EQ(Prd::SwitchToDesignMode(H(nut_)), S_OK);
  EXPECT_EQ(nut_->Mode(), MemMode::kDesign);
  EXPECT_EQ(sub_->Mode(), MemMode::kProduct);
  ASSERT_EQ(Prd::SwitchToVisuMode(H(nut_)), S_OK);
  EXPECT_EQ(nut_->Mode(), MemMode::kVisu);
}

TEST_F(KRVWD7UtiPrdServicesTest, AllChildrenOfALargeStructure) {
  // A wide and deep structure: the listing is one walk in the usual order.
  MemBuilder build(session_);
  MemProduct* father = plate_->Father();
  std::vector<std::string> expected;
  for (int level = 0; level < 200; ++level) {
    father = build.Assembly(father, "L" + std::to_string(level), "L" + std::to_string(level));
    expected.push_back(father->InstanceName());
    for (int leaf = 0; leaf < 50; ++leaf) {
      MemProduct* part = build.Instance(father, bolt_, "B" + std::to_string(leaf));
      ASSERT_NE(part, nullptr);
      expected.push_back(part->InstanceName());
    }
  }
  CATListValCATBaseUnknown_var* list = nullptr;
  ASSERT_EQ(Prd::GetAllChildren(H(root_), list, "CATIProduct", 0), S_OK);
  std::unique_ptr<CATListValCATBaseUnknown_var> owned(list);
  // Asm.1 and its four products come first, then Plate.1 and the new levels.
  ASSERT_EQ(list->Size(), 6 + static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(MemProduct::From((*list)[7 + static_cast<int>(i)])->InstanceName(),
              expected[i]) << "position " << 7 + i;
  }
}

TEST_F(KRVWD7UtiPrdServicesTest, FindInstanceByPartNumberOrPath) {
  CATBaseUnknown_var found;
  EXPECT_EQ(Prd::FindInstance(H(root_), "NUT", 0, found, 0), S_OK);
  EXPECT_TRUE(found == H(nut_));
  EXPECT_EQ(Prd::FindInstance(H(root_), "NUT", 0, found, 1), S_FALSE);  // not direct
  EXPECT_FALSE(found);
  EXPECT_EQ(Prd::FindInstance(H(root_), "ASM", 0, found, 1), S_OK);
  EXPECT_TRUE(found == H(asm_));
  // The first instance in listing order when a reference has several.
  EXPECT_EQ(Prd::FindInstance(H(root_), "BOLT", 0, found, 0), S_OK);
  EXPECT_TRUE(found == H(bolt_));
  EXPECT_EQ(Prd::FindInstance(H(root_), "BB-ROOT", 0, found, 0), S_FALSE);  // not below
  EXPECT_EQ(Prd::FindInstance(H(root_), "Asm.1/Sub.1/Nut.1", 1, found, 0), S_OK);
  EXPECT_TRUE(found == H(nut_));
  EXPECT_EQ(Prd::FindInstance(H(asm_), "Bolt.2", 1, found, 1), S_OK);
  EXPECT_TRUE(found == H(bolt2_));
  EXPECT_EQ(Prd::FindInstance(H(root_), "Asm.1/Sub.1", 1, found, 1), S_FALSE);
  EXPECT_EQ(Prd::FindInstance(H(root_), "Asm.1//Sub.1", 1, found, 0), S_FALSE);
  EXPECT_EQ(Prd::FindInstance(H(root_), "", 0, found, 0), E_INVALIDARG);
  EXPECT_EQ(Prd::FindInstance(H(root_), "NUT", 2, found, 0), E_INVALIDARG);
}

TEST_F(KRVWD7UtiPrdServicesTest, NewComponentsAndNodeTypes) {
  CATBaseUnknown_var component;
  ASSERT_EQ(Prd::AddNewComponent(H(asm_), "ASM", component), S_OK);
  MemProduct* made = MemProduct::From(component);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Father(), asm_);
  EXPECT_NE(made->PartNumber(), "ASM");  // made unique
  // Without a name: no part number, a generated instance name.
  ASSERT_EQ(Prd::AddNewComponent(H(asm_), "", component), S_OK);
  made = MemProduct::From(component);
  EXPECT_EQ(made->PartNumber(), "");
  EXPECT_FALSE(made->InstanceName().empty());
  struct Row {
    MemProduct* product;
    int type;
  };
  const Row rows[] = {{root_, 1}, {made, 2}, {asm_, 3}, {bolt_, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.product->DescriptiveText());
    int type = -1;
    EXPECT_EQ(Prd::GetNodeType(H(row.product), type), S_OK);
    EXPECT_EQ(type, row.type);
  }
  bolt_->SetExplicitNodeType(5);
  int type = -1;
  EXPECT_EQ(Prd::GetNodeType(H(bolt_), type), S_OK);
  EXPECT_EQ(type, 5);
}

TEST_F(KRVWD7UtiPrdServicesTest, CopiesOfProperties) {
  bolt_->Properties() = {{"A", "bolt"}, {"B", "bolt"}};
  plate_->Properties() = {{"A", "plate"}};
  plate_->Graphic().color = "#FF0000";
  plate_->Graphic().shown = false;
  plate_->SetRevision("R2");
  plate_->UserProperties()["Version"] = "7";
  plate_->AddParm("BBNote", "note");
  // Flag false: only new names.
  ASSERT_EQ(Prd::CopyPropertiesOfInstanceProduct(H(plate_), H(bolt_), 0), S_OK);
  EXPECT_EQ(plate_->Properties().at("A"), "plate");
  EXPECT_EQ(plate_->Properties().at("B"), "bolt");
  EXPECT_EQ(plate_->InstanceName(), "Plate.1");
  ASSERT_EQ(Prd::CopyPropertiesOfInstanceProduct(H(plate_), H(bolt_), 1), S_OK);
  EXPECT_EQ(plate_->Properties().at("A"), "bolt");
  EXPECT_EQ(plate_->InstanceName(), "Bolt.1");
  ASSERT_EQ(Prd::CopyGraphicProperties(H(nut_), H(plate_)), S_OK);
  EXPECT_EQ(nut_->Graphic().color, "#FF0000");
  EXPECT_FALSE(nut_->Graphic().shown);
  // Reference properties: nothing with flag false, everything but the part
  // number with flag true.
  ASSERT_EQ(Prd::CopyPropertiesOfReferenceProduct(H(nut_), H(plate_), 0), S_OK);
  EXPECT_EQ(nut_->Revision(), "");
  ASSERT_EQ(Prd::CopyPropertiesOfReferenceProduct(H(nut_), H(plate_), 1), S_OK);
  EXPECT_EQ(nut_->Revision(), "R2");
  EXPECT_EQ(nut_->UserProperties().at("Version"), "7");
  ASSERT_NE(nut_->FindParm("BBNote"), nullptr);
  EXPECT_EQ(nut_->FindParm("BBNote")->value(), "note");
  EXPECT_EQ(nut_->PartNumber(), "NUT");
}

TEST_F(KRVWD7UtiPrdServicesTest, FaultsAnswerBeforeAnyWork) {
  // A GetParameter fault with result 0: found, but no parameter.
  bolt_->AddParm("BBNote", "x");
  MemFaults::Add("GetParameter", S_OK, "Bolt.1");
  CATICkeParm_var parm;
  CATUnicodeString value = "stale";
  EXPECT_EQ(Prd::GetParameter(H(bolt_), "BBNote", parm, &value), S_OK);
  EXPECT_FALSE(parm);
  EXPECT_EQ(value, "");
  EXPECT_EQ(Prd::GetParameter(H(bolt2_), "BBNote", parm, &value), S_OK);  // other name
  EXPECT_TRUE(parm);
  EXPECT_EQ(MemFaults::Hits("GetParameter"), 1);
  // A fault on the second children query only, matched by part number.
  MemFaults::Add("GetAllChildren", E_OUTOFMEMORY, "ASM", 2);
  CATListValCATBaseUnknown_var* list = nullptr;
  EXPECT_EQ(Prd::GetAllChildren(H(asm_), list, "CATIProduct", 0), S_OK);
  delete list;
  list = nullptr;
  EXPECT_EQ(Prd::GetAllChildren(H(asm_), list, "CATIProduct", 0), E_OUTOFMEMORY);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(Prd::GetAllChildren(H(asm_), list, "CATIProduct", 0), S_OK);
  delete list;
  // A failing write changes nothing.
  MemFaults::Add("SetPartNumber", E_FAIL);
  EXPECT_EQ(Prd::SetPartNumber(H(plate_), "NEW"), E_FAIL);
  EXPECT_EQ(plate_->PartNumber(), "PLATE");
}

}  // namespace
