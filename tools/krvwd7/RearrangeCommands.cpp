// krvwd7 flatten, move and copy-position: the services' Flatten,
// MoveToPersonalizedStructure and CopyPosition.
#include "CATDlgNotify.h"
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "KRVWD7UtiPrdServices.h"
#include "ProductName.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

// Why Flatten refused a black box (E_INVALIDARG): it is not a black box
// of version 2.
std::string NotApplicable(const std::string& iFile, const std::string& iName,
                          const BlackBoxAttributes& iBlackBox) {
  if (!iBlackBox.isBlackBox) return iFile + ": '" + iName + "' is not a black box";
  return iFile + ": black box '" + iName + "' is of version " +
         std::to_string(iBlackBox.version) +
         "; only version 2 can be flattened (krvwd7 migrate brings version 1 to 2)";
}

// Why Flatten failed (E_FAIL) on a black box of version 2, from what it
// held before.
std::string WhyFlattenFailed(const CATBaseUnknown_var& iRoot, const std::string& iName,
                             const BlackBoxAttributes& iBlackBox) {
  if (iBlackBox.flatten) return "'" + iName + "' is already flattened; nothing changed";
  if (iBlackBox.typeRc < 0 || (iBlackBox.type != 1 && iBlackBox.type != 2)) {
    return "'" + iName + "' is of type " + std::to_string(iBlackBox.type) +
           ": only types 1 and 2 name the product to flatten below";
  }
  if (iBlackBox.type == 2) {
    CATBaseUnknown_var node;
    if (KRVWD7UtiPrdServices::FindInstance(iRoot, iBlackBox.psnPartNumber.c_str(), 0, node,
                                           0) != 0) {
      return "'" + iName + "' holds no instance of its PSN part number '" +
             iBlackBox.psnPartNumber + "' below its root";
    }
  }
  return "the flatten flag or the records of '" + iName + "' could not be read";
}

EditOutcome Flatten(const FlattenOptions& iOptions, EditContext& ioContext) {
  const ChosenBlackBox black_box = ioContext.BlackBox(iOptions.bb);
  if (black_box.document == nullptr) return EditOutcome();
  const std::string& name = black_box.name;
  const BlackBoxAttributes& before = black_box.before;
  EditOutcome outcome;
  outcome.rc = ioContext.Services().Flatten(*black_box.document, iOptions.removePsnLevel ? 1 : 0);
  if (outcome.rc == E_INVALIDARG) {
    ioContext.Refuse(NotApplicable(iOptions.edit.common.session, name, before));
    return outcome;
  }
  if (FAILED(outcome.rc)) {
    outcome.explanation = WhyFlattenFailed(black_box.root, name, before);
    return outcome;
  }
  outcome.products = ioContext.Changed(name, HostChange::Kind::kMoved);
  const BlackBoxAttributes after = ReadBlackBox(black_box.root);
  outcome.listTitle = iOptions.removePsnLevel || before.type == 1
                          ? "Moved below the black-box root"
                          : "Moved below the PSN node";
  const size_t removed = ioContext.Changed(name, HostChange::Kind::kRemoved).size();
  outcome.explanation = name + " flattened: " + std::to_string(outcome.products.size()) +
                        " product(s) moved, " + std::to_string(removed) +
                        " removed; type " + std::to_string(after.type);
  return outcome;
}

EditOutcome Move(const MoveOptions& iOptions, EditContext& ioContext) {
  const CATBaseUnknown_var product = ioContext.Product(iOptions.product);
  const CATBaseUnknown_var destination = ioContext.Product(iOptions.destination);
  if (!product || !destination) return EditOutcome();
  // Named before the move: the moved instance is a new one.
  const std::string moved = FormatProduct(product);
  EditOutcome outcome;
  outcome.rc = ioContext.Services().MoveToPersonalizedStructure(product, destination);
  if (FAILED(outcome.rc)) return outcome;
  outcome.explanation = moved + " moved below " + FormatProduct(destination);
  return outcome;
}

EditOutcome CopyPosition(const CopyPositionOptions& iOptions, EditContext& ioContext) {
  const CATBaseUnknown_var reference = ioContext.Product(iOptions.reference);
  const CATBaseUnknown_var target = ioContext.Product(iOptions.target);
  if (!reference || !target) return EditOutcome();
  EditOutcome outcome;
  outcome.rc = ioContext.Services().CopyPosition(reference, target);
  if (FAILED(outcome.rc)) {
    // A flattened black box was told on stderr by the notification.
    outcome.explanation = "the position of " + FormatProduct(reference) +
                          " was not copied to " + FormatProduct(target);
    return outcome;
  }
  outcome.explanation =
      FormatProduct(target) + " now has the position of " + FormatProduct(reference);
  return outcome;
}

// Shows the host's notifications on the command's error stream, as
// "TITLE: message", while it lives.
class NotifyOnStream : public CATDlgNotifyObserver {
 public:
  explicit NotifyOnStream(std::ostream& oErr) : err_(oErr) { CATDlgNotify::SetObserver(this); }
  ~NotifyOnStream() override { CATDlgNotify::SetObserver(nullptr); }
  void OnDisplay(const CATDlgNotify&, const CATUnicodeString& iMessage,
                 const CATUnicodeString& iTitle) override {
    err_ << iTitle.ConvertToChar() << ": " << iMessage.ConvertToChar() << "\n";
  }

 private:
  std::ostream& err_;
};

}  // namespace

int RunFlatten(const FlattenOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  EditCommand command;
  command.name = "flatten";
  command.body = [&](EditContext& ioContext) { return Flatten(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

int RunMove(const MoveOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  EditCommand command;
  command.name = "move";
  command.body = [&](EditContext& ioContext) { return Move(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

int RunCopyPosition(const CopyPositionOptions& iOptions, std::ostream& oOut,
                    std::ostream& oErr) {
  NotifyOnStream notify(oErr);
  EditCommand command;
  command.name = "copy-position";
  command.body = [&](EditContext& ioContext) { return CopyPosition(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

}  // namespace krvwd7
