// The host session a command runs in.
//
// Open() checks the session path, loads the file into the host's current
// session, makes the host batch or interactive (interactive only when stderr
// is a terminal and --batch is not given), draws progress bars on the
// terminal when interactive, and sends the library's trace to --trace.
// The destructor closes the session and restores the host's defaults, so
// that commands can run one after the other in one process (tests).
#ifndef KRVWD7_TOOL_TOOLSESSION_H_
#define KRVWD7_TOOL_TOOLSESSION_H_

#include <memory>
#include <string>
#include <vector>

#include "CATApplication.h"
#include "Commands.h"
#include "Terminal.h"

class CATDocument;

namespace krvwd7 {

class ToolSession {
 public:
  ToolSession() = default;
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  // False, with a one-line message naming the file, when the session cannot
  // be used; nothing is then loaded.
  bool Open(const CommonOptions& iOptions, std::string& oError);

  // Whether destructors leave the loaded session to the end of the process
  // instead of closing it. The executable sets this: it exits right after
  // its command, and the system takes the memory back at once, where
  // closing would release every product one by one. Off by default, so
  // that commands run one after the other in one process (tests) start
  // from an empty session.
  static void LeaveSessionAtExit(bool iLeave);
  // What a command has made from the session (record lists, a report tree):
  // left to the end of the process with the session when the session is
  // left at exit, destroyed here otherwise. The objects left stay
  // reachable, so a leak check does not count them.
  template <class T>
  static void LeaveAtExit(std::unique_ptr<T> iObject) {
    if (LeavingSessionAtExit()) Keep(std::shared_ptr<void>(std::move(iObject)));
  }

  // Product documents in opening order (borrowed from the session).
  std::vector<CATDocument*> Documents() const;
  // The product document named iName (its name or its storage name), null
  // when none.
  CATDocument* FindDocument(const std::string& iName) const;
  // The name a user sees in the document's window title.
  static std::string NameOf(CATDocument* iDocument);
  // The product document whose editor is current, null when none.
  static CATDocument* CurrentDocument();
  // Makes the editor of the product document named iName current (its
  // window comes to the front); false, nothing changed, when there is none.
  bool ActivateDocument(const std::string& iName);

  // The progress drawing on the terminal, null when no bar is drawn
  // (batch, or stderr is not a terminal); for ProgressPhase.
  TerminalProgress* Progress() { return progress_ ? &terminal_progress_ : nullptr; }

 private:
  static bool LeavingSessionAtExit();
  static void Keep(std::shared_ptr<void> iObject);

  bool opened_ = false;
  bool tracing_ = false;
  bool progress_ = false;
  CATInteractiveApplication interactive_;
  TerminalProgress terminal_progress_;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_TOOLSESSION_H_
