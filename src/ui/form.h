// The form model: every window and dialog is a Form built from a FormDesc,
// and the Form holds the whole state of its controls. Backends only mirror
// it: the headless one has no windows at all, the Win32 one pushes every
// change to a real control and feeds real user actions back in.
//
// Event rules, kept here once for every backend:
// - Program setters (SetText, SetChecked, SetSelected, ...) change state and
//   tell the observer; of them only SetText on an edit box raises an event
//   (onChange, exactly once, even when the text is unchanged).
// - User* methods are what a user does; they apply the control's limits and
//   raise the matching event.
// - Radio buttons with the same parent form a group; checking one (by the
//   program or the user) clears the others.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavik::ui {

enum class ControlType {
  Label,
  GroupBox,
  Edit,
  CheckBox,
  Radio,
  ComboList,      // drop-down list, no typing
  ComboEditable,  // editable drop-down
  Button,
  FlatButton,
  ShapeLine,
  ShapeRect,
  ColourPicker,
  TabControl,
  TabPage,  // one page of a TabControl; its parent is the tab control
  ListView,
  Toolbar,
  StatusBar,
  DropTarget,  // invisible
  FontDialog,  // invisible holder of the font dialog's choice
};

// Flags of a control description.
enum : uint32_t {
  kChecked = 1u << 0,
  kDisabled = 1u << 1,
  kHidden = 1u << 2,
  kReadOnly = 1u << 3,
  kMultiline = 1u << 4,
  kNumeric = 1u << 5,     // only the digits 0-9 may be typed
  kSpinner = 1u << 6,     // up-down arrows between spinMin and spinMax
  kFocus = 1u << 7,       // takes part in the focus order
  kTrackChars = 1u << 8,  // typing accepts only 0-9 and "-" (ID3v1 track box)
};

constexpr int32_t kDefaultColour = -1;

struct ComboItemDesc {
  const char* text;
  int32_t value;
};

struct FontDesc {
  const char* face = nullptr;  // nullptr: the platform's default GUI font
  int heightPixels = 0;        // used when not 0
  int points = 0;              // used when not 0
};

struct ControlDesc {
  const char* name = "";
  ControlType type = ControlType::Label;
  const char* parent = "";  // "" = the form's client area
  int left = 0, top = 0, width = 0, height = 0;
  const char* text = "";  // caption, initial text, or the face of a FontDialog
  const char* tag = "";
  uint32_t flags = 0;
  int maxLength = 0;  // 0 = unlimited
  int spinMin = 0, spinMax = 0;
  int32_t textColour = kDefaultColour;
  int32_t backColour = kDefaultColour;  // also the colour of a ColourPicker
  FontDesc font;
  std::vector<ComboItemDesc> items;
};

struct MenuItemDesc {
  const char* caption;           // nullptr = separator
  const char* accelerator = "";  // "Ctrl+D" etc., shown beside the item
};

struct MenuDesc {
  const char* caption;
  std::vector<MenuItemDesc> items;
  bool hidden = false;  // a top-level menu not shown in the bar (popup source)
};

struct ToolbarButtonDesc {
  int image;  // -1 = separator
  const char* tooltip;
  bool enabled = true;
};

struct StatusPaneDesc {
  int rightEdge;
  const char* tooltip;
};

struct ColumnDesc {
  const char* title;
  int width;
  bool showsImage = false;  // its cells show the row's image too
};

enum class FormKind { MainWindow, Dialog };

struct FormDesc {
  const char* name;   // stable key, e.g. "main", "settings"
  const char* title;  // title bar text
  FormKind kind = FormKind::Dialog;
  int outerWidth = 0, outerHeight = 0;
  bool showInTaskbar = false;
  std::vector<ControlDesc> controls;  // parents come before their children
  std::vector<MenuDesc> menus;
  std::vector<ToolbarButtonDesc> toolbar;  // for the control of type Toolbar
  int toolbarHeight = 28;
  std::vector<StatusPaneDesc> statusPanes;
  int statusHeight = 20;
  std::vector<ColumnDesc> columns;      // for the control of type ListView
  std::vector<const char*> focusOrder;  // names; empty = description order of kFocus controls
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct Font {
  std::string face;  // empty: the platform's default GUI font
  int heightPixels = 0;
  int points = 0;
  bool bold = false, italic = false;
  bool operator==(const Font&) const = default;
};

struct ComboItem {
  std::string text;
  int32_t value = 0;
};

// The cell a marked row draws in red: the new name.
constexpr int kMarkColumn = 1;

// A list view row: five cells and one status image (-1 none, 0 green, 1 red).
struct ListRow {
  // Provided, so that a row made in place (rows.emplace_back()) is not
  // zero-filled before its members are set: 100,000 rows with a name and a
  // path took 4.6 ms zero-filled and take 3.1 ms so (g++ -O2).
  ListRow() {}
  std::string cells[5];
  int image = -1;
  bool selected = false;
};

struct KeyPress {
  int code = 0;  // virtual key code: 'A' to 'Z', '0' to '9', kDeleteKey, ...
  bool ctrl = false, shift = false, alt = false;
};
inline constexpr int kDeleteKey = 46;
inline constexpr int kF3Key = 114;

class Form;

struct Control {
  const ControlDesc* desc = nullptr;
  Form* form = nullptr;
  std::string name;
  ControlType type = ControlType::Label;
  Control* parent = nullptr;  // nullptr = the form's client area
  Rect rect;                  // inside the parent's client area
  std::string text;
  std::string tag;
  bool enabled = true, visible = true, checked = false;
  int32_t textColour = kDefaultColour, backColour = kDefaultColour;  // picker: its colour
  Font font;
  std::vector<ComboItem> items;
  int selected = -1;  // combo box item, or the tab control's page

  // Events. Handlers are plain functions; the redirection of shared handlers
  // copies one control's handler into another.
  std::function<void()> onChange;              // edit content changed; editable combo text typed
  std::function<void()> onClick;               // button, check box, radio button
  std::function<void()> onSelChange;           // combo item chosen, tab page changed, colour changed
  std::function<void()> onRightClick;          // list view
  std::function<void()> onDoubleClick;         // list view
  std::function<void(const KeyPress&)> onKey;  // list view
  std::function<void(const std::vector<std::string>&)> onDrop;  // drop target: full paths
  std::function<std::string(int)> markTip;                      // list view: a marked row's tip

  bool Is(ControlType t) const { return type == t; }
};

struct MenuItem {
  std::string caption;  // empty = separator
  std::string accelerator;
  bool enabled = true;
  std::function<void()> onChosen;
};

struct Menu {
  std::string caption;
  bool hidden = false;
  std::vector<MenuItem> items;
};

struct ToolbarButton {
  int image = -1;  // -1 separator
  std::string tooltip;
  bool enabled = true;
};

struct StatusPane {
  int rightEdge = 0;
  std::string tooltip;
  std::string text;
};

// What a backend learns of model changes. Every call is made after the
// state changed.
class FormObserver {
 public:
  virtual ~FormObserver() = default;
  enum class What { Text, Checked, Enabled, Visible, Colour, Font, Items, Selection, Rect, Tag, Focus };
  virtual void ControlChanged(Control& c, What what) = 0;
  virtual void MenuChanged(Menu& menu, int item) = 0;
  virtual void ToolbarChanged(int index) = 0;
  virtual void StatusChanged(int pane) = 0;
  virtual void TitleChanged() = 0;
  virtual void WindowRectChanged() = 0;
  // List view: rows appended/removed (count changed), one cell of a row
  // (column 0-4) or its image (column -1), the selection of every row.
  virtual void ListCountChanged(Control& list) = 0;
  virtual void ListRowChanged(Control& list, int row, int column) = 0;
  virtual void ListSelectionChanged(Control& list) = 0;
  // The row is to be brought into view.
  virtual void ListRowShown(Control& /*list*/, int /*row*/) {}
};

class Form {
 public:
  explicit Form(const FormDesc& desc);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormDesc& desc() const { return *desc_; }
  const std::string& title() const { return title_; }
  void SetTitle(const std::string& title);

  // nullptr when there is no such control.
  Control* Find(std::string_view name);
  // The control, which must exist (a description fault otherwise: aborts
  // with the name).
  Control& operator[](std::string_view name);
  std::vector<std::unique_ptr<Control>>& controls() { return controls_; }
  // Controls in focus order.
  std::vector<Control*> FocusOrder();
  // Controls whose tag, read as a decimal number, equals n.
  Control* FindByTag(int n, ControlType type);

  // Window geometry: outer rect on the screen and the client size that the
  // backend's frame gives it.
  Rect windowRect;
  int clientWidth = 0, clientHeight = 0;
  void SetWindowRect(const Rect& r);  // tells the observer; backend updates client size
  // The user moved or sized the real window (the backend has updated the
  // client size): the model takes the rect; a new size raises onSized.
  void UserMove(int left, int top);
  void UserResize(const Rect& r);

  // Program setters.
  void SetText(Control& c, const std::string& text);
  void SetChecked(Control& c, bool checked);
  void SetEnabled(Control& c, bool enabled);
  void SetVisible(Control& c, bool visible);
  void SetTextColour(Control& c, int32_t colour);
  void SetBackColour(Control& c, int32_t colour);
  void SetFont(Control& c, const Font& font);
  void SetSelected(Control& c, int index);  // combo item, -1 = none; tab page
  void SetRect(Control& c, const Rect& r);
  void SetTag(Control& c, const std::string& tag);
  // Moves the keyboard focus; focused() is the control that has it (nullptr
  // until the program moves it).
  void SetFocus(Control& c);
  Control* focused() const { return focused_; }

  // User actions.
  void UserType(Control& c, const std::string& text);  // one onChange; limits apply
  void UserClick(Control& c);
  void UserChoose(Control& c, int index);  // combo item from the list; tab page
  void UserPickColour(Control& c, int32_t colour);
  void UserRightClick(Control& c);
  void UserDoubleClick(Control& c);
  void UserKey(Control& c, const KeyPress& key);
  void UserDrop(Control& c, const std::vector<std::string>& paths);  // drop target
  void UserEscape();                                                 // raises onEscape
  // Set by the backend while a modal dialog is open over this form: every
  // User* action on it is then ignored.
  bool inputBlocked = false;

  // Menus (menu bar and hidden menus) and the toolbar.
  std::vector<Menu>& menus() { return menus_; }
  MenuItem* FindMenuItem(std::string_view caption);
  Menu* FindMenu(std::string_view caption);
  void SetMenuEnabled(std::string_view caption, bool enabled);
  void UserChooseMenu(MenuItem& item);
  std::vector<ToolbarButton>& toolbar() { return toolbar_; }
  void SetToolbarEnabled(int index, bool enabled);
  std::function<void(int)> onToolbar;  // clicked, with the index (separators counted)
  void UserClickToolbar(int index);    // ignored while the entry is disabled

  std::vector<StatusPane>& status() { return status_; }
  void SetStatusText(int pane, const std::string& text);

  // List view rows (the control must be a ListView).
  std::vector<ListRow>& Rows(Control& list);
  int RowCount(Control& list);
  void AppendRow(Control& list, ListRow row);
  void AppendRows(Control& list, std::vector<ListRow> rows);  // one ListCountChanged
  void DeleteRow(Control& list, int row);
  void ClearRows(Control& list);
  void SetCell(Control& list, int row, int column, const std::string& text);
  void SetImage(Control& list, int row, int image);
  void SetRowSelected(Control& list, int row, bool selected);
  void SetAllSelected(Control& list, bool selected);
  int CurrentSelected(Control& list);  // lowest selected row, -1 when none
  int SelectedCount(Control& list);
  // Marked rows: their change will fail. A backend draws the marked row's
  // kMarkColumn cell in red and shows list.markTip(row) while the pointer
  // rests on it. marked[r] != 0 marks row r; rows past its end are
  // unmarked. Removing rows clears every mark, since they speak of the list
  // as it was.
  void SetMarks(Control& list, std::vector<uint8_t> marked);
  bool Marked(Control& list, int row);
  bool AnyMarked(Control& list);
  // The next marked row after `after`, wrapping around; -1 when none.
  int NextMarked(Control& list, int after);
  // Scrolls the row into view.
  void ShowRow(Control& list, int row);

  // Form events.
  std::function<void()> onCreated;
  std::function<void()> onSized;
  std::function<void()> onDestroying;
  std::function<void()> onEscape;  // dialogs: Esc closes as the cancel button does

  // Closing: a dialog's handler asks to close; the backend ends its modal
  // loop. closed stays true afterwards.
  void Close();
  bool closing() const { return closing_; }

  void SetObserver(FormObserver* o) { observer_ = o; }
  FormObserver* observer() { return observer_; }

 private:
  struct ListData {
    std::vector<ListRow> rows;
    int selectedCount = 0;
    std::vector<uint8_t> marked;
  };
  void ClearMarks(Control& list, ListData& data);
  ListData& List(Control& list);
  // One state of a control set, and the observer told.
  template <typename T>
  void Change(Control& c, T Control::*member, const T& value, FormObserver::What what) {
    c.*member = value;
    if (observer_) observer_->ControlChanged(c, what);
  }

  const FormDesc* desc_;
  std::string title_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<Menu> menus_;
  std::vector<ToolbarButton> toolbar_;
  std::vector<StatusPane> status_;
  std::vector<std::pair<Control*, std::unique_ptr<ListData>>> lists_;
  FormObserver* observer_ = nullptr;
  Control* focused_ = nullptr;
  bool closing_ = false;
};

// Facts about controls, kept here once for both backends and the driver's
// two targets.
const char* TypeName(ControlType type);  // the word the driver's dump prints
bool TakesClick(ControlType type);       // buttons, check boxes, radio buttons, colour pickers
bool IsCombo(ControlType type);          // either kind of drop-down
bool TakesTyping(ControlType type);      // edit boxes and editable drop-downs
int PageCount(const Control& tab);
// A tab page's place among its tab control's pages; -1 for anything else.
int PageIndex(const Control& page);
// Shown as a real window shows it: the control and every parent visible,
// and every tab page on the way the current one.
bool Shown(const Control& c);
bool OnTabPage(const Control& c);  // stands on a tab page, at any depth

// A menu item as one command number, as a window's menu carries it, and
// back. Item numbers stay below 100.
constexpr int kMenuCommandBase = 5000;
constexpr int MenuCommand(int menu, int item) { return kMenuCommandBase + menu * 100 + item; }
// False for a number that is no menu command.
bool ParseMenuCommand(int command, int* menu, int* item);

}  // namespace tavik::ui
