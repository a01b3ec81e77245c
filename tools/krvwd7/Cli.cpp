// The command line: parsing with CLI11 and the mapping to exit codes, in
// one place.
#include <CLI/CLI.hpp>

#include "Commands.h"


namespace krvwd7 {

namespace {

const char kExitCodes[] =
    "Exit codes:\n"
    "  0  done (diff: the black box matches its PSN)\n"
    "  1  diff: the black box differs from its PSN\n"
    "  2  usage error, or a session file that cannot be used\n"
    "  3  the comparison or reading itself failed\n";

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

}  // namespace

int Main(int argc, char** argv, std::ostream& oOut, std::ostream& oErr) {
  CLI::App app{"krvwd7: compare a CAD black box with its VPM product structure",
               "krvwd7"};
  app.set_version_flag("--version", std::string("krvwd7 ") + KRVWD7_VERSION);
  app.require_subcommand(1);
  app.footer(kExitCodes);

  CommonOptions info;
  CLI::App* info_cmd = app.add_subcommand(
      "info", "documents, black boxes and their attributes");
  AddCommon(info_cmd, info);

  RecordsOptions records;
  CLI::App* records_cmd = app.add_subcommand(
      "records", "the product records of a structure, as the comparison reads them");
  AddCommon(records_cmd, records.common);
  records_cmd->add_option("--doc", records.doc,
                          "only this document (name or storage name)");

  DiffOptions diff;
  CLI::App* diff_cmd = app.add_subcommand(
      "diff", "compare a black box with its PSN and list every difference");
  AddCommon(diff_cmd, diff.common);
  diff_cmd->add_option("--bb", diff.bb, "the black-box document");
  diff_cmd->add_option("--psn", diff.psn, "the PSN document");
  diff_cmd->add_flag("--tree", diff.tree,
                     "show the differences on the black box's tree, rolled up by sub-assembly");
  diff_cmd->add_option("--html", diff.html,
                       "also write a self-contained HTML report to FILE")
      ->type_name("FILE");

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
  return RunDiff(diff, oOut, oErr);
}

}  // namespace krvwd7
