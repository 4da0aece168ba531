// What the automation driver needs of a running program: one
// implementation per backend. Control names and all texts are GBK. Every
// action returns once the program is idle again (headless: when the call
// returns; Win32: when the user-interface thread is back in a message loop,
// possibly a dialog's or a message box's).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::drive {

struct MessageInfo {
  std::string title, text;
  ui::MsgIcon icon = ui::MsgIcon::None;
  ui::MsgButtons buttons = ui::MsgButtons::Ok;
};

struct ControlState {
  std::string type;  // "edit", "label", ... (for dump)
  std::string text, tag;
  bool checked = false, enabled = true, visible = true;
  ui::Rect rect;  // inside the model parent
  int32_t textColour = ui::kDefaultColour, backColour = ui::kDefaultColour;
  int selected = -1;
  std::vector<std::string> items;
};

// The tab control `tab` acts on: the topmost open form's, when it has a page
// of that index.
inline ui::Control* TabControlFor(ui::Shell& shell, int index) {
  ui::Control* tab = shell.Resolve(ui::ControlType::TabControl);
  return tab && index >= 0 && index < ui::PageCount(*tab) ? tab : nullptr;
}

class Target {
 public:
  virtual ~Target() = default;

  // home: the executable directory ($H) in the program's path form.
  virtual void Start(const std::string& home) = 0;
  virtual void Close() = 0;  // by the frame's close box
  virtual bool Running() = 0;

  // Actions; false when there is no such control (resolved in the topmost
  // open form first) or it is of a type the action does not fit.
  virtual bool Type(const std::string& control, const std::string& text) = 0;
  virtual bool Click(const std::string& control) = 0;
  virtual bool Choose(const std::string& control, int index) = 0;
  virtual bool Tab(int index) = 0;
  // A menu item of the menu bar or of the popup menu that is open.
  virtual bool Menu(const std::string& caption) = 0;
  virtual bool Toolbar(int index) = 0;
  virtual bool Rows(const std::vector<int>& rows) = 0;
  virtual bool Key(const std::string& control, const ui::KeyPress& key) = 0;
  virtual bool DoubleClick(const std::string& control) = 0;
  virtual bool RightClick(const std::string& control) = 0;
  virtual void Escape() = 0;
  virtual void Resize(int width, int height) = 0;
  virtual void Drop(const std::vector<std::string>& paths) = 0;
  // A dialog from its description alone (no created handler), on top; by
  // its title. False when no description has that title.
  virtual bool Show(const std::string& title) = 0;

  // Answers for the next platform dialogs (nullopt: cancel).
  virtual void AnswerFolder(std::optional<std::string> path) = 0;
  virtual void AnswerOpen(std::optional<std::vector<std::string>> paths) = 0;
  virtual void AnswerFont(std::optional<ui::FontChoice> font) = 0;
  virtual void AnswerColour(std::optional<int32_t> colour) = 0;
  virtual void AnswerMessage(ui::MsgAnswer answer) = 0;

  // Reads.
  virtual std::optional<ControlState> Read(const std::string& control) = 0;
  virtual int RowCount() = 0;
  virtual std::string Cell(int row, int column) = 0;
  virtual int Image(int row) = 0;  // -1 none
  // A marked row's tip; nullopt when the row is not marked.
  virtual std::optional<std::string> Mark(int row) = 0;
  virtual std::vector<int> SelectedRows() = 0;
  virtual std::string Status(int pane) = 0;
  virtual bool ToolbarEnabled(int index) = 0;
  virtual std::optional<bool> MenuEnabled(const std::string& caption) = 0;
  virtual std::string TopDialogTitle() = 0;  // "" when no dialog is open
  virtual std::string TopTitle() = 0;        // the topmost window's, the main one's included
  virtual bool WaitCursor() = 0;
  virtual ui::Rect WindowRect() = 0;
  // Message boxes shown since the last call, oldest first.
  virtual std::vector<MessageInfo> TakeMessages() = 0;
  virtual std::string Dump() = 0;
};

}  // namespace tavik::drive
