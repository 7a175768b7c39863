// Rich Text Format: text with bold, italic, underline, strike-through, size, colour and font family.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/unicode.h"
#include "document/code_pages.h"
#include "document/readers.h"

namespace quill::document {
namespace {

// NestedRowProperties: {\*\nesttableprops ...\nestrow}, whose \nestrow ends a row of a nested table.
enum class Destination { Text, Skip, FontTable, ColorTable, NestedRowProperties };

struct GroupState {
    Destination destination = Destination::Text;
    TextFormat format;
    bool hidden = false;
    bool deleted = false;       // \deleted: text removed with tracked changes
    int unicodeSkip = 1;        // \ucN: how many fallback characters follow each \uN
    bool fontSelected = false;  // \fN or \plain: otherwise the default font (\deffN) applies
    unsigned codePage = 0;      // 0: the document's code page
};

struct FontEntry {
    std::string name;
    std::optional<unsigned> codePage;
};

// Shown only where a line breaks there, so never part of the typed text.
constexpr char32_t kSoftHyphen = U'\u00AD';

// Groups nested deeper than this share the state of the deepest kept group; no real document comes near.
constexpr std::size_t kMaxGroupDepth = 256;
constexpr long kMaxUnicodeSkip = 4;

enum class Word {
    Unknown,
    PageBreak,
    Binary,
    Unicode,
    UnicodeSkip,
    FontTable,
    ColorTable,
    SkippedDestination,
    Font,
    FontCharset,
    Red,
    Green,
    Blue,
    CodePage,
    CharacterSet,
    DefaultFont,
    Paragraph,
    CellEnd,
    RowEnd,
    NestedRowProperties,
    Character,
    Plain,
    Bold,
    Italic,
    Strike,
    Underline,
    NoUnderline,
    Hidden,
    Deleted,
    FontSize,
    Color
};

struct WordInfo {
    Word kind;
    char32_t character = 0;  // Word::Character: the character; Word::CharacterSet: the code page
};

// Every control word the reader acts on; all others are ignored.
const std::unordered_map<std::string_view, WordInfo> kControlWords = [] {
    std::unordered_map<std::string_view, WordInfo> words = {{"bin", {Word::Binary}},
                                                            {"u", {Word::Unicode}},
                                                            {"uc", {Word::UnicodeSkip}},
                                                            {"fonttbl", {Word::FontTable}},
                                                            {"colortbl", {Word::ColorTable}},
                                                            {"f", {Word::Font}},
                                                            {"fcharset", {Word::FontCharset}},
                                                            {"red", {Word::Red}},
                                                            {"green", {Word::Green}},
                                                            {"blue", {Word::Blue}},
                                                            {"ansicpg", {Word::CodePage}},
                                                            {"mac", {Word::CharacterSet, 10000}},
                                                            {"pc", {Word::CharacterSet, 437}},
                                                            {"pca", {Word::CharacterSet, 850}},
                                                            {"deff", {Word::DefaultFont}},
                                                            {"par", {Word::Paragraph}},
                                                            {"row", {Word::RowEnd}},
                                                            {"nestrow", {Word::RowEnd}},
                                                            {"nesttableprops", {Word::NestedRowProperties}},
                                                            {"plain", {Word::Plain}},
                                                            {"b", {Word::Bold}},
                                                            {"i", {Word::Italic}},
                                                            {"strike", {Word::Strike}},
                                                            {"striked", {Word::Strike}},
                                                            {"ulnone", {Word::NoUnderline}},
                                                            {"v", {Word::Hidden}},
                                                            {"deleted", {Word::Deleted}},
                                                            {"fs", {Word::FontSize}},
                                                            {"cf", {Word::Color}},
                                                            {"line", {Word::Character, U'\n'}},
                                                            {"page", {Word::PageBreak}},
                                                            {"sect", {Word::PageBreak}},
                                                            {"tab", {Word::Character, U'\t'}},
                                                            {"cell", {Word::CellEnd}},
                                                            {"nestcell", {Word::CellEnd}},
                                                            {"emdash", {Word::Character, U'\u2014'}},
                                                            {"endash", {Word::Character, U'\u2013'}},
                                                            {"emspace", {Word::Character, U'\u2003'}},
                                                            {"enspace", {Word::Character, U'\u2002'}},
                                                            {"qmspace", {Word::Character, U'\u2005'}},
                                                            {"bullet", {Word::Character, U'\u2022'}},
                                                            {"lquote", {Word::Character, U'\u2018'}},
                                                            {"rquote", {Word::Character, U'\u2019'}},
                                                            {"ldblquote", {Word::Character, U'\u201C'}},
                                                            {"rdblquote", {Word::Character, U'\u201D'}},
                                                            {"zwj", {Word::Character, U'\u200D'}},
                                                            {"zwnj", {Word::Character, U'\u200C'}},
                                                            {"ltrmark", {Word::Character, U'\u200E'}},
                                                            {"rtlmark", {Word::Character, U'\u200F'}}};
    // All kinds of underline.
    for (const std::string_view underline :
         {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd",
          "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"}) {
        words.emplace(underline, WordInfo{Word::Underline});
    }
    // Destinations whose content is never shown text. List labels (\listtext, \pntext) are left out as
    // in the other formats, where bullets and numbers are paragraph formatting and not text.
    for (const std::string_view skipped : {"stylesheet", "info",
                                           "pict",       "object",
                                           "header",     "headerl",
                                           "headerr",    "headerf",
                                           "footer",     "footerl",
                                           "footerr",    "footerf",
                                           "footnote",   "annotation",
                                           "atnid",      "atnauthor",
                                           "fldinst",    "xe",
                                           "tc",         "pn",
                                           "listtable",  "listoverridetable",
                                           "revtbl",     "rsidtbl",
                                           "generator",  "filetbl",
                                           "themedata",  "latentstyles",
                                           "nonshppict", "shpinst",
                                           "shp",        "mmathPr",
                                           "xmlnstbl",   "pgdsctbl",
                                           "template",   "userprops",
                                           "docvar",     "ftnsep",
                                           "ftnsepc",    "aftnsep",
                                           "aftnsepc",   "ftncn",
                                           "aftncn",     "datafield",
                                           "objdata",    "listtext",
                                           "pntext",     "nonesttables"}) {
        words.emplace(skipped, WordInfo{Word::SkippedDestination});
    }
    return words;
}();

class RtfReader {
  public:
    explicit RtfReader(Bytes bytes) : data_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

    Document read() {
        document_.format = Format::Rtf;
        stack_.push_back(GroupState{});
        while (pos_ < data_.size() && !finished_) {
            const char c = data_[pos_];
            if (c == '{') {
                ++pos_;
                openGroup();
            } else if (c == '}') {
                ++pos_;
                closeGroup();
            } else if (c == '\\') {
                ++pos_;
                controlSequence();
            } else if (c == '\r' || c == '\n') {
                ++pos_;
            } else {
                plainText();
            }
        }
        flush();
        // A paragraph mark at the very end closes the last paragraph; it does not open an empty one.
        if (endsWithParagraphMark_ && !document_.runs.empty()) {
            std::string& last = document_.runs.back().text;
            if (!last.empty() && last.back() == '\n') last.pop_back();
            if (last.empty()) document_.runs.pop_back();
        }
        return std::move(document_);
    }

  private:
    GroupState& state() { return stack_.back(); }

    void openGroup() {
        skipCount_ = 0;
        if (stack_.size() >= kMaxGroupDepth) {
            ++excessDepth_;
            return;
        }
        stack_.push_back(stack_.back());
    }

    void closeGroup() {
        skipCount_ = 0;
        if (excessDepth_ > 0) {
            --excessDepth_;
            return;
        }
        if (stack_.back().destination == Destination::FontTable) finishFontEntry();
        if (stack_.size() == 2) {
            // The document's outermost group ends: whatever follows is not part of it.
            finished_ = true;
        }
        if (stack_.size() > 1) stack_.pop_back();
    }

    // A run of ordinary characters up to the next brace, backslash or line break.
    void plainText() {
        const std::size_t start = pos_;
        while (pos_ < data_.size()) {
            const char c = data_[pos_];
            if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n') break;
            ++pos_;
        }
        std::string_view text = data_.substr(start, pos_ - start);
        while (!text.empty() && skipCount_ > 0) {
            text.remove_prefix(1);
            --skipCount_;
        }
        if (text.empty()) return;
        switch (state().destination) {
            case Destination::Text:
                emitBytes(text);
                break;
            case Destination::FontTable:
                fontTableText(text);
                break;
            case Destination::ColorTable:
                for (const char c : text) {
                    if (c == ';') finishColor();
                }
                break;
            case Destination::Skip:
            case Destination::NestedRowProperties:
                break;
        }
    }

    void controlSequence() {
        if (pos_ >= data_.size()) return;
        const char first = data_[pos_];
        if (!isLetter(first)) {
            ++pos_;
            controlSymbol(first);
            return;
        }
        const std::size_t start = pos_;
        while (pos_ < data_.size() && isLetter(data_[pos_]) && pos_ - start < 32) ++pos_;
        const std::string_view word = data_.substr(start, pos_ - start);
        std::optional<long> parameter;
        if (pos_ < data_.size() && (data_[pos_] == '-' || isDigit(data_[pos_]))) {
            const bool negative = data_[pos_] == '-';
            if (negative) ++pos_;
            // 64-bit while reading (long has 32 bits on Windows); at most ten digits count.
            long long value = 0;
            std::size_t digits = 0;
            while (pos_ < data_.size() && isDigit(data_[pos_])) {
                if (digits < 10) value = value * 10 + (data_[pos_] - '0');
                ++digits;
                ++pos_;
            }
            value = std::min(value, 2147483647LL);
            parameter = static_cast<long>(negative ? -value : value);
        }
        if (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;
        controlWord(word, parameter);
    }

    void controlSymbol(char symbol) {
        switch (symbol) {
            case '\'': {
                if (data_.size() - pos_ < 2 || hexValue(data_[pos_]) < 0 || hexValue(data_[pos_ + 1]) < 0) {
                    // An incomplete byte is dropped with the digit it has.
                    if (pos_ < data_.size() && hexValue(data_[pos_]) >= 0) ++pos_;
                    return;
                }
                const auto byte =
                    static_cast<std::uint8_t>(hexValue(data_[pos_]) * 16 + hexValue(data_[pos_ + 1]));
                pos_ += 2;
                if (consumeSkip()) return;
                const char raw = static_cast<char>(byte);
                if (state().destination == Destination::FontTable) {
                    fontTableText(std::string_view(&raw, 1));
                } else if (state().destination == Destination::Text) {
                    emitBytes(std::string_view(&raw, 1));
                }
                return;
            }
            case '*':
                // An ignorable destination: everything this program does not know of is skipped.
                state().destination = Destination::Skip;
                return;
            case '\r':
            case '\n':
                if (consumeSkip()) return;
                paragraphMark();
                return;
            case '~':
                if (!consumeSkip()) emitSpecial(U'\u00A0');
                return;
            case '_':
                if (!consumeSkip()) emitSpecial(U'\u2011');
                return;
            case '-':  // optional hyphen: invisible unless a line breaks there
                consumeSkip();
                return;
            case '\\':
            case '{':
            case '}': {
                if (consumeSkip()) return;
                const std::string_view text(&data_[pos_ - 1], 1);
                if (state().destination == Destination::Text) emitBytes(text);
                if (state().destination == Destination::FontTable) fontTableText(text);
                return;
            }
            case '\t':
                if (!consumeSkip()) emitSpecial(U'\t');
                return;
            default:
                consumeSkip();
                return;
        }
    }

    void controlWord(std::string_view word, std::optional<long> parameter) {
        const long value = parameter.value_or(1);
        GroupState& s = state();
        const auto found = kControlWords.find(word);
        const Word kind = found == kControlWords.end() ? Word::Unknown : found->second.kind;
        if (kind == Word::Binary) {
            // Binary data follows; it is skipped whole. Data that runs past the end means the file was cut
            // off.
            const std::size_t length = value > 0 ? static_cast<std::size_t>(value) : 0;
            if (length > data_.size() - pos_) {
                throw ReadError(
                    ReadError::Kind::Broken,
                    "die Datei ist abgeschnitten, eingebettete Binärdaten reichen über ihr Ende hinaus");
            }
            pos_ += length;
            consumeSkip();
            return;
        }
        if (kind == Word::Unicode) {
            // Negative values count from 65536 (\u-1 is U+FFFF); what is no character becomes U+FFFD.
            long code = value;
            if (code < 0) code += 65536;
            if (code < 0 || code > 0xFFFF || code == 0xFFFE || code == 0xFFFF ||
                (code >= 0xFDD0 && code <= 0xFDEF))
                code = 0xFFFD;
            emitUtf16Unit(static_cast<char16_t>(code));
            skipCount_ = s.unicodeSkip;
            return;
        }
        if (consumeSkip() || kind == Word::Unknown) return;

        // A nested table's row ends inside its ignorable properties group; readers without nested tables
        // read {\nonesttables\par} instead, which is skipped here.
        if (kind == Word::NestedRowProperties) {
            if (stack_.size() >= 2 && stack_[stack_.size() - 2].destination == Destination::Text)
                s.destination = Destination::NestedRowProperties;
            return;
        }
        if (s.destination == Destination::NestedRowProperties) {
            if (kind == Word::RowEnd) endTableRow(stack_[stack_.size() - 2]);
            return;
        }

        if (s.destination == Destination::FontTable) {
            if (kind == Word::Font) fontNumber_ = value;
            if (kind == Word::FontCharset)
                fontCodePage_ = code_pages::codePageForCharset(static_cast<int>(value));
            if (kind != Word::SkippedDestination) return;
        }
        if (s.destination == Destination::ColorTable) {
            const auto component = static_cast<std::uint32_t>(std::clamp(value, 0L, 255L));
            const std::uint32_t color = currentColor_.value_or(0);
            if (kind == Word::Red) currentColor_ = (color & 0x00FFFFu) | (component << 16);
            if (kind == Word::Green) currentColor_ = (color & 0xFF00FFu) | (component << 8);
            if (kind == Word::Blue) currentColor_ = (color & 0xFFFF00u) | component;
            return;
        }

        TextFormat& f = s.format;
        const bool on = value != 0;
        switch (kind) {
            case Word::FontTable:
                s.destination = Destination::FontTable;
                break;
            case Word::ColorTable:
                s.destination = Destination::ColorTable;
                colors_.clear();
                break;
            case Word::SkippedDestination:
                s.destination = Destination::Skip;
                break;
            case Word::CodePage:
                documentCodePage_ =
                    code_pages::canDecode(static_cast<unsigned>(value)) ? static_cast<unsigned>(value) : 1252;
                break;
            case Word::CharacterSet:
                // \mac, \pc, \pca in the header: the document's character set, unless \ansicpg says more.
                documentCodePage_ = static_cast<unsigned>(found->second.character);
                break;
            case Word::DefaultFont:
                defaultFont_ = value;
                break;
            case Word::UnicodeSkip:
                // A fallback is a character or a byte pair, seldom more: a larger count is a broken value,
                // and kept out so that it cannot swallow the text after each \u.
                if (value >= 0 && value <= kMaxUnicodeSkip) s.unicodeSkip = static_cast<int>(value);
                break;
            case Word::Paragraph:
                paragraphMark();
                break;
            case Word::CellEnd:
                endTableCell();
                break;
            case Word::RowEnd:
                endTableRow(s);
                break;
            case Word::PageBreak:
                // A page or section break starts a new line, unless one has just begun.
                if (!atLineStart()) paragraphMark();
                break;
            case Word::Character:
                emitSpecial(found->second.character);
                break;
            case Word::Plain:
                f = TextFormat{};
                s.hidden = false;
                s.deleted = false;
                selectFont(s, defaultFont_);
                break;
            case Word::Bold:
                f.bold = on;
                break;
            case Word::Italic:
                f.italic = on;
                break;
            case Word::Strike:
                f.strikeOut = on;
                break;
            case Word::Underline:
                f.underline = on;
                break;
            case Word::NoUnderline:
                f.underline = false;
                break;
            case Word::Hidden:
                s.hidden = on;
                break;
            case Word::Deleted:
                s.deleted = on;
                break;
            case Word::FontSize:
                f.pointSize = value > 0 && value <= 3276 ? static_cast<double>(value) / 2.0 : 0.0;
                break;
            case Word::Color:
                f.color = value > 0 && static_cast<std::size_t>(value) < colors_.size()
                              ? colors_[static_cast<std::size_t>(value)]
                              : std::nullopt;
                break;
            case Word::Font:
                selectFont(s, value);
                break;
            default:
                break;
        }
    }

    void selectFont(GroupState& s, long number) {
        s.fontSelected = true;
        const auto found = fonts_.find(number);
        if (found == fonts_.end()) {
            s.format.fontFamily.clear();
            s.codePage = 0;
            return;
        }
        s.format.fontFamily = found->second.name;
        s.codePage = found->second.codePage.value_or(0);
    }

    // Font table: "\f1\fcharset238 Arial;" (each entry in its own group or not).
    void fontTableText(std::string_view text) {
        for (const char c : text) {
            if (c == ';') {
                finishFontEntry();
            } else {
                fontName_.push_back(c);
            }
        }
    }

    void finishFontEntry() {
        if (fontNumber_) {
            std::string name;
            code_pages::appendDecoded(name, fontCodePage_.value_or(documentCodePage_), fontName_);
            const auto begin = name.find_first_not_of(' ');
            name = begin == std::string::npos ? std::string()
                                              : name.substr(begin, name.find_last_not_of(' ') + 1 - begin);
            fonts_[*fontNumber_] = FontEntry{name, fontCodePage_};
        }
        fontNumber_.reset();
        fontCodePage_.reset();
        fontName_.clear();
    }

    void finishColor() {
        colors_.push_back(currentColor_);
        currentColor_.reset();
    }

    // Counts a fallback character after \uN; true when the character is to be dropped.
    bool consumeSkip() {
        if (skipCount_ == 0) return false;
        --skipCount_;
        return true;
    }

    bool shown() const { return shown(stack_.back()); }
    static bool shown(const GroupState& s) {
        return s.destination == Destination::Text && !s.hidden && !s.deleted;
    }

    // The code page of the current font's charset, else the document's.
    unsigned codePage() {
        const GroupState& s = state();
        if (s.fontSelected) return s.codePage != 0 ? s.codePage : documentCodePage_;
        const auto font = fonts_.find(defaultFont_);
        return font != fonts_.end() ? font->second.codePage.value_or(documentCodePage_) : documentCodePage_;
    }

    void emitBytes(std::string_view bytes) {
        if (!shown()) return;
        takePendingSurrogate(false);
        const unsigned bytesCodePage = codePage();
        std::string& out = pendingFor(state().format);
        for (const char c : bytes) {
            const auto byte = static_cast<std::uint8_t>(c);
            // Double-byte code pages: a lead byte waits for the byte after it, which may come as \'hh or as
            // a character of its own (RichEdit writes \'83e).
            if (leadByte_) {
                const auto pair = code_pages::decodePair(bytesCodePage, *leadByte_, byte);
                leadByte_.reset();
                if (pair) {
                    core::appendUtf8(out, *pair);
                    continue;
                }
                core::appendUtf8(out, U'\uFFFD');
            }
            if (code_pages::isLeadByte(bytesCodePage, byte)) {
                leadByte_ = byte;
                continue;
            }
            if (c == '\t') {
                out.push_back('\t');
            } else if (static_cast<unsigned char>(c) < 0x20) {
                continue;  // other control characters are not text
            } else {
                const char32_t character = code_pages::decodeByte(bytesCodePage, byte);
                if (character != kSoftHyphen) core::appendUtf8(out, character);
            }
        }
        endsWithParagraphMark_ = false;
        afterParagraphMark_ = false;
    }

    void emitSpecial(char32_t character) {
        if (!shown()) return;
        takePendingSurrogate();
        core::appendUtf8(pendingFor(state().format), character);
        endsWithParagraphMark_ = false;
        afterParagraphMark_ = false;
    }

    void paragraphMark() {
        if (!shown()) return;
        takePendingSurrogate();
        pendingFor(state().format).push_back('\n');
        endsWithParagraphMark_ = true;
        afterParagraphMark_ = true;
    }

    // A cell ends with a tab. A paragraph mark just before it (pandoc writes "text\par}\cell") ends the
    // cell's last paragraph and opens no empty one.
    void endTableCell() {
        if (!shown()) return;
        takePendingSurrogate();
        if (afterParagraphMark_) dropLastCharacter('\n');
        pendingFor(state().format).push_back('\t');
        endsWithParagraphMark_ = false;
        afterParagraphMark_ = false;
    }

    bool atLineStart() const {
        if (!pending_.empty()) return pending_.back() == '\n';
        return document_.runs.empty() || document_.runs.back().text.back() == '\n';
    }

    // A row ends its last cell: the tab after that cell becomes the line break.
    // `text` is the state of the text the row belongs to.
    void endTableRow(const GroupState& text) {
        if (!shown(text)) return;
        takePendingSurrogate();
        dropLastCharacter('\t');
        pendingFor(text.format).push_back('\n');
        endsWithParagraphMark_ = true;
        afterParagraphMark_ = false;
    }

    // Removes the last character shown so far when it is `c`, whatever format it was shown in.
    void dropLastCharacter(char c) {
        if (!pending_.empty()) {
            if (pending_.back() == c) pending_.pop_back();
            return;
        }
        if (document_.runs.empty() || document_.runs.back().text.back() != c) return;
        document_.runs.back().text.pop_back();
        if (document_.runs.back().text.empty()) document_.runs.pop_back();
    }

    void emitUtf16Unit(char16_t unit) {
        if (!shown()) return;
        std::string& out = pendingFor(state().format);
        if (leadByte_) {
            leadByte_.reset();
            core::appendUtf8(out, U'\uFFFD');
        }
        if (highSurrogate_) {
            const char16_t high = *highSurrogate_;
            highSurrogate_.reset();
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                core::appendUtf8(out,
                                 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00));
                endsWithParagraphMark_ = false;
                afterParagraphMark_ = false;
                return;
            }
            core::appendUtf8(out, U'\uFFFD');
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
            return;
        }
        if (unit == 0x0D || unit == 0x0A) {
            out.push_back('\n');
        } else if ((unit == '\t' || unit >= 0x20) && unit != kSoftHyphen) {
            core::appendUtf8(out, unit);
        }
        endsWithParagraphMark_ = false;
        afterParagraphMark_ = false;
    }

    // A high surrogate (\uN) or a lead byte (\'hh) that nothing completed is marked, not dropped; a lead
    // byte waits on while bytes follow.
    void takePendingSurrogate(bool leadByteToo = true) {
        if (leadByte_ && leadByteToo) {
            leadByte_.reset();
            core::appendUtf8(pendingFor(state().format), U'\uFFFD');
        }
        if (!highSurrogate_) return;
        highSurrogate_.reset();
        core::appendUtf8(pendingFor(state().format), U'\uFFFD');
    }

    // The text buffer for the given format; a change of format hands the buffered text to the document.
    std::string& pendingFor(const TextFormat& format) {
        if (!(format == pendingFormat_)) {
            flush();
            pendingFormat_ = format;
        }
        return pending_;
    }

    void flush() {
        if (leadByte_) {
            leadByte_.reset();
            core::appendUtf8(pending_, U'\uFFFD');
        }
        if (highSurrogate_) {
            highSurrogate_.reset();
            core::appendUtf8(pending_, U'\uFFFD');
        }
        document_.append(pending_, pendingFormat_);
        pending_.clear();
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    bool finished_ = false;
    std::vector<GroupState> stack_;
    std::size_t excessDepth_ = 0;
    int skipCount_ = 0;
    std::optional<char16_t> highSurrogate_;
    std::optional<std::uint8_t> leadByte_;  // of a double-byte character, waiting for its second byte

    unsigned documentCodePage_ = 1252;
    long defaultFont_ = 0;
    std::map<long, FontEntry> fonts_;
    std::optional<long> fontNumber_;
    std::optional<unsigned> fontCodePage_;
    std::string fontName_;
    std::vector<std::optional<std::uint32_t>> colors_;
    std::optional<std::uint32_t> currentColor_;

    Document document_;
    std::string pending_;
    TextFormat pendingFormat_;
    bool endsWithParagraphMark_ = false;
    bool afterParagraphMark_ = false;  // the last thing shown was \par (not a row end)
};

}  // namespace

Document readRtf(Bytes bytes) {
    return RtfReader(bytes).read();
}

}  // namespace quill::document
