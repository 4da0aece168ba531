// The colours of a marked cell, worked out from the list's background: a
// fill that stands out from it by lightness, not by hue alone (red on the
// default green-grey is lost on red-green blind eyes), and ink on the fill
// chosen by contrast. Contrast is the ratio of relative luminances,
// (L1 + 0.05) / (L2 + 0.05); 4.5 makes small text readable.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cmath>

namespace tavik::ui {

inline double Luminance(COLORREF c) {
  auto channel = [](int v) {
    double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
}

inline double Contrast(COLORREF a, COLORREF b) {
  double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct MarkColours {
  COLORREF fill, ink;
};

constexpr double kMarkContrast = 4.5;

// The reddest fill that keeps the contrast against the background: dark
// reds on light backgrounds, light ones on dark; black or white between,
// one of which always keeps it.
inline MarkColours MarkColoursOn(COLORREF back) {
  COLORREF fill = RGB(0, 0, 0);
  bool found = false;
  for (int r = 200; r >= 0 && !found; r -= 8)
    if (Contrast(RGB(r, 0, 0), back) >= kMarkContrast) fill = RGB(r, 0, 0), found = true;
  for (int g = 0; g <= 255 && !found; g += 15)
    if (Contrast(RGB(255, g, g), back) >= kMarkContrast) fill = RGB(255, g, g), found = true;
  if (!found)
    fill = Contrast(RGB(0, 0, 0), back) >= Contrast(RGB(255, 255, 255), back) ? RGB(0, 0, 0)
                                                                              : RGB(255, 255, 255);
  COLORREF ink =
      Contrast(RGB(255, 255, 255), fill) >= Contrast(RGB(0, 0, 0), fill) ? RGB(255, 255, 255) : RGB(0, 0, 0);
  return {fill, ink};
}

}  // namespace tavik::ui
