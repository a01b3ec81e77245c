#include "CATFrmEditor.h"

namespace {

CATFrmLayout* g_layout = nullptr;

}  // namespace

CATFrmLayout* CATFrmLayout::Get() { return g_layout; }
void CATFrmLayout::Set(CATFrmLayout* iLayout) { g_layout = iLayout; }

CATFrmEditor* CATFrmEditor::GetCurrentEditor() {
  return g_layout ? g_layout->CurrentEditor() : nullptr;
}

void CATFrmEditor::Activate() {
  if (layout_) layout_->SetCurrentEditor(this);
}
