// The layout tables on the screen: twips to pixels, the main window's font and the drawing.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <span>

#include "app/layout.h"

namespace quill::app::win32 {

COLORREF colourOf(layout::Rgb rgb);

// A control's rectangle in its window's client area, in pixels at `dpi`.
RECT pixelRect(const layout::Control& control, UINT dpi);

// Courier New 9 pt bold at `dpi`. The caller owns the font.
HFONT createMainFont(UINT dpi);

// Circles, squares and lines in table order, each over the ones before it.
void paintDrawing(HDC dc, std::span<const layout::Drawing> drawing, UINT dpi);

}  // namespace quill::app::win32
