// User steps played while a modal dialog is open: each pump of the shell's
// modal loop runs the next one. When they run out the dialog is closed
// without a handler, the way the headless shell ends an unattended dialog.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "ui/headless/headless_shell.h"

namespace tavik::testing {

class DialogScript {
 public:
  using Step = std::function<void(ui::Form&)>;

  explicit DialogScript(ui::HeadlessShell& shell) : state_(std::make_shared<State>()) {
    auto state = state_;
    shell.modalPump = [state](ui::Form& dialog) {
      if (state->next >= state->steps.size()) return false;
      state->steps[state->next++](dialog);
      return true;
    };
  }

  DialogScript& Then(Step step) {
    state_->steps.push_back(std::move(step));
    return *this;
  }
  // Steps that ran; fewer than added means the dialog closed early.
  size_t ran() const { return state_->next; }
  size_t added() const { return state_->steps.size(); }

 private:
  struct State {
    std::vector<Step> steps;
    size_t next = 0;
  };
  std::shared_ptr<State> state_;
};

}  // namespace tavik::testing
