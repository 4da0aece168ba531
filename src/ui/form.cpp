#include "ui/form.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "text/gbk.h"

namespace tavik::ui {

namespace {

// A description that names a control it does not hold cannot be run at all;
// stop at once with the name so the fault is found at its source.
[[noreturn]] void DescriptionFault(const FormDesc& desc, const std::string& what) {
  std::fprintf(stderr, "form %s: %s\n", desc.name ? desc.name : "?", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// What a user can act on: a control that is shown and enabled on a form that
// no modal dialog blocks.
bool TakesInput(const Control& c) { return c.enabled && c.visible && !c.form->inputBlocked; }

// Keeps only the characters an edit box accepts from the keyboard. Stepping
// by characters, so a trail byte that equals a digit is never kept alone.
std::string FilterTyped(const Control& c, const std::string& typed) {
  uint32_t flags = c.desc ? c.desc->flags : 0;
  if (!(flags & (kNumeric | kTrackChars))) return typed;
  std::string out;
  for (size_t i = 0; i < typed.size();) {
    size_t n = text::CharLength(typed, i);
    char ch = typed[i];
    bool keep = n == 1 && ((ch >= '0' && ch <= '9') || ((flags & kTrackChars) && ch == '-'));
    if (keep) out += ch;
    i += n;
  }
  return out;
}

// The toolbar and the status bar follow the client area; nothing else is
// laid out by the model.
void DockBars(Form& form) {
  for (auto& c : form.controls()) {
    if (c->parent) continue;
    if (c->type == ControlType::Toolbar) {
      form.SetRect(*c, Rect{0, 0, form.clientWidth, form.desc().toolbarHeight});
    } else if (c->type == ControlType::StatusBar) {
      int h = form.desc().statusHeight;
      form.SetRect(*c, Rect{0, form.clientHeight - h, form.clientWidth, h});
    }
  }
}

}  // namespace

Form::Form(const FormDesc& desc) : desc_(&desc), title_(desc.title ? desc.title : "") {
  windowRect = Rect{0, 0, desc.outerWidth, desc.outerHeight};
  controls_.reserve(desc.controls.size());
  for (const ControlDesc& d : desc.controls) {
    if (Find(d.name)) DescriptionFault(desc, std::string("two controls named ") + d.name);
    auto c = std::make_unique<Control>();
    c->desc = &d;
    c->form = this;
    c->name = d.name;
    c->type = d.type;
    if (d.parent && *d.parent) {
      c->parent = Find(d.parent);
      if (!c->parent)
        DescriptionFault(
            desc, std::string("parent ") + d.parent + " of " + d.name + " is missing or comes after it");
    }
    c->rect = Rect{d.left, d.top, d.width, d.height};
    // A drop-down list has no text of its own until an item is selected.
    c->text = d.type == ControlType::ComboList ? "" : d.text;
    c->tag = d.tag;
    c->checked = (d.flags & kChecked) != 0;
    c->enabled = (d.flags & kDisabled) == 0;
    c->visible = (d.flags & kHidden) == 0;
    c->textColour = d.textColour;
    c->backColour = d.backColour;
    if (d.font.face) c->font.face = d.font.face;
    c->font.heightPixels = d.font.heightPixels;
    c->font.points = d.font.points;
    for (const ComboItemDesc& item : d.items) c->items.push_back(ComboItem{item.text, item.value});
    if (d.type == ControlType::ListView) lists_.emplace_back(c.get(), std::make_unique<ListData>());
    controls_.push_back(std::move(c));
  }
  // The first page of a tab control is the one shown when the form opens.
  for (auto& c : controls_)
    if (c->type == ControlType::TabControl && PageCount(*c) > 0) c->selected = 0;

  for (const MenuDesc& m : desc.menus) {
    Menu menu;
    menu.caption = m.caption;
    menu.hidden = m.hidden;
    for (const MenuItemDesc& item : m.items) {
      MenuItem mi;
      if (item.caption) mi.caption = item.caption;
      if (item.accelerator) mi.accelerator = item.accelerator;
      menu.items.push_back(std::move(mi));
    }
    menus_.push_back(std::move(menu));
  }
  for (const ToolbarButtonDesc& b : desc.toolbar)
    toolbar_.push_back(ToolbarButton{b.image, b.tooltip ? b.tooltip : "", b.enabled});
  for (const StatusPaneDesc& p : desc.statusPanes)
    status_.push_back(StatusPane{p.rightEdge, p.tooltip ? p.tooltip : "", ""});
}

void Form::SetTitle(const std::string& title) {
  title_ = title;
  if (observer_) observer_->TitleChanged();
}

Control* Form::Find(std::string_view name) {
  for (auto& c : controls_)
    if (c->name == name) return c.get();
  return nullptr;
}

Control& Form::operator[](std::string_view name) {
  Control* c = Find(name);
  if (!c) DescriptionFault(*desc_, "no control named " + std::string(name));
  return *c;
}

std::vector<Control*> Form::FocusOrder() {
  std::vector<Control*> order;
  if (desc_->focusOrder.empty()) {
    for (auto& c : controls_)
      if (c->desc->flags & kFocus) order.push_back(c.get());
  } else {
    for (const char* name : desc_->focusOrder) order.push_back(&(*this)[name]);
  }
  return order;
}

Control* Form::FindByTag(int n, ControlType type) {
  for (auto& c : controls_)
    if (c->type == type && !c->tag.empty() && text::TextToInt(c->tag) == n) return c.get();
  return nullptr;
}

void Form::SetWindowRect(const Rect& r) {
  bool resized = r.width != windowRect.width || r.height != windowRect.height;
  windowRect = r;
  if (observer_) observer_->WindowRectChanged();
  DockBars(*this);
  if (resized && onSized) onSized();
}

void Form::UserMove(int left, int top) {
  windowRect.left = left;
  windowRect.top = top;
}

void Form::UserResize(const Rect& r) {
  if (r.width == windowRect.width && r.height == windowRect.height) return;
  windowRect = r;
  if (onSized) onSized();
}

void Form::SetText(Control& c, const std::string& text) {
  if (c.type == ControlType::ComboList) {
    // A drop-down list shows only its items: the text selects the item that
    // has it, and a text no item has changes nothing.
    for (size_t i = 0; i < c.items.size(); ++i) {
      if (c.items[i].text == text) {
        c.selected = static_cast<int>(i);
        c.text = text;
        if (observer_) observer_->ControlChanged(c, FormObserver::What::Selection);
        return;
      }
    }
    return;
  }
  c.text = text;
  if (observer_) observer_->ControlChanged(c, FormObserver::What::Text);
  if (c.type == ControlType::Edit && c.onChange) c.onChange();
}

void Form::SetChecked(Control& c, bool checked) {
  if (checked && c.type == ControlType::Radio) {
    for (auto& other : controls_) {
      if (other.get() == &c || other->type != ControlType::Radio || other->parent != c.parent ||
          !other->checked)
        continue;
      other->checked = false;
      if (observer_) observer_->ControlChanged(*other, FormObserver::What::Checked);
    }
  }
  c.checked = checked;
  if (observer_) observer_->ControlChanged(c, FormObserver::What::Checked);
}

void Form::SetEnabled(Control& c, bool enabled) {
  Change(c, &Control::enabled, enabled, FormObserver::What::Enabled);
}

void Form::SetVisible(Control& c, bool visible) {
  Change(c, &Control::visible, visible, FormObserver::What::Visible);
}

void Form::SetTextColour(Control& c, int32_t colour) {
  Change(c, &Control::textColour, colour, FormObserver::What::Colour);
}

void Form::SetBackColour(Control& c, int32_t colour) {
  Change(c, &Control::backColour, colour, FormObserver::What::Colour);
}

void Form::SetFont(Control& c, const Font& font) {
  Change(c, &Control::font, font, FormObserver::What::Font);
}

void Form::SetSelected(Control& c, int index) {
  if (c.type == ControlType::TabControl) {
    if (index < 0 || index >= PageCount(c)) return;
    c.selected = index;
    if (observer_) observer_->ControlChanged(c, FormObserver::What::Selection);
    return;
  }
  if (!IsCombo(c.type)) return;
  if (index < 0 || index >= static_cast<int>(c.items.size())) index = -1;
  c.selected = index;
  if (index >= 0)
    c.text = c.items[index].text;
  else if (c.type == ControlType::ComboList)
    c.text.clear();
  if (observer_) {
    observer_->ControlChanged(c, FormObserver::What::Selection);
    // Sent after the selection: a platform combo rewrites its edit text when
    // the selection changes, and the model's text is the one that holds.
    if (c.type == ControlType::ComboEditable) observer_->ControlChanged(c, FormObserver::What::Text);
  }
}

void Form::SetRect(Control& c, const Rect& r) { Change(c, &Control::rect, r, FormObserver::What::Rect); }

void Form::SetTag(Control& c, const std::string& tag) {
  Change(c, &Control::tag, tag, FormObserver::What::Tag);
}

void Form::SetFocus(Control& c) {
  focused_ = &c;
  if (observer_) observer_->ControlChanged(c, FormObserver::What::Focus);
}

void Form::UserType(Control& c, const std::string& typed) {
  if (!TakesInput(c)) return;
  if (c.type == ControlType::Edit) {
    if (c.desc->flags & kReadOnly) return;
    std::string t = FilterTyped(c, typed);
    if (c.desc->maxLength > 0) t = text::CutBytes(t, static_cast<size_t>(c.desc->maxLength));
    c.text = std::move(t);
    if (observer_) observer_->ControlChanged(c, FormObserver::What::Text);
    if (c.onChange) c.onChange();
  } else if (c.type == ControlType::ComboEditable) {
    std::string t = typed;
    if (c.desc->maxLength > 0) t = text::CutBytes(t, static_cast<size_t>(c.desc->maxLength));
    // Typing into the edit part leaves no list item selected.
    c.selected = -1;
    c.text = std::move(t);
    if (observer_) {
      observer_->ControlChanged(c, FormObserver::What::Selection);
      observer_->ControlChanged(c, FormObserver::What::Text);
    }
    if (c.onChange) c.onChange();
  }
}

void Form::UserClick(Control& c) {
  if (!TakesInput(c) || !TakesClick(c.type)) return;
  if (c.type == ControlType::CheckBox)
    SetChecked(c, !c.checked);
  else if (c.type == ControlType::Radio)
    SetChecked(c, true);
  if (c.onClick) c.onClick();
}

void Form::UserChoose(Control& c, int index) {
  if (!TakesInput(c)) return;
  if (c.type == ControlType::TabControl) {
    // Clicking the tab already shown changes nothing and tells nobody.
    if (index < 0 || index >= PageCount(c) || index == c.selected) return;
  } else if (IsCombo(c.type)) {
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
  } else {
    return;
  }
  SetSelected(c, index);
  if (c.onSelChange) c.onSelChange();
}

void Form::UserPickColour(Control& c, int32_t colour) {
  if (!TakesInput(c) || c.type != ControlType::ColourPicker) return;
  SetBackColour(c, colour);
  if (c.onSelChange) c.onSelChange();
}

void Form::UserRightClick(Control& c) {
  if (TakesInput(c) && c.onRightClick) c.onRightClick();
}

void Form::UserDoubleClick(Control& c) {
  if (TakesInput(c) && c.onDoubleClick) c.onDoubleClick();
}

void Form::UserKey(Control& c, const KeyPress& key) {
  if (TakesInput(c) && c.onKey) c.onKey(key);
}

void Form::UserDrop(Control& c, const std::vector<std::string>& paths) {
  // The drop target is never visible; only enabling it lets drops through.
  if (!c.enabled || inputBlocked || c.type != ControlType::DropTarget) return;
  if (c.onDrop) c.onDrop(paths);
}

void Form::UserEscape() {
  if (!inputBlocked && onEscape) onEscape();
}

MenuItem* Form::FindMenuItem(std::string_view caption) {
  for (Menu& m : menus_)
    for (MenuItem& item : m.items)
      if (!item.caption.empty() && item.caption == caption) return &item;
  return nullptr;
}

Menu* Form::FindMenu(std::string_view caption) {
  for (Menu& m : menus_)
    if (m.caption == caption) return &m;
  return nullptr;
}

void Form::SetMenuEnabled(std::string_view caption, bool enabled) {
  for (Menu& m : menus_) {
    for (size_t i = 0; i < m.items.size(); ++i) {
      if (m.items[i].caption.empty() || m.items[i].caption != caption) continue;
      m.items[i].enabled = enabled;
      if (observer_) observer_->MenuChanged(m, static_cast<int>(i));
      return;
    }
  }
}

void Form::UserChooseMenu(MenuItem& item) {
  if (inputBlocked || !item.enabled || item.caption.empty()) return;
  if (item.onChosen) item.onChosen();
}

void Form::SetToolbarEnabled(int index, bool enabled) {
  if (index < 0 || index >= static_cast<int>(toolbar_.size())) return;
  toolbar_[index].enabled = enabled;
  if (observer_) observer_->ToolbarChanged(index);
}

void Form::UserClickToolbar(int index) {
  if (inputBlocked || index < 0 || index >= static_cast<int>(toolbar_.size())) return;
  const ToolbarButton& b = toolbar_[index];
  if (b.image < 0 || !b.enabled) return;
  if (onToolbar) onToolbar(index);
}

void Form::SetStatusText(int pane, const std::string& text) {
  if (pane < 0 || pane >= static_cast<int>(status_.size())) return;
  status_[pane].text = text;
  if (observer_) observer_->StatusChanged(pane);
}

Form::ListData& Form::List(Control& list) {
  for (auto& [control, data] : lists_)
    if (control == &list) return *data;
  DescriptionFault(*desc_, list.name + " is not a list view");
}

// Direct changes through Rows() must leave `selected` alone: the selected
// count is kept by the setters below.
std::vector<ListRow>& Form::Rows(Control& list) { return List(list).rows; }

int Form::RowCount(Control& list) { return static_cast<int>(List(list).rows.size()); }

void Form::AppendRow(Control& list, ListRow row) {
  ListData& data = List(list);
  if (row.selected) ++data.selectedCount;
  data.rows.push_back(std::move(row));
  if (observer_) observer_->ListCountChanged(list);
}

void Form::AppendRows(Control& list, std::vector<ListRow> rows) {
  ListData& data = List(list);
  data.rows.reserve(data.rows.size() + rows.size());
  for (ListRow& row : rows) {
    if (row.selected) ++data.selectedCount;
    data.rows.push_back(std::move(row));
  }
  if (observer_) observer_->ListCountChanged(list);
}

void Form::DeleteRow(Control& list, int row) {
  ListData& data = List(list);
  if (row < 0 || row >= static_cast<int>(data.rows.size())) return;
  bool wasSelected = data.rows[row].selected;
  if (wasSelected) --data.selectedCount;
  data.rows.erase(data.rows.begin() + row);
  ClearMarks(list, data);
  if (observer_) {
    observer_->ListCountChanged(list);
    if (wasSelected) observer_->ListSelectionChanged(list);
  }
}

void Form::ClearRows(Control& list) {
  ListData& data = List(list);
  bool hadSelection = data.selectedCount > 0;
  data.rows.clear();
  data.selectedCount = 0;
  data.marked.clear();
  if (observer_) {
    observer_->ListCountChanged(list);
    if (hadSelection) observer_->ListSelectionChanged(list);
  }
}

void Form::SetMarks(Control& list, std::vector<uint8_t> marked) {
  ListData& data = List(list);
  const size_t rows = data.rows.size();
  if (marked.size() > rows) marked.resize(rows);
  // No mark at all is kept as none, so a backend can skip them cheaply.
  if (std::find_if(marked.begin(), marked.end(), [](uint8_t m) { return m != 0; }) == marked.end())
    marked.clear();
  // Only rows whose mark changed are drawn again.
  const size_t common = std::min(marked.size(), data.marked.size());
  std::vector<uint8_t> old = std::move(data.marked);
  data.marked = std::move(marked);
  if (!observer_) return;
  for (size_t r = 0; r < common; ++r)
    if ((old[r] != 0) != (data.marked[r] != 0))
      observer_->ListRowChanged(list, static_cast<int>(r), kMarkColumn);
  for (size_t r = common; r < old.size() && r < rows; ++r)
    if (old[r]) observer_->ListRowChanged(list, static_cast<int>(r), kMarkColumn);
  for (size_t r = common; r < data.marked.size(); ++r)
    if (data.marked[r]) observer_->ListRowChanged(list, static_cast<int>(r), kMarkColumn);
}

void Form::ClearMarks(Control& list, ListData& data) {
  if (data.marked.empty()) return;
  std::vector<uint8_t> none;
  data.marked.swap(none);
  if (!observer_) return;
  for (size_t r = 0; r < none.size() && r < data.rows.size(); ++r)
    if (none[r]) observer_->ListRowChanged(list, static_cast<int>(r), kMarkColumn);
}

bool Form::Marked(Control& list, int row) {
  const ListData& data = List(list);
  return row >= 0 && static_cast<size_t>(row) < data.marked.size() && data.marked[row] != 0;
}

void Form::ShowRow(Control& list, int row) {
  if (row >= 0 && row < RowCount(list) && observer_) observer_->ListRowShown(list, row);
}

bool Form::AnyMarked(Control& list) { return !List(list).marked.empty(); }

int Form::NextMarked(Control& list, int after) {
  const std::vector<uint8_t>& marked = List(list).marked;
  const int n = static_cast<int>(marked.size());
  for (int step = 1; step <= n; ++step) {
    int r = ((after < 0 || after >= n ? -1 : after) + step) % n;
    if (marked[r]) return r;
  }
  return -1;
}

void Form::SetCell(Control& list, int row, int column, const std::string& text) {
  ListData& data = List(list);
  if (row < 0 || row >= static_cast<int>(data.rows.size()) || column < 0 || column >= 5) return;
  data.rows[row].cells[column] = text;
  if (observer_) observer_->ListRowChanged(list, row, column);
}

void Form::SetImage(Control& list, int row, int image) {
  ListData& data = List(list);
  if (row < 0 || row >= static_cast<int>(data.rows.size())) return;
  data.rows[row].image = image;
  if (observer_) observer_->ListRowChanged(list, row, -1);
}

void Form::SetRowSelected(Control& list, int row, bool selected) {
  ListData& data = List(list);
  if (row < 0 || row >= static_cast<int>(data.rows.size())) return;
  ListRow& r = data.rows[row];
  if (r.selected != selected) data.selectedCount += selected ? 1 : -1;
  r.selected = selected;
  if (observer_) observer_->ListSelectionChanged(list);
}

void Form::SetAllSelected(Control& list, bool selected) {
  ListData& data = List(list);
  for (ListRow& r : data.rows) r.selected = selected;
  data.selectedCount = selected ? static_cast<int>(data.rows.size()) : 0;
  if (observer_) observer_->ListSelectionChanged(list);
}

int Form::CurrentSelected(Control& list) {
  ListData& data = List(list);
  if (data.selectedCount == 0) return -1;
  for (size_t i = 0; i < data.rows.size(); ++i)
    if (data.rows[i].selected) return static_cast<int>(i);
  return -1;
}

int Form::SelectedCount(Control& list) { return List(list).selectedCount; }

void Form::Close() { closing_ = true; }

const char* TypeName(ControlType type) {
  switch (type) {
    case ControlType::Label:
      return "label";
    case ControlType::GroupBox:
      return "groupbox";
    case ControlType::Edit:
      return "edit";
    case ControlType::CheckBox:
      return "checkbox";
    case ControlType::Radio:
      return "radio";
    case ControlType::ComboList:
      return "combolist";
    case ControlType::ComboEditable:
      return "combo";
    case ControlType::Button:
      return "button";
    case ControlType::FlatButton:
      return "flatbutton";
    case ControlType::ShapeLine:
      return "line";
    case ControlType::ShapeRect:
      return "shape";
    case ControlType::ColourPicker:
      return "colourpicker";
    case ControlType::TabControl:
      return "tab";
    case ControlType::TabPage:
      return "tabpage";
    case ControlType::ListView:
      return "listview";
    case ControlType::Toolbar:
      return "toolbar";
    case ControlType::StatusBar:
      return "statusbar";
    case ControlType::DropTarget:
      return "droptarget";
    case ControlType::FontDialog:
      return "fontdialog";
  }
  return "?";
}

bool TakesClick(ControlType type) {
  switch (type) {
    case ControlType::CheckBox:
    case ControlType::Radio:
    case ControlType::Button:
    case ControlType::FlatButton:
    case ControlType::ColourPicker:
      return true;
    default:
      return false;
  }
}

bool TakesTyping(ControlType type) { return type == ControlType::Edit || type == ControlType::ComboEditable; }

bool IsCombo(ControlType type) {
  return type == ControlType::ComboList || type == ControlType::ComboEditable;
}

int PageCount(const Control& tab) {
  int n = 0;
  for (auto& c : tab.form->controls())
    if (c->parent == &tab && c->type == ControlType::TabPage) ++n;
  return n;
}

int PageIndex(const Control& page) {
  if (page.type != ControlType::TabPage || !page.parent) return -1;
  int index = 0;
  for (auto& c : page.form->controls()) {
    if (c.get() == &page) return index;
    if (c->parent == page.parent && c->type == ControlType::TabPage) ++index;
  }
  return -1;
}

bool Shown(const Control& c) {
  for (const Control* p = &c; p; p = p->parent) {
    if (!p->visible) return false;
    if (p->type == ControlType::TabPage && p->parent && PageIndex(*p) != p->parent->selected) return false;
  }
  return true;
}

bool OnTabPage(const Control& c) {
  for (const Control* p = c.parent; p; p = p->parent)
    if (p->type == ControlType::TabPage) return true;
  return false;
}

bool ParseMenuCommand(int command, int* menu, int* item) {
  if (command < kMenuCommandBase) return false;
  *menu = (command - kMenuCommandBase) / 100;
  *item = (command - kMenuCommandBase) % 100;
  return true;
}

}  // namespace tavik::ui
