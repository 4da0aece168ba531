// Making the windows of a form: the frame's menus and one window per
// control, each type by the recipe or the function that fits it.
#include "ui/win32/window_host.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/win32/controls.h"
#include "ui/win32/images.h"

namespace tavik::ui {
namespace {

// Accelerator text such as "Ctrl+D" into an ACCEL.
bool ParseAccelerator(const std::string& text, WORD cmd, ACCEL* a) {
  if (text.rfind("Ctrl+", 0) != 0 || text.size() != 6) return false;
  a->fVirt = FVIRTKEY | FCONTROL;
  a->key = static_cast<WORD>(text[5]);
  a->cmd = cmd;
  return true;
}

}  // namespace

void WindowHost::CreateMenus() {
  auto& menus = form_.menus();
  if (menus.empty()) return;
  menuBar_ = CreateMenu();
  std::vector<ACCEL> accels;
  menus_.resize(menus.size());
  for (size_t m = 0; m < menus.size(); ++m) {
    HMENU popup = CreatePopupMenu();
    menus_[m] = popup;
    for (size_t i = 0; i < menus[m].items.size(); ++i) {
      const MenuItem& item = menus[m].items[i];
      if (item.caption.empty()) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      int cmd = MenuCommand(static_cast<int>(m), static_cast<int>(i));
      std::string caption = item.caption;
      if (!item.accelerator.empty()) caption += "\t" + item.accelerator;
      AppendMenuW(popup, MF_STRING | (item.enabled ? 0 : MF_GRAYED), cmd, win::Wide(caption).c_str());
      ACCEL a;
      // Ctrl+A belongs to the list's own keys, not to the window.
      if (!menus[m].hidden && ParseAccelerator(item.accelerator, static_cast<WORD>(cmd), &a))
        accels.push_back(a);
    }
    if (!menus[m].hidden)
      AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                  win::Wide(menus[m].caption).c_str());
  }
  SetMenu(hwnd_, menuBar_);
  if (!accels.empty()) accel_ = CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
}

POINT WindowHost::OriginOf(const Control* parent) const {
  POINT p{0, 0};
  for (const Control* c = parent; c; c = c->parent) {
    p.x += c->rect.left;
    p.y += c->rect.top;
  }
  return p;
}

void WindowHost::CreateControls() {
  auto& controls = form_.controls();
  hwnds_.assign(controls.size(), nullptr);
  for (size_t i = 0; i < controls.size(); ++i) {
    HWND h = CreateOne(*controls[i], static_cast<int>(i));
    hwnds_[i] = h;
    if (h) indexOf_[h] = static_cast<int>(i);
  }
  // Stacking: containers at the bottom (the tab control lowest), so they
  // never paint over what they hold; focus controls on top in focus order,
  // which is also the order the Tab key follows.
  for (size_t i = 0; i < controls.size(); ++i)
    if (hwnds_[i] &&
        (controls[i]->type == ControlType::GroupBox || controls[i]->type == ControlType::ShapeRect))
      SetWindowPos(hwnds_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (size_t i = 0; i < controls.size(); ++i)
    if (hwnds_[i] && controls[i]->type == ControlType::TabControl)
      SetWindowPos(hwnds_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND prev = HWND_TOP;
  for (Control* c : form_.FocusOrder()) {
    HWND h = HwndOf(*c);
    if (!h) continue;
    SetWindowPos(h, prev, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    prev = h;
  }
  ApplyVisibility();
}

namespace {

// What the window of a control type is made of. A type without a class has
// no window of its own, or one made by a function of its own.
struct Recipe {
  const wchar_t* cls = nullptr;
  DWORD style = 0, ex = 0;
  int extraHeight = 0;
  bool showsText = true;  // the model's text becomes the window's caption
};

Recipe RecipeFor(const Control& c, uint32_t flags) {
  Recipe r;
  switch (c.type) {
    case ControlType::Label:
      r.cls = L"STATIC";
      // A caption wider than its label is clipped, never wrapped away.
      r.style = (c.rect.height <= 16 ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_NOPREFIX;
      break;
    case ControlType::GroupBox:
      r.cls = L"BUTTON";
      r.style = BS_GROUPBOX;
      break;
    case ControlType::Edit:
      r.cls = L"EDIT";
      r.ex = WS_EX_CLIENTEDGE;
      r.style = ES_AUTOHSCROLL;
      if (flags & kMultiline) r.style = ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | ES_AUTOVSCROLL;
      if (flags & kReadOnly) r.style |= ES_READONLY;
      if (flags & kNumeric) r.style |= ES_NUMBER;
      break;
    case ControlType::CheckBox:
      r.cls = L"BUTTON";
      r.style = BS_CHECKBOX;  // the model toggles it
      break;
    case ControlType::Radio:
      r.cls = L"BUTTON";
      r.style = BS_RADIOBUTTON;  // the model keeps the groups
      break;
    case ControlType::ComboList:
    case ControlType::ComboEditable:
      r.cls = L"COMBOBOX";
      r.style =
          WS_VSCROLL | (c.type == ControlType::ComboList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL);
      r.extraHeight = WindowHost::kComboDropHeight;
      r.showsText = false;
      break;
    case ControlType::Button:
      r.cls = L"BUTTON";
      r.style = BS_PUSHBUTTON;
      break;
    case ControlType::FlatButton:
      r.cls = L"BUTTON";
      r.style = BS_PUSHBUTTON | BS_FLAT;
      break;
    case ControlType::ShapeLine:
      r.cls = L"STATIC";
      r.style = SS_ETCHEDFRAME;  // a frame two pixels high is a line, and keeps its size
      r.showsText = false;
      break;
    case ControlType::ShapeRect:
      r.cls = L"STATIC";
      r.style = SS_ETCHEDFRAME;
      r.showsText = false;
      break;
    case ControlType::ColourPicker:
      r.cls = L"BUTTON";
      r.style = BS_OWNERDRAW;
      r.showsText = false;
      break;
    case ControlType::TabControl:
      r.cls = WC_TABCONTROLW;
      r.showsText = false;
      break;
    case ControlType::ListView:
      r.cls = WC_LISTVIEWW;
      r.ex = WS_EX_CLIENTEDGE;
      r.style = LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
      r.showsText = false;
      break;
    case ControlType::Toolbar:
    case ControlType::StatusBar:
    case ControlType::TabPage:
    case ControlType::DropTarget:
    case ControlType::FontDialog:
      break;
  }
  return r;
}

}  // namespace

HWND WindowHost::CreateOne(Control& c, int index) {
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlBase + index));
  if (c.type == ControlType::Toolbar) return CreateToolbar(id);
  if (c.type == ControlType::StatusBar) return CreateStatusBar(id);
  const uint32_t flags = c.desc ? c.desc->flags : 0;
  Recipe r = RecipeFor(c, flags);
  if (!r.cls) return nullptr;
  POINT o = OriginOf(c.parent);
  int x = o.x + c.rect.left, y = o.y + c.rect.top;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | r.style | ((flags & kFocus) ? WS_TABSTOP : 0);
  HWND hw =
      CreateWindowExW(r.ex, r.cls, r.showsText ? win::Wide(c.text).c_str() : L"", style, x, y, c.rect.width,
                      c.rect.height + r.extraHeight, hwnd_, id, GetModuleHandleW(nullptr), nullptr);
  if (!hw) return nullptr;
  hwnds_[index] = hw;
  indexOf_[hw] = index;
  PushFont(c);
  switch (c.type) {
    case ControlType::Edit:
      SetUpEdit(c, hw);
      break;
    case ControlType::CheckBox:
    case ControlType::Radio:
      win::Button(hw).SetChecked(c.checked);
      break;
    case ControlType::ComboList:
    case ControlType::ComboEditable:
      SetUpCombo(c, hw);
      break;
    case ControlType::TabControl:
      SetUpTabs(c, hw);
      break;
    case ControlType::ListView:
      SetUpList(c, hw);
      break;
    default:
      break;
  }
  if (!c.enabled) EnableWindow(hw, FALSE);
  return hw;
}

// Docked by this window rather than by the toolbar itself, so it has the
// height of the layout.
HWND WindowHost::CreateToolbar(HMENU id) {
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP |
                                 CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                             0, 0, 0, 0, hwnd_, id, GetModuleHandleW(nullptr), nullptr);
  win::Toolbar bar(toolbar_);
  bar.SetButtonStructSize();
  toolbarImages_ = MakeToolbarImages();
  bar.SetImageList(toolbarImages_);
  std::vector<TBBUTTON> buttons;
  auto& tb = form_.toolbar();
  for (size_t i = 0; i < tb.size(); ++i) {
    TBBUTTON b{};
    b.idCommand = kToolbarBase + static_cast<int>(i);
    if (tb[i].image < 0) {
      b.fsStyle = BTNS_SEP;
      b.iBitmap = 6;
    } else {
      b.iBitmap = tb[i].image;
      b.fsStyle = BTNS_BUTTON;
      b.fsState = tb[i].enabled ? TBSTATE_ENABLED : 0;
    }
    b.iString = -1;
    buttons.push_back(b);
  }
  bar.AddButtons(buttons);
  DockToolbar();
  return toolbar_;
}

HWND WindowHost::CreateStatusBar(HMENU id) {
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS, 0, 0, 0, 0,
                            hwnd_, id, GetModuleHandleW(nullptr), nullptr);
  auto& panes = form_.status();
  std::vector<int> edges;
  for (auto& p : panes) edges.push_back(p.rightEdge);
  win::StatusBar bar(status_);
  bar.SetParts(edges);
  bar.SetMinHeight(18);
  bar.FollowParent();
  for (size_t i = 0; i < panes.size(); ++i) {
    bar.SetTip(static_cast<int>(i), panes[i].tooltip);
    bar.SetText(static_cast<int>(i), panes[i].text);
  }
  return status_;
}

void WindowHost::SetUpEdit(Control& c, HWND hw) {
  if (!c.desc) return;
  if (c.desc->maxLength > 0) win::Edit(hw).SetLimit(c.desc->maxLength);
  if (!(c.desc->flags & kSpinner)) return;
  POINT o = OriginOf(c.parent);
  HWND ud = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                            WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            o.x + c.rect.left + c.rect.width, o.y + c.rect.top, 16, c.rect.height, hwnd_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  win::UpDown(ud).SetBuddy(hw);
  win::UpDown(ud).SetRange(c.desc->spinMin, c.desc->spinMax);
  SetPropW(hw, kUpDownProperty, ud);
}

void WindowHost::SetUpCombo(Control& c, HWND hw) {
  // The closed box takes the height the layout gives it.
  win::ComboBox(hw).SetItemHeight(std::max(c.rect.height - 6, 8));
  PushItems(c);
  PushSelection(c);
  if (c.type == ControlType::ComboEditable) PushText(c);
}

void WindowHost::SetUpTabs(Control& c, HWND hw) {
  win::TabControl tabs(hw);
  for (auto& other : form_.controls())
    if (other->parent == &c && other->type == ControlType::TabPage)
      tabs.Insert(PageIndex(*other), other->text);
  tabs.Select(std::max(c.selected, 0));
}

void WindowHost::SetUpList(Control& c, HWND hw) {
  win::ListView lv(hw);
  lv.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_SUBITEMIMAGES);
  listImages_ = MakeListImages();
  lv.SetSmallImages(listImages_);
  const auto& cols = form_.desc().columns;
  for (size_t i = 0; i < cols.size(); ++i) lv.InsertColumn(static_cast<int>(i), cols[i].title, cols[i].width);
  PushListColours(c);
  lv.SetCount(form_.RowCount(c), LVSICF_NOSCROLL);
  SetUpMarkTip(hw);
}

}  // namespace tavik::ui
