// Plain text: read in the encoding its mark, its bytes or the system's code page say; saved with CR LF in
// the chosen encoding by an atomic replace that never loses the old file. Input a careless or hostile user
// may hand over: files that are missing, no files, special or too large, long names, and texts that must
// open as saved.
#include <gtest/gtest.h>

#include <random>

#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#endif
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "core/unicode.h"
#include "document_test_util.h"

namespace quill::document::testing {
namespace {

using namespace std::literals;  // "..."s and "..."sv keep a NUL inside

TEST(PlainText, EncodingComesFromTheMarkTheBytesOrTheSystemsCodePage) {
    expectRows({
        {"\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F\x65", "Grüße"},
        {"\xFF\xFEG\0r\0\xFC\0\x3D\xD8\x00\xDE"s, "Grü😀"},
        {"\xFE\xFF\0G\0r\0\xFC\xD8\x3D\xDE\x00"s, "Grü😀"},
        {"\xFE\xFF\0a\0\r\0\n\0b\0"s, "a\nb\uFFFD"},  // an odd trailing byte is marked
        {"Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC", "Grüße €"},
        {"Gr\xFC\xDF\x65 \x80 \x84\x93", "Grüße € „“"},  // not UTF-8: Windows-1252
        {"\xC3\xBC und \xFC", "Ã¼ und ü"},               // one bad byte makes it all 1252
        {"", ""},
        {"a\r\nb\rc\nd\r\n", "a\nb\nc\nd\n"},
        {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s,
         "\"probe\" kann nicht geöffnet werden: Sie ist weder eine Textdatei noch ein RTF-", true},
        // Without a mark, in the system's code page: a Russian Windows saves in 1251, and so does Notepad
        // there. On Linux (0) and for a code page without a table, 1252. UTF-8 and RTF do not depend on it.
        {"\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!", "Привет, мир!", false, 1251},
        {"\xCF\xF0\xE8", "Ïðè", false, 0},
        {"\xCF\xF0\xE8", "Ïðè", false, 1361},
        {"\xC4\xE3\xBA\xC3 \x80", "你好 €", false, 936},
        {"\x83\x65\x83\x4C\x83\x58\x83\x67\r\n\xB6\xC0\x82", "テキスト\nｶﾀ\uFFFD", false, 932},
        {"Gr\xC3\xBC\xC3\x9F\x65", "Grüße", false, 1251},
        {"{\\rtf1\\ansi \\'e4}", "ä", false, 1251},
    });
}

TEST(SaveEncoding, CrLfInTheChosenCodePageOrUtf8WithAMark) {
    // Every kind of line break becomes CR LF, none is added at the end. Text that does not fit the code
    // page, and any code page other than 1250-1258, gives UTF-8 with a byte-order mark.
    const struct {
        std::string text;
        unsigned codePage;
        std::string bytes;
    } rows[] = {
        {"Grüße\nzweite Zeile", 0, "Gr\xC3\xBC\xC3\x9F\x65\r\nzweite Zeile"},
        {"Grüße 5 €\nzweite „Zeile“", 1252, "Gr\xFC\xDF\x65 5 \x80\r\nzweite \x84Zeile\x93"},
        {"a\r\nb\rc\nd\u2029e\n", 1252, "a\r\nb\r\nc\r\nd\r\ne\r\n"},
        {"", 1252, ""},
        {"Grüße Ελλάδα\nx", 1252,
         "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F\x65 \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1\r\nx"},
        {"𝄞", 1252, "\xEF\xBB\xBF\xF0\x9D\x84\x9E"},
        {"xyz", 932, "\xEF\xBB\xBFxyz"},
    };
    for (const auto& row : rows) EXPECT_EQ(encodeForSave(row.text, SaveEncoding{row.codePage}), row.bytes);
}

TEST(SaveFile, WritesReplacesAndOnFailureKeepsTheOldFile) {
    TempFolder folder;
    std::ptrdiff_t files = 5;
    const auto target = folder / "buch.txt";
    ASSERT_FALSE(savePlainTextFile(target, "erste\nzweite", SaveEncoding{1252}));
    EXPECT_EQ(readText(target), "erste\r\nzweite");
    // Replaced; read back in the code page it was saved in.
    ASSERT_FALSE(savePlainTextFile(target, "Привет", SaveEncoding{1251}));
    EXPECT_EQ(readText(target), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(std::get<Document>(readDocumentFile(target, 1251)).plainText(), "Привет");
    // An .rtf name still gets plain text.
    ASSERT_FALSE(savePlainTextFile(folder / "text.rtf", "{kein rtf}", {}));
    EXPECT_EQ(readText(folder / "text.rtf"), "{kein rtf}");

    std::filesystem::create_directory(folder / "ordner.txt");
    { std::ofstream(folder / "datei.txt") << "x"; }
    // Write-protected: refused by the program itself, so also for an administrator.
    const auto locked = folder / std::filesystem::path(u8"geschützt.txt");
    { std::ofstream(locked, std::ios::binary) << "alt\r\n\xFF"; }
    std::filesystem::permissions(locked,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const std::pair<std::filesystem::path, std::string> failures[] = {
        {folder / "ordner.txt",
         "Die Datei \"ordner.txt\" konnte nicht gespeichert werden: Unter diesem Namen gibt es bereits einen "
         "Ordner."},
        {folder / "fehlt" / "buch.txt",
         "Die Datei \"buch.txt\" konnte nicht gespeichert werden: Der Ordner \""},
        {folder / "fehlt" / "buch.txt", "fehlt\" existiert nicht."},
        {folder / "datei.txt" / "neu.txt", "datei.txt\" ist eine Datei und kein Ordner."},
        {locked,
         "Die Datei \"geschützt.txt\" konnte nicht gespeichert werden: Die Datei ist schreibgeschützt. Die "
         "bisherige Datei ist unverändert."},
    };
    for (const auto& [path, message] : failures) {
        const auto failure = savePlainTextFile(path, "neu", {});
        ASSERT_TRUE(failure) << path;
        EXPECT_NE(failure->message.find(message), std::string::npos) << failure->message;
    }
    EXPECT_EQ(readText(locked), "alt\r\n\xFF");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
#if defined(__linux__)
    // A full disk, made with a file-size limit: writing the temporary file fails.
    signal(SIGXFSZ, SIG_IGN);
    rlimit before{}, limit{};
    getrlimit(RLIMIT_FSIZE, &before);
    limit = {4096, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto full = savePlainTextFile(folder / "datei.txt", std::string(1 << 20, 'x'), {});
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(
        full.value_or(Failure{"saved"}).message,
        "Die Datei \"datei.txt\" konnte nicht gespeichert werden: Beim Schreiben ist ein Fehler aufgetreten "
        "(ist der Datenträger voll?). Die bisherige Datei ist unverändert.");
    // A link is followed and kept.
    std::filesystem::create_symlink("text.rtf", folder / "verweis.txt");
    ++files;
    ASSERT_FALSE(savePlainTextFile(folder / "verweis.txt", "neu", {}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "verweis.txt"));
    EXPECT_EQ(readText(folder / "text.rtf"), "neu");
#endif
    EXPECT_EQ(readText(folder / "datei.txt"), "x");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), files);
}

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

// Every text the editor can hold (lines separated by CR LF, any other character, NUL included) comes
// back the same from a saved file, in each way of saving.
TEST(HostileInput, WhatIsSavedOpensAgainAsTheSameText) {
    // clang-format off
    const std::u32string_view pieces[] = {
        U"\r\n"sv, U"\0"sv, U"\x01"sv, U"\x1A"sv, U"\t"sv, U"\uFEFF"sv, U"{\\rtf1 "sv, U"PK\x03\x04"sv,
        U"\u00D0\u00CF\x11\u00E0"sv, U"\u00FF\u00FE"sv, U"\u00C3\u00A4"sv, U"ä€"sv, U"Zeile"sv, U"\u00A0"sv,
        U"\U0001F600"sv, U"漢字"sv, U"Ж"sv, U"\x7F"sv, U"\u0081"sv};
    // clang-format on
    std::mt19937 random(13);
    for (int round = 0; round < 400; ++round) {
        std::u32string text;
        for (int i = static_cast<int>(random() % 8); i > 0; --i) text += pieces[random() % std::size(pieces)];
        const std::string utf8 = core::utf32ToUtf8(text);
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
