#include "practice/practice_client.h"

#include <gtest/gtest.h>

#include "practice/book.h"
#include "practice/book_geometry.h"

namespace quill::practice {
namespace {

TEST(PracticeOptions, ReadsRecordFileAndTitleAndRejectsWhatQuillpostCouldNotFindOrUse) {
    auto parsed = parseOptions({});
    EXPECT_EQ(parsed.options.title, "Ultima Online - Übungsbuch");
    EXPECT_FALSE(parsed.options.recordFile);
    parsed = parseOptions({"--record", "/tmp/ü.txt", "--title", "Ultima Online - Anna"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_TRUE(parsed.options.recordFile->u8string() == u8"/tmp/ü.txt");
    EXPECT_EQ(parsed.options.title, "Ultima Online - Anna");

    // Every title Quillpost recognises, of both client families.
    for (const std::string title : {"Ultima Online -Anna", "ClassicUO - 1.1.0.407",
                                    "ClassicUO [dev] - 1.1.0.407", "Hans - ClassicUO - 1.1.0.407"}) {
        parsed = parseOptions({"--title", title});
        EXPECT_TRUE(parsed.error.empty()) << title << ": " << parsed.error;
        EXPECT_EQ(parsed.options.title, title);
    }
    for (const std::string title :
         {"ultima online - Anna", "Ultima Online", "ClassicUO - Home", "ClassicUO.cs - Editor"})
        EXPECT_EQ(parseOptions({"--title", title}).error,
                  "Quillpost erkennt den Fenstertitel „" + title +
                      "“ nicht als Spiel-Client. Er muss mit „Ultima Online - “ beginnen oder „ClassicUO - "
                      "VERSION“, „ClassicUO [dev] - VERSION“ oder „NAME - ClassicUO - VERSION“ lauten "
                      "(VERSION aus Ziffern und Punkten, etwa 1.1.0.407).");
    EXPECT_EQ(parseOptions({"--record"}).error, "Nach --record fehlt der Dateiname.");
    EXPECT_EQ(parseOptions({"--title", ""}).error, "Nach --title fehlt der Fenstertitel.");
    EXPECT_EQ(parseOptions({"--recrod", "x"}).error, "Unbekannte Angabe „--recrod“.");
}

TEST(PracticeSurrogateJoiner, JoinsPairsAndKeepsUnpairedHalvesVisible) {
    SurrogateJoiner joiner;
    std::u32string joined;
    // A pair; a high half followed by something else, a low half on its own, two high halves in a row.
    for (const char16_t unit :
         {u'a', u'\xD83D', u'\xDCDC', u'\xD83D', u'b', u'\xDCDC', u'\xD83D', u'\xD83D', u'\xDCDC'})
        joined += joiner.take(unit);
    EXPECT_EQ(joined, U"a\U0001F4DC\uFFFDb\uFFFD\uFFFD\U0001F4DC");
}

TEST(PracticeCharMessageDecoder, OneLineBreakPerEnterAndNoneForCtrlCombinations) {
    CharMessageDecoder decoder;
    std::u32string events;
    const auto type = [&](std::u16string_view units, bool control) {
        for (char16_t unit : units) events += decoder.take(unit, control);
    };
    type(u"a\r\r\n\nb\t\b", false);  // Enter, a CR LF pair, a lone LF
    type(u"\n\r\t\b", true);         // Ctrl+J, Ctrl+Enter, Ctrl+Tab, Ctrl+Backspace
    type(u"\r", false);
    type(u"\n", true);  // Ctrl+Enter right after Enter
    type(u"\xD83D\xDCDC", false);
    EXPECT_EQ(events, U"a\n\n\nb\t\b\n\U0001F4DC");
}

TEST(PracticeBookGeometry, PagesSitSideBySideWithEightLinesAndControlsBelow) {
    for (auto [width, height] :
         {std::pair{kDefaultWidth, kDefaultHeight}, std::pair{1920, 1200}, std::pair{10, 10}}) {
        const BookGeometry g = layoutBook(width, height);
        EXPECT_EQ(g.pages[0].x + g.pages[0].width, g.pages[1].x);
        for (int side = 0; side < 2; ++side) {
            const Box& page = g.pages[side];
            const Box& text = g.text[side];
            EXPECT_GE(text.x, page.x);
            EXPECT_LE(text.x + text.width, page.x + page.width);
            EXPECT_LE(text.y + kLinesPerPage * g.lineHeight, g.pageNumbers[side].y);
            EXPECT_LE(g.pageNumbers[side].y + g.pageNumbers[side].height, page.y + page.height);
        }
        EXPECT_GT(g.fontPixels, 8);
        EXPECT_GE(g.previousButton.y, g.cover.y + g.cover.height);
        EXPECT_LE(g.previousButton.x + g.previousButton.width, g.status.x);
        EXPECT_LE(g.status.x + g.status.width, g.nextButton.x);
        EXPECT_LE(g.nextButton.x + g.nextButton.width, std::max(width, kMinimumWidth));
        EXPECT_LE(g.nextButton.y + g.nextButton.height, std::max(height, kMinimumHeight));
    }
}

}  // namespace
}  // namespace quill::practice
