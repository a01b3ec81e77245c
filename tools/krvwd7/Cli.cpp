// The command line: parsing with CLI11 and the mapping to exit codes, in
// one place.
#include <CLI/CLI.hpp>

#include "Commands.h"


namespace krvwd7 {

namespace {

const char kExitCodes[] =
    "Exit codes:\n"
    "  0  done (diff: the black box matches its PSN)\n"
    "  1  diff: the black box differs from its PSN; sync: differences remain,\n"
    "     or with --dry-run the plan has actions\n"
    "  2  usage error, a session file that cannot be used, a product or\n"
    "     document that is not there, or a target that cannot be written\n"
    "  3  the library's operation failed (a negative result or an error it\n"
    "     raised); nothing is written (sync: an action failed; written only\n"
    "     with --keep-going)\n";

const char kWriting[] =
    "Writing: the changed session goes to -o FILE, or back to SESSION with\n"
    "--in-place; the old file is replaced only once the new one is complete.\n"
    "With neither, or with --dry-run, nothing is written and the change\n"
    "report is printed.\n"
    "Products are named DOC:PATH: a document's name or storage name, then the\n"
    "instance names below its root joined by '/' (CAR.CATProduct:Chassis.1/\n"
    "Bolt.1; DOC alone is the root); write \\: \\/ \\\\ for ':' '/' '\\' in a name.\n\n";

void AddCommon(CLI::App* iCommand, CommonOptions& oOptions) {
  iCommand->add_option("SESSION", oOptions.session, "session file (JSON)")
      ->required();
  iCommand->add_flag("--json", oOptions.json,
                     "print a JSON document instead of a table");
  iCommand->add_option("--trace", oOptions.trace,
                       "write the library's trace to this file");
  iCommand->add_flag("--batch", oOptions.batch,
                     "no progress bar, even on a terminal");
  iCommand->add_flag("-q,--quiet", oOptions.quiet,
                     "print only the data, no summary line");
  iCommand->add_flag("--wide", oOptions.wide,
                     "never shorten a text, even to fit the terminal");
  iCommand->set_version_flag("--version", std::string("krvwd7 ") + KRVWD7_VERSION);
  iCommand->footer(kExitCodes);
}

std::vector<const CLI::App*> Commands(const CLI::App& iApp) {
  return iApp.get_subcommands([](const CLI::App*) { return true; });
}

bool IsCommand(const CLI::App& iApp, const std::string& iName) {
  for (const CLI::App* command : Commands(iApp)) {
    if (command->check_name(iName)) return true;
  }
  return false;
}

// "info, records, diff": the commands in the order of --help.
std::string CommandList(const CLI::App& iApp) {
  std::string list;
  for (const CLI::App* command : Commands(iApp)) {
    list += (list.empty() ? "" : ", ") + command->get_name();
  }
  return list;
}

// The command iName, with the options every command takes.
CLI::App* AddCommand(CLI::App& ioApp, const char* iName, const char* iDescription,
                     CommonOptions& oOptions) {
  CLI::App* command = ioApp.add_subcommand(iName, iDescription);
  AddCommon(command, oOptions);
  return command;
}

// The command iName that runs an operation of the services; the writing
// options only when it changes the session.
CLI::App* AddEditCommand(CLI::App& ioApp, const char* iName, const char* iDescription,
                         EditOptions& oOptions, bool iWrites = true) {
  CLI::App* command = AddCommand(ioApp, iName, iDescription, oOptions.common);
  if (iWrites) {
    CLI::Option* output = command->add_option(
        "-o,--output", oOptions.output, "write the changed session to FILE");
    command->add_flag("--in-place", oOptions.inPlace,
                      "write the changed session back to SESSION")
        ->excludes(output);
    command->add_flag("--dry-run", oOptions.dryRun,
                      "print the change report and write nothing");
    command->footer(std::string(kWriting) + kExitCodes);
  }
  return command;
}

// A required product argument: "WHAT, DOC:PATH" in the help.
void AddProduct(CLI::App* iCommand, const char* iName, std::string& oProduct,
                const std::string& iWhat) {
  iCommand->add_option(iName, oProduct, iWhat + ", DOC:PATH")->required();
}

// --bb, and --psn when oPsn is given: the documents a command works on.
void AddDocuments(CLI::App* iCommand, std::string& oBB, std::string* oPsn) {
  iCommand->add_option("--bb", oBB, "the black-box document");
  if (oPsn != nullptr) iCommand->add_option("--psn", *oPsn, "the PSN document");
}

}  // namespace

int Main(int argc, char** argv, std::ostream& oOut, std::ostream& oErr) {
  CLI::App app{"krvwd7: compare a CAD black box with its VPM product structure",
               "krvwd7"};
  app.set_version_flag("--version", std::string("krvwd7 ") + KRVWD7_VERSION);
  app.require_subcommand(1);
  app.footer(kExitCodes);

  CommonOptions info;
  CLI::App* info_cmd =
      AddCommand(app, "info", "documents, black boxes and their attributes", info);

  RecordsOptions records;
  CLI::App* records_cmd = AddCommand(
      app, "records", "the product records of a structure, as the comparison reads them",
      records.common);
  records_cmd->add_option("--doc", records.doc,
                          "only this document (name or storage name)");

  DiffOptions diff;
  CLI::App* diff_cmd = AddCommand(
      app, "diff", "compare a black box with its PSN and list every difference", diff.common);
  AddDocuments(diff_cmd, diff.bb, &diff.psn);
  diff_cmd->add_flag("--tree", diff.tree,
                     "show the differences on the black box's tree, rolled up by sub-assembly");
  diff_cmd->add_option("--html", diff.html,
                       "also write a self-contained HTML report to FILE")
      ->type_name("FILE");

  WritePsnOptions write_psn;
  CLI::App* write_psn_cmd = AddCommand(
      app, "write-psn", "write the PSN file of the black box of the current window",
      write_psn.common);
  write_psn_cmd->add_option("NAME", write_psn.name,
                            "PSN file name as the operation takes it "
                            "(default: the black box's PSN file name)");
  write_psn_cmd->add_option("--editor", write_psn.editor,
                            "make this document's window current first (name or storage name)");
  IdentifyOptions identify;
  CLI::App* identify_cmd = AddEditCommand(
      app, "identify", "select in the PSN window the products that stand for black-box components",
      identify.edit, false);
  identify_cmd->add_option("PRODUCT", identify.products,
                           "black-box components, DOC:PATH; the first decides the black box")
      ->required();

  AddOptions add;
  CLI::App* add_cmd = AddEditCommand(
      app, "add", "add a PSN product, with everything below it, to the black box", add.edit);
  AddProduct(add_cmd, "PSN-PRODUCT", add.product, "the PSN product to add");
  add_cmd->add_option("--target", add.target,
                      "the black-box product to add to, DOC:PATH (default: the root of "
                      "the black box of the PSN)");

  UpdatePositionOptions update;
  CLI::App* update_cmd = AddEditCommand(
      app, "update-position", "copy the black box's differing positions to its PSN",
      update.edit);
  AddDocuments(update_cmd, update.bb, &update.psn);

  FlattenOptions flatten;
  CLI::App* flatten_cmd = AddEditCommand(
      app, "flatten", "move every part and model instance of a black box below one product",
      flatten.edit);
  AddDocuments(flatten_cmd, flatten.bb, nullptr);
  flatten_cmd->add_flag("--remove-psn-level", flatten.removePsnLevel,
                        "flatten below the black-box root and delete the PSN node "
                        "(the black box becomes type 1)");

  MoveOptions move;
  CLI::App* move_cmd = AddEditCommand(
      app, "move", "move a part or model instance of a flattened black box below another product",
      move.edit);
  AddProduct(move_cmd, "PRODUCT", move.product, "the instance to move");
  AddProduct(move_cmd, "DESTINATION", move.destination, "the product to move it below");

  CopyPositionOptions copy;
  CLI::App* copy_cmd = AddEditCommand(
      app, "copy-position", "give a product the position of another", copy.edit);
  AddProduct(copy_cmd, "REFERENCE", copy.reference, "the product whose position is copied");
  AddProduct(copy_cmd, "TARGET", copy.target, "the product that takes it");

  MigrateOptions migrate;
  CLI::App* migrate_cmd = AddEditCommand(
      app, "migrate", "bring a black box of the earlier form up to date, re-attach it to its PSN, "
                      "or follow a new version of the PSN root part",
      migrate.edit);
  AddDocuments(migrate_cmd, migrate.bb, nullptr);
  CLI::Option* reattach = migrate_cmd->add_flag(
      "--reattach", migrate.reattach, "re-attach a version 2 black box to the PSN open beside it");
  migrate_cmd->add_flag("--root-part-version", migrate.rootPartVersion,
                        "follow a new version of the PSN root part: NEW-PRINTABLE-ID "
                        "NEW-PSN-FILE-NAME NEW-PART-NUMBER")
      ->excludes(reattach);
  migrate_cmd->add_option("ARGS", migrate.arguments,
                          "PSN-FILE-NAME; with --root-part-version the three texts");

  SyncOptions sync;
  CLI::App* sync_cmd = AddEditCommand(
      app, "sync", "bring the black box up to date from its PSN, showing the plan first",
      sync.edit);
  AddDocuments(sync_cmd, sync.bb, &sync.psn);
  sync_cmd->add_option("--positions", sync.positions,
                       "from-psn: take the PSN's positions (default); to-psn: carry the "
                       "black box's positions to the PSN")
      ->check(CLI::IsMember({"from-psn", "to-psn"}));
  sync_cmd->add_flag("--keep-going", sync.keepGoing,
                     "write the result even when an action failed");

  // A first word that is no option names the command: say plainly when it
  // names none.
  if (argc > 1 && argv[1][0] != '-' && !IsCommand(app, argv[1])) {
    oErr << "krvwd7: '" << argv[1] << "' is not a command; the commands are "
         << CommandList(app) << "\n"
         << "Run 'krvwd7 --help' for usage.\n";
    return kExitUsage;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {  // --help or --version
      app.exit(e, oOut, oErr);
      return kExitOk;
    }
    if (argc == 1) {
      oErr << "krvwd7: no command given; the commands are " << CommandList(app) << "\n";
    } else {
      oErr << "krvwd7: " << e.what() << "\n";
    }
    oErr << "Run 'krvwd7 --help' for usage.\n";
    return kExitUsage;
  }

  if (info_cmd->parsed()) return RunInfo(info, oOut, oErr);
  if (records_cmd->parsed()) return RunRecords(records, oOut, oErr);
  if (write_psn_cmd->parsed()) return RunWritePsn(write_psn, oOut, oErr);
  if (identify_cmd->parsed()) return RunIdentify(identify, oOut, oErr);
  if (add_cmd->parsed()) return RunAdd(add, oOut, oErr);
  if (update_cmd->parsed()) return RunUpdatePosition(update, oOut, oErr);
  if (flatten_cmd->parsed()) return RunFlatten(flatten, oOut, oErr);
  if (move_cmd->parsed()) return RunMove(move, oOut, oErr);
  if (copy_cmd->parsed()) return RunCopyPosition(copy, oOut, oErr);
  if (migrate_cmd->parsed()) return RunMigrate(migrate, oOut, oErr);
  if (sync_cmd->parsed()) return RunSync(sync, oOut, oErr);
  return RunDiff(diff, oOut, oErr);
}

}  // namespace krvwd7
