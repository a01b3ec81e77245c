#include "ToolSession.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "CATFrmEditor.h"
#include "HostSession.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiTracer.h"

namespace krvwd7 {

namespace {

// The file must exist and be a regular file; the message says why not.
bool CheckSessionPath(const std::string& iPath, std::string& oError) {
  struct stat st;
  if (stat(iPath.c_str(), &st) != 0) {
    oError = iPath + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    oError = iPath + ": is a directory, not a session file";
    return false;
  }
  return true;
}

bool g_leave_session_at_exit = false;

}  // namespace

void ToolSession::LeaveSessionAtExit(bool iLeave) { g_leave_session_at_exit = iLeave; }

bool ToolSession::LeavingSessionAtExit() { return g_leave_session_at_exit; }

void ToolSession::Keep(std::shared_ptr<void> iObject) {
  // Never destroyed, so nothing it holds is released at exit.
  static auto* kept = new std::vector<std::shared_ptr<void>>();
  kept->push_back(std::move(iObject));
}

ToolSession::~ToolSession() {
  if (progress_) {
    terminal_progress_.EndPhase();
    KRVWD7UtiDlgProgress::SetObserver(nullptr);
  }
  if (tracing_) KRVWD7UtiTracer::Off();
  CATApplication::SetMainApplication(nullptr);
  if (opened_ && !g_leave_session_at_exit) HostSession::Close();
}

bool ToolSession::Open(const CommonOptions& iOptions, std::string& oError) {
  if (!CheckSessionPath(iOptions.session, oError)) return false;
  if (!HostSession::Load(iOptions.session, oError)) return false;
  opened_ = true;
  if (!iOptions.trace.empty()) {
    if (!KRVWD7UtiTracer::ToFile(iOptions.trace.c_str())) {
      oError = iOptions.trace + ": cannot open the trace file: " +
               std::strerror(errno);
      return false;
    }
    tracing_ = true;
  }
  if (!iOptions.batch && IsTerminal(stderr)) {
    CATApplication::SetMainApplication(&interactive_);
    KRVWD7UtiDlgProgress::SetObserver(&terminal_progress_);
    progress_ = true;
  } else {
    CATApplication::SetMainApplication(nullptr);  // batch
  }
  return true;
}

std::vector<CATDocument*> ToolSession::Documents() const {
  return HostSession::ProductDocuments();
}

CATDocument* ToolSession::FindDocument(const std::string& iName) const {
  return HostSession::FindProductDocument(iName);
}

std::string ToolSession::NameOf(CATDocument* iDocument) {
  return HostSession::NameOf(iDocument);
}

CATDocument* ToolSession::CurrentDocument() {
  CATFrmEditor* editor = CATFrmEditor::GetCurrentEditor();
  return editor ? editor->GetDocument() : nullptr;
}

bool ToolSession::ActivateDocument(const std::string& iName) {
  CATDocument* document = FindDocument(iName);
  CATFrmEditor* editor = nullptr;
  if (document == nullptr ||
      FAILED(KRVWD7UtiEditorServices::GetFrmEditor(document, editor)) || editor == nullptr) {
    return false;
  }
  editor->Activate();
  return true;
}

}  // namespace krvwd7
