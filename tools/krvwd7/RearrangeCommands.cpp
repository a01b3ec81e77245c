// krvwd7 flatten, move and copy-position: the services' Flatten,
// MoveToPersonalizedStructure and CopyPosition.
#include "CATDlgNotify.h"
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "Pairs.h"
#include "ProductName.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

// Every product of iDocument that iKind changed, as the report lists it.
std::vector<ReportedProduct> Changed(EditContext& ioContext, const std::string& iDocument,
                                     HostChange::Kind iKind) {
  std::vector<ReportedProduct> products;
  for (const HostChange& change : ioContext.Changes()) {
    if (change.kind == iKind && change.document == iDocument) {
      products.push_back(EditContext::Report(change));
    }
  }
  return products;
}

EditOutcome Flatten(const FlattenOptions& iOptions, EditContext& ioContext) {
  const std::string& file = iOptions.edit.common.session;
  std::string error;
  CATDocument* document = ChooseBlackBox(file, iOptions.bb, error);
  if (document == nullptr) {
    ioContext.Refuse(error);
    return EditOutcome();
  }
  const std::string name = HostSession::NameOf(document);
  const BlackBoxAttributes before = ReadBlackBox(RootOf(document));
  if (!before.isBlackBox || before.version != 2) {
    ioContext.Refuse(file + ": '" + name + "' is not a black box of version 2" +
                     (before.isBlackBox ? " (migrate it first)" : ""));
    return EditOutcome();
  }
  if (before.flatten) {
    ioContext.Refuse(file + ": '" + name + "' is already flattened");
    return EditOutcome();
  }
  EditOutcome outcome;
  outcome.rc = ioContext.Services().Flatten(*document, iOptions.removePsnLevel ? 1 : 0);
  if (FAILED(outcome.rc)) return outcome;
  outcome.products = Changed(ioContext, name, HostChange::Kind::kMoved);
  outcome.listTitle = "Moved below the " +
                      std::string(iOptions.removePsnLevel ? "black-box root" : "PSN node");
  const size_t removed = Changed(ioContext, name, HostChange::Kind::kRemoved).size();
  const BlackBoxAttributes after = ReadBlackBox(RootOf(document));
  outcome.explanation = name + " flattened: " + std::to_string(outcome.products.size()) +
                        " product(s) moved, " + std::to_string(removed) +
                        " removed; type " + std::to_string(after.type);
  return outcome;
}

EditOutcome Move(const MoveOptions& iOptions, EditContext& ioContext) {
  const CATBaseUnknown_var product = ioContext.Product(iOptions.product);
  const CATBaseUnknown_var destination = ioContext.Product(iOptions.destination);
  if (!product || !destination) return EditOutcome();
  EditOutcome outcome;
  outcome.rc = ioContext.Services().MoveToPersonalizedStructure(product, destination);
  if (FAILED(outcome.rc)) return outcome;
  outcome.explanation = FormatProduct(product) + " moved below " + FormatProduct(destination);
  return outcome;
}

EditOutcome CopyPosition(const CopyPositionOptions& iOptions, EditContext& ioContext) {
  const CATBaseUnknown_var reference = ioContext.Product(iOptions.reference);
  const CATBaseUnknown_var target = ioContext.Product(iOptions.target);
  if (!reference || !target) return EditOutcome();
  EditOutcome outcome;
  outcome.rc = ioContext.Services().CopyPosition(reference, target);
  if (FAILED(outcome.rc)) return outcome;
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
