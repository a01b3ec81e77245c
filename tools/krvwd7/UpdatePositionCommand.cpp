// krvwd7 update-position: carries the black box's differing positions over
// to the PSN products (the services' UpdatePosition).
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "Pairs.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

EditOutcome UpdatePosition(const UpdatePositionOptions& iOptions, EditContext& ioContext) {
  const DocumentPair pair =
      ChooseDocuments(iOptions.edit.common.session, iOptions.bb, iOptions.psn);
  if (!pair.error.empty()) {
    ioContext.Refuse(pair.error);
    return EditOutcome();
  }
  // The operation compares only black boxes of version 2; on any other
  // root it would find every PSN product added and explain nothing.
  const CATBaseUnknown_var bb_root = RootOf(pair.bb);
  const BlackBoxAttributes black_box = ReadBlackBox(bb_root);
  const std::string bb_name = HostSession::NameOf(pair.bb);
  const std::string refused =
      NotOfVersion2(iOptions.edit.common.session, bb_name, black_box, "updated");
  if (!refused.empty()) {
    ioContext.Refuse(refused);
    return EditOutcome();
  }
  EditOutcome outcome;
  outcome.rc = ioContext.Services().UpdatePosition(RootOf(pair.psn), bb_root);
  if (FAILED(outcome.rc)) return outcome;

  // The PSN products whose position changed.
  const std::string psn_name = HostSession::NameOf(pair.psn);
  outcome.products = ioContext.Changed(psn_name, HostChange::Kind::kPosition);
  outcome.listTitle = "PSN products whose position was copied from the black box";
  const size_t copied = outcome.products.size();
  if (outcome.rc == S_OK) {
    outcome.explanation = "every position difference was copied: " + std::to_string(copied) +
                          " product(s) of " + psn_name + " moved";
  } else if (copied == 0) {
    outcome.explanation =
        "no position had to be copied: the black box differs from its PSN in other ways only";
  } else {
    outcome.explanation = "not every position difference could be copied: " +
                          std::to_string(copied) + " product(s) of " + psn_name + " moved";
  }
  return outcome;
}

}  // namespace

int RunUpdatePosition(const UpdatePositionOptions& iOptions, std::ostream& oOut,
                      std::ostream& oErr) {
  EditCommand command;
  command.name = "update-position";
  command.body = [&](EditContext& ioContext) { return UpdatePosition(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

}  // namespace krvwd7
