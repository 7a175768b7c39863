#include "practice/book.h"

#include <gtest/gtest.h>

#include <random>

namespace quill::practice {
namespace {

TEST(PracticeBookWrapping, BreaksAtTheLastBlankThatFitsCutsOverlongWordsAndExpandsTabs) {
    const std::pair<std::u32string, std::vector<std::u32string>> cases[] = {
        // 22 columns: the blank after "Seite" does not fit and becomes the break.
        {U"Hier erscheint er Seite für Seite.", {U"Hier erscheint er", U"Seite für Seite."}},
        {U"1234567890123456789012 x", {U"1234567890123456789012", U"x"}},
        {U"Donaudampfschifffahrtsgesellschaft", {U"Donaudampfschifffahrts", U"gesellschaft"}},
        {U"", {U""}},
        {U"\tab\tc", {U"    ab  c"}},
        // The tab at column 20 would end at 24: it becomes the line break.
        {U"12345678901234567890\tx", {U"12345678901234567890", U"x"}},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(wrapLine(line), expected) << line.size();
    // Characters outside the BMP take one column like any other.
    EXPECT_EQ(wrapLine(std::u32string(23, U'\U0001F4DC')).front().size(), 22u);
}

TEST(PracticeBook, EightLinesMakeAPageTypingShowsTheLastPageAndPagesTurnInPairs) {
    Book book;
    EXPECT_EQ(book.pageCount(), 1);
    for (int i = 0; i < 7; ++i) book.receive(kEnter);
    EXPECT_EQ(book.pageCount(), 1);
    book.receive(kEnter);  // the ninth line starts page 2
    EXPECT_EQ(book.pageCount(), 2);
    EXPECT_EQ(book.page(0).size(), 8u);
    book.firstPage();
    book.receive(U'x');
    EXPECT_EQ(book.currentPage(), 1);
    EXPECT_EQ(book.page(1), std::vector<std::u32string>{U"x"});
    EXPECT_TRUE(book.page(2).empty());

    for (int i = 0; i < 3 * kLinesPerPage; ++i) book.receive(kEnter);
    ASSERT_EQ(book.pageCount(), 5);
    EXPECT_EQ(book.spreadStart(), 4);
    book.nextSpread();
    EXPECT_EQ(book.currentPage(), 4);
    book.previousSpread();
    EXPECT_EQ(book.spreadStart(), 2);
    book.previousSpread();
    book.previousSpread();
    EXPECT_EQ(book.currentPage(), 0);
    book.lastPage();
    EXPECT_EQ(book.currentPage(), 4);
}

TEST(PracticeBook, LogsEveryAcceptedEventAndRejectsControlCharacters) {
    Book book;
    const std::u32string typed = U"Ä\t€ 你\U0001F4DC\n\uFFFD";
    for (char32_t c : typed) EXPECT_TRUE(book.receive(c));
    for (char32_t c : {U'\0', U'\x1B', U'\x7F', U'\x85', char32_t{0xD800}, char32_t{0x110000}})
        EXPECT_FALSE(book.receive(c)) << static_cast<unsigned>(c);
    EXPECT_EQ(book.received(), typed);
    EXPECT_EQ(book.text(), typed);

    // A backspace on an empty book changes nothing but is still a received event.
    Book empty;
    EXPECT_TRUE(empty.receive(kBackspace));
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.received(), U"\b");
}

// Typing and deleting re-wrap only the end of the book; the result must equal wrapping it all anew.
// Backspace at the end of a wrapped line unwraps it, after a line break joins the lines.
TEST(PracticeBook, BackspaceAndIncrementalLayoutMatchAFreshLayout) {
    std::mt19937 random(7);
    const std::u32string alphabet = U"abc  \t\n\b\b\U0001F4DCxyzäöü";
    Book book;
    std::u32string text;  // Backspace takes the last character, a line break too
    for (int step = 0; step < 4000; ++step) {
        const char32_t key = alphabet[random() % alphabet.size()];
        book.receive(key);
        if (key != kBackspace)
            text += key;
        else if (!text.empty())
            text.pop_back();
        ASSERT_EQ(book.text(), text) << "after step " << step;
        std::vector<std::u32string> expected;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = text.find(kEnter, start);
            const auto lines = wrapLine(std::u32string_view(text).substr(start, end - start));
            expected.insert(expected.end(), lines.begin(), lines.end());
            if (end == std::u32string::npos) break;
            start = end + 1;
        }
        ASSERT_EQ(book.lines(), expected) << "after step " << step;
        ASSERT_EQ(book.currentPage(), book.pageCount() - 1);
    }
}

}  // namespace
}  // namespace quill::practice
