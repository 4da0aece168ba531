#include "drive/headless_target.h"

#include "platform/platform.h"
#include "text/gbk.h"
#include "forms/descriptions.h"

namespace tavik::drive {

using ui::Control;
using ui::ControlType;
using ui::Form;

namespace {

std::vector<Control*> Pages(Form& form, const Control& tab) {
  std::vector<Control*> pages;
  for (auto& c : form.controls())
    if (c->parent == &tab && c->type == ControlType::TabPage) pages.push_back(c.get());
  return pages;
}

std::string Colour(int32_t c) {
  return text::NumberToText(c & 0xFF) + " " + text::NumberToText((c >> 8) & 0xFF) + " " +
         text::NumberToText((c >> 16) & 0xFF);
}

std::string Q(const std::string& s) { return QuoteText(s); }

// A key press as a menu item shows its shortcut: "Ctrl+D"; "" for keys no
// shortcut uses.
std::string ShortcutText(const ui::KeyPress& k) {
  bool letterOrDigit = (k.code >= 'A' && k.code <= 'Z') || (k.code >= '0' && k.code <= '9');
  if (!letterOrDigit) return std::string();
  std::string s;
  if (k.ctrl) s += "Ctrl+";
  if (k.shift) s += "Shift+";
  if (k.alt) s += "Alt+";
  return s + static_cast<char>(k.code);
}

// The item of the menu bar whose shortcut the key is; modifiers must match
// exactly, as in an accelerator table.
ui::MenuItem* ShortcutItem(Form& form, const ui::KeyPress& key) {
  std::string text = ShortcutText(key);
  if (text.empty()) return nullptr;
  for (ui::Menu& m : form.menus()) {
    if (m.hidden) continue;
    for (ui::MenuItem& item : m.items)
      if (!item.caption.empty() && item.accelerator == text) return &item;
  }
  return nullptr;
}

}  // namespace

HeadlessTarget::HeadlessTarget() {
  shell_.onStatus = [this](Form& form, int pane) { statusHistory_.Record(pane, form.status()[pane].text); };
  shell_.modalPump = [this](Form&) {
    if (!pump_) return false;
    ++pumpDepth_;
    bool more = pump_();
    --pumpDepth_;
    return more;
  };
}

HeadlessTarget::~HeadlessTarget() {
  // A dialog left open by `show` goes first; the App closes its own window.
  for (auto& f : shown_) shell_.Destroy(*f);
  shown_.clear();
  app_.reset();
}

void HeadlessTarget::Start(const std::string& home) {
  if (pumpDepth_ > 0 || Running()) return;
  popup_.clear();
  app_.reset();
  app_ = std::make_unique<app::App>(shell_, SystemFileSystem(), SystemProfile(), home);
  app_->Start();
}

void HeadlessTarget::Close() {
  // Never from inside a dialog's loop: the App's code is still on the stack.
  if (pumpDepth_ > 0 || !Running()) return;
  popup_.clear();
  app_->Exit();
}

bool HeadlessTarget::Running() { return app_ && app_->running(); }

Form* HeadlessTarget::Main() { return Running() ? &app_->main() : nullptr; }

Control* HeadlessTarget::List() {
  Form* f = Main();
  if (!f) return nullptr;
  for (auto& c : f->controls())
    if (c->type == ControlType::ListView) return c.get();
  return nullptr;
}

bool HeadlessTarget::Act(const std::function<bool()>& action) {
  popup_.clear();
  size_t before = shell_.popups.size();
  bool ok = action();
  if (shell_.popups.size() > before) popup_ = shell_.openPopup;
  return ok;
}

bool HeadlessTarget::ActOn(const std::string& control, const std::function<bool(Control&)>& action) {
  return Act([&] {
    Control* c = shell_.Resolve(control);
    return c && action(*c);
  });
}

bool HeadlessTarget::Type(const std::string& control, const std::string& text) {
  return ActOn(control, [&](Control& c) {
    if (!ui::TakesTyping(c.type)) return false;
    c.form->UserType(c, text);
    return true;
  });
}

bool HeadlessTarget::Click(const std::string& control) {
  return ActOn(control, [](Control& c) {
    if (!ui::TakesClick(c.type)) return false;
    c.form->UserClick(c);
    return true;
  });
}

bool HeadlessTarget::Choose(const std::string& control, int index) {
  return ActOn(control, [&](Control& c) {
    int count = ui::IsCombo(c.type)                 ? static_cast<int>(c.items.size())
                : c.type == ControlType::TabControl ? ui::PageCount(c)
                                                    : 0;
    if (index < 0 || index >= count) return false;
    c.form->UserChoose(c, index);
    return true;
  });
}

bool HeadlessTarget::Tab(int index) {
  return Act([&] {
    Control* tab = TabControlFor(shell_, index);
    if (tab) tab->form->UserChoose(*tab, index);
    return tab != nullptr;
  });
}

ui::MenuItem* HeadlessTarget::PopupItem(const std::string& caption) {
  Form* f = Main();
  ui::Menu* m = f && !popup_.empty() ? f->FindMenu(popup_) : nullptr;
  if (!m) return nullptr;
  for (ui::MenuItem& item : m->items)
    if (!item.caption.empty() && item.caption == caption) return &item;
  return nullptr;
}

bool HeadlessTarget::Menu(const std::string& caption) {
  Form* f = Main();
  if (!f) return false;
  ui::MenuItem* item = nullptr;
  if (!popup_.empty()) {
    item = PopupItem(caption);
  } else {
    for (ui::Menu& m : f->menus()) {
      if (m.hidden) continue;
      for (ui::MenuItem& i : m.items)
        if (!i.caption.empty() && i.caption == caption) item = &i;
    }
  }
  if (!item) return false;
  return Act([&] {
    f->UserChooseMenu(*item);
    return true;
  });
}

bool HeadlessTarget::Toolbar(int index) {
  Form* f = Main();
  if (!f || !ToolbarEnabled(index)) return false;
  return Act([&] {
    f->UserClickToolbar(index);
    return true;
  });
}

bool HeadlessTarget::Rows(const std::vector<int>& rows) {
  Form* f = Main();
  Control* list = List();
  if (!list) return false;
  int count = f->RowCount(*list);
  for (int r : rows)
    if (r < 0 || r >= count) return false;
  return Act([&] {
    // The list takes no clicks while a dialog is open over the window.
    if (f->inputBlocked) return true;
    f->SetAllSelected(*list, false);
    for (int r : rows) f->SetRowSelected(*list, r, true);
    return true;
  });
}

bool HeadlessTarget::Key(const std::string& control, const ui::KeyPress& key) {
  return ActOn(control, [&](Control& c) {
    // The main window's message loop turns the menu bar's shortcuts into
    // their commands before any control sees the key; a dialog's has none.
    ui::MenuItem* item = c.form == Main() && shell_.Top() == c.form ? ShortcutItem(*c.form, key) : nullptr;
    if (item)
      c.form->UserChooseMenu(*item);
    else
      c.form->UserKey(c, key);
    return true;
  });
}

bool HeadlessTarget::DoubleClick(const std::string& control) {
  return ActOn(control, [](Control& c) {
    c.form->UserDoubleClick(c);
    return true;
  });
}

bool HeadlessTarget::RightClick(const std::string& control) {
  return ActOn(control, [](Control& c) {
    c.form->UserRightClick(c);
    return true;
  });
}

void HeadlessTarget::Escape() {
  // Esc first closes an open popup menu, as on screen.
  if (!popup_.empty()) {
    popup_.clear();
    return;
  }
  Form* top = shell_.Top();
  if (!top) return;
  for (auto it = shown_.begin(); it != shown_.end(); ++it) {
    if (it->get() != top) continue;
    shell_.Destroy(*top);
    shown_.erase(it);
    return;
  }
  Act([&] {
    top->UserEscape();
    return true;
  });
}

void HeadlessTarget::Resize(int width, int height) {
  Form* f = Main();
  if (!f || f->inputBlocked) return;
  Act([&] {
    f->SetWindowRect({f->windowRect.left, f->windowRect.top, width, height});
    return true;
  });
}

void HeadlessTarget::Drop(const std::vector<std::string>& paths) {
  Form* f = Main();
  if (!f) return;
  for (auto& c : f->controls()) {
    if (c->type != ControlType::DropTarget) continue;
    Act([&] {
      f->UserDrop(*c, paths);
      return true;
    });
    return;
  }
}

bool HeadlessTarget::Show(const std::string& title) {
  const ui::FormDesc* desc = ui::DialogTitled(title);
  if (!desc) return false;
  popup_.clear();
  auto form = std::make_unique<Form>(*desc);
  Form* f = form.get();
  // Without its created handler nothing is wired, so Esc is what closes it.
  f->onEscape = [f] { f->Close(); };
  if (Form* owner = shell_.Top()) {
    shell_.RunModal(*f, *owner);
  } else {
    shell_.Show(*f);
    shown_.push_back(std::move(form));
  }
  return true;
}

void HeadlessTarget::AnswerFolder(std::optional<std::string> path) {
  shell_.folderAnswers.push_back(std::move(path));
}

void HeadlessTarget::AnswerOpen(std::optional<std::vector<std::string>> paths) {
  shell_.openAnswers.push_back(std::move(paths));
}

void HeadlessTarget::AnswerFont(std::optional<ui::FontChoice> font) {
  shell_.fontAnswers.push_back(std::move(font));
}

void HeadlessTarget::AnswerColour(std::optional<int32_t> colour) { shell_.colourAnswers.push_back(colour); }

void HeadlessTarget::AnswerMessage(ui::MsgAnswer answer) { shell_.messageAnswers.push_back(answer); }

std::optional<ControlState> HeadlessTarget::Read(const std::string& control) {
  Control* c = shell_.Resolve(control);
  if (!c) return std::nullopt;
  ControlState s;
  s.type = ui::TypeName(c->type);
  s.text = c->text;
  s.tag = c->tag;
  s.checked = c->checked;
  s.enabled = c->enabled;
  s.visible = ui::Shown(*c);
  s.rect = c->rect;
  s.textColour = c->textColour;
  s.backColour = c->backColour;
  s.selected = c->selected;
  if (c->type == ControlType::TabControl) {
    // A tab control's items are its pages' captions.
    for (Control* page : Pages(*c->form, *c)) s.items.push_back(page->text);
  } else if (c->type == ControlType::ListView) {
    for (const ui::ColumnDesc& column : c->form->desc().columns) s.items.push_back(column.title);
  } else {
    for (const ui::ComboItem& item : c->items) s.items.push_back(item.text);
  }
  return s;
}

int HeadlessTarget::RowCount() {
  Control* list = List();
  return list ? Main()->RowCount(*list) : 0;
}

std::string HeadlessTarget::Cell(int row, int column) {
  Control* list = List();
  if (!list || row < 0 || row >= RowCount() || column < 0 || column >= 5) return "";
  return Main()->Rows(*list)[row].cells[column];
}

int HeadlessTarget::Image(int row) {
  Control* list = List();
  if (!list || row < 0 || row >= RowCount()) return -1;
  return Main()->Rows(*list)[row].image;
}

std::optional<std::string> HeadlessTarget::Mark(int row) {
  Control* list = List();
  if (!list || !Main()->Marked(*list, row)) return std::nullopt;
  return list->markTip ? list->markTip(row) : std::string();
}

std::vector<int> HeadlessTarget::SelectedRows() {
  std::vector<int> rows;
  Control* list = List();
  if (!list) return rows;
  auto& all = Main()->Rows(*list);
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].selected) rows.push_back(static_cast<int>(i));
  return rows;
}

std::string HeadlessTarget::Status(int pane) {
  Form* f = Main();
  if (!f || pane < 0 || pane >= static_cast<int>(f->status().size())) return "";
  return f->status()[pane].text;
}

bool HeadlessTarget::ToolbarEnabled(int index) {
  Form* f = Main();
  if (!f || index < 0 || index >= static_cast<int>(f->toolbar().size())) return false;
  const ui::ToolbarButton& b = f->toolbar()[index];
  return b.image >= 0 && b.enabled;
}

std::optional<bool> HeadlessTarget::MenuEnabled(const std::string& caption) {
  Form* f = Main();
  if (!f) return std::nullopt;
  if (ui::MenuItem* item = PopupItem(caption)) return item->enabled;
  if (ui::MenuItem* item = f->FindMenuItem(caption)) return item->enabled;
  return std::nullopt;
}

std::string HeadlessTarget::TopDialogTitle() {
  Form* top = shell_.Top();
  return top && top->desc().kind == ui::FormKind::Dialog ? top->title() : std::string();
}

std::string HeadlessTarget::TopTitle() {
  Form* top = shell_.Top();
  return top ? top->title() : std::string();
}

bool HeadlessTarget::WaitCursor() { return shell_.WaitCursorShown(); }

ui::Rect HeadlessTarget::WindowRect() {
  Form* f = Main();
  return f ? f->windowRect : ui::Rect{};
}

std::vector<MessageInfo> HeadlessTarget::TakeMessages() {
  std::vector<MessageInfo> out;
  for (; messagesTaken_ < shell_.messages.size(); ++messagesTaken_) {
    const auto& m = shell_.messages[messagesTaken_];
    out.push_back(MessageInfo{m.title, m.text, m.icon, m.buttons});
  }
  return out;
}

std::optional<ui::Font> HeadlessTarget::ControlFont(const std::string& control) {
  Control* c = shell_.Resolve(control);
  if (!c) return std::nullopt;
  return c->font;
}

std::string HeadlessTarget::Dump() {
  using text::NumberToText;
  auto num = [](int64_t n) { return NumberToText(n); };
  std::string out;
  for (Form* f : shell_.openForms) {
    const ui::Rect& w = f->windowRect;
    out += "form " + std::string(f->desc().name) + " " + Q(f->title()) + " window " + num(w.left) + " " +
           num(w.top) + " " + num(w.width) + " " + num(w.height) + " client " + num(f->clientWidth) + " " +
           num(f->clientHeight) + (f->inputBlocked ? " blocked" : "") + "\n";
    for (auto& cp : f->controls()) {
      const Control& c = *cp;
      out += "  " + c.name + " " + ui::TypeName(c.type) + " " + num(c.rect.left) + " " + num(c.rect.top) +
             " " + num(c.rect.width) + " " + num(c.rect.height);
      if (c.parent) out += " in " + c.parent->name;
      if (!c.text.empty()) out += " text " + Q(c.text);
      if (!c.tag.empty()) out += " tag " + Q(c.tag);
      if (c.checked) out += " checked";
      if (!c.enabled) out += " disabled";
      if (!ui::Shown(c)) out += " hidden";
      if (c.textColour != ui::kDefaultColour) out += " text-colour " + Colour(c.textColour);
      if (c.backColour != ui::kDefaultColour) out += " back-colour " + Colour(c.backColour);
      if (!c.font.face.empty() || c.font.points || c.font.heightPixels) {
        out += " font " + Q(c.font.face) + " " +
               (c.font.points ? num(c.font.points) : num(c.font.heightPixels) + "px");
        if (c.font.bold) out += " bold";
        if (c.font.italic) out += " italic";
      }
      if (!c.items.empty()) out += " items " + num(static_cast<int64_t>(c.items.size()));
      if (c.selected >= 0) out += " selected " + num(c.selected);
      out += "\n";
      if (c.type == ControlType::ListView) {
        auto& rows = f->Rows(const_cast<Control&>(c));
        for (size_t r = 0; r < rows.size(); ++r) {
          out += "    row " + num(static_cast<int64_t>(r));
          for (const std::string& cell : rows[r].cells) out += " " + Q(cell);
          if (rows[r].image >= 0) out += " image " + num(rows[r].image);
          if (rows[r].selected) out += " selected";
          out += "\n";
        }
      }
    }
    if (!f->toolbar().empty()) {
      out += "  toolbar";
      for (const ui::ToolbarButton& b : f->toolbar()) out += b.image < 0 ? " |" : b.enabled ? " on" : " off";
      out += "\n";
    }
    for (size_t i = 0; i < f->status().size(); ++i)
      out += "  status " + num(static_cast<int64_t>(i)) + " " + Q(f->status()[i].text) + "\n";
    for (const ui::Menu& m : f->menus()) {
      out += "  menu " + Q(m.caption) + (m.hidden ? " hidden" : "") + ":";
      for (const ui::MenuItem& item : m.items) {
        if (item.caption.empty()) continue;
        out += " " + Q(item.caption) + (item.enabled ? "" : " disabled");
      }
      out += "\n";
    }
  }
  if (!popup_.empty()) out += "popup " + Q(popup_) + "\n";
  if (shell_.WaitCursorShown()) out += "wait cursor\n";
  return out;
}

}  // namespace tavik::drive
