// krvwd7 identify: the PSN products that stand for the given black-box
// components, selected in the PSN window by the services' Identify.
#include "CATFrmEditor.h"
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiDocServices.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

// The selection of the PSN window of the black box of iComponent, the PSN
// root first, then in the PSN document's order (the order Identify adds
// them in); oPSN is the PSN document.
std::vector<CATBaseUnknown_var> PSNSelection(const CATBaseUnknown_var& iComponent,
                                             CATDocument*& oPSN) {
  std::vector<CATBaseUnknown_var> selected;
  CATBaseUnknown_var bb_root;
  oPSN = nullptr;
  CATFrmEditor* editor = nullptr;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iComponent, bb_root)) ||
      FAILED(KRVWD7CoreServices::RetrieveAssociatedPSNDoc(bb_root, oPSN)) ||
      FAILED(KRVWD7UtiEditorServices::GetFrmEditor(oPSN, editor))) {
    return selected;
  }
  const CATBaseUnknown_var psn_root = RootOf(oPSN);
  const CATListValCATBaseUnknown_var& selection = editor->Selection();
  for (int i = 1; i <= selection.Size(); ++i) {
    if (selection[i] == psn_root) {
      selected.insert(selected.begin(), selection[i]);
    } else {
      selected.push_back(selection[i]);
    }
  }
  return selected;
}

EditOutcome Identify(const IdentifyOptions& iOptions, EditContext& ioContext) {
  CATListValCATBaseUnknown_var components;
  for (const std::string& text : iOptions.products) {
    CATBaseUnknown_var product = ioContext.Product(text);
    if (!product) return EditOutcome();
    components.Append(product);
  }
  EditOutcome outcome;
  outcome.rc = ioContext.Services().Identify(components);
  if (FAILED(outcome.rc)) return outcome;
  CATDocument* psn = nullptr;
  for (const CATBaseUnknown_var& product : PSNSelection(components[1], psn)) {
    outcome.products.push_back(EditContext::Report(product));
  }
  const std::string psn_name = HostSession::NameOf(psn);
  outcome.listTitle = "Selected in the window of " + psn_name;
  outcome.explanation =
      outcome.products.empty()
          ? "no PSN product stands for the given components"
          : std::to_string(outcome.products.size()) + " PSN product(s) selected in " + psn_name;
  return outcome;
}

}  // namespace

int RunIdentify(const IdentifyOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  EditCommand command;
  command.name = "identify";
  command.writes = false;
  command.body = [&](EditContext& ioContext) { return Identify(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

}  // namespace krvwd7
