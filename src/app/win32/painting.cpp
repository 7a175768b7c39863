#include "app/win32/painting.h"

#include <algorithm>

#include "app/win32/dpi.h"
#include "platform/win32/wide_text.h"

namespace quill::app::win32 {

COLORREF colourOf(layout::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

RECT pixelRect(const layout::Control& control, UINT dpi) {
    int left = control.left;
    int top = control.top;
    if (control.insideContainer) {
        const layout::Control& container = layout::control(control.container);
        left += container.left;
        top += container.top;
    }
    return RECT{twips(left, dpi), twips(top, dpi), twips(left + control.width, dpi),
                twips(top + control.height, dpi)};
}

HFONT createMainFont(UINT dpi) {
    // Courier New 9 pt bold, Western character set.
    return CreateFontW(-MulDiv(layout::kMainFontPoints, static_cast<int>(dpi), 72), 0, 0, 0,
                       layout::kMainFontWeight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                       platform::win32::toWide(layout::kMainFontFamily).c_str());
}

void paintDrawing(HDC dc, std::span<const layout::Drawing> drawing, UINT dpi) {
    for (const layout::Drawing& item : drawing) {
        const COLORREF colour = colourOf(item.color);
        switch (item.kind) {
            case layout::ShapeKind::FilledCircle: {
                const HBRUSH brush = CreateSolidBrush(colour);
                const HGDIOBJ oldBrush = SelectObject(dc, brush);
                const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
                // Without an outline the ellipse leaves out its right and bottom edge: one more pixel.
                Ellipse(dc, twips(item.a, dpi), twips(item.b, dpi), twips(item.a + item.c, dpi) + 1,
                        twips(item.b + item.c, dpi) + 1);
                SelectObject(dc, oldPen);
                SelectObject(dc, oldBrush);
                DeleteObject(brush);
                break;
            }
            case layout::ShapeKind::FilledSquare: {
                const HBRUSH brush = CreateSolidBrush(colour);
                const RECT square{twips(item.a, dpi), twips(item.b, dpi), twips(item.a + item.c, dpi),
                                  twips(item.b + item.c, dpi)};
                FillRect(dc, &square, brush);
                DeleteObject(brush);
                break;
            }
            case layout::ShapeKind::Line: {
                const int width = std::max(1, MulDiv(item.penWidth, static_cast<int>(dpi), 96));
                const HPEN pen = CreatePen(PS_SOLID, width, colour);
                const HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, twips(item.a, dpi), twips(item.b, dpi), nullptr);
                LineTo(dc, twips(item.c, dpi), twips(item.d, dpi));
                SelectObject(dc, old);
                DeleteObject(pen);
                break;
            }
        }
    }
}

}  // namespace quill::app::win32
