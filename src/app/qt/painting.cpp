#include "app/qt/painting.h"

#include <QColor>
#include <QPainter>
#include <algorithm>

namespace quill::app::qt {

using app::layout::Drawing;
using app::layout::ShapeKind;

int pixels(int twips, int dpi) {
    return app::layout::twipsToPixels(twips, dpi);
}

QRect pixelRect(const app::layout::Control& control, int dpi) {
    return QRect(pixels(control.left, dpi), pixels(control.top, dpi), pixels(control.width, dpi),
                 pixels(control.height, dpi));
}

namespace {

QColor toColor(app::layout::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The pixels a line covers. Widths are pixels at 96 DPI and grow with the DPI.
QRect lineRect(const Drawing& line, int dpi) {
    const int width = std::max(1, (line.penWidth * dpi + 48) / 96);
    const int before = (width - 1) / 2;
    const int x1 = pixels(line.a, dpi), y1 = pixels(line.b, dpi);
    const int x2 = pixels(line.c, dpi), y2 = pixels(line.d, dpi);
    if (y1 == y2) {
        // Like the classic line primitive, the end point itself is not painted.
        const int left = std::min(x1, x2);
        return QRect(left, y1 - before, std::max(1, std::abs(x2 - x1)), width);
    }
    const int top = std::min(y1, y2);
    return QRect(x1 - before, top, width, std::max(1, std::abs(y2 - y1)));
}

}  // namespace

void paintDrawing(QPainter& painter, std::span<const Drawing> drawing, int dpi) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Drawing& element : drawing) {
        const QColor color = toColor(element.color);
        switch (element.kind) {
            case ShapeKind::FilledCircle:
                painter.setPen(Qt::NoPen);
                painter.setBrush(color);
                painter.drawEllipse(QRect(pixels(element.a, dpi), pixels(element.b, dpi),
                                          pixels(element.c, dpi), pixels(element.c, dpi)));
                break;
            case ShapeKind::FilledSquare:
                painter.fillRect(QRect(pixels(element.a, dpi), pixels(element.b, dpi), pixels(element.c, dpi),
                                       pixels(element.c, dpi)),
                                 color);
                break;
            case ShapeKind::Line:
                if (element.a == element.c || element.b == element.d) {
                    painter.fillRect(lineRect(element, dpi), color);
                } else {
                    QPen pen(color, std::max(1, (element.penWidth * dpi + 48) / 96));
                    pen.setCapStyle(Qt::FlatCap);
                    painter.setPen(pen);
                    painter.drawLine(pixels(element.a, dpi), pixels(element.b, dpi), pixels(element.c, dpi),
                                     pixels(element.d, dpi));
                }
                break;
        }
    }
    painter.restore();
}

}  // namespace quill::app::qt
