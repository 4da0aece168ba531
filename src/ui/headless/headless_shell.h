// The headless backend: no windows, the model is the whole truth. Every
// platform dialog takes its answer from a queue that a test or the driver
// fills beforehand, and records what the program asked.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/scripted_answers.h"
#include "ui/shell.h"

namespace tavik::ui {

class HeadlessShell : public Shell, public ScriptedAnswers {
 public:
  HeadlessShell();
  ~HeadlessShell() override;

  ScreenMetrics metrics;
  // A dialog's frame has no menu bar and a thin fixed border, so its client
  // area is larger than a main window's of the same outer size.
  int dialogFrameWidth = 6, dialogFrameHeight = 32;

  std::vector<Form*> openForms;
  std::vector<Form*> OpenForms() override { return openForms; }
  Form* Top() { return openForms.empty() ? nullptr : openForms.back(); }

  // Runs while a modal dialog is open: does one user step and returns true,
  // or returns false when it has nothing more to do (the dialog is then
  // closed). Without it a dialog closes as soon as it has opened.
  std::function<bool(Form&)> modalPump;

  struct Message {
    std::string title, text;
    MsgIcon icon;
    MsgButtons buttons;
    MsgAnswer answer;
  };
  std::vector<Message> messages;

  struct OpenRequest {
    std::string title, filter, initialDir;
  };
  std::vector<OpenRequest> openRequests;
  std::vector<std::string> folderRequests;  // titles
  std::vector<FontChoice> fontRequests;     // the choice passed in
  std::vector<int32_t> colourRequests;

  int waitDepth = 0;
  int waitCalls = 0;
  bool WaitCursorShown() const { return waitDepth > 0; }

  std::string openPopup;            // the last popup menu's caption
  std::vector<std::string> popups;  // every popup, in order
  int flushes = 0;
  // Called for every status pane text the program sets, after it is set.
  std::function<void(Form&, int pane)> onStatus;

  MsgAnswer ShowMessage(Form* owner, const std::string& title, const std::string& text, MsgIcon icon,
                        MsgButtons buttons) override;
  std::vector<std::string> OpenFiles(Form* owner, const std::string& title, const std::string& filter,
                                     const std::string& initialDir) override;
  std::optional<std::string> BrowseForFolder(Form* owner, const std::string& title) override;
  bool PickFont(Form* owner, FontChoice& font) override;
  bool ChooseColour(Form* owner, int32_t& colour) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void PopupMenu(Form& owner, const std::string& menuCaption) override;
  ScreenMetrics Metrics() override { return metrics; }
  void Show(Form& form) override;
  void Destroy(Form& form) override;
  void Flush(Form& form) override;

 protected:
  void OpenModal(Form& dialog, Form& owner) override;
  void ModalLoop(Form& dialog) override;
  void CloseModal(Form& dialog, Form& owner) override;

 private:
  class FrameObserver;
  void Attach(Form& form);
  void RemoveOpen(Form& form);
  void Forget(Form& form);
  // Forms shown and not yet destroyed, each with the observer that keeps its
  // client size.
  std::map<Form*, std::unique_ptr<FrameObserver>> live_;
};

}  // namespace tavik::ui
