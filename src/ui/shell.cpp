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

}  // namespace tavik::ui
