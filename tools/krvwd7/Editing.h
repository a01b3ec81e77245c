// The frame every command that runs an operation of the black-box services
// runs in (identify, add, update-position, and the commands that change a
// session the same way).
//
// RunEditing:
//  1. loads SESSION (exit 2 when it cannot be used);
//  2. makes the services component "KRVWD7BlackBoxServices" by name and asks
//     it for KRVIWD7BlackBoxServices, as a command of a sibling library does;
//  3. records the session's structure (HostSession::TakeSnapshot);
//  4. runs the command's body, which finds its products and documents
//     (EditContext::Product, Document; a name that is not there refuses the
//     command: exit 2), calls one operation through Services() and says
//     what the result means (EditOutcome);
//  5. on a negative result prints one line, "krvwd7: COMMAND: KEY: text"
//     with the catalog key and text of the error the service raised (when
//     it raised none: the body's explanation and the result code, or the
//     result code alone), writes nothing and exits 3;
//  6. otherwise writes the changed session to -o FILE, or back to SESSION
//     with --in-place (the host's atomic save: the file is replaced only
//     once its new content is complete); with --dry-run, or with neither,
//     nothing is written (stderr then says "nothing written (use -o FILE or
//     --in-place)"); a target that cannot be written exits 2;
//  7. prints the outcome and the change report (HostSession::ChangesSince):
//     tables, or one JSON document with --json; exits 0.
//
// A command that writes nothing by nature (identify) sets `writes` false:
// it takes no writing options and prints no change report.
//
// Adding a command: an options struct holding EditOptions, a body, and a
// few lines in Cli.cpp (AddEditCommand, then RunEditing). A body:
//
//   EditOutcome Flatten(const FlattenOptions& iOptions, EditContext& ioContext) {
//     CATDocument* document = ioContext.Document(iOptions.doc);
//     if (document == nullptr) return EditOutcome();  // refused: exit 2
//     EditOutcome outcome;
//     outcome.rc = ioContext.Services().Flatten(*document, 0);
//     outcome.explanation = "flattened";
//     return outcome;
//   }
#ifndef KRVWD7_TOOL_EDITING_H_
#define KRVWD7_TOOL_EDITING_H_

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "Commands.h"
#include "HostSession.h"
#include "KRVIWD7BlackBoxServices.h"
#include "Structures.h"

namespace krvwd7 {

// A product the command reports (a selected, new or updated product).
struct ReportedProduct {
  std::string product;  // DOC:PATH
  std::string partNumber;
};

class JsonOut;

// What a command's body hands back.
struct EditOutcome {
  HRESULT rc = S_OK;        // the operation's result
  std::string explanation;  // one line: what the result means (also on failure)
  std::string listTitle;    // heading of `products` ("" for no list)
  std::vector<ReportedProduct> products;
  // For a command that runs several operations (sync): the exit code when
  // rc is not negative, whether the session may be written (false: nothing
  // is written, and stderr says why with `notWritten`), and what the
  // command adds to the report: text printed after the explanation line,
  // and the value of the JSON member "details" (null when unset).
  int exitCode = 0;
  bool write = true;
  std::string notWritten;
  // A line for stderr when the session is written all the same but the
  // exit code says something went wrong ("" for none).
  std::string warning;
  std::function<void(std::ostream&)> printDetails;
  std::function<void(JsonOut&)> writeDetails;
};

// The black box a command works on, as it was before the operation.
struct ChosenBlackBox {
  CATDocument* document = nullptr;  // null when the command was refused
  std::string name;                 // the document's name
  CATBaseUnknown_var root;
  BlackBoxAttributes before;
};

class EditContext {
 public:
  EditContext(const EditOptions& iOptions, KRVIWD7BlackBoxServices& iServices,
              const HostSnapshot& iBefore)
      : options_(iOptions), services_(iServices), before_(iBefore) {}

  const EditOptions& Options() const { return options_; }
  // The services component, made by name.
  KRVIWD7BlackBoxServices& Services() { return services_; }

  // The product named by a DOC:PATH text; empty, with the command refused,
  // when there is none.
  CATBaseUnknown_var Product(const std::string& iText);
  // The product document named iName (name or storage name); null, with
  // the command refused, when there is none.
  CATDocument* Document(const std::string& iName);
  // The black-box document named iBB, or without a name the first document
  // whose root is a black box; its document is null, with the command
  // refused, when there is none.
  ChosenBlackBox BlackBox(const std::string& iBB);
  // Refuses the command with a one-line message that names the session
  // file and the place (exit 2, nothing written); the first one is kept.
  void Refuse(const std::string& iMessage) {
    if (refusal_.empty()) refusal_ = iMessage;
  }
  const std::string& Refusal() const { return refusal_; }

  // What the operation changed in the session so far, computed once when
  // first asked (call it after the operation).
  const std::vector<HostChange>& Changes();
  // The products of the document iDocument that changes of kind iKind
  // touched (only changes of the property or parameter iName, when given),
  // as the report lists them.
  std::vector<ReportedProduct> Changed(const std::string& iDocument, HostChange::Kind iKind,
                                       const std::string& iName = "");
  // iProduct, or the product of iChange, as the report lists it.
  static ReportedProduct Report(const CATBaseUnknown_var& iProduct);
  static ReportedProduct Report(const HostChange& iChange);

 private:
  const EditOptions& options_;
  KRVIWD7BlackBoxServices& services_;
  const HostSnapshot& before_;
  std::string refusal_;
  bool has_changes_ = false;
  std::vector<HostChange> changes_;
};

struct EditCommand {
  const char* name = "";  // the command's name, in messages
  bool writes = true;     // false: never writes the session, no change report
  std::function<EditOutcome(EditContext&)> body;
};

int RunEditing(const EditOptions& iOptions, const EditCommand& iCommand,
               std::ostream& oOut, std::ostream& oErr);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_EDITING_H_
