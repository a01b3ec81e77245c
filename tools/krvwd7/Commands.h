// The commands of krvwd7. Each is a function over the options and two
// streams that answers the process's exit code, so that tests run them
// without spawning a process.
#ifndef KRVWD7_TOOL_COMMANDS_H_
#define KRVWD7_TOOL_COMMANDS_H_

#include <ostream>
#include <string>
#include <vector>

namespace krvwd7 {

// Exit codes of every command.
enum ExitCode {
  kExitOk = 0,           // done; for diff: no difference
  kExitDifferences = 1,  // diff only: the structures differ
  kExitUsage = 2,        // bad arguments, a session that cannot be used, a
                         // product not found, a target that cannot be written
  kExitFailed = 3        // the library's operation failed (negative result
                         // or an error the service raised)
};

struct CommonOptions {
  std::string session;  // path of the session file
  bool json = false;    // JSON document on stdout instead of a table
  std::string trace;    // trace file; "" for no trace
  bool batch = false;   // no progress bar even on a terminal
  bool quiet = false;   // no summary lines, only the data
  bool wide = false;    // tables and lines are never shortened
  int width = -1;       // width of the output: -1 asks the terminal
                        // (OutputWidth), 0 is no limit
};

struct RecordsOptions {
  CommonOptions common;
  std::string doc;  // document name or storage; "" for every product document
};

struct DiffOptions {
  CommonOptions common;
  std::string bb;   // black-box document; "" to find it
  std::string psn;  // PSN document; "" to find it
  bool tree = false;  // the differences on the black box's tree, not a table
  std::string html;   // write the HTML report to this file; "" for none
};

struct WritePsnOptions {
  CommonOptions common;
  std::string name;    // the operation's argument; "" for the black box's own
  std::string editor;  // document to make current first; "" for the current one
};

// Options of every command that runs an operation of the black-box
// services (Editing.h).
struct EditOptions {
  CommonOptions common;
  std::string output;    // -o FILE: write the changed session there
  bool inPlace = false;  // --in-place: write it back to the session file
  bool dryRun = false;   // --dry-run: print the report, write nothing
};

struct IdentifyOptions {
  EditOptions edit;
  std::vector<std::string> products;  // DOC:PATH of black-box components
};

struct AddOptions {
  EditOptions edit;
  std::string product;  // DOC:PATH of the PSN product to add
  std::string target;   // DOC:PATH of the black-box product; "" for the root
};

struct UpdatePositionOptions {
  EditOptions edit;
  std::string bb;   // black-box document; "" to find it
  std::string psn;  // PSN document; "" to find it
};

struct FlattenOptions {
  EditOptions edit;
  std::string bb;               // black-box document; "" for the first black box
  bool removePsnLevel = false;  // option 1: below the root, PSN level removed
};

struct MoveOptions {
  EditOptions edit;
  std::string product;      // DOC:PATH of the part or model instance
  std::string destination;  // DOC:PATH of the product to move it below
};

struct CopyPositionOptions {
  EditOptions edit;
  std::string reference;  // DOC:PATH of the product whose position is copied
  std::string target;     // DOC:PATH of the product that takes it
};

struct MigrateOptions {
  EditOptions edit;
  std::string bb;                      // black-box document; "" for the first black box
  bool reattach = false;               // Migrate2
  bool rootPartVersion = false;        // MigrateAfterRootPartVersionning
  std::vector<std::string> arguments;  // PSN-FILE-NAME, or the three texts
};

struct SyncOptions {
  EditOptions edit;
  std::string bb;                     // black-box document; "" to find it
  std::string psn;                    // PSN document; "" to find it
  std::string positions = "from-psn"; // or "to-psn"
  bool keepGoing = false;             // write the result even when an action failed
};

int RunInfo(const CommonOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunRecords(const RecordsOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunDiff(const DiffOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunWritePsn(const WritePsnOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunIdentify(const IdentifyOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunAdd(const AddOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunUpdatePosition(const UpdatePositionOptions& iOptions, std::ostream& oOut,
                      std::ostream& oErr);
int RunFlatten(const FlattenOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunMove(const MoveOptions& iOptions, std::ostream& oOut, std::ostream& oErr);
int RunCopyPosition(const CopyPositionOptions& iOptions, std::ostream& oOut,
                    std::ostream& oErr);
int RunMigrate(const MigrateOptions& iOptions, std::ostream& oOut, std::ostream& oErr);

int RunSync(const SyncOptions& iOptions, std::ostream& oOut, std::ostream& oErr);

// Parses the command line and runs the command; the whole of main().
int Main(int argc, char** argv, std::ostream& oOut, std::ostream& oErr);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_COMMANDS_H_
