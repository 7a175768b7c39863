// Word 97-2003 documents built piece by piece, and damaged compound files.
#include <gtest/gtest.h>

#include "document_test_util.h"
#include "word_binary_builder.h"

namespace quill::document::testing {
namespace {

std::string wordText(const std::vector<WordPiece>& pieces) {
    return textOf(buildWordDocument(pieces));
}

TEST(WordPieces, EightBitAndUtf16PiecesJoinInOrder) {
    // 8-bit pieces use Windows-1252, including its 0x80-0x9F characters (€, “, ”, –).
    EXPECT_EQ(wordText({{u"Grüße für 5 € – „“ ”\r", true}}), "Grüße für 5 € – „“ ”");
    EXPECT_EQ(wordText({{u"Anfang ", true}, {u"Ελληνικά 中文 𝄞 ", false}, {u"Ende\r", true}}),
              "Anfang Ελληνικά 中文 𝄞 Ende");
}

TEST(WordCharacters, SpecialCharactersBecomeWhatTheyShow) {
    EXPECT_EQ(wordText({{u"eins\rzwei\u000Bdrei\u000Cvier\r", false}}), "eins\nzwei\ndrei\nvier");
    EXPECT_EQ(wordText({{u"a\tb\u001Ec\u001Fd\u0001\u0008e\r", true}}), "a\tb\u2011cde");
    EXPECT_EQ(wordText({{u"Zelle\u0007Zelle\u0007\u0007\r", false}}), "Zelle\tZelle\t\t");
    // A page break between text starts a line; beside a paragraph end it adds none.
    EXPECT_EQ(wordText({{u"a\u000C\rb\r\u000Cc\r", true}}), "a\nb\nc");
    // Only the very last paragraph mark is dropped: an empty last paragraph stays.
    EXPECT_EQ(wordText({{u"a\r\r", true}}), "a\n");
}

TEST(WordFields, OnlyTheResultOfAFieldIsShown) {
    EXPECT_EQ(wordText({{u"Seite \u0013 PAGE \u00143\u0015 von\r", true}}), "Seite 3 von");
    // A field without a result shows nothing.
    EXPECT_EQ(wordText({{u"a\u0013 TOC \u0015b\r", true}}), "ab");
    // Nested: a field inside the code of another is hidden, one inside the result is shown.
    EXPECT_EQ(
        wordText(
            {{u"<\u0013 IF \u0013 PAGE \u00141\u0015 = 1 \u0014ja \u0013 DATE \u0014heute\u0015\u0015>\r",
              false}}),
        "<ja heute>");
    // Unbalanced marks do not hide the rest of the document.
    EXPECT_EQ(wordText({{u"a\u0015b\u0014c\r", true}}), "abc");
}

TEST(WordProtection, EncryptedOrOldDocumentsGiveAClearMessage) {
    WordOptions encrypted;
    encrypted.encrypted = true;
    const std::string message = failureOf(buildWordDocument({{u"geheim\r", true}}, encrypted), "geheim.doc");
    EXPECT_EQ(message,
              "Die Datei \"geheim.doc\" ist mit einem Kennwort geschützt (verschlüsselt) und kann nicht "
              "geöffnet werden.");
    WordOptions word95;
    word95.nFib = 0x0068;
    EXPECT_NE(failureOf(buildWordDocument({{u"alt\r", true}}, word95)).find("vor Word 97"),
              std::string::npos);
    // Password-protected Word 2007+ files are compound files with an encrypted package.
    EXPECT_NE(failureOf(buildCompoundFile({{u"EncryptionInfo", {1, 2}}, {u"EncryptedPackage", {3}}}))
                  .find("Kennwort"),
              std::string::npos);
    EXPECT_NE(failureOf(buildCompoundFile({{u"Workbook", {1, 2}}})).find("kein Word-Dokument"),
              std::string::npos);
}

// Offsets into the WordDocument stream of the builder's files.
constexpr std::size_t kWordStream = 512;  // sector 0 holds the WordDocument stream

TEST(WordDamage, BrokenPointersAreRefused) {
    const auto good = buildWordDocument({{u"Text\r", true}});
    ASSERT_EQ(textOf(good), "Text");
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        auto bytes = good;
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return bytes;
    };
    // Text length beyond the pieces is tolerated; a piece beyond the stream is not.
    EXPECT_EQ(textOf(patched(kWordStream + 0x4C, 1000)), "Text");
    EXPECT_NE(failureOf(patched(kWordStream + 0x4C, 0x90000000)).find("Textlänge"), std::string::npos);
    EXPECT_NE(failureOf(patched(kWordStream + 0x1A2, 0x7FFFFFFF)).find("beschädigt"), std::string::npos);
    EXPECT_NE(failureOf(patched(kWordStream + 0x1A6, 0xFFFFFFF0)).find("beschädigt"), std::string::npos);
    // Header: table sector count, first directory sector and a table entry looping onto itself.
    EXPECT_NE(failureOf(patched(0x2C, 0xFFFFFFFF)).find("beschädigt"), std::string::npos);
    EXPECT_NE(failureOf(patched(0x30, 0x00FFFFFF)).find("beschädigt"), std::string::npos);
    const std::size_t fatSector = good[0x4C] | (good[0x4D] << 8);
    EXPECT_NE(failureOf(patched((fatSector + 1) * 512, 0)).find("Schleife"), std::string::npos);
    // The stream size in the directory beyond what its chain holds.
    const std::size_t directory = (good[0x30] | (good[0x31] << 8)) + 1;
    EXPECT_NE(failureOf(patched(directory * 512 + 128 + 0x78, 0x1400)).find("abgeschnitten"),
              std::string::npos);
}

TEST(WordLarge, ManyTableSectorsAreFoundThroughTheDifatChain) {
    // 8 MB of 8-bit text need more than 109 allocation table sectors.
    std::u16string text;
    const std::u16string line = u"Eine Zeile Text, die sich wiederholt.\r";
    while (text.size() < 8'000'000) text += line;
    const auto bytes = buildWordDocument({{text, true}});
    const std::uint32_t difatSectors = bytes[0x48] | (bytes[0x49] << 8);
    ASSERT_GT(difatSectors, 0u);
    const std::string extracted = textOf(bytes);
    EXPECT_EQ(extracted.size(), text.size() - 1);
    EXPECT_EQ(extracted.substr(0, line.size()), "Eine Zeile Text, die sich wiederholt.\n");
}

}  // namespace
}  // namespace quill::document::testing
