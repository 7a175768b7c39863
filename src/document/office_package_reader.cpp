// Word 2007+ (.docx) and OpenDocument text (.odt): paragraph text with simple character formatting.
#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "core/unicode.h"
#include "document/readers.h"
#include "document/xml_reader.h"
#include "document/zip_archive.h"

namespace quill::document {
namespace {

// No XML part is unpacked beyond this, and no document grows beyond it.
constexpr std::size_t kMaxPartBytes = 256u * 1024u * 1024u;

constexpr std::string_view kWordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kWordStrictNamespace = "http://purl.oclc.org/ooxml/wordprocessingml/main";
constexpr std::string_view kCompatibilityNamespace =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view kOfficeNamespace = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTextNamespace = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kStyleNamespace = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view kFoNamespace = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr std::string_view kTableNamespace = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view kDrawNamespace = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";

// Collects paragraphs: '\n' between paragraphs, none after the last. Table cells end with '\t'; the end
// of a row ends the line instead.
class ParagraphText {
  public:
    void beginParagraph() {
        breakBeforeParagraph_ = needsBreak_;
        if (needsBreak_) put("\n", TextFormat{});
        needsBreak_ = false;
        pendingPageBreak_ = false;
        paragraphStart_ = size_;
    }
    // An empty paragraph that only carries a section break (as LibreOffice writes them into a .docx) is
    // no line of its own: it is taken back, like a section break in the other formats.
    void dropParagraphIfEmpty() {
        if (size_ != paragraphStart_) {
            endParagraph();
            return;
        }
        if (breakBeforeParagraph_) {
            std::string& last = document_.runs.back().text;
            last.pop_back();
            if (last.empty()) document_.runs.pop_back();
            --size_;
        }
        needsBreak_ = breakBeforeParagraph_;
        pendingPageBreak_ = false;
    }
    void endParagraph() {
        needsBreak_ = true;
        pendingPageBreak_ = false;
    }
    // The paragraph ends without a mark of its own: the next paragraph goes on in the same line.
    void joinParagraph() { pendingPageBreak_ = false; }
    void endCell() {
        put("\t", TextFormat{});
        needsBreak_ = false;
        pendingPageBreak_ = false;
    }
    void endRow() {
        if (!document_.runs.empty() && document_.runs.back().text.ends_with('\t')) {
            std::string& last = document_.runs.back().text;
            last.pop_back();
            if (last.empty()) document_.runs.pop_back();
        }
        put("\n", TextFormat{});
        needsBreak_ = false;
        pendingPageBreak_ = false;
    }
    // A page or column break between text of one paragraph starts a new line; at the start or the end
    // of a paragraph it adds none of its own.
    void pageBreak() { pendingPageBreak_ = true; }

    void append(std::string_view text, const TextFormat& format) {
        if (text.empty()) return;
        if (pendingPageBreak_ && !atLineStart()) put("\n", format);
        pendingPageBreak_ = false;
        put(text, format);
    }
    Document take(Format format) {
        document_.format = format;
        return std::move(document_);
    }

  private:
    bool atLineStart() const {
        return needsBreak_ || document_.runs.empty() || document_.runs.back().text.back() == '\n';
    }
    void put(std::string_view text, const TextFormat& format) {
        size_ += text.size();
        if (size_ > kMaxPartBytes) throw ReadError(ReadError::Kind::Broken, "der Text ist unzulässig lang");
        document_.append(text, format);
    }

    Document document_;
    bool needsBreak_ = false;
    bool pendingPageBreak_ = false;
    bool breakBeforeParagraph_ = false;  // the current paragraph began with a line break
    std::size_t size_ = 0;
    std::size_t paragraphStart_ = 0;  // size_ after the current paragraph's line break
};

std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseHexColor(std::string_view text) {
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The text without soft hyphens (U+00AD): a writer shows one only where it breaks a line, so it is not
// part of the text that is typed.
std::string withoutSoftHyphens(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xAD') {
            ++i;
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

// ---- Word 2007+ ----

bool isWord(const XmlReader& xml) {
    return xml.namespaceUri() == kWordNamespace || xml.namespaceUri() == kWordStrictNamespace;
}

// <w:b/>, <w:b w:val="true"/> and <w:b w:val="0"/>: toggles whose absent value means on.
bool toggleValue(const XmlReader& xml) {
    const std::string* value = xml.attribute(xml.namespaceUri(), "val");
    return !value || !(*value == "0" || *value == "false" || *value == "off");
}

void readRunProperty(const XmlReader& xml, TextFormat& format, bool& hidden) {
    const std::string& name = xml.localName();
    const std::string* value = xml.attribute(xml.namespaceUri(), "val");
    if (name == "b") {
        format.bold = toggleValue(xml);
    } else if (name == "i") {
        format.italic = toggleValue(xml);
    } else if (name == "strike" || name == "dstrike") {
        format.strikeOut = toggleValue(xml);
    } else if (name == "u") {
        format.underline = !value || *value != "none";
    } else if (name == "vanish") {
        hidden = toggleValue(xml);
    } else if (name == "sz" && value) {
        if (const auto halfPoints = parseNumber(*value);
            halfPoints && *halfPoints > 0 && *halfPoints < 3277) {
            format.pointSize = *halfPoints / 2.0;
        }
    } else if (name == "color" && value) {
        format.color = parseHexColor(*value);
    } else if (name == "rFonts") {
        const std::string* font = xml.attribute(xml.namespaceUri(), "ascii");
        if (!font) font = xml.attribute(xml.namespaceUri(), "hAnsi");
        if (font) format.fontFamily = *font;
    }
}

Document readWordXml(std::string_view documentXml) {
    XmlReader xml(documentXml);
    ParagraphText text;
    TextFormat runFormat;
    bool hidden = false;
    bool inRun = false, inRunProperties = false, inText = false;
    bool inParagraphProperties = false, inMarkProperties = false;
    // A paragraph mark that is deleted (tracked) or hidden joins its paragraph to the next one.
    bool paragraphMarkRemoved = false;
    bool sectionBreak = false;  // the paragraph carries a section break
    bool inRowProperties = false;
    std::size_t rowDepth = 0;  // the depth of the innermost open table row
    std::size_t deletedRowDepth =
        0;                      // the depth of a table row deleted with tracked changes, which is skipped
    std::size_t skipDepth = 0;  // inside content that is not part of the main text

    for (XmlReader::Event event = xml.next(); event != XmlReader::Event::End; event = xml.next()) {
        if (skipDepth > 0) {
            if (event == XmlReader::Event::StartElement) ++skipDepth;
            if (event == XmlReader::Event::EndElement) --skipDepth;
            continue;
        }
        if (deletedRowDepth > 0) {
            if (event == XmlReader::Event::EndElement && xml.depth() < deletedRowDepth) deletedRowDepth = 0;
            continue;
        }
        if (event == XmlReader::Event::Text) {
            if (inText && !hidden) text.append(withoutSoftHyphens(xml.text()), runFormat);
            continue;
        }
        const bool start = event == XmlReader::Event::StartElement;
        const std::string& name = xml.localName();
        if (xml.namespaceUri() == kCompatibilityNamespace && name == "Fallback" && start) {
            skipDepth = 1;  // the same content again, for older programs
            continue;
        }
        if (!isWord(xml)) continue;
        if (start && inMarkProperties &&
            (name == "del" || name == "moveFrom" || (name == "vanish" && toggleValue(xml)))) {
            paragraphMarkRemoved = true;
        }
        if (name == "tr" && start) rowDepth = xml.depth();
        if (name == "trPr") inRowProperties = start;
        if (start && inRowProperties && name == "del") {
            // A table row deleted with tracked changes goes with its cells (as in the other formats).
            deletedRowDepth = rowDepth;
            inRowProperties = false;
            continue;
        }
        // Text boxes, pictures and objects, note marks, deleted and moved-away text (tracked changes) and
        // ruby annotations over the base text are not part of the text.
        if (start && (name == "txbxContent" || name == "drawing" || name == "pict" || name == "object" ||
                      name == "footnoteReference" || name == "endnoteReference" || name == "del" ||
                      name == "moveFrom" || name == "rt")) {
            skipDepth = 1;
            continue;
        }
        if (name == "p") {
            if (start) {
                text.beginParagraph();
                paragraphMarkRemoved = sectionBreak = false;
            } else if (paragraphMarkRemoved) {
                text.joinParagraph();
            } else if (sectionBreak) {
                text.dropParagraphIfEmpty();
            } else {
                text.endParagraph();
            }
        } else if (name == "sectPr" && start && inParagraphProperties) {
            sectionBreak = true;
            skipDepth = 1;
        } else if (name == "pPr") {
            inParagraphProperties = start;
        } else if (name == "rPr" && inParagraphProperties) {
            inMarkProperties = start;
        } else if (name == "tc" && !start) {
            text.endCell();
        } else if (name == "tr" && !start) {
            text.endRow();
        } else if (name == "r") {
            inRun = start;
            runFormat = TextFormat{};
            hidden = false;
        } else if (name == "rPr") {
            inRunProperties = start && inRun;
        } else if (inRunProperties) {
            if (start) readRunProperty(xml, runFormat, hidden);
        } else if (name == "t") {
            inText = start && inRun;
        } else if (start && inRun && !hidden) {
            if (name == "tab" || name == "ptab") text.append("\t", runFormat);
            if (name == "cr") text.append("\n", runFormat);
            if (name == "br") {
                const std::string* type = xml.attribute(xml.namespaceUri(), "type");
                if (!type || *type == "textWrapping") {
                    text.append("\n", runFormat);
                } else {
                    text.pageBreak();
                }
            }
            if (name == "noBreakHyphen") text.append("\u2011", runFormat);
            if (name == "sym") {
                // A character of a symbol font (Symbol, Wingdings), kept as its code as the other formats
                // keep such characters (mostly private-use U+F0xx), in that font.
                const std::string* code = xml.attribute(xml.namespaceUri(), "char");
                const std::string* font = xml.attribute(xml.namespaceUri(), "font");
                std::uint32_t value = 0;
                if (code && code->size() <= 6 &&
                    std::from_chars(code->data(), code->data() + code->size(), value, 16).ec == std::errc() &&
                    value >= 0x20 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
                    TextFormat symbolFormat = runFormat;
                    if (font) symbolFormat.fontFamily = *font;
                    std::string character;
                    core::appendUtf8(character, static_cast<char32_t>(value));
                    text.append(character, symbolFormat);
                }
            }
        }
    }
    return text.take(Format::WordXml);
}

// The main part named in the package relationships, usually word/document.xml.
std::string mainWordPart(const ZipArchive& zip) {
    const auto relations = zip.read("_rels/.rels", kMaxPartBytes);
    if (relations) {
        XmlReader xml(*relations);
        for (auto event = xml.next(); event != XmlReader::Event::End; event = xml.next()) {
            if (event != XmlReader::Event::StartElement || xml.localName() != "Relationship") continue;
            const std::string* type = xml.attribute("", "Type");
            const std::string* target = xml.attribute("", "Target");
            if (type && target && type->ends_with("/officeDocument")) {
                return target->starts_with('/') ? target->substr(1) : *target;
            }
        }
    }
    return "word/document.xml";
}

// ---- OpenDocument ----

// Character properties of a style; only what the style sets.
struct StyleProperties {
    std::optional<bool> bold, italic, underline, strikeOut;
    std::optional<double> pointSize;
    std::optional<std::uint32_t> color;
    std::optional<std::string> fontFamily;
    std::optional<bool> hidden;  // text:display="none": hidden text
    std::string parent;

    void applyTo(TextFormat& format, bool& isHidden) const {
        if (hidden) isHidden = *hidden;
        if (bold) format.bold = *bold;
        if (italic) format.italic = *italic;
        if (underline) format.underline = *underline;
        if (strikeOut) format.strikeOut = *strikeOut;
        if (pointSize) format.pointSize = *pointSize;
        if (color) format.color = *color;
        if (fontFamily) format.fontFamily = *fontFamily;
    }
};

using StyleMap = std::map<std::string, StyleProperties>;

void readTextProperties(const XmlReader& xml, StyleProperties& style) {
    if (const auto* weight = xml.attribute(kFoNamespace, "font-weight"))
        style.bold = *weight != "normal" && *weight != "400";
    if (const auto* posture = xml.attribute(kFoNamespace, "font-style")) style.italic = *posture != "normal";
    if (const auto* underline = xml.attribute(kStyleNamespace, "text-underline-style"))
        style.underline = *underline != "none";
    if (const auto* strike = xml.attribute(kStyleNamespace, "text-line-through-style"))
        style.strikeOut = *strike != "none";
    if (const auto* size = xml.attribute(kFoNamespace, "font-size"); size && size->ends_with("pt")) {
        if (const auto points = parseNumber(std::string_view(*size).substr(0, size->size() - 2));
            points && *points > 0) {
            style.pointSize = *points;
        }
    }
    if (const auto* color = xml.attribute(kFoNamespace, "color")) style.color = parseHexColor(*color);
    if (const auto* font = xml.attribute(kStyleNamespace, "font-name")) style.fontFamily = *font;
    if (const auto* display = xml.attribute(kTextNamespace, "display")) style.hidden = *display == "none";
}

// Collects the styles of one XML part (styles.xml or the automatic styles in content.xml).
void collectStyles(std::string_view partXml, StyleMap& styles) {
    XmlReader xml(partXml);
    std::string current;
    for (auto event = xml.next(); event != XmlReader::Event::End; event = xml.next()) {
        if (event != XmlReader::Event::StartElement || xml.namespaceUri() != kStyleNamespace) continue;
        if (xml.localName() == "style") {
            const std::string* name = xml.attribute(kStyleNamespace, "name");
            const std::string* family = xml.attribute(kStyleNamespace, "family");
            current = name ? (family ? *family : std::string()) + ":" + *name : std::string();
            if (!current.empty()) {
                const std::string* parent = xml.attribute(kStyleNamespace, "parent-style-name");
                styles[current].parent =
                    parent ? (family ? *family : std::string()) + ":" + *parent : std::string();
            }
        } else if (xml.localName() == "text-properties" && !current.empty()) {
            readTextProperties(xml, styles[current]);
        }
    }
}

// Text of one paragraph or span: its format, and whether a style hides it.
struct SpanFormat {
    TextFormat format;
    bool hidden = false;
};

// The format a style gives, following its parents (a bounded number of steps, so loops end).
SpanFormat resolveStyle(const StyleMap& styles, const std::string& key, SpanFormat base) {
    std::vector<const StyleProperties*> chain;
    std::string current = key;
    for (int step = 0; step < 16 && !current.empty(); ++step) {
        const auto found = styles.find(current);
        if (found == styles.end()) break;
        chain.push_back(&found->second);
        current = found->second.parent;
    }
    for (auto style = chain.rbegin(); style != chain.rend(); ++style)
        (*style)->applyTo(base.format, base.hidden);
    return base;
}

Document readOpenDocumentXml(std::string_view contentXml, StyleMap styles) {
    collectStyles(contentXml, styles);
    XmlReader xml(contentXml);
    ParagraphText text;
    std::vector<SpanFormat> formats{SpanFormat{}};  // one per open paragraph or span
    std::size_t paragraphDepth = 0;
    bool lastWasSpace = true;  // white space is collapsed, and dropped at the start of a paragraph
    bool inBody = false;
    std::size_t skipDepth = 0;

    const auto styleFormat = [&](const std::string& family) {
        const std::string* name = xml.attribute(kTextNamespace, "style-name");
        return name ? resolveStyle(styles, family + ":" + *name, formats.back()) : formats.back();
    };

    for (auto event = xml.next(); event != XmlReader::Event::End; event = xml.next()) {
        if (skipDepth > 0) {
            if (event == XmlReader::Event::StartElement) ++skipDepth;
            if (event == XmlReader::Event::EndElement) --skipDepth;
            continue;
        }
        if (event == XmlReader::Event::Text) {
            if (!inBody || paragraphDepth == 0 || formats.back().hidden) continue;
            std::string collapsed;
            for (const char c : withoutSoftHyphens(xml.text())) {
                if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                    if (!lastWasSpace) collapsed.push_back(' ');
                    lastWasSpace = true;
                } else {
                    collapsed.push_back(c);
                    lastWasSpace = false;
                }
            }
            text.append(collapsed, formats.back().format);
            continue;
        }
        const bool start = event == XmlReader::Event::StartElement;
        const std::string& uri = xml.namespaceUri();
        const std::string& name = xml.localName();
        if (uri == kOfficeNamespace && name == "text") {
            inBody = start;
            continue;
        }
        if (!inBody) continue;
        // Frames and pictures, comments, notes with their citation (the other formats show no note mark
        // either), deleted text, ruby annotations over the base text and the list label a writer may store
        // with a list item or heading (<text:number>, a copy of its numbering) are not part of the text.
        if (start &&
            (uri == kDrawNamespace || (uri == kOfficeNamespace && name == "annotation") ||
             (uri == kTextNamespace && (name == "note" || name == "note-body" || name == "tracked-changes" ||
                                        name == "sequence-decls" || name == "variable-decls" ||
                                        name == "ruby-text" || name == "number")))) {
            skipDepth = 1;
            continue;
        }
        if (uri == kTableNamespace && !start && paragraphDepth == 0) {
            if (name == "table-cell") text.endCell();
            if (name == "table-row") text.endRow();
            continue;
        }
        if (uri != kTextNamespace) continue;
        if (name == "p" || name == "h") {
            if (start) {
                if (paragraphDepth == 0) text.beginParagraph();
                ++paragraphDepth;
                formats.push_back(styleFormat("paragraph"));
                lastWasSpace = true;
            } else if (paragraphDepth > 0) {
                --paragraphDepth;
                formats.pop_back();
                if (paragraphDepth == 0) text.endParagraph();
            }
        } else if (name == "span") {
            if (start) {
                formats.push_back(styleFormat("text"));
            } else if (formats.size() > 1) {
                formats.pop_back();
            }
        } else if (start && paragraphDepth > 0 && !formats.back().hidden) {
            const TextFormat& format = formats.back().format;
            if (name == "s") {
                long count = 1;
                if (const std::string* c = xml.attribute(kTextNamespace, "c")) {
                    if (const auto value = parseNumber(*c); value && *value >= 1)
                        count = static_cast<long>(std::min(*value, 10000.0));
                }
                text.append(std::string(static_cast<std::size_t>(count), ' '), format);
                lastWasSpace = true;
            } else if (name == "tab") {
                text.append("\t", format);
                lastWasSpace = true;
            } else if (name == "line-break") {
                text.append("\n", format);
                lastWasSpace = true;
            }
        }
    }
    return text.take(Format::OpenDocument);
}

}  // namespace

Document readWordXmlPart(std::string_view documentXml) {
    return readWordXml(documentXml);
}

Document readOpenDocumentParts(std::string_view contentXml, std::string_view stylesXml) {
    StyleMap styles;
    if (!stylesXml.empty()) collectStyles(stylesXml, styles);
    return readOpenDocumentXml(contentXml, std::move(styles));
}

Document readOfficePackage(Bytes bytes) {
    const ZipArchive zip(bytes);
    if (const auto mimetype = zip.read("mimetype", 1024)) {
        if (mimetype->starts_with("application/vnd.oasis.opendocument.text")) {
            // A password-protected package lists how each part is encrypted in its manifest.
            const auto manifest = zip.read("META-INF/manifest.xml", kMaxPartBytes);
            if (manifest && manifest->find("encryption-data") != std::string::npos) {
                throw ReadError(ReadError::Kind::Encrypted, "verschlüsselt");
            }
            const auto content = zip.read("content.xml", kMaxPartBytes);
            if (!content) throw ReadError(ReadError::Kind::Broken, "der Inhalt (content.xml) fehlt");
            const auto styles = zip.read("styles.xml", kMaxPartBytes);
            return readOpenDocumentParts(*content, styles ? std::string_view(*styles) : std::string_view());
        }
        throw ReadError(
            ReadError::Kind::Unsupported,
            "Sie ist ein OpenDocument-Dokument, aber kein Textdokument (sondern zum Beispiel eine Tabelle)");
    }
    const std::string mainPart = mainWordPart(zip);
    if (const auto content = zip.read(mainPart, kMaxPartBytes)) return readWordXml(*content);
    throw ReadError(ReadError::Kind::Unsupported,
                    "Sie ist ein ZIP-Archiv, aber weder ein Word- noch ein OpenDocument-Textdokument");
}

}  // namespace quill::document
