// Input a careless or hostile user may hand over: special files, texts too large for the editor, broken
// RTF, long names, saving where a file stands in for a folder, and texts that must open as saved.
#include <gtest/gtest.h>

#include <random>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "core/unicode.h"
#include "document_test_util.h"

namespace quill::document::testing {
namespace {

std::string fileFailure(const std::filesystem::path& path) {
    const ReadResult result = readDocumentFile(path);
    const auto* failure = std::get_if<Failure>(&result);
    return failure ? failure->message : "read";
}

TEST(HostileInput, SpecialFilesAreRefusedBeforeAnythingWaitsOnThem) {
    TempFolder folder;
#if defined(_WIN32)
    const std::filesystem::path special = "NUL";
#else
    const std::filesystem::path special = folder / "rohr";
    ASSERT_EQ(mkfifo(special.c_str(), 0600), 0);  // no writer: opening it for reading would wait forever
    EXPECT_EQ(
        fileFailure("/dev/zero"),
        "Die Datei \"zero\" ist keine gewöhnliche Datei, sondern eine Pipe, ein Socket oder ein Gerät, und "
        "kann nicht geöffnet werden.");
#endif
    EXPECT_NE(fileFailure(special).find("ist keine gewöhnliche Datei"), std::string::npos);
}

TEST(HostileInput, LongNamesKeepTheirEndInMessages) {
    TempFolder folder;
    const std::string name = std::string(236, 'n') + ".txt";
    EXPECT_EQ(fileFailure(folder / name),
              "Die Datei \"nnnnnnnnnnnnnnnnnnnnnnn…nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.txt\" wurde nicht "
              "gefunden. Bitte "
              "prüfen Sie Namen und Ordner.");
}

TEST(HostileInput, SavingBelowAFileSaysThatItIsAFile) {
    TempFolder folder;
    { std::ofstream(folder / "datei.txt") << "x"; }
    const auto failure = savePlainTextFile(folder / "datei.txt" / "neu.txt", "Text", {});
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->message.find("datei.txt\" ist eine Datei und kein Ordner."), std::string::npos)
        << failure->message;
}

TEST(HostileInput, TextsTooLargeForTheEditorAreRefusedWithTheirSizeAndTheLimit) {
    Document lines;
    lines.append(std::string(50'000, '\n'));  // 50,001 lines
    EXPECT_EQ(
        checkFitsEditor(lines, "chat.log").value_or(Failure{"fits"}).message,
        "Die Datei \"chat.log\" hat 50.001 Zeilen. Der Editor kann höchstens 50.000 Zeilen anzeigen, ohne "
        "lange zu hängen; sie wurde nicht geöffnet, der bisherige Text bleibt.");
    Document line;
    line.append(std::string(1'000'001, 'x'));
    EXPECT_EQ(
        checkFitsEditor(line, "eine.txt").value_or(Failure{"fits"}).message,
        "Die Datei \"eine.txt\" hat eine Zeile mit 1.000.001 Zeichen. Der Editor kann Zeilen mit höchstens "
        "1.000.000 Zeichen anzeigen, ohne lange zu hängen; sie wurde nicht geöffnet, der bisherige Text "
        "bleibt.");
    Document fits;
    fits.append(std::string(49'999, '\n') + std::string(1'000'000, 'x'));
    EXPECT_FALSE(checkFitsEditor(fits, "passt.txt"));

    // Pasting: what the editor holds and the pasted text together.
    EXPECT_FALSE(checkPasteFitsEditor({25'000, 10}, {25'001, 10}));
    EXPECT_EQ(
        checkPasteFitsEditor({25'000, 10}, {25'002, 10}).value_or(Failure{"fits"}).message,
        "Mit dem eingefügten Text hätte der Editor bis zu 50.001 Zeilen. Der Editor kann höchstens 50.000 "
        "Zeilen anzeigen, ohne lange zu hängen; der Text wurde nicht eingefügt.");
    EXPECT_EQ(extentOf(u"ab\r\n\U0001F600x\nc").longestLine, 2u);
    EXPECT_EQ(extentOf(u"ab\r\n\U0001F600x\nc").lines, 3u);
}

// Every text the editor can hold (lines separated by CR LF, any other character, NUL included) comes
// back the same from a saved file, in each way of saving.
TEST(HostileInput, WhatIsSavedOpensAgainAsTheSameText) {
    using namespace std::literals;  // "..."sv keeps a NUL inside
    // clang-format off
    const std::u32string_view pieces[] = {
        U"\r\n"sv, U"\0"sv, U"\x01"sv, U"\x1A"sv, U"\t"sv, U"\uFEFF"sv, U"{\\rtf1 "sv, U"PK\x03\x04"sv,
        U"\u00D0\u00CF\x11\u00E0"sv, U"\u00FF\u00FE"sv, U"\u00C3\u00A4"sv, U"ä€"sv, U"Zeile"sv, U"\u00A0"sv,
        U"\U0001F600"sv, U"漢字"sv, U"Ж"sv, U"\x7F"sv, U"\u0081"sv};
    // clang-format on
    std::mt19937 random(13);
    for (int round = 0; round < 400; ++round) {
        std::u32string text;
        const int length = static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i) text += pieces[random() % std::size(pieces)];
        const std::string utf8 = unicode::utf32ToUtf8(text);
        std::string expected;  // as read: CR LF becomes LF
        for (const char c : utf8)
            if (c != '\r') expected += c;
        for (const unsigned codePage : {0u, 1252u, 1251u}) {
            const std::string saved = encodeForSave(utf8, SaveEncoding{codePage});
            const ReadResult read = readDocument(bytesOf(saved), "runde.txt", codePage);
            const auto* document = std::get_if<Document>(&read);
            ASSERT_TRUE(document) << std::get<Failure>(read).message;
            EXPECT_EQ(document->plainText(), expected) << "code page " << codePage << ", round " << round;
        }
    }
}

}  // namespace
}  // namespace quill::document::testing
