// One form on screen: its window, a real control per model control, and
// the two-way mirror between them.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::ui {

inline COLORREF ToColorRef(int32_t c) { return static_cast<COLORREF>(c); }

class WindowHost final : public FormObserver {
 public:
  // shell: destroys the main window when its frame is closed.
  WindowHost(Shell& shell, Form& form, HWND owner);
  ~WindowHost() override;
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;

  HWND hwnd() const { return hwnd_; }
  Form& form() { return form_; }
  HWND HwndOf(const Control& c) const;
  HWND HwndOf(std::string_view name) const;
  Control* ControlOf(HWND h) const;
  HMENU menuBar() const { return menuBar_; }
  HMENU MenuHandle(const Menu& menu) const;
  HACCEL accelerators() const { return accel_; }
  HIMAGELIST listImages() const { return listImages_; }
  // The tip that tells why a marked row will fail.
  HWND markTip() const { return markTip_; }
  // Position of a control inside its model parent, read from the real window.
  RECT ModelRectOf(const Control& c) const;
  POINT OriginOf(const Control* parent) const;  // model parent -> real parent client

  // Pending list updates are applied when the handler returns to the loop.
  void FlushPending();
  void DestroyWindowNow();

  static constexpr int kControlBase = 1000;
  // A combo box's window also holds its dropped-down list, below the box.
  static constexpr int kComboDropHeight = 200;
  static constexpr int kToolbarBase = 4000;  // menu commands start above the toolbar's

  // FormObserver
  void ControlChanged(Control& c, What what) override;
  void MenuChanged(Menu& menu, int item) override;
  void ToolbarChanged(int index) override;
  void StatusChanged(int pane) override;
  void TitleChanged() override;
  void WindowRectChanged() override;
  void ListCountChanged(Control& list) override;
  void ListRowChanged(Control& list, int row, int column) override;
  void ListSelectionChanged(Control& list) override;
  void ListRowShown(Control& list, int row) override;

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  // The window is known from its first message on, before CreateWindow returns.
  void Attach(HWND h) { hwnd_ = h; }

 private:
  void CreateFrame(HWND owner);
  void CreateControls();
  void CreateMenus();
  // control_factory.cpp
  HWND CreateOne(Control& c, int index);
  HWND CreateToolbar(HMENU id);
  HWND CreateStatusBar(HMENU id);
  void SetUpEdit(Control& c, HWND hw);
  void SetUpCombo(Control& c, HWND hw);
  void SetUpTabs(Control& c, HWND hw);
  void SetUpList(Control& c, HWND hw);
  void ApplyVisibility();
  // An edit box's spinner is a window of its own, kept in a property of
  // the box.
  static constexpr wchar_t kUpDownProperty[] = L"tavik.updown";
  static HWND UpDownOf(HWND edit) { return static_cast<HWND>(GetPropW(edit, kUpDownProperty)); }
  void PushText(Control& c);
  void PushItems(Control& c);
  void PushSelection(Control& c);
  void PushFont(Control& c);
  // list_mirror.cpp
  void PushListColours(Control& c);
  void ReadListSelection(Control& list);
  void PostFlush();  // once until the flush has run
  void SetListCount(HWND list, int count);
  void RedrawListRows(HWND list, int first, int last, unsigned columns);
  static constexpr UINT kFlushMessage = WM_APP + 1;
  int ImageColumn() const;  // -1 when no column shows the rows' images
  // Marked rows: their new name in red, and their reason in a tip.
  void SetUpMarkTip(HWND list);
  static LRESULT CALLBACK ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  LRESULT MarkTipText(NMHDR* nm);
  LRESULT ListCustomDraw(Control& list, NMLVCUSTOMDRAW* cd);
  void UpdateClientSize();
  void DockToolbar();
  LRESULT OnCommand(WPARAM wp, LPARAM lp);
  LRESULT OnNotify(NMHDR* nm);
  LRESULT OnColour(HDC dc, HWND child, bool isEdit);
  void OnDrawItem(DRAWITEMSTRUCT* d);
  HBRUSH Brush(COLORREF c);
  COLORREF TabBodyColour();
  COLORREF tabBody_ = CLR_INVALID;
  HFONT FontFor(const Font& f);

  Shell& shell_;
  Form& form_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> hwnds_;  // parallel to form_.controls()
  std::map<HWND, int> indexOf_;
  HMENU menuBar_ = nullptr;
  std::vector<HMENU> menus_;  // parallel to form_.menus()
  HACCEL accel_ = nullptr;
  HWND toolbar_ = nullptr, status_ = nullptr;
  HIMAGELIST toolbarImages_ = nullptr, listImages_ = nullptr;
  std::map<COLORREF, HBRUSH> brushes_;
  std::vector<std::pair<Font, HFONT>> fonts_;
  int echo_ = 0;  // > 0 while the model's own change is pushed to a window
  bool flushPosted_ = false;
  // Rows whose cells changed since the last flush, per list: their range
  // and the changed columns, one bit each.
  struct DirtyRows {
    Control* list;
    int first, last;
    unsigned columns;
  };
  std::vector<DirtyRows> dirtyRows_;
  std::vector<Control*> dirtyCounts_;
  std::vector<Control*> dirtySelections_;
  Control* shownList_ = nullptr;  // a row to bring into view, after the rest
  int shownRow_ = -1;
  std::wstring wideScratch_;    // a toolbar tip handed out
  std::u16string cellScratch_;  // a list cell handed out in LVN_GETDISPINFOW
  HWND markTip_ = nullptr;
  int tipRow_ = -1;  // the row under the pointer
  std::wstring tipWide_;
};

}  // namespace tavik::ui
