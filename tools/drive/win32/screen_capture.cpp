#include "drive/win32/screen_capture.h"

namespace tavik::drive {

// The window's rectangle of the screen, copied from the screen DC, as a
// bottom-up 24-bit BMP.
std::optional<std::string> CaptureWindowBmp(HWND h, std::string* error) {
  RECT r;
  GetWindowRect(h, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) {
    *error = "the window has no size";
    return std::nullopt;
  }
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(mem, bitmap);
  bool copied = BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
  SelectObject(mem, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // positive: rows bottom-up, as BMP files store them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  bool read = copied && GetDIBits(mem, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                                  DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (!read) {
    *error = "the screen could not be read";
    return std::nullopt;
  }

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  info.biSizeImage = static_cast<DWORD>(pixels.size());
  std::string out(reinterpret_cast<const char*>(&file), sizeof file);
  out.append(reinterpret_cast<const char*>(&info), sizeof info);
  return out + pixels;
}

}  // namespace tavik::drive
