// Turning the layout tables into pixels: twips to pixels at a widget's DPI, and the painting of the
// decorative lines and shapes.
#pragma once

#include <QRect>
#include <span>

#include "app/layout.h"

class QPainter;

namespace quill::app::qt {

// A control's rectangle in pixels, relative to its container's outer top-left corner.
QRect pixelRect(const app::layout::Control& control, int dpi);
int pixels(int twips, int dpi);

// Paints the elements in table order, each over the ones before it. Lines have flat ends; a line
// of odd width is centred on its coordinate, one of even width lies below (or right of) it.
void paintDrawing(QPainter& painter, std::span<const app::layout::Drawing> drawing, int dpi);

}  // namespace quill::app::qt
