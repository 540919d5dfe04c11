#include "shell/win32/glyphs.h"

#include <cstdint>
#include <functional>

namespace pasahorario {
namespace {

// Colour no glyph uses; pixels left in it become transparent.
constexpr COLORREF kKey = RGB(255, 0, 255);

// Point (x, y) of a 16 by 16 design scaled to `size`.
POINT At(int size, int x, int y) { return POINT{MulDiv(x, size, 16), MulDiv(y, size, 16)}; }

// Runs `draw` on a `size` square at the left of a bitmap `gap` pixels
// wider and turns the result into an icon whose untouched pixels are
// transparent.
HICON DrawIcon(int size, int gap, const std::function<void(HDC, int)>& draw) {
  const int width = size + gap;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -size;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour) return nullptr;

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, colour);
  HBRUSH key = CreateSolidBrush(kKey);
  RECT all{0, 0, width, size};
  FillRect(dc, &all, key);
  DeleteObject(key);
  draw(dc, size);
  GdiFlush();
  SelectObject(dc, old);
  DeleteDC(dc);

  // Alpha: opaque where drawn, clear where the key colour remains.
  auto* pixel = static_cast<uint32_t*>(bits);
  const uint32_t key_pixel = (GetRValue(kKey) << 16) | (GetGValue(kKey) << 8) | GetBValue(kKey);
  for (int i = 0; i < width * size; ++i) {
    pixel[i] = (pixel[i] & 0xFFFFFFu) == key_pixel ? 0 : (pixel[i] | 0xFF000000u);
  }
  HBITMAP mask = CreateBitmap(width, size, 1, 1, nullptr);
  HDC mask_dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old_mask = SelectObject(mask_dc, mask);
  PatBlt(mask_dc, 0, 0, width, size, BLACKNESS);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < width; ++x) {
      if (pixel[y * width + x] == 0) SetPixel(mask_dc, x, y, RGB(255, 255, 255));
    }
  }
  SelectObject(mask_dc, old_mask);
  DeleteDC(mask_dc);

  ICONINFO icon_info{};
  icon_info.fIcon = TRUE;
  icon_info.hbmMask = mask;
  icon_info.hbmColor = colour;
  HICON icon = CreateIconIndirect(&icon_info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

void DrawPolygon(HDC dc, const POINT* points, int count, COLORREF fill, COLORREF edge) {
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  Polygon(dc, points, count);
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

HICON MakeCheckMarkIcon(int size, int gap) {
  return DrawIcon(size, gap, [](HDC dc, int s) {
    // A thick tick: short stroke down to the right, long stroke up.
    const POINT tick[] = {At(s, 1, 8),  At(s, 3, 6),  At(s, 6, 9), At(s, 13, 2),
                          At(s, 15, 4), At(s, 6, 13), At(s, 5, 13)};
    DrawPolygon(dc, tick, 7, RGB(0, 160, 0), RGB(0, 96, 0));
  });
}

HICON MakeDoorIcon(int size, int gap) {
  return DrawIcon(size, gap, [](HDC dc, int s) {
    // Frame of the doorway, dark inside (the open gap).
    const POINT frame[] = {At(s, 4, 1), At(s, 14, 1), At(s, 14, 15), At(s, 4, 15)};
    DrawPolygon(dc, frame, 4, RGB(32, 32, 32), RGB(64, 64, 64));
    // The door leaf swung towards the viewer, hinged on the left edge.
    const POINT leaf[] = {At(s, 4, 1), At(s, 10, 3), At(s, 10, 16), At(s, 4, 15)};
    DrawPolygon(dc, leaf, 4, RGB(176, 112, 48), RGB(96, 56, 16));
    // Door knob.
    const int r = s >= 24 ? 2 : 1;
    const POINT knob = At(s, 8, 9);
    HBRUSH brass = CreateSolidBrush(RGB(255, 215, 0));
    RECT dot{knob.x - r, knob.y - r, knob.x + r, knob.y + r};
    FillRect(dc, &dot, brass);
    DeleteObject(brass);
  });
}

}  // namespace pasahorario
