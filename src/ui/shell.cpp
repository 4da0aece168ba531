#include "ui/shell.h"

#include "ui/form.h"

namespace tavik::ui {

// One sequence for every backend, so that a dialog's lifetime is the same
// wherever it runs: its form usually lives in the caller's stack frame, and
// the shell must have forgotten it by the time RunModal returns.
void Shell::RunModal(Form& dialog, Form& owner) {
  bool ownerWasBlocked = owner.inputBlocked;
  OpenModal(dialog, owner);
  owner.inputBlocked = true;
  if (dialog.onCreated) dialog.onCreated();
  if (!dialog.closing()) ModalLoop(dialog);
  owner.inputBlocked = ownerWasBlocked;
  if (dialog.onDestroying) dialog.onDestroying();
  CloseModal(dialog, owner);
}

Control* Shell::Resolve(std::string_view name) {
  std::vector<Form*> forms = OpenForms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it)
    if (Control* c = (*it)->Find(name)) return c;
  return nullptr;
}

Control* Shell::Resolve(ControlType type) {
  std::vector<Form*> forms = OpenForms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it)
    for (auto& c : (*it)->controls())
      if (c->type == type) return c.get();
  return nullptr;
}

}  // namespace tavik::ui
