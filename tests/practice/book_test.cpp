#include "practice/book.h"

#include <gtest/gtest.h>

#include <random>

#include "core/unicode.h"

namespace quill::practice {
namespace {

std::u32string u32(std::string_view utf8) {
    return unicode::utf8ToUtf32(utf8);
}

Book bookWith(std::string_view utf8) {
    Book book;
    for (char32_t c : u32(utf8)) book.receive(c);
    return book;
}

std::vector<std::u32string> linesOf(std::initializer_list<std::string_view> lines) {
    std::vector<std::u32string> out;
    for (auto line : lines) out.push_back(u32(line));
    return out;
}

TEST(PracticeBookWrapping, BreaksAtTheLastBlankThatFitsAndCutsOverlongWords) {
    // 22 columns: the blank after "Seite" does not fit and becomes the break.
    EXPECT_EQ(wrapLine(u32("Hier erscheint er Seite für Seite.")),
              linesOf({"Hier erscheint er", "Seite für Seite."}));
    EXPECT_EQ(wrapLine(u32("1234567890123456789012 x")), linesOf({"1234567890123456789012", "x"}));
    EXPECT_EQ(wrapLine(u32("Donaudampfschifffahrtsgesellschaft")),
              linesOf({"Donaudampfschifffahrts", "gesellschaft"}));
    EXPECT_EQ(wrapLine(u32("")), linesOf({""}));
    // Characters outside the BMP take one column like any other.
    EXPECT_EQ(wrapLine(std::u32string(23, U'\U0001F4DC')).front().size(), 22u);
}

TEST(PracticeBookWrapping, TabsAdvanceToTheNextFourthColumnAndMayBreakTheLine) {
    EXPECT_EQ(wrapLine(u32("\tab\tc")), linesOf({"    ab  c"}));
    // The tab at column 20 would end at 24: it becomes the line break.
    EXPECT_EQ(wrapLine(u32("12345678901234567890\tx")), linesOf({"12345678901234567890", "x"}));
}

TEST(PracticeBook, EightLinesMakeAPageAndTypingAlwaysShowsTheLastPage) {
    Book book;
    EXPECT_EQ(book.pageCount(), 1);
    for (int i = 0; i < 7; ++i) book.receive(kEnter);
    EXPECT_EQ(book.pageCount(), 1);
    book.receive(kEnter);  // the ninth line starts page 2
    EXPECT_EQ(book.pageCount(), 2);
    EXPECT_EQ(book.page(0).size(), 8u);
    EXPECT_EQ(book.page(1).size(), 1u);
    EXPECT_EQ(book.currentPage(), 1);

    book.firstPage();
    EXPECT_EQ(book.currentPage(), 0);
    book.receive(U'x');
    EXPECT_EQ(book.currentPage(), 1);
    EXPECT_EQ(book.page(1), linesOf({"x"}));
    EXPECT_TRUE(book.page(2).empty());
}

TEST(PracticeBook, TurnsTwoFacingPagesAtATimeWithinTheBook) {
    Book book;
    for (int i = 0; i < 5 * kLinesPerPage - 1; ++i) book.receive(kEnter);
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

TEST(PracticeBook, BackspaceRemovesTheLastCharacterJoinsLinesAndUnwraps) {
    Book book = bookWith("1234567890123456789012x");
    EXPECT_EQ(book.lines().size(), 2u);
    book.receive(kBackspace);
    EXPECT_EQ(book.lines(), linesOf({"1234567890123456789012"}));

    book = bookWith("ab\n\n");
    book.receive(kBackspace);
    book.receive(kBackspace);
    EXPECT_EQ(book.text(), U"ab");
    EXPECT_EQ(book.lines(), linesOf({"ab"}));

    // A backspace on an empty book changes nothing but is still a received event.
    Book empty;
    EXPECT_TRUE(empty.receive(kBackspace));
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.received(), U"\b");
}

TEST(PracticeBook, LogsEveryAcceptedEventExactlyAndRejectsControlCharacters) {
    Book book;
    const std::u32string typed = u32("Ä\t€ 你\U0001F4DC\n\xEF\xBF\xBD");
    for (char32_t c : typed) EXPECT_TRUE(book.receive(c));
    for (char32_t c : {U'\0', U'\x1B', U'\x7F', U'\x85', char32_t{0xD800}, char32_t{0x110000}}) {
        EXPECT_FALSE(book.receive(c)) << static_cast<unsigned>(c);
    }
    EXPECT_EQ(book.received(), typed);
    EXPECT_EQ(book.text(), typed);
}

// Typing and deleting re-wrap only the end of the book; the result must equal wrapping it all anew.
TEST(PracticeBook, IncrementalLayoutMatchesAFreshLayout) {
    std::mt19937 random(7);
    const std::u32string alphabet = U"abc  \t\n\b\b\U0001F4DCxyzäöü";
    Book book;
    for (int step = 0; step < 4000; ++step) {
        book.receive(alphabet[random() % alphabet.size()]);
        std::vector<std::u32string> expected;
        const std::u32string text = book.text();
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
