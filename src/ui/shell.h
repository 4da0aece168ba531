// Platform dialogs and services that are not forms, plus the life of forms
// on screen. The headless backend scripts and records all of it; the Win32
// backend shows the real thing.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/form.h"

namespace tavik::ui {

enum class MsgIcon { None, Info, Warning, Error };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

struct FontChoice {
  std::string face;
  int points = 0;
  bool bold = false, italic = false;
};

struct ScreenMetrics {
  int screenWidth = 1024, screenHeight = 768;
  // Outer size minus client size of a main window with a menu bar.
  int frameWidth = 8, frameHeight = 54;
};

class Shell {
 public:
  virtual ~Shell() = default;

  virtual MsgAnswer ShowMessage(Form* owner, const std::string& title, const std::string& text, MsgIcon icon,
                                MsgButtons buttons) = 0;
  // Full paths of the chosen files; empty when cancelled.
  virtual std::vector<std::string> OpenFiles(Form* owner, const std::string& title, const std::string& filter,
                                             const std::string& initialDir) = 0;
  // The chosen directory; nothing when cancelled.
  virtual std::optional<std::string> BrowseForFolder(Form* owner, const std::string& title) = 0;
  // In: the current choice; out: the confirmed one. False when cancelled.
  virtual bool PickFont(Form* owner, FontChoice& font) = 0;
  virtual bool ChooseColour(Form* owner, int32_t& colour) = 0;

  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;  // restores the previous cursor
  // Pops up the hidden top-level menu with that caption at the mouse.
  virtual void PopupMenu(Form& owner, const std::string& menuCaption) = 0;
  virtual ScreenMetrics Metrics() = 0;

  // Forms on screen. Show creates the windows of a main form and raises
  // onCreated; RunModal shows a dialog over its owner, raises onCreated and
  // returns when the dialog has closed and is forgotten, after raising its
  // onDestroying; Destroy raises onDestroying and removes the windows.
  virtual void Show(Form& form) = 0;
  void RunModal(Form& dialog, Form& owner);
  virtual void Destroy(Form& form) = 0;
  // Main window first, dialogs stacked on top in the order they opened.
  virtual std::vector<Form*> OpenForms() = 0;
  // The control of that name, or the first of that type, in the topmost
  // open form that has one.
  Control* Resolve(std::string_view name);
  Control* Resolve(ControlType type);
  // Something a long operation wants seen at once (progress marks).
  virtual void Flush(Form& form) { (void)form; }

 protected:
  // The steps of RunModal that differ by backend. OpenModal makes the
  // dialog's windows over a blocked owner; ModalLoop shows it and takes the
  // user's steps until the dialog is closing; CloseModal unblocks the owner
  // and forgets the dialog, whose onDestroying has run.
  virtual void OpenModal(Form& dialog, Form& owner) = 0;
  virtual void ModalLoop(Form& dialog) = 0;
  virtual void CloseModal(Form& dialog, Form& owner) = 0;
};

// Scoped wait cursor.
class WaitCursor {
 public:
  explicit WaitCursor(Shell& shell) : shell_(shell) { shell_.BeginWaitCursor(); }
  ~WaitCursor() { shell_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Shell& shell_;
};

}  // namespace tavik::ui
