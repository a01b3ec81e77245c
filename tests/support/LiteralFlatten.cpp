#include "LiteralFlatten.h"

#include <cstdint>
#include <string>
#include <vector>

#include "CATApplication.h"
#include "CATDocument.h"
#include "CATFormat.h"
#include "CATIProduct.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATMsgCatalog.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "MemBuilder.h"
#include "MemDocument.h"
#include "MemProduct.h"
#include "MemSession.h"

namespace krvwd7_test {

HRESULT LiteralFlatten(CATDocument& iDocument, unsigned char iOption) {
  // 1. A black box of version 2.
  CATBaseUnknown_var root;
  KRVWD7UtiPrdDocServices::RetrieveRootProduct(&iDocument, root);
  KRVIWD7BlackBox_var black_box(root);
  CATBoolean is_black_box = 0;
  int version = 0;
  if (!root || !black_box || FAILED(black_box->IsABlackBox(is_black_box)) ||
      !is_black_box || FAILED(black_box->GetVersion(version)) || version != 2) {
    return E_INVALIDARG;
  }
  // 2. Not flattened yet.
  CATBoolean is_flatten = 0;
  if (FAILED(black_box->GetIsFlatten(is_flatten)) || is_flatten) return E_FAIL;
  // 3.
  KRVWD7CoreServices::SwitchToProductMode(root);
  // 4. The PSN root instance.
  int type = 0;
  CATUnicodeString psn_part_number;
  CATBaseUnknown_var psn_node;
  if (SUCCEEDED(black_box->GetType(type, psn_part_number))) {
    if (type == 1) {
      psn_node = root;
    } else if (type == 2) {
      CATBaseUnknown_var found;
      if (KRVWD7UtiPrdServices::FindInstance(root, psn_part_number, 0, found, 0) == 0) {
        psn_node = found;
      }
    }
  } else {
    psn_part_number = CATUnicodeString();
  }
  if (!psn_node) return E_FAIL;
  // 5.
  CATBaseUnknown_var destination = iOption == 1 ? root : psn_node;
  // 6.
  CATListValKRVWD7PrdInfo list;
  if (FAILED(KRVWD7PrdInfoListServices::BuildPrdInfoList(psn_node, list, 1, root, nullptr))) {
    return E_FAIL;
  }
  // 7.
  KRVWD7UtiDlgProgress* progress = nullptr;
  CATApplication* application = CATApplication::MainApplication();
  if (application && application->IsAKindOf(CATInteractiveApplication::ClassName())) {
    progress = new KRVWD7UtiDlgProgress(
        nullptr, "BlackBoxFlattenProgress",
        CATMsgCatalog::BuildMessage("KRVEWD7BlackBoxServices", "BlackBoxFlattenInProgress",
                                    nullptr, 0, "BlackBoxFlattenInProgress"));
    progress->InitProgressBar(1, list.Size(), 1);
  }
  // 8. Moving phase.
  int i = 1;
  while (i <= list.Size()) {
    int node_type = 0;
    list[i].GetNodeType(node_type);
    if (node_type != 4 && node_type != 5 && node_type != 9) {
      ++i;
      continue;
    }
    CATBaseUnknown_var product;
    list[i].GetProduct(product);
    if (!product) {
      if (progress) progress->StepIt();
      ++i;
      continue;
    }
    CATIProduct_var as_product(product);
    CATIProduct_var father = as_product ? as_product->GetFatherProduct() : CATIProduct_var();
    if (!as_product || !father || father == destination) {
      ++i;
      continue;
    }
    bool removed = false;
    const CATFormat* format = CATFormat::GetRegisteredFormat("CATProdCont");
    if (format != nullptr) {
      CATBaseUnknown_var moved;
      HRESULT rc = node_type == 4
                       ? KRVWD7UtiPrdCCPServices::CutAndPaste(format, product, destination, moved)
                       : KRVWD7UtiPrdCCPServices::DragAndDrop(format, product, destination, moved);
      if (SUCCEEDED(rc) && moved) {
        CATUnicodeString id;
        CATUnicodeString env;
        if (SUCCEEDED(list[i].GetPrintableId(id, 0)) && SUCCEEDED(list[i].GetPDMEnv(env)) &&
            id.GetLengthInChar() > 0) {
          KRVWD7CoreServices::SetPrintableIdParameterOnNode(moved, id, env);
        }
        list.RemovePosition(i);
        removed = true;
      }
    }
    if (progress) progress->StepIt();
    if (!removed) ++i;
  }
  // 9. Clean-up phase.
  if (iOption != 1) {
    for (int k = 1; k <= list.Size(); ++k) {
      int node_type = 0;
      list[k].GetNodeType(node_type);
      if (node_type != 2) continue;
      CATBaseUnknown_var product;
      list[k].GetProduct(product);
      CATIProduct_var as_product(product);
      if (!as_product) continue;
      CATIProduct_var father = as_product->GetFatherProduct();
      if (father && father == psn_node) {
        KRVWD7UtiPrdCCPServices::Delete(product);
        if (progress) progress->StepIt();
      }
    }
  } else {
    if (psn_node != root && SUCCEEDED(KRVWD7UtiPrdCCPServices::Delete(psn_node))) {
      black_box->SetType(1, psn_part_number);
    }
    if (progress) progress->StepIt();
  }
  // 10. to 12.
  black_box->SetIsFlatten(1);
  if (progress) {
    progress->EndProgressBar();
    progress->RequestDelayedDestruction();
  }
  return S_OK;
}

namespace {

const char kBase[] = R"({
  "format": "krvwd7-session/1",
  "interactive": $INTERACTIVE,
  "documents": [
    {"name": "BB.CATProduct", "pdm": true, "root": {"partNumber": "BB",
      "parameters": {"BBNote": "generated", "BBPSNFilename": "./PSN.psn"},
      "properties": {"BBVersion": "2", "BBType": "2", "BBPSNPartNumber": "PSN",
                     "BBPSNPrintableId": "$ROOT"},
      "children": [{"name": "PSN.1", "properties": {"BBPrintableId": "$ROOT", "BBVpmEnv": "E1"},
                    "ref": {"partNumber": "PSN", "kind": "component"}}]}}
  ]})";

// A small deterministic generator (linear congruential).
class Draw {
 public:
  explicit Draw(unsigned iSeed) : state_(iSeed * 2654435761u + 12345u) {}
  // True about once in iOdds draws.
  bool OneIn(unsigned iOdds) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % iOdds == 0;
  }

 private:
  uint32_t state_;
};

void Identify(MemProduct* ioProduct, const std::vector<uint64_t>& iClinks) {
  ioProduct->Properties().Set("BBPrintableId", MemBuilder::PrintableId(1, iClinks));
  ioProduct->Properties().Set("BBVpmEnv", "E" + std::to_string(iClinks.size() + 1));
}

}  // namespace

MemDocument* GenerateBlackBox(MemSession& ioSession, int iProducts, unsigned iSeed,
                              bool iInteractive) {
  std::string text = kBase;
  text.replace(text.find("$INTERACTIVE"), 12, iInteractive ? "true" : "false");
  const std::string root_id = MemBuilder::PrintableId(1, {});
  for (size_t at = text.find("$ROOT"); at != std::string::npos; at = text.find("$ROOT")) {
    text.replace(at, 5, root_id);
  }
  ioSession.Close();
  ioSession.LoadFromText(text, "generated");
  MemDocument* document = ioSession.FindDocument("BB.CATProduct");
  MemProduct* psn_node = document->Root()->Children().front();
  Draw draw(iSeed);
  uint64_t clink = 0x1000;
  int made = 1;
  for (int a = 0; made < iProducts; ++a) {
    const std::string number = std::to_string(a);
    const MemKind kind = draw.OneIn(11) ? MemKind::kProduct : MemKind::kComponent;
    MemProduct* assembly = ioSession.NewComponent(psn_node, "Asm." + number, "ASM-" + number, kind);
    assembly->SetPosition(MemBuilder::Translation(a, 0, 0));
    const uint64_t assembly_clink = ++clink;
    Identify(assembly, {assembly_clink});
    ++made;
    MemProduct* nested = nullptr;
    uint64_t nested_clink = 0;
    if (draw.OneIn(7) && made < iProducts) {
      nested = ioSession.NewComponent(assembly, "Sub.1", "SUB-" + number, MemKind::kComponent);
      nested->SetPosition(MemBuilder::Translation(0, 1, 0));
      nested_clink = ++clink;
      Identify(nested, {assembly_clink, nested_clink});
      ++made;
    }
    for (int p = 0; p < 50 && made < iProducts; ++p, ++made) {
      MemProduct* father = assembly;
      std::vector<uint64_t> clinks = {assembly_clink};
      if (draw.OneIn(40)) {
        father = psn_node;
        clinks.clear();
      } else if (nested != nullptr && p % 2 == 1) {
        father = nested;
        clinks.push_back(nested_clink);
      }
      MemKind leaf_kind = MemKind::kPart;
      if (draw.OneIn(50)) {
        leaf_kind = MemKind::kOther;
      } else if (draw.OneIn(10)) {
        leaf_kind = MemKind::kModel;
      }
      MemProduct* leaf = ioSession.NewComponent(father, "Leaf." + std::to_string(p),
                                                "L-" + number + "-" + std::to_string(p), leaf_kind);
      leaf->SetPosition(MemBuilder::Translation(0, 0, p));
      clinks.push_back(++clink);
      if (!draw.OneIn(30)) Identify(leaf, clinks);
    }
  }
  return document;
}

}  // namespace krvwd7_test
