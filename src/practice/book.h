// The practice client's book: the text it has received, laid out as the pages of an in-game book.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quill::practice {

// An in-game book page holds eight lines of at most 22 columns. Long lines wrap at the last blank
// that fits; a word longer than a whole line is cut. A tab advances to the next multiple of four
// columns.
inline constexpr int kLinesPerPage = 8;
inline constexpr int kLineWidth = 22;
inline constexpr int kTabWidth = 4;

// The key events a book takes besides printable characters.
inline constexpr char32_t kEnter = U'\n';
inline constexpr char32_t kTab = U'\t';
inline constexpr char32_t kBackspace = U'\b';

// True for the events a book accepts: Enter, Tab, Backspace and every printable character
// (everything but the C0 and C1 controls, DEL and unpaired surrogates).
bool isBookInput(char32_t character);

// Wraps one line of text (no line breaks in it) into display lines of at most `width` columns, tabs
// expanded to blanks. An empty line gives one empty display line.
std::vector<std::u32string> wrapLine(std::u32string_view line, int width = kLineWidth);

class Book {
  public:
    Book();

    // Takes one key event. Returns false, and changes nothing, for anything isBookInput() rejects.
    // Every accepted event is logged in received(), Backspace included, even on an empty book.
    bool receive(char32_t character);

    // Every accepted event in the order it came.
    const std::u32string& received() const { return received_; }
    // The text as it stands: lines separated by '\n', tabs kept.
    std::u32string text() const;
    bool empty() const { return paragraphs_.size() == 1 && paragraphs_.front().empty(); }

    // Display lines of the whole book; the last one holds the writing position.
    const std::vector<std::u32string>& lines() const { return lines_; }
    int pageCount() const;
    // The eight (or, on the last page, fewer) display lines of page `index` (0-based).
    std::vector<std::u32string> page(int index) const;

    // The page shown, 0-based. Receiving a key always goes to the last page.
    int currentPage() const { return currentPage_; }
    // Clamps to the existing pages.
    void showPage(int index);
    // Two facing pages: the left one has an even index.
    int spreadStart() const { return currentPage_ - currentPage_ % 2; }
    void previousSpread() { showPage(spreadStart() - 2); }
    void nextSpread() { showPage(spreadStart() + 2); }
    void firstPage() { showPage(0); }
    void lastPage() { showPage(pageCount() - 1); }

  private:
    void rewrapLastParagraph(bool shrinking);

    std::u32string received_;
    // The text split at line breaks; the last one is where typing goes on.
    std::vector<std::u32string> paragraphs_;
    // Index in lines_ of each paragraph's first display line.
    std::vector<std::size_t> paragraphFirstLine_;
    std::vector<std::u32string> lines_;
    // Where in the last paragraph each of its display lines starts.
    std::vector<std::size_t> lastParagraphLineStarts_;
    int currentPage_ = 0;
};

}  // namespace quill::practice
