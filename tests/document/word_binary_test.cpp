// Word 97-2003 documents built piece by piece, and damaged compound files.
#include <gtest/gtest.h>

#include "document_test_util.h"
#include "word_binary_builder.h"

namespace quill::document::testing {
namespace {

// The bytes with a little-endian 32-bit value written at `offset`.
std::string patched(std::string bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

TEST(WordBinary, PiecesGiveTheirTextAndDamageItsMessage) {
    constexpr std::size_t kWordStream = 512;  // the builder puts the WordDocument stream in sector 0
    const std::string good = buildWordDocument({{u"Text\r", true}});
    const std::size_t fatSector = static_cast<std::uint8_t>(good[0x4C]);
    const std::size_t directory = static_cast<std::uint8_t>(good[0x30]) + 1;
    expectRows({
        // 8-bit pieces are Windows-1252 (0x80-0x9F included), the others UTF-16; they join in order.
        {buildWordDocument({{u"Grüße für 5 € – „“ ”\r", true}}), "Grüße für 5 € – „“ ”"},
        {buildWordDocument({{u"Anfang ", true}, {u"Ελληνικά 中文 𝄞 ", false}, {u"Ende\r", true}}),
         "Anfang Ελληνικά 中文 𝄞 Ende"},
        // Special characters become what they show; only the very last paragraph mark is dropped, and a
        // page break beside a paragraph end adds no line.
        {buildWordDocument({{u"eins\rzwei\u000Bdrei\u000Cvier\r", false}}), "eins\nzwei\ndrei\nvier"},
        {buildWordDocument({{u"a\tb\u001Ec\u001Fd\u0001\u0008e\r", true}}), "a\tb\u2011cde"},
        {buildWordDocument({{u"Zelle\u0007Zelle\u0007\u0007\r", false}}), "Zelle\tZelle\t\t"},
        {buildWordDocument({{u"a\u000C\rb\r\u000Cc\r", true}}), "a\nb\nc"},
        {buildWordDocument({{u"a\r\r", true}}), "a\n"},
        // Only a field's result is shown, also nested; unbalanced marks hide nothing.
        {buildWordDocument({{u"Seite \u0013 PAGE \u00143\u0015 von\r", true}}), "Seite 3 von"},
        {buildWordDocument({{u"a\u0013 TOC \u0015b\r", true}}), "ab"},
        {buildWordDocument(
             {{u"<\u0013 IF \u0013 PAGE \u00141\u0015 = 1 \u0014ja \u0013 DATE \u0014heute\u0015\u0015>\r",
               false}}),
         "<ja heute>"},
        {buildWordDocument({{u"a\u0015b\u0014c\r", true}}), "abc"},
        // Encrypted, older than Word 97, an encrypted Word 2007+ package, or no Word document at all.
        {patched(good, kWordStream + 0x0A, 0x0300),
         "Die Datei \"probe\" ist mit einem Kennwort geschützt (verschlüsselt) und kann nicht geöffnet "
         "werden.",
         true},
        {patched(good, kWordStream + 0x02, 0x0068), "vor Word 97", true},
        {buildCompoundFile({{u"EncryptionInfo", {1, 2}}, {u"EncryptedPackage", {3}}}), "Kennwort", true},
        {buildCompoundFile({{u"Workbook", {1, 2}}}), "kein Word-Dokument", true},
        // A text length beyond the pieces is tolerated; pointers beyond the stream are not, nor broken
        // allocation tables, a chain looping onto itself or a stream longer than its chain.
        {patched(good, kWordStream + 0x4C, 1000), "Text"},
        {patched(good, kWordStream + 0x4C, 0x90000000), "Textlänge", true},
        {patched(good, kWordStream + 0x1A2, 0x7FFFFFFF), "beschädigt", true},
        {patched(good, kWordStream + 0x1A6, 0xFFFFFFF0), "beschädigt", true},
        {patched(good, 0x2C, 0xFFFFFFFF), "beschädigt", true},
        {patched(good, 0x30, 0x00FFFFFF), "beschädigt", true},
        {patched(good, (fatSector + 1) * 512, 0), "Schleife", true},
        {patched(good, directory * 512 + 128 + 0x78, 0x1400), "abgeschnitten", true},
    });
}

TEST(WordBinary, ManyTableSectorsAreFoundThroughTheDifatChain) {
    // 8 MB of 8-bit text need more than 109 allocation table sectors.
    std::u16string text;
    while (text.size() < 8'000'000) text += u"Eine Zeile Text, die sich wiederholt.\r";
    const std::string bytes = buildWordDocument({{text, true}});
    ASSERT_NE(bytes[0x48], 0);  // DIFAT sectors
    const std::string extracted = documentOf(bytes).plainText();
    EXPECT_EQ(extracted.size(), text.size() - 1);
    EXPECT_EQ(extracted.substr(0, 39), "Eine Zeile Text, die sich wiederholt.\nE");
}

}  // namespace
}  // namespace quill::document::testing
