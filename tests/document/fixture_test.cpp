// Files written by real word processors: the extracted text equals the text they were made from.
#include <gtest/gtest.h>

#include <map>

#include "document_test_util.h"

namespace quill::document::testing {
namespace {

const std::filesystem::path kFixtures = QUILL_DOCUMENT_FIXTURES;

// Every writer's file of a source text gives the text expected from it, in the format of its kind.
TEST(WriterFixtures, TextEqualsItsSource) {
    const std::map<std::string, Format> formats = {{"txt", Format::PlainText},
                                                   {"doc", Format::WordBinary},
                                                   {"rtf", Format::Rtf},
                                                   {"docx", Format::WordXml},
                                                   {"odt", Format::OpenDocument}};
    const std::vector<const char*> all = {"doc", "rtf", "docx", "odt"};
    const struct {
        const char* source;
        const char* expected;
        std::vector<const char*> extensions;
    } sets[] = {
        // German, Polish, French, Greek, Cyrillic and CJK text, a character outside the BMP, typographic
        // quotes, a tab and single and double empty lines. No writer ends a document with an empty
        // paragraph; paragraphs are joined by '\n' with none after the last.
        {"unicode", "unicode_source.txt", {"txt", "doc", "rtf", "docx", "odt"}},
        // Page number and hyperlink are fields in the .doc; their results are shown. The writer stores
        // the page number field of an .odt without layout as "0".
        {"formatted", "formatted_expected.txt", {"doc", "rtf", "docx"}},
        {"formatted", "formatted_expected_odt.txt", {"odt"}},
        // A table: cells end with a tab, the end of a row ends the line.
        {"table", "table_expected.txt", all},
        // A page break before the second paragraph adds no empty line.
        {"pagebreak", "pagebreak_expected.txt", {"doc", "rtf", "docx"}},
        {"pandoc", "pandoc_expected.txt", {"docx", "odt", "rtf"}},
        // Tracked changes: inserted text is shown, deleted text (with its tab and line break) is not;
        // neither is hidden text.
        {"tracked", "tracked_expected.txt", all},
        // Footnotes and endnotes (text and mark), comments, headers and footers are left out; a fixed
        // date field, a hyperlink and a bookmark show their text.
        {"notes", "notes_expected.txt", all},
        // Headings with outline numbering, bulleted and numbered lists: bullets and numbers are paragraph
        // formatting, not text, in every format.
        {"lists", "lists_expected.txt", all},
        // Soft line break, tabs, no-break space and hyphen, dashes, quotes, emoji with joiners,
        // right-to-left Hebrew and Arabic, Greek, Cyrillic, Polish, Czech, Turkish, Vietnamese, Chinese,
        // Japanese, Korean. A soft hyphen shows nothing in any format.
        {"scripts", "scripts_expected.txt", all},
        // A table of contents shows its entries; a table nested in a cell gives its rows as lines inside
        // the cell; a section with two columns, and the section breaks around it (empty paragraphs of
        // their own in the .docx), add no lines.
        {"nested", "nested_expected.txt", all},
        // pandoc ends every table cell with \par before \cell in RTF: no empty line in the cell. The table
        // is the document's last block, so its row end ends the text.
        {"pandoc_table", "pandoc_table_expected.txt", {"docx", "odt", "rtf"}},
    };
    for (const auto& set : sets) {
        for (const char* extension : set.extensions) {
            const std::string file = std::string(set.source) + "_source." + extension;
            SCOPED_TRACE(file);
            const ReadResult result = readDocumentFile(kFixtures / file);
            ASSERT_TRUE(std::holds_alternative<Document>(result)) << std::get<Failure>(result).message;
            EXPECT_EQ(std::get<Document>(result).format, formats.at(extension));
            EXPECT_EQ(std::get<Document>(result).plainText(), readText(kFixtures / set.expected));
        }
    }
}

// The format of the run that holds `text`.
TextFormat formatOf(const Document& document, std::string_view text) {
    for (const TextRun& run : document.runs) {
        if (run.text.find(text) != std::string::npos) return run.format;
    }
    ADD_FAILURE() << "no run holds " << text;
    return {};
}

// Each word's run has the format the word names, in every writer's file. (How the RTF reader scopes
// formats is tested by hand in rtf_test.cpp.)
TEST(WriterFormatting, CharacterFormattingIsKept) {
    for (const char* file : {"formatted_source.rtf", "formatted_source.docx", "formatted_source.odt",
                             "pandoc_source.docx", "pandoc_source.odt", "pandoc_source.rtf"}) {
        const Document document = std::get<Document>(readDocumentFile(kFixtures / file));
        const auto f = [&](std::string_view word) { return formatOf(document, word); };
        EXPECT_TRUE(f("fett").bold && f("kursiv").italic && !f("kursiv").bold) << file;
        if (std::string_view(file).starts_with("pandoc")) {
            EXPECT_FALSE(f("Letzter").bold) << file;
            continue;
        }
        EXPECT_TRUE(f("unterstrichen").underline && f("durchgestrichen").strikeOut && !f("Normal").bold)
            << file;
        EXPECT_EQ(f("rot").color, 0xFF0000u) << file;
        EXPECT_EQ(f("groß").pointSize, 20.0) << file;
        EXPECT_EQ(f("Serifenschrift").fontFamily, "Liberation Serif") << file;
    }
}

// A compound file cut after its header and a ZIP archive cut before its directory are refused as such
// (that no cut crashes is the fuzzers' job: their seeds are these files).
TEST(WriterFixtureDamage, TruncatedFilesAreRefused) {
    const std::string doc = readText(kFixtures / "unicode_source.doc"),
                      docx = readText(kFixtures / "unicode_source.docx");
    expectRows({{doc.substr(0, 1024), "beschädigt oder unvollständig", true},
                {docx.substr(0, docx.size() / 2), "beschädigt oder unvollständig", true}});
}

}  // namespace
}  // namespace quill::document::testing
