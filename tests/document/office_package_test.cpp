// Word 2007+ and OpenDocument packages and their XML, written by hand.
#include <gtest/gtest.h>
#include <zlib.h>

#include "document_test_util.h"

namespace quill::document::testing {
namespace {

// A ZIP archive with stored (uncompressed) members; zip64: with every size and offset in ZIP64 fields,
// as a streaming writer leaves them.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& members, bool zip64 = false) {
    std::string out, directory;
    const auto put = [](std::string& to, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) to += static_cast<char>(value >> (8 * i));
    };
    const std::uint64_t full = zip64 ? 0xFFFFFFFF : 0;
    for (const auto& [name, content] : members) {
        const std::uint64_t offset = out.size(), size = content.size(),
                            crc = crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                        static_cast<uInt>(size));
        // Local header: version, flags, method, time and date, checksum, sizes, name and extra field lengths.
        put(out, 0x04034b50, 4), put(out, 20, 2), put(out, 0, 8), put(out, crc, 4), put(out, size | full, 4);
        put(out, size | full, 4), put(out, name.size(), 2), put(out, zip64 ? 20 : 0, 2);
        out += name;
        if (zip64) put(out, 1, 2), put(out, 16, 2), put(out, size, 8), put(out, size, 8);
        out += content;
        // Directory entry: the same, then comment length, disk, attributes and the local header's offset.
        put(directory, 0x02014b50, 4), put(directory, 45, 2), put(directory, 45, 2), put(directory, 0, 8);
        put(directory, crc, 4), put(directory, size | full, 4), put(directory, size | full, 4);
        put(directory, name.size(), 2), put(directory, zip64 ? 28 : 0, 2), put(directory, 0, 8);
        put(directory, 0, 2), put(directory, offset | full, 4);
        directory += name;
        if (zip64)
            put(directory, 1, 2), put(directory, 24, 2), put(directory, size, 8), put(directory, size, 8);
        if (zip64) put(directory, offset, 8);
    }
    const std::uint64_t directoryOffset = out.size(), count = members.size();
    out += directory;
    if (zip64) {
        const std::uint64_t record = out.size();
        put(out, 0x06064b50, 4), put(out, 44, 8), put(out, 45, 2), put(out, 45, 2), put(out, 0, 8);
        put(out, count, 8), put(out, count, 8), put(out, directory.size(), 8), put(out, directoryOffset, 8);
        put(out, 0x07064b50, 4), put(out, 0, 4), put(out, record, 8), put(out, 1, 4);
    }
    put(out, 0x06054b50, 4), put(out, 0, 4), put(out, zip64 ? 0xFFFF : count, 2);
    put(out, zip64 ? 0xFFFF : count, 2), put(out, directory.size() | full, 4);
    put(out, directoryOffset | full, 4), put(out, 0, 2);
    return out;
}

const std::string kW =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";
const std::string kOdf =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"";

// A .docx whose body is `body`.
std::string docx(const std::string& body) {
    return zipOf({{"word/document.xml", "<?xml version=\"1.0\"?><w:document " + kW + "><w:body>" + body +
                                            "</w:body></w:document>"}});
}

// An .odt whose text is `body`, with `styles` in its styles part.
std::string odt(const std::string& body, const std::string& styles = "") {
    return zipOf({{"mimetype", "application/vnd.oasis.opendocument.text"},
                  {"content.xml", "<office:document-content " + kOdf + "><office:body><office:text>" + body +
                                      "</office:text></office:body></office:document-content>"},
                  {"styles.xml", "<office:document-styles " + kOdf + "><office:styles>" + styles +
                                     "</office:styles></office:document-styles>"}});
}

TEST(OfficePackages, HandWrittenPackagesGiveTheirTextOrAMessage) {
    const std::string section = "<w:pPr><w:sectPr><w:type w:val=\"continuous\"/></w:sectPr></w:pPr>";
    std::string nested;
    for (int i = 0; i < 10000; ++i) nested += "<w:x>";
    for (int i = 0; i < 10000; ++i) nested += "</w:x>";
    std::string badChecksum = zipOf({{"word/document.xml", "<w:document " + kW + "/>"}});
    badChecksum[50] ^= 0xFF;  // inside the member
    expectRows({
        // Entities and character references; tab stops and fallback content are no text. (Fields, tabs,
        // breaks and hyphens are in the writers' fixtures.)
        {docx("<w:p><w:r><w:t>A &amp; B &lt;C&gt; &#228;&#x20AC;</w:t></w:r></w:p><w:p/><w:p>"
              "<w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr><mc:AlternateContent>"
              "<mc:Choice Requires=\"wps\"><w:r><w:t xml:space=\"preserve\"> ! </w:t></w:r></mc:Choice>"
              "<mc:Fallback><w:r><w:t>?</w:t></w:r></mc:Fallback></mc:AlternateContent></w:p>"),
         "A & B <C> ä€\n\n ! "},
        // Tracked changes show the text as it now is: deleted and moved-away runs go with their tabs and
        // breaks, a deleted table row with its cells (a nested table too); a deleted or hidden paragraph
        // mark joins the paragraph to the next, one only formatted does not.
        {docx("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>A1</w:t></w:r></w:p></w:tc></w:tr>"
              "<w:tr><w:trPr><w:del w:id=\"3\"/></w:trPr><w:tc><w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr>"
              "</w:tbl><w:p><w:del><w:r><w:delText>weg</w:delText></w:r></w:del></w:p></w:tc></w:tr>"
              "<w:tr><w:trPr><w:ins w:id=\"4\"/></w:trPr><w:tc><w:p><w:r><w:t>A3</w:t></w:r></w:p></w:tc>"
              "</w:tr></w:tbl><w:p><w:r><w:t>danach</w:t></w:r></w:p>"),
         "A1\nA3\ndanach"},
        {docx("<w:p><w:r><w:t>Eins</w:t></w:r><w:moveFrom><w:r><w:t>alt</w:t><w:tab/></w:r></w:moveFrom>"
              "<w:moveTo><w:r><w:t xml:space=\"preserve\"> neu</w:t></w:r></w:moveTo></w:p>"
              "<w:p><w:pPr><w:rPr><w:del w:id=\"1\"/></w:rPr></w:pPr><w:r><w:t>ein</w:t></w:r></w:p>"
              "<w:p><w:pPr><w:rPr><w:vanish/></w:rPr></w:pPr><w:r><w:t>s </w:t></w:r></w:p>"
              "<w:p><w:pPr><w:rPr><w:b/></w:rPr></w:pPr><w:r><w:t>zwei</w:t></w:r></w:p>"
              "<w:p><w:r><w:t>drei</w:t></w:r></w:p>"),
         "Eins neu\neins zwei\ndrei"},
        // An empty paragraph that only ends a section is no line; with text it is an ordinary one.
        {docx("<w:p>" + section + "</w:p><w:p><w:r><w:t>b</w:t></w:r></w:p><w:p>" + section +
              "<w:r><w:t>a</w:t></w:r></w:p><w:p/><w:p><w:r><w:t>c</w:t></w:r></w:p><w:p>" + section +
              "</w:p>"),
         "b\na\n\nc"},
        // An absolute position tab is a tab, a soft hyphen character shows nothing, ruby text is left out.
        {docx("<w:p><w:r><w:t>links</w:t><w:ptab w:alignment=\"right\"/><w:t>Sil\u00ADben</w:t></w:r>"
              "<w:r><w:ruby><w:rubyPr/><w:rt><w:r><w:t>かんじ</w:t></w:r></w:rt>"
              "<w:rubyBase><w:r><w:t>漢字</w:t></w:r></w:rubyBase></w:ruby></w:r></w:p>"),
         "links\tSilben漢字"},
        // OpenDocument: white space collapses, <text:s> expands (a count out of all reason is capped),
        // frames stay out, as do list and heading numbers and text of a hidden style or one inheriting it.
        {odt("<text:p>  a \n  b<text:s text:c=\"3\"/>c<text:tab/>d<text:line-break/>e</text:p>"
             "<text:h>Titel</text:h><text:p/><text:list><text:list-item><text:p>f</text:p>"
             "</text:list-item></text:list>"),
         "a b   c\td\ne\nTitel\n\nf"},
        {odt("<text:p><text:s text:c=\"99999999999\"/></text:p>"), std::string(10000, ' ')},
        {odt("<text:p>Text<draw:frame><draw:text-box><text:p>Rahmen</text:p></draw:text-box></draw:frame> "
             "weiter"
             "</text:p>"),
         "Text weiter"},
        {odt("<text:p>Sichtbar <text:span text:style-name=\"Versteckt\">weg<text:tab/>"
             "<text:span text:style-name=\"Sichtbar\">da </text:span></text:span>"
             "<text:span text:style-name=\"Kind\">auch weg</text:span>"
             "<text:ruby><text:ruby-base>漢字</text:ruby-base><text:ruby-text>かんじ</text:ruby-text></"
             "text:ruby>"
             "</text:p><text:list><text:list-item><text:number>1.</text:number><text:p>Punkt</text:p>"
             "</text:list-item></text:list><text:h><text:number>2.1</text:number>Titel</text:h>",
             "<style:style style:name=\"Versteckt\" style:family=\"text\">"
             "<style:text-properties text:display=\"none\"/></style:style>"
             "<style:style style:name=\"Kind\" style:family=\"text\" style:parent-style-name=\"Versteckt\"/>"
             "<style:style style:name=\"Sichtbar\" style:family=\"text\" "
             "style:parent-style-name=\"Versteckt\">"
             "<style:text-properties text:display=\"true\"/></style:style>"),
         "Sichtbar da 漢字\nPunkt\nTitel"},
        // Packages are recognised by content: the main part through the relationships, ZIP64 read.
        {zipOf({{"_rels/.rels",
                 "<Relationships><Relationship Id=\"r1\" Type=\"http://schemas.openxmlformats.org/"
                 "officeDocument/2006/relationships/officeDocument\" Target=\"/word/haupt.xml\"/>"
                 "</Relationships>"},
                {"word/haupt.xml",
                 "<w:document " + kW +
                     "><w:body><w:p><w:r><w:t>Haupt</w:t></w:r></w:p></w:body></w:document>"}}),
         "Haupt"},
        {zipOf(
             {{"word/document.xml",
               "<w:document " + kW + "><w:body><w:p><w:r><w:t>Groß</w:t></w:r></w:p></w:body></w:document>"}},
             true),
         "Groß"},
        {zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}}), "kein Textdokument", true},
        {zipOf({{"mimetype", "application/vnd.oasis.opendocument.text"},
                {"META-INF/manifest.xml", "<manifest:encryption-data/>"},
                {"content.xml", "binary"}}),
         "Kennwort", true},
        {zipOf({{"bild.png", "x"}}), "weder ein Word- noch ein OpenDocument", true},
        {zipOf({{"word/document.xml", "<w:document " + kW + "><w:body><w:p><w:r><w:t>Text</w:t>"}}),
         "XML-Inhalt ist fehlerhaft", true},
        {badChecksum, "Prüfsumme", true},
        {zipOf({{"word/document.xml", "<w:document " + kW + ">" + nested + "</w:document>"}}),
         "Die Datei \"probe\" kann nicht geöffnet werden: Der XML-Inhalt ist tiefer verschachtelt, als "
         "dieses Programm lesen kann (mehr als 4.096 Ebenen).",
         true},
    });
}

TEST(OfficePackages, FormattingAndSymbolFonts) {
    // Toggles switched off by value; a symbol font's character is kept with its code, in its font.
    EXPECT_EQ(
        describeRuns(docx(
            "<w:p><w:pPr><w:rPr><w:b/></w:rPr></w:pPr>"
            "<w:r><w:rPr><w:b w:val=\"0\"/><w:i w:val=\"true\"/><w:u "
            "w:val=\"none\"/></w:rPr><w:t>a</w:t></w:r>"
            "<w:r><w:rPr><w:b/><w:u w:val=\"single\"/><w:color w:val=\"auto\"/></w:rPr><w:t>b</w:t></w:r>"
            "<w:r><w:t>c</w:t><w:sym w:font=\"Wingdings\" w:char=\"F04A\"/><w:sym w:char=\"zz\"/></w:r>"
            "</w:p>")),
        (std::vector<std::string>{"a:  0 italic", "b:  0 bold underline", "c:  0", "\uF04A: Wingdings 0"}));
}

}  // namespace
}  // namespace quill::document::testing
