// The driver's target over the model alone: the whole program with a
// headless shell, the system file service and profile. A modal dialog runs
// the script's next lines from inside the action that opened it.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "drive/driver.h"
#include "drive/target.h"
#include "ui/headless/headless_shell.h"

namespace tavik::drive {

class HeadlessTarget final : public Target, public FontSource, public StatusHistorySource {
 public:
  HeadlessTarget();
  ~HeadlessTarget() override;

  // One step of the script while a modal dialog is open; false when the
  // script has ended (the dialog then closes).
  void SetPump(std::function<bool()> pump) { pump_ = std::move(pump); }
  ui::HeadlessShell& shell() { return shell_; }

  void Start(const std::string& home) override;
  void Close() override;
  bool Running() override;

  bool Type(const std::string& control, const std::string& text) override;
  bool Click(const std::string& control) override;
  bool Choose(const std::string& control, int index) override;
  bool Tab(int index) override;
  bool Menu(const std::string& caption) override;
  bool Toolbar(int index) override;
  bool Rows(const std::vector<int>& rows) override;
  bool Key(const std::string& control, const ui::KeyPress& key) override;
  bool DoubleClick(const std::string& control) override;
  bool RightClick(const std::string& control) override;
  void Escape() override;
  void Resize(int width, int height) override;
  void Drop(const std::vector<std::string>& paths) override;
  bool Show(const std::string& title) override;

  void AnswerFolder(std::optional<std::string> path) override;
  void AnswerOpen(std::optional<std::vector<std::string>> paths) override;
  void AnswerFont(std::optional<ui::FontChoice> font) override;
  void AnswerColour(std::optional<int32_t> colour) override;
  void AnswerMessage(ui::MsgAnswer answer) override;

  std::optional<ControlState> Read(const std::string& control) override;
  int RowCount() override;
  std::string Cell(int row, int column) override;
  int Image(int row) override;
  std::optional<std::string> Mark(int row) override;
  std::vector<int> SelectedRows() override;
  std::string Status(int pane) override;
  bool ToolbarEnabled(int index) override;
  std::optional<bool> MenuEnabled(const std::string& caption) override;
  std::string TopDialogTitle() override;
  std::string TopTitle() override;
  bool WaitCursor() override;
  ui::Rect WindowRect() override;
  std::vector<MessageInfo> TakeMessages() override;
  std::vector<std::string> TakeStatusHistory(int pane) override { return statusHistory_.Take(pane); }
  std::string Dump() override;

  std::optional<ui::Font> ControlFont(const std::string& control) override;

 private:
  ui::Form* Main();
  ui::Control* List();
  ui::MenuItem* PopupItem(const std::string& caption);
  // Runs a user action; a popup menu that it opens stays open for the next
  // `menu`, any other action closes it.
  bool Act(const std::function<bool()>& action);
  // Act on the named control; false when there is none.
  bool ActOn(const std::string& control, const std::function<bool(ui::Control&)>& action);

  ui::HeadlessShell shell_;
  StatusHistory statusHistory_;
  std::unique_ptr<app::App> app_;
  std::function<bool()> pump_;
  int pumpDepth_ = 0;  // > 0 while a modal dialog runs script lines
  size_t messagesTaken_ = 0;
  std::string popup_;  // caption of the open popup menu, "" when none
  // Dialogs opened by `show` without a main window to be modal over.
  std::vector<std::unique_ptr<ui::Form>> shown_;
};

}  // namespace tavik::drive
