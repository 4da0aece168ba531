#include "ui/win32/images.h"

namespace tavik::ui {
namespace {

constexpr int kW = 16, kH = 15;
constexpr COLORREF kMask = RGB(255, 0, 255);

struct Canvas {
  HDC dc;
  HBITMAP bmp, old;
  explicit Canvas(int count) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bmp = CreateCompatibleBitmap(screen, kW * count, kH);
    ReleaseDC(nullptr, screen);
    old = static_cast<HBITMAP>(SelectObject(dc, bmp));
    RECT all{0, 0, kW * count, kH};
    HBRUSH b = CreateSolidBrush(kMask);
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  HBITMAP Done() {
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
  }
  void Box(int x0, int l, int t, int r, int b, COLORREF fill, COLORREF line) {
    HBRUSH br = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, line);
    HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
    Rectangle(dc, x0 + l, t, x0 + r, b);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(br);
    DeleteObject(pen);
  }
  void Ellipse(int x0, int l, int t, int r, int b, COLORREF fill, COLORREF line) {
    HBRUSH br = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, line);
    HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
    ::Ellipse(dc, x0 + l, t, x0 + r, b);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(br);
    DeleteObject(pen);
  }
  void Line(int x0, const POINT* pts, int n, COLORREF colour, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, colour);
    HGDIOBJ op = SelectObject(dc, pen);
    MoveToEx(dc, x0 + pts[0].x, pts[0].y, nullptr);
    for (int i = 1; i < n; ++i) LineTo(dc, x0 + pts[i].x, pts[i].y);
    SelectObject(dc, op);
    DeleteObject(pen);
  }
};

HIMAGELIST ToList(HBITMAP bmp, int count) {
  HIMAGELIST list = ImageList_Create(kW, kH, ILC_COLOR24 | ILC_MASK, count, 0);
  ImageList_AddMasked(list, bmp, kMask);
  DeleteObject(bmp);
  return list;
}

}  // namespace

HIMAGELIST MakeToolbarImages() {
  Canvas c(5);
  const COLORREF folder = RGB(230, 190, 60), edge = RGB(120, 90, 20);
  // 0: a folder.
  c.Box(0, 1, 4, 15, 13, folder, edge);
  c.Box(0, 1, 2, 7, 5, folder, edge);
  // 1: two sheets of paper.
  c.Box(16, 5, 1, 14, 12, RGB(255, 255, 255), RGB(80, 80, 80));
  c.Box(16, 2, 4, 11, 14, RGB(255, 255, 255), RGB(80, 80, 80));
  // 2: an arrow turning back.
  POINT undo[] = {{12, 12}, {13, 8}, {10, 5}, {4, 5}};
  c.Line(32, undo, 4, RGB(0, 70, 160), 2);
  POINT head[] = {{7, 2}, {3, 5}, {7, 8}};
  c.Line(32, head, 3, RGB(0, 70, 160), 2);
  // 3: a magnifying glass.
  c.Ellipse(48, 2, 1, 11, 10, RGB(200, 230, 255), RGB(40, 40, 40));
  POINT handle[] = {{10, 9}, {14, 13}};
  c.Line(48, handle, 2, RGB(40, 40, 40), 3);
  // 4: a sheet with a pen stroke: rename.
  c.Box(64, 2, 1, 11, 14, RGB(255, 255, 255), RGB(80, 80, 80));
  POINT pen[] = {{6, 12}, {14, 4}};
  c.Line(64, pen, 2, RGB(200, 30, 30), 3);
  return ToList(c.Done(), 5);
}

HIMAGELIST MakeListImages() {
  Canvas c(2);
  c.Ellipse(0, 2, 1, 15, 14, RGB(30, 170, 60), RGB(10, 100, 30));
  POINT tick[] = {{5, 7}, {7, 10}, {11, 4}};
  c.Line(0, tick, 3, RGB(255, 255, 255), 2);
  c.Ellipse(16, 2, 1, 15, 14, RGB(210, 30, 30), RGB(130, 10, 10));
  POINT cross1[] = {{6, 4}, {11, 10}};
  POINT cross2[] = {{11, 4}, {6, 10}};
  c.Line(16, cross1, 2, RGB(255, 255, 255), 2);
  c.Line(16, cross2, 2, RGB(255, 255, 255), 2);
  return ToList(c.Done(), 2);
}

}  // namespace tavik::ui
