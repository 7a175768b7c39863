// Files written by real word processors: the extracted text equals the text they were made from.
#include <gtest/gtest.h>

#include <algorithm>

#include "document_test_util.h"

namespace quill::document::testing {
namespace {

const std::filesystem::path kFixtures = QUILL_DOCUMENT_FIXTURES;

struct Fixture {
    const char* file;
    const char* expected;
    Format format;
};

class WriterFixture : public ::testing::TestWithParam<Fixture> {};

TEST_P(WriterFixture, TextEqualsItsSource) {
    const Fixture& fixture = GetParam();
    const ReadResult result = readDocumentFile(kFixtures / fixture.file);
    ASSERT_TRUE(std::holds_alternative<Document>(result)) << std::get<Failure>(result).message;
    const Document& document = std::get<Document>(result);
    EXPECT_EQ(document.format, fixture.format);
    EXPECT_EQ(document.plainText(), readText(kFixtures / fixture.expected));
}

// The source text of these contains German, Polish, French, Greek, Cyrillic and CJK text, a character
// outside the BMP, typographic quotes, a tab and single and double empty lines. The writers end no
// document with an empty paragraph, and paragraphs are joined by '\n' with none after the last.
INSTANTIATE_TEST_SUITE_P(
    LibreOfficeAndPandoc, WriterFixture,
    ::testing::Values(Fixture{"unicode_source.txt", "unicode_source.txt", Format::PlainText},
                      Fixture{"unicode_source.doc", "unicode_source.txt", Format::WordBinary},
                      Fixture{"unicode_source.rtf", "unicode_source.txt", Format::Rtf},
                      Fixture{"unicode_source.docx", "unicode_source.txt", Format::WordXml},
                      Fixture{"unicode_source.odt", "unicode_source.txt", Format::OpenDocument},
                      // Page number and hyperlink are fields in the .doc; their results are shown.
                      Fixture{"formatted_source.doc", "formatted_expected.txt", Format::WordBinary},
                      Fixture{"formatted_source.rtf", "formatted_expected.txt", Format::Rtf},
                      Fixture{"formatted_source.docx", "formatted_expected.txt", Format::WordXml},
                      // The writer stores the page number field of an .odt without layout as "0".
                      Fixture{"formatted_source.odt", "formatted_expected_odt.txt", Format::OpenDocument},
                      // A table: cells end with a tab, the end of a row ends the line.
                      Fixture{"table_source.doc", "table_expected.txt", Format::WordBinary},
                      Fixture{"table_source.rtf", "table_expected.txt", Format::Rtf},
                      Fixture{"table_source.docx", "table_expected.txt", Format::WordXml},
                      Fixture{"table_source.odt", "table_expected.txt", Format::OpenDocument},
                      // A page break before the second paragraph adds no empty line.
                      Fixture{"pagebreak_source.doc", "pagebreak_expected.txt", Format::WordBinary},
                      Fixture{"pagebreak_source.rtf", "pagebreak_expected.txt", Format::Rtf},
                      Fixture{"pagebreak_source.docx", "pagebreak_expected.txt", Format::WordXml},
                      Fixture{"pandoc_source.docx", "pandoc_expected.txt", Format::WordXml},
                      Fixture{"pandoc_source.odt", "pandoc_expected.txt", Format::OpenDocument},
                      Fixture{"pandoc_source.rtf", "pandoc_expected.txt", Format::Rtf},
                      // Tracked changes: inserted text is shown, deleted text (with its tab and line
                      // break) is not; neither is hidden text.
                      Fixture{"tracked_source.doc", "tracked_expected.txt", Format::WordBinary},
                      Fixture{"tracked_source.rtf", "tracked_expected.txt", Format::Rtf},
                      Fixture{"tracked_source.docx", "tracked_expected.txt", Format::WordXml},
                      Fixture{"tracked_source.odt", "tracked_expected.txt", Format::OpenDocument},
                      // Footnotes and endnotes (text and mark), comments, headers and footers are left
                      // out; a fixed date field, a hyperlink and a bookmark show their text.
                      Fixture{"notes_source.doc", "notes_expected.txt", Format::WordBinary},
                      Fixture{"notes_source.rtf", "notes_expected.txt", Format::Rtf},
                      Fixture{"notes_source.docx", "notes_expected.txt", Format::WordXml},
                      Fixture{"notes_source.odt", "notes_expected.txt", Format::OpenDocument},
                      // Headings with outline numbering, bulleted and numbered lists: bullets and
                      // numbers are paragraph formatting, not text, in every format.
                      Fixture{"lists_source.doc", "lists_expected.txt", Format::WordBinary},
                      Fixture{"lists_source.rtf", "lists_expected.txt", Format::Rtf},
                      Fixture{"lists_source.docx", "lists_expected.txt", Format::WordXml},
                      Fixture{"lists_source.odt", "lists_expected.txt", Format::OpenDocument},
                      // Soft line break, tabs, no-break space and hyphen, dashes, quotes, emoji with
                      // joiners, right-to-left Hebrew and Arabic, Greek, Cyrillic, Polish, Czech, Turkish,
                      // Vietnamese, Chinese, Japanese, Korean. A soft hyphen shows nothing in any format.
                      Fixture{"scripts_source.doc", "scripts_expected.txt", Format::WordBinary},
                      Fixture{"scripts_source.rtf", "scripts_expected.txt", Format::Rtf},
                      Fixture{"scripts_source.docx", "scripts_expected.txt", Format::WordXml},
                      Fixture{"scripts_source.odt", "scripts_expected.txt", Format::OpenDocument},
                      // A table of contents shows its entries; a table nested in a cell gives its rows
                      // as lines inside the cell; a section with two columns, and the section breaks
                      // around it (empty paragraphs of their own in the .docx), add no lines.
                      Fixture{"nested_source.doc", "nested_expected.txt", Format::WordBinary},
                      Fixture{"nested_source.rtf", "nested_expected.txt", Format::Rtf},
                      Fixture{"nested_source.docx", "nested_expected.txt", Format::WordXml},
                      Fixture{"nested_source.odt", "nested_expected.txt", Format::OpenDocument},
                      // pandoc ends every table cell with \par before \cell in RTF: no empty line in
                      // the cell. The table is the document's last block, so its row end ends the text.
                      Fixture{"pandoc_table_source.docx", "pandoc_table_expected.txt", Format::WordXml},
                      Fixture{"pandoc_table_source.odt", "pandoc_table_expected.txt", Format::OpenDocument},
                      Fixture{"pandoc_table_source.rtf", "pandoc_table_expected.txt", Format::Rtf}),
    [](const auto& info) {
        std::string name = info.param.file;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// The format of the run that holds `text`.
TextFormat formatOf(const Document& document, std::string_view text) {
    for (const TextRun& run : document.runs) {
        if (run.text.find(text) != std::string::npos) return run.format;
    }
    ADD_FAILURE() << "no run holds " << text;
    return {};
}

Document read(const char* file) {
    ReadResult result = readDocumentFile(kFixtures / file);
    if (auto* failure = std::get_if<Failure>(&result)) ADD_FAILURE() << failure->message;
    return std::get_if<Document>(&result) ? std::get<Document>(result) : Document{};
}

TEST(WriterFormatting, CharacterFormattingIsKept) {
    for (const char* file : {"formatted_source.rtf", "formatted_source.docx", "formatted_source.odt"}) {
        SCOPED_TRACE(file);
        const Document document = read(file);
        EXPECT_TRUE(formatOf(document, "fett").bold);
        EXPECT_TRUE(formatOf(document, "kursiv").italic);
        EXPECT_TRUE(formatOf(document, "unterstrichen").underline);
        EXPECT_TRUE(formatOf(document, "durchgestrichen").strikeOut);
        EXPECT_EQ(formatOf(document, "rot").color, 0xFF0000u);
        EXPECT_EQ(formatOf(document, "groß").pointSize, 20.0);
        EXPECT_EQ(formatOf(document, "Serifenschrift").fontFamily, "Liberation Serif");
        EXPECT_FALSE(formatOf(document, "Normal").bold);
    }
    const Document rtf = read("formatted_source.rtf");
    EXPECT_FALSE(formatOf(rtf, "kursiv").bold);
    EXPECT_FALSE(formatOf(rtf, "Normal").color.has_value());
    EXPECT_EQ(formatOf(rtf, "Normal").pointSize, 12.0);
    EXPECT_EQ(formatOf(rtf, "Seite").fontFamily, "Liberation Mono");
    for (const char* file : {"pandoc_source.docx", "pandoc_source.odt", "pandoc_source.rtf"}) {
        SCOPED_TRACE(file);
        const Document document = read(file);
        EXPECT_TRUE(formatOf(document, "fett").bold);
        EXPECT_TRUE(formatOf(document, "kursiv").italic);
        EXPECT_FALSE(formatOf(document, "Letzter").bold);
    }
}

// Cutting a writer's file anywhere gives a message or a shorter text, never a crash or hang.
TEST(WriterFixtureDamage, TruncatedFilesAreRefusedOrReadWithoutCrash) {
    for (const char* file : {"unicode_source.doc", "unicode_source.docx", "unicode_source.odt",
                             "formatted_source.doc", "tracked_source.doc"}) {
        const auto bytes = readBytes(kFixtures / file);
        for (std::size_t length = 0; length < bytes.size(); length += 97) {
            const std::vector<std::uint8_t> cut(bytes.begin(),
                                                bytes.begin() + static_cast<std::ptrdiff_t>(length));
            const ReadResult result = readDocument(cut, file);
            if (const auto* failure = std::get_if<Failure>(&result)) {
                EXPECT_NE(failure->message.find(file), std::string::npos) << failure->message;
            }
        }
    }
    // The compound file cut after its header and the ZIP archive cut before its directory are refused.
    auto doc = readBytes(kFixtures / "unicode_source.doc");
    doc.resize(1024);
    EXPECT_NE(failureOf(doc).find("beschädigt oder unvollständig"), std::string::npos);
    auto docx = readBytes(kFixtures / "unicode_source.docx");
    docx.resize(docx.size() / 2);
    EXPECT_NE(failureOf(docx).find("beschädigt oder unvollständig"), std::string::npos);
}

}  // namespace
}  // namespace quill::document::testing
