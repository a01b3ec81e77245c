// krvwd7 migrate: the services' Migrate (a version 1 black box becomes
// version 2), Migrate2 (--reattach) and MigrateAfterRootPartVersionning
// (--root-part-version).
#include "Commands.h"
#include "Editing.h"
#include "HostSession.h"
#include "KRVWD7UtiTracer.h"
#include "Pairs.h"
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

EditOutcome Migrate(const MigrateOptions& iOptions, EditContext& ioContext) {
  const std::string& file = iOptions.edit.common.session;
  const size_t wanted = iOptions.rootPartVersion ? 3 : 1;
  if (iOptions.arguments.size() != wanted) {
    ioContext.Refuse(iOptions.rootPartVersion
                         ? "--root-part-version takes NEW-PRINTABLE-ID NEW-PSN-FILE-NAME "
                           "NEW-PART-NUMBER"
                         : "migrate takes one PSN-FILE-NAME");
    return EditOutcome();
  }
  std::string error;
  CATDocument* document = ChooseBlackBox(file, iOptions.bb, error);
  if (document == nullptr) {
    ioContext.Refuse(error);
    return EditOutcome();
  }
  const std::string name = HostSession::NameOf(document);
  const int from_version = ReadBlackBox(RootOf(document)).version;
  const std::vector<std::string>& a = iOptions.arguments;
  EditOutcome outcome;
  if (iOptions.rootPartVersion) {
    outcome.rc = ioContext.Services().MigrateAfterRootPartVersionning(
        *document, a[0].c_str(), a[1].c_str(), a[2].c_str());
  } else if (iOptions.reattach) {
    outcome.rc = ioContext.Services().Migrate2(*document, a[0].c_str());
  } else {
    outcome.rc = ioContext.Services().Migrate(*document, a[0].c_str());
  }
  if (outcome.rc == E_INVALIDARG) {
    const bool needs_one = !iOptions.reattach && !iOptions.rootPartVersion;
    ioContext.Refuse(file + ": '" + name + "' is " +
                     (from_version == 0 ? "not a black box"
                                        : "a black box of version " +
                                              std::to_string(from_version)) +
                     ": this migration applies to version " + (needs_one ? "1" : "2") +
                     " black boxes of VPM documents");
    return outcome;
  }
  if (FAILED(outcome.rc)) return outcome;
  for (const HostChange& change : ioContext.Changes()) {
    if (change.kind == HostChange::Kind::kProperty && change.name == "BBPrintableId" &&
        change.document == name) {
      outcome.products.push_back(EditContext::Report(change));
    }
  }
  outcome.listTitle = "Products whose VPM identity was written";
  const BlackBoxAttributes after = ReadBlackBox(RootOf(document));
  outcome.explanation = name + " migrated: version " + std::to_string(after.version) +
                        ", type " + std::to_string(after.type) + ", PSN part number " +
                        after.psnPartNumber;
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
