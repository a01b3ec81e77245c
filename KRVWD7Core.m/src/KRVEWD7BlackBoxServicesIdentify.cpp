// Identify: selects in the PSN window the products that stand for the
// black-box components the user selected.
//
// The PSN products are matched by printable identifier: a black-box
// component's "BBPrintableId" (or, when that is empty, its VPM identifier)
// against each PSN product's VPM identifier. The black-box root and the
// node of the PSN root stand for the PSN root ("ROOT"). The operation
// returns the result of the last toolbox or host call it made, as the
// commands that call it expect; failures a user must see are raised with
// the catalog "KRVWD7IdentifyInPSN".
#include <unordered_set>

#include "CATFrmEditor.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::RaiseError;
using krvwd7_core::Trace;

namespace {

const char kCatalog[] = "KRVWD7IdentifyInPSN";
const char kRoot[] = "ROOT";

// The identifiers of the selected components, in input order, with a set
// beside the list so that matching 100 000 PSN products stays linear.
struct SelectedIds {
  CATListValCATUnicodeString list;
  std::unordered_set<CATUnicodeString> set;

  void Append(const CATUnicodeString& iId) {
    list.Append(iId);
    set.insert(iId);
  }
  bool Holds(const CATUnicodeString& iId) const { return set.count(iId) != 0; }
};

// One record per product below iPSNRoot holding only the product and its
// VPM printable identifier ("" when VPM does not answer). ioRc is the
// result of the last call made.
void ReadPSNIds(const CATBaseUnknown_var& iPSNRoot,
                CATListValKRVWD7PrdInfo& oRecords, HRESULT& ioRc) {
  CATListValCATBaseUnknown_var* children = nullptr;
  ioRc = KRVWD7UtiPrdServices::GetAllChildren(iPSNRoot, children,
                                               "CATIProduct", 2);
  if (children == nullptr) return;
  for (int i = 1; i <= children->Size(); ++i) {
    const CATBaseUnknown_var& child = (*children)[i];
    CATUnicodeString id;
    ioRc = KRVWD7UtiVPMServices::GetPrintableId(child, id);
    if (FAILED(ioRc)) id = CATUnicodeString();
    KRVWD7PrdInfo record;
    record.SetProduct(child);
    record.SetPrintableId(id);
    oRecords.Append(record);
  }
  delete children;
}

}  // namespace

HRESULT KRVEWD7BlackBoxServices::Identify(
    const CATListValCATBaseUnknown_var& iComponents) {
  Trace(">> KRVEWD7BlackBoxServices::Identify");
  if (iComponents.Size() == 0) return E_INVALIDARG;

  // The black box: the root of the first component.
  Trace("   Retrieve root product from first componemt in list");
  CATBaseUnknown_var bb_root;
  HRESULT rc =
      KRVWD7UtiPrdDocServices::RetrieveRootProduct(iComponents[1], bb_root);
  if (FAILED(rc) || !bb_root) return RaiseError("ErrId1", kCatalog);

  Trace("   Check if product is a workpackage");
  const KRVIWD7BlackBox_var black_box(bb_root);
  CATBoolean is_black_box = 0;
  CATBaseUnknown_var psn_node;
  if (black_box) {
    rc = black_box->IsABlackBox(is_black_box);
    if (FAILED(rc)) return RaiseError("ErrId2", kCatalog);
    int type = 0;
    CATUnicodeString psn_part_number;
    psn_node = krvwd7_core::PSNNodeOf(bb_root, black_box, type,
                                      psn_part_number);
  }
  if (!black_box || !is_black_box) return RaiseError("ErrId3", kCatalog);

  // The identifiers to look for.
  Trace("   For each component, retrieve its printable Id and fill "
        "listBBPrintableId");
  SelectedIds selected;
  for (int i = 1; i <= iComponents.Size(); ++i) {
    const CATBaseUnknown_var& component = iComponents[i];
    if (!component) continue;
    if (component == bb_root || (psn_node && component == psn_node)) {
      selected.Append(kRoot);
      continue;
    }
    CATUnicodeString id;
    rc = KRVWD7UtiPrdServices::GetProperty(component, "BBPrintableId", id);
    if (FAILED(rc)) {
      Trace("   FAILED KRVWD7UtiPrdServices::GetProperty");
      return RaiseError("ErrId4", kCatalog);
    }
    if (id.GetLengthInChar() == 0) {
      rc = KRVWD7UtiVPMServices::GetPrintableId(component, id);
      if (FAILED(rc)) {
        Trace("   FAILED KRVWD7UtiVPMServices::GetPrintableId");
        id = CATUnicodeString();
      }
    }
    if (id.GetLengthInChar() > 0) selected.Append(id);
  }

  if (selected.list.Size() > 0) {
    // The PSN document, its window and its root.
    CATDocument* psn_document = nullptr;
    rc = KRVWD7CoreServices::RetrieveAssociatedPSNDoc(bb_root, psn_document);
    CATFrmEditor* psn_editor = nullptr;
    CATBaseUnknown_var psn_root;
    if (SUCCEEDED(rc) && psn_document != nullptr) {
      rc = KRVWD7UtiEditorServices::GetFrmEditor(psn_document, psn_editor);
      if (FAILED(rc)) {
        Trace("   FAILED KRVWD7UtiEditorServices::GetFrmEditor for the PSN "
              "Product");
        return RaiseError("ErrId7", kCatalog);
      }
      rc = KRVWD7UtiPrdDocServices::RetrieveRootProduct(psn_document,
                                                        psn_root);
      if (FAILED(rc)) {
        Trace("   FAILED KRVWD7UtiPrdDocServices::RetrieveRootProduct for the "
              "PSN Product");
        return RaiseError("ErrId1", kCatalog);
      }
    }

    if (psn_editor != nullptr && psn_root) {
      CATFrmEditor* previous_editor = CATFrmEditor::GetCurrentEditor();
      psn_editor->Activate();

      Trace("   Retrieve Id infos for PSN product components");
      CATListValKRVWD7PrdInfo psn_records;
      ReadPSNIds(psn_root, psn_records, rc);

      Trace("   HighlightPSN product components if needed");
      rc = KRVWD7UtiSOServices::EmptyXSO(1, psn_editor);
      rc = KRVWD7UtiSOServices::EmptyCSO(psn_editor);
      for (int i = 1; i <= psn_records.Size(); ++i) {
        CATUnicodeString id;
        rc = psn_records[i].GetPrintableId(id, 1);
        if (FAILED(rc)) {
          Trace("   FAILED listOfProductInfo[i].GetPrintableId");
          return RaiseError("ErrId4", kCatalog);
        }
        Trace("   If the component corresponds to one selected in the "
              "workpackage product");
        if (!selected.Holds(id)) continue;
        CATBaseUnknown_var product;
        rc = psn_records[i].GetProduct(product);
        if (FAILED(rc) || !product) return RaiseError("ErrId8", kCatalog);
        rc = KRVWD7UtiSOServices::AddInCSO(product, psn_editor, nullptr);
        if (FAILED(rc)) return RaiseError("ErrId9", kCatalog);
      }
      if (selected.Holds(kRoot)) {
        rc = KRVWD7UtiSOServices::AddInCSO(psn_root, psn_editor, nullptr);
      }
      if (previous_editor != nullptr) previous_editor->Activate();
    }
  }

  Trace("<< KRVEWD7BlackBoxServices::Identify");
  return rc;
}
