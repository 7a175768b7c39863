// Rich Text Format: text with bold, italic, underline, strike-through, size, colour and font family.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "core/unicode.h"
#include "document/code_pages.h"
#include "document/readers.h"

namespace quill::document {
namespace {

enum class Destination { Text, Skip, FontTable, ColorTable };

struct GroupState {
    Destination destination = Destination::Text;
    TextFormat format;
    bool hidden = false;
    int unicodeSkip = 1;    // \ucN: how many fallback characters follow each \uN
    unsigned codePage = 0;  // 0: the document's code page
};

struct FontEntry {
    std::string name;
    std::optional<unsigned> codePage;
};

// Groups nested deeper than this share the state of the deepest kept group; no real document comes near.
constexpr std::size_t kMaxGroupDepth = 256;

// Destinations whose content is never shown text.
constexpr std::string_view kSkippedDestinations[] = {"stylesheet", "info",
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
                                                     "objdata"};

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
            long value = 0;
            std::size_t digits = 0;
            while (pos_ < data_.size() && isDigit(data_[pos_])) {
                if (digits < 10) value = value * 10 + (data_[pos_] - '0');
                ++digits;
                ++pos_;
            }
            if (value > 2147483647L) value = 2147483647L;
            parameter = negative ? -value : value;
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
        if (word == "bin") {
            // Binary data follows; it is skipped whole (and bounded by the end of the file).
            const std::size_t length = value > 0 ? static_cast<std::size_t>(value) : 0;
            pos_ += std::min(length, data_.size() - pos_);
            consumeSkip();
            return;
        }
        if (word == "u") {
            long code = value;
            if (code < 0) code += 65536;
            if (code < 0 || code > 0xFFFF) code = 0xFFFD;
            emitUtf16Unit(static_cast<char16_t>(code));
            skipCount_ = s.unicodeSkip;
            return;
        }
        if (consumeSkip()) return;

        // Destinations.
        if (word == "fonttbl") {
            s.destination = Destination::FontTable;
            return;
        }
        if (word == "colortbl") {
            s.destination = Destination::ColorTable;
            colors_.clear();
            return;
        }
        for (const std::string_view skipped : kSkippedDestinations) {
            if (word == skipped) {
                s.destination = Destination::Skip;
                return;
            }
        }

        if (s.destination == Destination::FontTable) {
            if (word == "f") fontNumber_ = value;
            if (word == "fcharset") fontCodePage_ = code_pages::codePageForCharset(static_cast<int>(value));
            return;
        }
        if (s.destination == Destination::ColorTable) {
            const auto component = static_cast<std::uint32_t>(std::clamp(value, 0L, 255L));
            if (word == "red") currentColor_ = (currentColor_.value_or(0) & 0x00FFFFu) | (component << 16);
            if (word == "green") currentColor_ = (currentColor_.value_or(0) & 0xFF00FFu) | (component << 8);
            if (word == "blue") currentColor_ = (currentColor_.value_or(0) & 0xFFFF00u) | component;
            return;
        }

        // Document settings.
        if (word == "ansicpg") {
            documentCodePage_ =
                code_pages::isSupported(static_cast<unsigned>(value)) ? static_cast<unsigned>(value) : 1252;
            return;
        }
        if (word == "deff") {
            defaultFont_ = value;
            return;
        }
        if (word == "uc") {
            s.unicodeSkip = static_cast<int>(std::clamp(value, 0L, 16L));
            return;
        }

        // Shown characters.
        static const std::map<std::string_view, char32_t> kCharacters = {
            {"par", U'\n'},         {"line", U'\n'},          {"page", U'\n'},
            {"row", U'\n'},         {"nestrow", U'\n'},       {"tab", U'\t'},
            {"cell", U'\t'},        {"nestcell", U'\t'},      {"emdash", U'\u2014'},
            {"endash", U'\u2013'},  {"emspace", U'\u2003'},   {"enspace", U'\u2002'},
            {"qmspace", U'\u2005'}, {"bullet", U'\u2022'},    {"lquote", U'\u2018'},
            {"rquote", U'\u2019'},  {"ldblquote", U'\u201C'}, {"rdblquote", U'\u201D'},
            {"zwj", U'\u200D'},     {"zwnj", U'\u200C'},      {"ltrmark", U'\u200E'},
            {"rtlmark", U'\u200F'}};
        if (const auto found = kCharacters.find(word); found != kCharacters.end()) {
            if (word == "par") {
                paragraphMark();
            } else if (word == "row" || word == "nestrow") {
                endTableRow();
            } else {
                emitSpecial(found->second);
            }
            return;
        }

        // Character formatting.
        TextFormat& f = s.format;
        const bool on = value != 0;
        if (word == "plain") {
            f = TextFormat{};
            s.hidden = false;
            selectFont(s, defaultFont_);
        } else if (word == "b") {
            f.bold = on;
        } else if (word == "i") {
            f.italic = on;
        } else if (word == "strike" || word == "striked") {
            f.strikeOut = on;
        } else if (word == "ulnone") {
            f.underline = false;
        } else if (word.starts_with("ul") && word != "ulc") {
            f.underline = on;
        } else if (word == "v") {
            s.hidden = on;
        } else if (word == "fs") {
            f.pointSize = value > 0 && value <= 3276 ? static_cast<double>(value) / 2.0 : 0.0;
        } else if (word == "cf") {
            f.color = value > 0 && static_cast<std::size_t>(value) < colors_.size()
                          ? colors_[static_cast<std::size_t>(value)]
                          : std::nullopt;
        } else if (word == "f") {
            selectFont(s, value);
        }
    }

    void selectFont(GroupState& s, long number) {
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

    bool shown() const { return stack_.back().destination == Destination::Text && !stack_.back().hidden; }

    void emitBytes(std::string_view bytes) {
        if (!shown()) return;
        takePendingSurrogate();
        const unsigned codePage = state().codePage != 0 ? state().codePage : documentCodePage_;
        std::string& out = pendingFor(state().format);
        for (const char c : bytes) {
            if (c == '\t') {
                out.push_back('\t');
            } else if (static_cast<unsigned char>(c) < 0x20) {
                continue;  // other control characters are not text
            } else {
                unicode::appendUtf8(out, code_pages::decodeByte(codePage, static_cast<std::uint8_t>(c)));
            }
        }
        endsWithParagraphMark_ = false;
    }

    void emitSpecial(char32_t character) {
        if (!shown()) return;
        takePendingSurrogate();
        unicode::appendUtf8(pendingFor(state().format), character);
        endsWithParagraphMark_ = false;
    }

    void paragraphMark() {
        if (!shown()) return;
        takePendingSurrogate();
        pendingFor(state().format).push_back('\n');
        endsWithParagraphMark_ = true;
    }

    // A row ends its last cell: the tab after that cell becomes the line break.
    void endTableRow() {
        if (!shown()) return;
        std::string& out = pendingFor(state().format);
        if (!out.empty() && out.back() == '\t') out.pop_back();
        out.push_back('\n');
        endsWithParagraphMark_ = true;
    }

    void emitUtf16Unit(char16_t unit) {
        if (!shown()) return;
        std::string& out = pendingFor(state().format);
        if (highSurrogate_) {
            const char16_t high = *highSurrogate_;
            highSurrogate_.reset();
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                unicode::appendUtf8(
                    out, 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00));
                endsWithParagraphMark_ = false;
                return;
            }
            unicode::appendUtf8(out, U'\uFFFD');
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
            return;
        }
        if (unit == 0x0D || unit == 0x0A) {
            out.push_back('\n');
        } else if (unit == '\t' || unit >= 0x20) {
            unicode::appendUtf8(out, unit);
        }
        endsWithParagraphMark_ = false;
    }

    void takePendingSurrogate() {
        if (!highSurrogate_) return;
        highSurrogate_.reset();
        unicode::appendUtf8(pendingFor(state().format), U'\uFFFD');
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
        if (highSurrogate_) {
            highSurrogate_.reset();
            unicode::appendUtf8(pending_, U'\uFFFD');
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
};

}  // namespace

Document readRtf(Bytes bytes) {
    return RtfReader(bytes).read();
}

}  // namespace quill::document
