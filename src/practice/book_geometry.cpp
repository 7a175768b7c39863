#include "practice/book_geometry.h"

#include <algorithm>

#include "practice/book.h"

namespace quill::practice {

BookGeometry layoutBook(int width, int height) {
    width = std::max(width, kMinimumWidth);
    height = std::max(height, kMinimumHeight);
    BookGeometry g;
    const int margin = std::max(8, height / 60);
    const int barHeight = std::max(28, height / 16);

    g.cover = {margin, margin, width - 2 * margin, height - 3 * margin - barHeight};
    const int inset = std::max(10, g.cover.height / 36);
    const int pageWidth = (g.cover.width - 2 * inset) / 2;
    const int pageHeight = g.cover.height - 2 * inset;
    for (int side = 0; side < 2; ++side) {
        const Box page{g.cover.x + inset + side * pageWidth, g.cover.y + inset, pageWidth, pageHeight};
        g.pages[side] = page;
        const int padX = pageWidth / 11;
        const int top = pageHeight / 14;
        const int numberHeight = pageHeight / 10;
        const int textHeight = pageHeight - top - numberHeight - pageHeight / 28;
        g.lineHeight = textHeight / kLinesPerPage;
        g.text[side] = {page.x + padX, page.y + top, pageWidth - 2 * padX, g.lineHeight * kLinesPerPage};
        g.pageNumbers[side] = {page.x, page.y + pageHeight - numberHeight, pageWidth, numberHeight};
    }
    g.fontPixels = g.lineHeight * 3 / 5;

    const int barTop = g.cover.y + g.cover.height + margin;
    const int buttonWidth = std::max(96, width / 7);
    g.previousButton = {margin, barTop, buttonWidth, barHeight};
    g.nextButton = {width - margin - buttonWidth, barTop, buttonWidth, barHeight};
    g.status = {margin + buttonWidth + margin, barTop, width - 2 * (2 * margin + buttonWidth), barHeight};
    return g;
}

}  // namespace quill::practice
