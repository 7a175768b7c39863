#include "practice/book.h"

#include <algorithm>

namespace quill::practice {
namespace {

bool isBlank(char32_t c) {
    return c == U' ' || c == kTab;
}

int columnsOf(char32_t c, int column) {
    return c == kTab ? kTabWidth - column % kTabWidth : 1;
}

std::u32string render(std::u32string_view part) {
    std::u32string out;
    out.reserve(part.size());
    for (char32_t c : part) {
        if (c == kTab) {
            out.append(static_cast<std::size_t>(columnsOf(c, static_cast<int>(out.size()))), U' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Greedy wrapping of `line` from `start` on. Appends each display line and the position in `line`
// where it starts. The decision for a display line depends only on the characters up to the first
// one that does not fit, so text appended later never changes any line but the last.
void wrapFrom(std::u32string_view line, std::size_t start, int width, std::vector<std::u32string>& out,
              std::vector<std::size_t>& starts) {
    std::size_t pos = start;
    for (;;) {
        starts.push_back(pos);
        int column = 0;
        std::size_t i = pos;
        std::size_t lastBlank = std::u32string_view::npos;
        while (i < line.size()) {
            const int w = columnsOf(line[i], column);
            if (column + w > width) break;
            if (isBlank(line[i])) lastBlank = i;
            column += w;
            ++i;
        }
        if (i == line.size()) {
            out.push_back(render(line.substr(pos)));
            return;
        }
        if (isBlank(line[i])) {
            // The blank that does not fit becomes the line break.
            out.push_back(render(line.substr(pos, i - pos)));
            pos = i + 1;
        } else if (lastBlank != std::u32string_view::npos && lastBlank > pos) {
            out.push_back(render(line.substr(pos, lastBlank - pos)));
            pos = lastBlank + 1;
        } else {
            // A word longer than the line: cut it. A line always takes at least one character.
            i = std::max(i, pos + 1);
            out.push_back(render(line.substr(pos, i - pos)));
            pos = i;
        }
    }
}

}  // namespace

bool isBookInput(char32_t c) {
    if (c == kEnter || c == kTab || c == kBackspace) return true;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c <= 0x10FFFF;
}

std::vector<std::u32string> wrapLine(std::u32string_view line, int width) {
    std::vector<std::u32string> out;
    std::vector<std::size_t> starts;
    wrapFrom(line, 0, std::max(width, kTabWidth), out, starts);
    return out;
}

Book::Book() : paragraphs_(1), paragraphFirstLine_{0}, lines_(1), lastParagraphLineStarts_{0} {}

bool Book::receive(char32_t c) {
    if (!isBookInput(c)) return false;
    received_.push_back(c);
    if (c == kEnter) {
        paragraphs_.emplace_back();
        lines_.emplace_back();
        paragraphFirstLine_.push_back(lines_.size() - 1);
        lastParagraphLineStarts_.assign(1, 0);
    } else if (c == kBackspace) {
        if (!paragraphs_.back().empty()) {
            paragraphs_.back().pop_back();
            rewrapLastParagraph(true);
        } else if (paragraphs_.size() > 1) {
            // Joins the line with the one before it.
            paragraphs_.pop_back();
            paragraphFirstLine_.pop_back();
            rewrapLastParagraph(true);
        }
    } else {
        paragraphs_.back().push_back(c);
        rewrapLastParagraph(false);
    }
    currentPage_ = pageCount() - 1;
    return true;
}

void Book::rewrapLastParagraph(bool shrinking) {
    const std::u32string& paragraph = paragraphs_.back();
    std::size_t keep = shrinking ? 0 : lastParagraphLineStarts_.size() - 1;
    const std::size_t from = lastParagraphLineStarts_[keep];
    lastParagraphLineStarts_.resize(keep);
    lines_.resize(paragraphFirstLine_.back() + keep);
    wrapFrom(paragraph, from, kLineWidth, lines_, lastParagraphLineStarts_);
}

std::u32string Book::text() const {
    std::u32string out;
    for (std::size_t k = 0; k < paragraphs_.size(); ++k) {
        if (k > 0) out.push_back(kEnter);
        out += paragraphs_[k];
    }
    return out;
}

int Book::pageCount() const {
    return static_cast<int>((lines_.size() + kLinesPerPage - 1) / kLinesPerPage);
}

std::vector<std::u32string> Book::page(int index) const {
    if (index < 0 || index >= pageCount()) return {};
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(index) * kLinesPerPage;
    const auto last = std::min(first + kLinesPerPage, lines_.end());
    return {first, last};
}

void Book::showPage(int index) {
    currentPage_ = std::clamp(index, 0, pageCount() - 1);
}

}  // namespace quill::practice
