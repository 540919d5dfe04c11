// Geometry, colours and texts of the main window TMForm, in pixels at 96
// DPI. Panels are given in client coordinates; the labels and buttons that
// lie on a panel are placed relative to it.
#pragma once
#include <windows.h>

#include "shell/win32/resource.h"

namespace pasahorario::main_layout {

struct Box {
  int left, top, width, height;
};

constexpr SIZE kClient{632, 266};
constexpr wchar_t kCaption[] = L"Exportar e importar datos entre Tablerix y Delphos ";

struct Panel {
  Box box;
  COLORREF start, middle, end;  // top, middle, bottom
};
// Draw3D2 (export), Draw3D3 (import), Draw3D1 (bottom strip); painted in
// this order, so the strip covers the row the upper panels share with it.
constexpr Panel kDraw3D2{
    {1, 0, 315, 169}, RGB(249, 211, 125), RGB(255, 255, 255), RGB(255, 238, 221)};
constexpr Panel kDraw3D3{
    {316, 0, 317, 169}, RGB(249, 211, 125), RGB(255, 255, 255), RGB(255, 238, 221)};
constexpr Panel kDraw3D1{
    {0, 168, 633, 97}, RGB(194, 205, 254), RGB(207, 242, 254), RGB(204, 216, 230)};

enum class LabelFont { kArialBold12, kBannerBold };
struct Label {
  const Panel* panel;
  Box box;
  const wchar_t* text;
  LabelFont font;
  COLORREF colour;
  bool word_wrap;
};
constexpr Label kLabel3{&kDraw3D2,
                        {24, 24, 265, 57},
                        L"Transformar datos desde Delphos hacia Tablerix ",
                        LabelFont::kArialBold12,
                        RGB(0, 0, 0),
                        true};
constexpr Label kLabel4{&kDraw3D3,
                        {8, 24, 305, 57},
                        L"Transformar datos desde Tablerix hacia Delphos",
                        LabelFont::kArialBold12,
                        RGB(0, 0, 0),
                        true};
constexpr Label kLabel1{&kDraw3D1,
                        {8, 72, 230, 13},
                        L"Pasahorario para TX19 V-1.0",
                        LabelFont::kBannerBold,
                        RGB(255, 0, 0),
                        false};

enum class Glyph { kNone, kCheckMark, kDoor };
struct Button {
  int id;
  const Panel* panel;
  Box box;
  const wchar_t* text;
  Glyph glyph;
  bool is_default;
};
// In tab order: BClose, Button1, BExportar, BImportar.
constexpr int kButtonCount = 4;
constexpr Button kButtons[kButtonCount] = {
    {IDC_BCLOSE, &kDraw3D1, {256, 32, 89, 25}, L"&Salir", Glyph::kDoor, false},
    {IDC_BUTTON1, &kDraw3D1, {264, 63, 75, 18}, L"F1 AYUDA", Glyph::kNone, false},
    {IDC_BEXPORTAR, &kDraw3D2, {96, 120, 89, 25}, L"OK", Glyph::kCheckMark, true},
    {IDC_BIMPORTAR, &kDraw3D3, {96, 120, 89, 25}, L"OK", Glyph::kCheckMark, true},
};

// A box on `panel` in client coordinates.
constexpr Box OnPanel(const Panel& panel, Box box) {
  return Box{panel.box.left + box.left, panel.box.top + box.top, box.width, box.height};
}

}  // namespace pasahorario::main_layout
