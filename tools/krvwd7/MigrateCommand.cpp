// krvwd7 migrate: the services' Migrate (a version 1 black box becomes
// version 2), Migrate2 (--reattach) and MigrateAfterRootPartVersionning
// (--root-part-version).
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiTracer.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

// Shows the migration's "INFORMATION: ..." and "ERROR: ..." trace lines on
// the command's error stream as they are written, while it lives.
class MigrationLines : public KRVWD7TraceObserver {
 public:
  explicit MigrationLines(std::ostream& oErr) : err_(oErr) {
    KRVWD7UtiTracer::SetObserver(this);
  }
  ~MigrationLines() override { KRVWD7UtiTracer::SetObserver(nullptr); }
  void OnLine(const std::string& iLine) override {
    if (iLine.rfind("INFORMATION", 0) == 0 || iLine.rfind("ERROR", 0) == 0) {
      err_ << iLine << "\n";
    }
  }

 private:
  std::ostream& err_;
};

// The texts the chosen migration takes, in order.
std::vector<std::string> ArgumentNames(const MigrateOptions& iOptions) {
  if (iOptions.rootPartVersion) {
    return {"NEW-PRINTABLE-ID", "NEW-PSN-FILE-NAME", "NEW-PART-NUMBER"};
  }
  return {"PSN-FILE-NAME"};
}

// Why the migration does not apply (E_INVALIDARG) once its texts are
// given: not a black box, another version, or not a VPM document.
std::string NotApplicable(const MigrateOptions& iOptions, const std::string& iName,
                          const BlackBoxAttributes& iBlackBox, bool iVpm) {
  const std::string& file = iOptions.edit.common.session;
  const int wanted = iOptions.reattach || iOptions.rootPartVersion ? 2 : 1;
  if (!iBlackBox.isBlackBox) return file + ": '" + iName + "' is not a black box";
  if (iBlackBox.version != wanted) {
    return file + ": black box '" + iName + "' is of version " +
           std::to_string(iBlackBox.version) + "; this migration applies to version " +
           std::to_string(wanted) + " only" +
           (wanted == 1 ? " (--reattach or --root-part-version for version 2)" : "");
  }
  if (!iVpm) return file + ": '" + iName + "' is not a VPM document";
  return file + ": the migration does not apply to '" + iName + "'";
}

EditOutcome Migrate(const MigrateOptions& iOptions, EditContext& ioContext) {
  const std::vector<std::string> names = ArgumentNames(iOptions);
  const std::vector<std::string>& a = iOptions.arguments;
  if (a.size() != names.size()) {
    std::string usage;
    for (const std::string& name : names) usage += " " + name;
    ioContext.Refuse(std::string(iOptions.rootPartVersion ? "--root-part-version" : "migrate") +
                     " takes" + usage + " after SESSION");
    return EditOutcome();
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].empty()) {
      ioContext.Refuse(names[i] + " is empty");
      return EditOutcome();
    }
  }
  const ChosenBlackBox black_box = ioContext.BlackBox(iOptions.bb);
  if (black_box.document == nullptr) return EditOutcome();
  CATDocument& document = *black_box.document;
  const std::string& name = black_box.name;
  EditOutcome outcome;
  if (iOptions.rootPartVersion) {
    outcome.rc = ioContext.Services().MigrateAfterRootPartVersionning(
        document, a[0].c_str(), a[1].c_str(), a[2].c_str());
  } else if (iOptions.reattach) {
    outcome.rc = ioContext.Services().Migrate2(document, a[0].c_str());
  } else {
    outcome.rc = ioContext.Services().Migrate(document, a[0].c_str());
  }
  if (outcome.rc == E_INVALIDARG) {
    ioContext.Refuse(NotApplicable(iOptions, name, black_box.before,
                                   SUCCEEDED(KRVWD7CoreServices::CheckVPMDocument(document))));
    return outcome;
  }
  if (FAILED(outcome.rc)) {
    outcome.explanation = "the migration of " + name +
                          " failed at the steps the ERROR lines name; nothing written";
    return outcome;
  }
  outcome.products = ioContext.Changed(name, HostChange::Kind::kProperty, "BBPrintableId");
  outcome.listTitle = "Products whose VPM identity changed";
  const BlackBoxAttributes after = ReadBlackBox(black_box.root);
  const std::string attributes = "version " + std::to_string(after.version) + ", type " +
                                 std::to_string(after.type) + ", PSN part number " +
                                 after.psnPartNumber;
  if (iOptions.rootPartVersion) {
    outcome.explanation = name + " follows the new version of its PSN root part: " + attributes +
                          ", PSN printable id " + after.psnPrintableId;
  } else if (iOptions.reattach) {
    outcome.explanation = name + " re-attached to its PSN: " + attributes;
  } else {
    outcome.explanation = name + " migrated from version " +
                          std::to_string(black_box.before.version) +
                          ": " + attributes;
  }
  return outcome;
}

}  // namespace

int RunMigrate(const MigrateOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  MigrationLines lines(oErr);
  EditCommand command;
  command.name = "migrate";
  command.body = [&](EditContext& ioContext) { return Migrate(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

}  // namespace krvwd7
