// The Win32 backend: real windows and controls built from the form
// descriptions, mirroring the model both ways, and the real platform
// dialogs. Only this folder and the program's entry include <windows.h>.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace tavik::ui {

class WindowHost;

class Win32Shell : public Shell {
 public:
  Win32Shell();
  ~Win32Shell() override;

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
  ScreenMetrics Metrics() override;
  void Show(Form& form) override;
  void Destroy(Form& form) override;
  void Flush(Form& form) override;

  // The message loop of the program: until WM_QUIT.
  int RunMessageLoop();
  // Posts WM_QUIT once the main form's window is gone.
  bool quitWhenMainDestroyed = true;

  WindowHost* HostOf(const Form& form);
  std::vector<Form*> OpenForms() override;
  int waitDepth() const { return waitDepth_; }

  // A popup menu that is open: the driver may end it and pick an item.
  HMENU openPopup = nullptr;
  Form* openPopupOwner = nullptr;
  int forcedPopupChoice = -1;  // item index chosen from outside the menu loop

 protected:
  void OpenModal(Form& dialog, Form& owner) override;
  void ModalLoop(Form& dialog) override;
  void CloseModal(Form& dialog, Form& owner) override;

  std::map<const Form*, std::unique_ptr<WindowHost>> hosts_;
  std::vector<Form*> order_;
  int waitDepth_ = 0;
  HCURSOR previousCursor_ = nullptr;
};

// Runs fn on the user-interface thread from any thread: RunOnUi waits for it,
// PostOnUi does not. Both work while the UI thread is in any message loop
// (a modal dialog, a message box, a menu).
void InitUiThread();
void RunOnUi(const std::function<void()>& fn);
void PostOnUi(std::function<void()> fn);
DWORD UiThreadId();

}  // namespace tavik::ui
