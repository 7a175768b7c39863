// Plain text: read in the encoding its mark, its bytes or the system's code page say; saved with CR LF in
// the chosen encoding by an atomic replace that never loses the old file.
#include <gtest/gtest.h>

#include "document_test_util.h"

#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#endif

namespace quill::document::testing {
namespace {

using namespace std::literals;  // "..."s keeps a NUL inside

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

}  // namespace
}  // namespace quill::document::testing
