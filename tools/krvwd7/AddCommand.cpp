// krvwd7 add: adds a PSN product, with everything below it, to its black
// box (the services' AddToBlackBox).
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "Pairs.h"
#include "ProductName.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

// True when iChange is iPlace's product or below it.
bool IsAtOrBelow(const HostChange& iChange, const HostProductPlace& iPlace) {
  if (iChange.document != iPlace.documentName) return false;
  std::string path;
  for (const std::string& name : iPlace.path) path += (path.empty() ? "" : "/") + name;
  return iChange.path == path || path.empty() ||
         iChange.path.compare(0, path.size() + 1, path + "/") == 0;
}

EditOutcome Add(const AddOptions& iOptions, EditContext& ioContext) {
  const std::string& file = iOptions.edit.common.session;
  const CATBaseUnknown_var product = ioContext.Product(iOptions.product);
  if (!product) return EditOutcome();
  CATDocument* psn = HostSession::PlaceOf(product).document;
  CATBaseUnknown_var target;
  if (!iOptions.target.empty()) {
    target = ioContext.Product(iOptions.target);
    if (!target) return EditOutcome();
  } else {
    CATDocument* black_box = FindBlackBoxOf(psn);
    if (black_box == nullptr) {
      ioContext.Refuse(file + ": cannot tell which black box '" + HostSession::NameOf(psn) +
                       "' belongs to (use --target)");
      return EditOutcome();
    }
    target = RootOf(black_box);
  }

  EditOutcome outcome;
  CATBaseUnknown_var added;
  outcome.rc = ioContext.Services().AddToBlackBox(product, RootOf(psn), target, added, 0);
  if (FAILED(outcome.rc)) return outcome;

  // The new black-box product and every product added below it.
  outcome.listTitle = "Added to the black box";
  const HostProductPlace place = HostSession::PlaceOf(added);
  for (const HostChange& change : ioContext.Changes()) {
    if (change.kind == HostChange::Kind::kAdded && place.document && IsAtOrBelow(change, place)) {
      outcome.products.push_back(EditContext::Report(change));
    }
  }
  if (!added) {
    outcome.explanation = "nothing added: " + FormatProduct(product) +
                          " is not a product of the PSN structure it was taken from";
  } else if (outcome.products.empty()) {
    outcome.explanation = "nothing added: the black box already holds " + FormatProduct(product) +
                          " as " + FormatProduct(added);
  } else {
    outcome.explanation = std::to_string(outcome.products.size()) + " product(s) added as " +
                          FormatProduct(added);
  }
  return outcome;
}

}  // namespace

int RunAdd(const AddOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  EditCommand command;
  command.name = "add";
  command.body = [&](EditContext& ioContext) { return Add(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

}  // namespace krvwd7
