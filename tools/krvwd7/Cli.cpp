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
    "  3  the library's operation failed (a negative result)\n";

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
  iCommand->set_version_flag("--version", std::string("krvwd7 ") + KRVWD7_VERSION);
  iCommand->footer(kExitCodes);
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

  WritePsnOptions write_psn;
  CLI::App* write_psn_cmd = app.add_subcommand(
      "write-psn", "write the PSN file of the black box of the current window");
  AddCommon(write_psn_cmd, write_psn.common);
  write_psn_cmd->add_option("NAME", write_psn.name,
                            "PSN file name as the operation takes it "
                            "(default: the black box's PSN file name)");
  write_psn_cmd->add_option("--editor", write_psn.editor,
                            "make this document's window current first (name or storage name)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {  // --help or --version
      app.exit(e, oOut, oErr);
      return kExitOk;
    }
    oErr << "krvwd7: " << e.what() << "\n"
         << "Run 'krvwd7 --help' for usage.\n";
    return kExitUsage;
  }

  if (info_cmd->parsed()) return RunInfo(info, oOut, oErr);
  if (records_cmd->parsed()) return RunRecords(records, oOut, oErr);
  if (write_psn_cmd->parsed()) return RunWritePsn(write_psn, oOut, oErr);
  return RunDiff(diff, oOut, oErr);
}

}  // namespace krvwd7
