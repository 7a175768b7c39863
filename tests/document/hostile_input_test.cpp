// Input a careless or hostile user may hand over: files that are missing, no files, special or too large,
// long names, texts too large for the editor, and texts that must open as saved.
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
    return failure ? failure->message : "read: " + std::get<Document>(result).plainText();
}

TEST(HostileInput, FilesAreRefusedWithTheirNameBeforeAnythingWaitsOnThem) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "ordner.rtf");
    // A sparse file just above the limit: refused from its size, before a byte is read.
    const auto big = folder / std::filesystem::path(u8"groß.txt");
    { std::ofstream(big, std::ios::binary).put('x'); }
    std::filesystem::resize_file(big, kMaxDocumentBytes + 1);
#if !defined(_WIN32)
    // No writer: opening it to read would wait forever.
    ASSERT_EQ(mkfifo((folder / "rohr").c_str(), 0600), 0);
#endif
    const std::pair<std::filesystem::path, std::string> rows[] = {
        // A long name keeps its end.
        {folder / (std::string(236, 'n') + ".txt"),
         "Die Datei \"nnnnnnnnnnnnnnnnnnnnnnn…nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.txt\" wurde nicht gefunden. "
         "Bitte prüfen Sie Namen und Ordner."},
        {folder / std::filesystem::path(u8"Ärger_中.rtf"),
         "Die Datei \"Ärger_中.rtf\" wurde nicht gefunden."},
        {folder / "ordner.rtf", "\"ordner.rtf\" ist ein Ordner"},
        {big,
         "Die Datei \"groß.txt\" ist zu groß (67.108.865 Bytes). Es können höchstens 64 MiB (67.108.864 "
         "Bytes) geöffnet werden."},
#if defined(_WIN32)
        {"NUL", "ist keine gewöhnliche Datei"},
#else
        {"/dev/zero",
         "Die Datei \"zero\" ist keine gewöhnliche Datei, sondern eine Pipe, ein Socket oder ein Gerät, und "
         "kann nicht geöffnet werden."},
        {folder / "rohr", "Die Datei \"rohr\" ist keine gewöhnliche Datei"},
#endif
    };
    for (const auto& [path, message] : rows)
        EXPECT_NE(fileFailure(path).find(message), std::string::npos) << fileFailure(path);
    // Exactly at the limit is not too large; a file with a Unicode name is opened.
    std::filesystem::resize_file(big, kMaxDocumentBytes);
    EXPECT_EQ(fileFailure(big).find("zu groß"), std::string::npos);
    const auto named = folder / std::filesystem::path(u8"Grüße_Ελλάδα_日本.txt");
    { std::ofstream(named, std::ios::binary) << "Inhalt"; }
    EXPECT_EQ(fileFailure(named), "read: Inhalt");
}

TEST(HostileInput, TextsTooLargeForTheEditorAreRefusedWithTheirSizeAndTheLimit) {
    const auto message = [](const std::optional<Failure>& failure) {
        return failure ? failure->message : "fits";
    };
    Document lines, line, fits;
    lines.append(std::string(50'000, '\n'));  // 50,001 lines
    line.append(std::string(1'000'001, 'x'));
    fits.append(std::string(49'999, '\n') + std::string(1'000'000, 'x'));
    EXPECT_EQ(
        message(checkFitsEditor(lines, "chat.log")),
        "Die Datei \"chat.log\" hat 50.001 Zeilen. Der Editor kann höchstens 50.000 Zeilen anzeigen, ohne "
        "lange zu hängen; sie wurde nicht geöffnet, der bisherige Text bleibt.");
    EXPECT_EQ(
        message(checkFitsEditor(line, "eine.txt")),
        "Die Datei \"eine.txt\" hat eine Zeile mit 1.000.001 Zeichen. Der Editor kann Zeilen mit höchstens "
        "1.000.000 Zeichen anzeigen, ohne lange zu hängen; sie wurde nicht geöffnet, der bisherige Text "
        "bleibt.");
    EXPECT_EQ(message(checkFitsEditor(fits, "passt.txt")), "fits");
    // Pasting: what the editor holds and the pasted text together.
    EXPECT_EQ(message(checkPasteFitsEditor({25'000, 10}, {25'001, 10})), "fits");
    EXPECT_EQ(
        message(checkPasteFitsEditor({25'000, 10}, {25'002, 10})),
        "Mit dem eingefügten Text hätte der Editor bis zu 50.001 Zeilen. Der Editor kann höchstens 50.000 "
        "Zeilen anzeigen, ohne lange zu hängen; der Text wurde nicht eingefügt.");
    const TextExtent extent = extentOf(u"ab\r\n\U0001F600x\nc");
    EXPECT_EQ(extent.lines, 3u);
    EXPECT_EQ(extent.longestLine, 2u);
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
        std::string expected = utf8;  // as read: CR LF becomes LF
        std::erase(expected, '\r');
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
