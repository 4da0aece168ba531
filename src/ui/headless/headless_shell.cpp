#include "ui/headless/headless_shell.h"

#include <algorithm>

namespace tavik::ui {

// Keeps a form's client size what its frame leaves of the outer size; the
// other notifications have nothing to mirror.
class HeadlessShell::FrameObserver : public FormObserver {
 public:
  FrameObserver(HeadlessShell& shell, Form& form) : shell_(shell), form_(form) {}

  void WindowRectChanged() override {
    bool main = form_.desc().kind == FormKind::MainWindow;
    int fw = main ? shell_.metrics.frameWidth : shell_.dialogFrameWidth;
    int fh = main ? shell_.metrics.frameHeight : shell_.dialogFrameHeight;
    form_.clientWidth = std::max(0, form_.windowRect.width - fw);
    form_.clientHeight = std::max(0, form_.windowRect.height - fh);
  }
  void ControlChanged(Control&, What) override {}
  void MenuChanged(Menu&, int) override {}
  void ToolbarChanged(int) override {}
  void StatusChanged(int pane) override {
    if (shell_.onStatus) shell_.onStatus(form_, pane);
  }
  void TitleChanged() override {}
  void ListCountChanged(Control&) override {}
  void ListRowChanged(Control&, int, int) override {}
  void ListSelectionChanged(Control&) override {}

 private:
  HeadlessShell& shell_;
  Form& form_;
};

HeadlessShell::HeadlessShell() = default;

HeadlessShell::~HeadlessShell() {
  for (auto& [form, observer] : live_)
    if (form->observer() == observer.get()) form->SetObserver(nullptr);
}

MsgAnswer HeadlessShell::ShowMessage(Form*, const std::string& title, const std::string& text, MsgIcon icon,
                                     MsgButtons buttons) {
  MsgAnswer answer = NextMessageAnswer();
  messages.push_back(Message{title, text, icon, buttons, answer});
  return answer;
}

std::vector<std::string> HeadlessShell::OpenFiles(Form*, const std::string& title, const std::string& filter,
                                                  const std::string& initialDir) {
  openRequests.push_back(OpenRequest{title, filter, initialDir});
  return NextOpenAnswer();
}

std::optional<std::string> HeadlessShell::BrowseForFolder(Form*, const std::string& title) {
  folderRequests.push_back(title);
  return NextFolderAnswer();
}

bool HeadlessShell::PickFont(Form*, FontChoice& font) {
  fontRequests.push_back(font);
  return NextFontAnswer(font);
}

bool HeadlessShell::ChooseColour(Form*, int32_t& colour) {
  colourRequests.push_back(colour);
  return NextColourAnswer(colour);
}

void HeadlessShell::BeginWaitCursor() {
  ++waitDepth;
  ++waitCalls;
}

void HeadlessShell::EndWaitCursor() {
  if (waitDepth > 0) --waitDepth;
}

void HeadlessShell::PopupMenu(Form&, const std::string& menuCaption) {
  openPopup = menuCaption;
  popups.push_back(menuCaption);
}

void HeadlessShell::Flush(Form&) { ++flushes; }

void HeadlessShell::Attach(Form& form) {
  auto& observer = live_[&form];
  observer = std::make_unique<FrameObserver>(*this, form);
  form.SetObserver(observer.get());
  // Same rect: only the client size and the docked bars follow, no onSized.
  form.SetWindowRect(form.windowRect);
}

void HeadlessShell::RemoveOpen(Form& form) {
  openForms.erase(std::remove(openForms.begin(), openForms.end(), &form), openForms.end());
}

void HeadlessShell::Show(Form& form) {
  if (std::find(openForms.begin(), openForms.end(), &form) != openForms.end()) return;
  Attach(form);
  openForms.push_back(&form);
  if (form.onCreated) form.onCreated();
}

void HeadlessShell::OpenModal(Form& dialog, Form&) {
  Attach(dialog);
  openForms.push_back(&dialog);
}

void HeadlessShell::ModalLoop(Form& dialog) {
  while (!dialog.closing()) {
    if (!modalPump || !modalPump(dialog)) dialog.Close();
  }
}

void HeadlessShell::CloseModal(Form& dialog, Form&) {
  RemoveOpen(dialog);
  Forget(dialog);
}

void HeadlessShell::Destroy(Form& form) {
  RemoveOpen(form);
  auto it = live_.find(&form);
  if (it == live_.end()) return;  // never shown, or destroyed already
  std::unique_ptr<FrameObserver> observer = std::move(it->second);
  live_.erase(it);
  if (form.onDestroying) form.onDestroying();
  if (form.observer() == observer.get()) form.SetObserver(nullptr);
}

void HeadlessShell::Forget(Form& form) {
  auto it = live_.find(&form);
  if (it == live_.end()) return;
  if (form.observer() == it->second.get()) form.SetObserver(nullptr);
  live_.erase(it);
}

}  // namespace tavik::ui
