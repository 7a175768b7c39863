// Plain text encodings, and what readDocumentFile refuses before reading.
#include <gtest/gtest.h>

#include "document_test_util.h"

namespace quill::document::testing {
namespace {

// The failure message for a file, or "" (and a test failure) when it was read.
std::string fileFailureOf(const std::filesystem::path& path) {
    const ReadResult result = readDocumentFile(path);
    if (const auto* failure = std::get_if<Failure>(&result)) return failure->message;
    ADD_FAILURE() << "read although it should be refused: " << path;
    return "";
}

TEST(PlainText, EncodingComesFromTheMarkOrTheBytes) {
    EXPECT_EQ(textOf("\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
                     "e"),
              "Grüße");
    EXPECT_EQ(textOf(std::string("\xFF\xFEG\0r\0\xFC\0\x3D\xD8\x00\xDE", 12)), "Grü😀");
    EXPECT_EQ(textOf(std::string("\xFE\xFF\0G\0r\0\xFC\xD8\x3D\xDE\x00", 12)), "Grü😀");
    EXPECT_EQ(textOf(std::string("\xFE\xFF\0a\0\r\0\n\0b\0", 11)),
              "a\nb\uFFFD");  // odd trailing byte is marked
    EXPECT_EQ(textOf("Gr\xC3\xBC\xC3\x9F"
                     "e \xE2\x82\xAC"),
              "Grüße €");  // valid UTF-8
    EXPECT_EQ(textOf("Gr\xFC\xDF"
                     "e \x80 \x84\x93"),
              "Grüße € „“");                             // otherwise Windows-1252
    EXPECT_EQ(textOf("\xC3\xBC und \xFC"), "Ã¼ und ü");  // one bad byte makes it all 1252
    EXPECT_EQ(textOf(""), "");
}

TEST(PlainText, TextWithoutMarkReadsInTheSystemsCodePage) {
    // On a Russian or Greek Windows the program saves in that ANSI code page; such a file (or one from
    // Notepad there) reads back the same when the system's code page is given.
    const auto russian = bytesOf("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!");
    const auto read = [](const std::vector<std::uint8_t>& bytes, unsigned codePage) {
        const ReadResult result = readDocument(bytes, "probe", codePage);
        return std::holds_alternative<Document>(result) ? std::get<Document>(result).plainText() : "";
    };
    EXPECT_EQ(read(russian, 1251), "Привет, мир!");
    EXPECT_EQ(read(bytesOf("\xE1\xE2\xE3"), 1253), "αβγ");
    EXPECT_EQ(read(russian, 0), "Ïðèâåò, ìèð!");     // Linux, where the program saves UTF-8: Windows-1252
    EXPECT_EQ(read(russian, 1361), "Ïðèâåò, ìèð!");  // a code page this program has no table for
    // Double-byte system code pages: Chinese (GBK, with its single-byte euro sign) and Japanese.
    EXPECT_EQ(read(bytesOf("\xC4\xE3\xBA\xC3 \x80"), 936), "你好 €");
    EXPECT_EQ(read(bytesOf("\x83\x65\x83\x4C\x83\x58\x83\x67\r\n\xB6\xC0\x82"), 932), "テキスト\nｶﾀ\uFFFD");
    // Marked and valid UTF-8 text does not depend on it; neither does RTF.
    EXPECT_EQ(read(bytesOf("Gr\xC3\xBC\xC3\x9F"
                           "e"),
                   1251),
              "Grüße");
    EXPECT_EQ(read(bytesOf("{\\rtf1\\ansi \\'e4}"), 1251), "ä");
    TempFolder folder;
    std::ofstream(folder / "ru.txt", std::ios::binary)
        .write(reinterpret_cast<const char*>(russian.data()), static_cast<std::streamsize>(russian.size()));
    const ReadResult file = readDocumentFile(folder / "ru.txt", 1251);
    ASSERT_TRUE(std::holds_alternative<Document>(file));
    EXPECT_EQ(std::get<Document>(file).plainText(), "Привет, мир!");
}

TEST(PlainText, LineBreaksOfEveryKindBecomeParagraphs) {
    EXPECT_EQ(textOf("a\r\nb\rc\nd\r\n"), "a\nb\nc\nd\n");
}

TEST(PlainText, BinaryFilesAreNotShownAsText) {
    EXPECT_NE(
        failureOf(bytesOf(std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)), "bild.png")
            .find("\"bild.png\" kann nicht geöffnet werden: Sie ist weder eine Textdatei noch ein RTF-"),
        std::string::npos);
}

TEST(DocumentFiles, MissingFoldersAndOversizedFilesAreRefusedWithTheirName) {
    TempFolder folder;
    EXPECT_EQ(fileFailureOf(folder / "fehlt.txt"),
              "Die Datei \"fehlt.txt\" wurde nicht gefunden. Bitte prüfen Sie Namen und Ordner.");

    std::filesystem::create_directory(folder / "ordner.rtf");
    EXPECT_NE(fileFailureOf(folder / "ordner.rtf").find("\"ordner.rtf\" ist ein Ordner"), std::string::npos);

    // A sparse file just above the limit: refused from its size, before a byte is read.
    const auto big = folder / std::filesystem::path(u8"groß.txt");
    { std::ofstream(big, std::ios::binary).put('x'); }
    std::filesystem::resize_file(big, kMaxDocumentBytes + 1);
    EXPECT_EQ(fileFailureOf(big),
              "Die Datei \"groß.txt\" ist zu groß (67.108.865 Bytes). Es können höchstens 64 MiB "
              "(67.108.864 Bytes) geöffnet werden.");
    // Exactly at the limit is still read.
    std::filesystem::resize_file(big, kMaxDocumentBytes);
    const auto atLimit = readDocumentFile(big);
    if (const auto* failure = std::get_if<Failure>(&atLimit)) {
        EXPECT_EQ(failure->message.find("zu groß"), std::string::npos) << failure->message;
    }
}

TEST(DocumentFiles, UnicodeFileNamesAreOpenedAndNamedIntact) {
    TempFolder folder;
    const std::filesystem::path name = std::filesystem::path(u8"Grüße_Ελλάδα_日本.txt");
    { std::ofstream(folder / name, std::ios::binary) << "Inhalt"; }
    const auto read = readDocumentFile(folder / name);
    ASSERT_TRUE(std::holds_alternative<Document>(read));
    EXPECT_EQ(std::get<Document>(read).plainText(), "Inhalt");
    EXPECT_NE(fileFailureOf(folder / std::filesystem::path(u8"Ärger_中.rtf")).find("\"Ärger_中.rtf\""),
              std::string::npos);
}

}  // namespace
}  // namespace quill::document::testing
