// Word 97-2003 binary documents: the main text through the FIB and the piece table.
#include <optional>
#include <string_view>
#include <vector>

#include "core/unicode.h"
#include "document/byte_reader.h"
#include "document/code_pages.h"
#include "document/compound_file.h"
#include "document/readers.h"

namespace quill::document {
namespace {

constexpr std::size_t kPage = 512;

// The length of the operand of the property modifier `sprm` that starts at `position` in `properties`, or
// nothing where it cannot be told.
std::optional<std::size_t> operandLength(Bytes properties, std::size_t position, std::uint16_t sprm) {
    switch (sprm >> 13) {
        case 0:
        case 1:
            return 1;
        case 2:
        case 4:
        case 5:
            return 2;
        case 3:
            return 4;
        case 7:
            return 3;
        default:  // variable length
            // The table definition has a two-byte length.
            if (sprm == 0xD608) return 1 + std::size_t{readU16(properties, position)};
            if (position >= properties.size()) return std::nullopt;
            // Tab changes too long for their own length byte: their length cannot be told simply.
            if (sprm == 0xC615 && properties[position] == 255) return std::nullopt;
            return 1 + std::size_t{properties[position]};
    }
}

// The runs of character or paragraph properties, found through their bin table (PlcBteChpx or PlcBtePapx,
// `lcbPlcf` bytes at `fcPlcf` in the table stream) and its formatted-disk pages (FKP) in the WordDocument
// stream. On a page, each run has an entry of `entrySize` bytes after the range table; the entry's first
// byte is half the offset of the run's properties on the page. Bytes are checked against the page; a bin
// table of an impossible size holds no runs.
class PropertyRuns {
  public:
    PropertyRuns(Bytes word, Bytes table, std::uint32_t fcPlcf, std::uint32_t lcbPlcf, std::size_t entrySize)
        : word_(word), entrySize_(entrySize) {
        if (fcPlcf > table.size() || lcbPlcf > table.size() - fcPlcf || lcbPlcf < 12 ||
            (lcbPlcf - 4) % 8 != 0)
            return;
        plcf_ = table.subspan(fcPlcf, lcbPlcf);
        count_ = (lcbPlcf - 4) / 8;
    }

    // The run that holds `fc`: its range of positions in the WordDocument stream, its page, and the
    // offset of its properties on the page (0: none).
    struct Run {
        std::size_t begin, end;
        Bytes page;
        std::size_t properties;
    };
    std::optional<Run> find(std::size_t fc) const {
        // The page whose range holds the character.
        std::size_t low = 0, high = count_;
        while (low < high) {
            const std::size_t middle = (low + high) / 2;
            if (readU32(plcf_, 4 * (middle + 1)) <= fc) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        if (low >= count_ || readU32(plcf_, 4 * low) > fc) return std::nullopt;
        const std::size_t pageNumber = readU32(plcf_, 4 * (count_ + 1) + 4 * low) & 0x3FFFFF;
        if (word_.size() < kPage || pageNumber >= word_.size() / kPage) return std::nullopt;
        const Bytes page = word_.subspan(pageNumber * kPage, kPage);
        // The run on that page.
        const std::size_t runs = page[kPage - 1];
        if (4 * (runs + 1) + entrySize_ * runs > kPage - 1) return std::nullopt;
        for (std::size_t run = 0; run < runs; ++run) {
            const std::size_t begin = readU32(page, 4 * run), end = readU32(page, 4 * (run + 1));
            if (fc >= begin && fc < end) {
                return Run{begin, end, page, 2 * std::size_t{page[4 * (runs + 1) + entrySize_ * run]}};
            }
        }
        return std::nullopt;
    }

  private:
    Bytes word_;
    Bytes plcf_;
    std::size_t count_ = 0;
    std::size_t entrySize_;
};

// Calls `take(sprm, operand)` for each property modifier in `properties` in turn, `operand` being the
// first byte of its operand; stops before a modifier whose length cannot be told or whose operand lies
// beyond the end.
template <typename Take>
void forEachModifier(Bytes properties, Take take) {
    std::size_t position = 0;
    while (position + 2 <= properties.size()) {
        const std::uint16_t sprm = readU16(properties, position);
        position += 2;
        const auto operand = operandLength(properties, position, sprm);
        if (!operand || position >= properties.size()) return;
        take(sprm, properties[position]);
        position += *operand;
    }
}

// What a cell mark (0x07) or a paragraph mark (0x0D) ends, from the paragraph properties: the row-end
// paragraph of a table carries the "table terminating paragraph" property; in a table nested in a cell,
// paragraph marks end the inner cells and rows ("inner table cell", "inner table terminating
// paragraph"). Any inconsistency in these structures only means that rows are not told apart from cells,
// or inner cells from paragraphs.
enum class MarkEnds { Paragraph, Cell, Row };

class TableMarks {
  public:
    TableMarks(Bytes word, Bytes table, std::uint32_t fcPlcf, std::uint32_t lcbPlcf)
        : paragraphs_(word, table, fcPlcf, lcbPlcf, kEntrySize) {}

    // For a cell mark: Row or Cell.
    MarkEnds cellMark(std::size_t fc) const { return flagsAt(fc).rowEnd ? MarkEnds::Row : MarkEnds::Cell; }
    // For a paragraph mark: Paragraph, or Cell or Row of a nested table.
    MarkEnds paragraphMark(std::size_t fc) const {
        const Flags flags = flagsAt(fc);
        if (flags.innerRowEnd) return MarkEnds::Row;
        return flags.innerCell ? MarkEnds::Cell : MarkEnds::Paragraph;
    }

  private:
    static constexpr std::uint16_t kTableTerminatingParagraph = 0x2417;
    static constexpr std::uint16_t kInnerTableCell = 0x244B, kInnerTableTerminatingParagraph = 0x244C;
    static constexpr std::size_t kEntrySize = 13;  // BxPap: offset byte and 12 reserved bytes

    struct Flags {
        bool rowEnd = false, innerCell = false, innerRowEnd = false;
    };

    Flags flagsAt(std::size_t fc) const {
        Flags flags;
        try {
            lookUp(fc, flags);
        } catch (const ReadError&) {
        }
        return flags;
    }

    void lookUp(std::size_t fc, Flags& flags) const {
        const auto run = paragraphs_.find(fc);
        if (!run) return;
        const Bytes bytes = run->page;
        const std::size_t offset = run->properties;
        if (offset == 0 || offset + 2 > kPage) return;
        std::size_t start = offset + 1;
        std::size_t length = 2 * std::size_t{bytes[offset]} - 1;
        if (bytes[offset] == 0) {
            start = offset + 2;
            length = 2 * std::size_t{bytes[offset + 1]};
        }
        if (start + length > kPage || length < 2) return;
        const Bytes properties = bytes.subspan(start + 2, length - 2);  // after the style index
        forEachModifier(properties, [&flags](std::uint16_t sprm, std::uint8_t operand) {
            const bool on = operand != 0;
            if (sprm == kTableTerminatingParagraph) flags.rowEnd = on;
            if (sprm == kInnerTableCell) flags.innerCell = on;
            if (sprm == kInnerTableTerminatingParagraph) flags.innerRowEnd = on;
        });
    }

    PropertyRuns paragraphs_;
};

// Tells which characters are not shown: deleted with tracked changes (sprmCFRMarkDel) or hidden
// (sprmCFVanish), from the character properties of their run. Only direct formatting is looked at, not
// styles. Any inconsistency in these structures only means that the characters are shown.
class RemovedCharacters {
  public:
    RemovedCharacters(Bytes word, Bytes table, std::uint32_t fcPlcf, std::uint32_t lcbPlcf)
        : characters_(word, table, fcPlcf, lcbPlcf, kEntrySize) {}

    bool isRemoved(std::size_t fc) {
        // Consecutive characters mostly share a run: its range is kept.
        if (fc >= cachedBegin_ && fc < cachedEnd_) return cachedRemoved_;
        try {
            return lookUp(fc);
        } catch (const ReadError&) {
            return false;
        }
    }

  private:
    static constexpr std::uint16_t kDeleted = 0x0800, kHidden = 0x083C;
    static constexpr std::size_t kEntrySize = 1;  // the offset byte of the run's properties

    bool lookUp(std::size_t fc) {
        const auto run = characters_.find(fc);
        if (!run) return false;
        bool removed = false;
        const Bytes bytes = run->page;
        const std::size_t offset = run->properties;
        if (offset != 0 && offset + 1 <= kPage - 1) {
            const std::size_t length = bytes[offset];
            if (offset + 1 + length <= kPage - 1) removed = hasRemovedMark(bytes.subspan(offset + 1, length));
        }
        cachedBegin_ = run->begin;
        cachedEnd_ = run->end;
        cachedRemoved_ = removed;
        return removed;
    }

    static bool hasRemovedMark(Bytes properties) {
        bool deleted = false, hidden = false;
        // A toggle: 0 off, 1 on, 0x80 as the style says, 0x81 the opposite of the style (which is taken
        // as off, so on).
        forEachModifier(properties, [&deleted, &hidden](std::uint16_t sprm, std::uint8_t operand) {
            if (sprm == kDeleted) deleted = operand == 1 || operand == 0x81;
            if (sprm == kHidden) hidden = operand == 1 || operand == 0x81;
        });
        return deleted || hidden;
    }

    PropertyRuns characters_;
    std::size_t cachedBegin_ = 0, cachedEnd_ = 0;
    bool cachedRemoved_ = false;
};

// The shown text of the main document, built character by character.
class MainTextBuilder {
  public:
    MainTextBuilder(const TableMarks& tableMarks, RemovedCharacters& removed)
        : tableMarks_(tableMarks), removed_(removed) {}

    // `fc` is where the character is stored in the WordDocument stream.
    void add(char32_t c, std::size_t fc) {
        switch (c) {
            case 0x13:  // field begins: its code is hidden until the separator
                if (fields_.size() < kMaxFieldDepth) {
                    fields_.push_back(false);
                } else {
                    ++excessFields_;
                }
                return;
            case 0x14:  // field separator: the result follows
                if (excessFields_ == 0 && !fields_.empty()) fields_.back() = true;
                return;
            case 0x15:  // field ends
                if (excessFields_ > 0) {
                    --excessFields_;
                } else if (!fields_.empty()) {
                    fields_.pop_back();
                }
                return;
            default:
                break;
        }
        if (excessFields_ > 0) return;
        for (const bool inResult : fields_) {
            if (!inResult) return;
        }
        // Deleted and hidden characters show nothing; a removed paragraph mark joins two paragraphs. Field
        // marks are followed above even when removed, so that a field stays balanced.
        if (removed_.isRemoved(fc)) return;
        if (c != 0x0C) takePageBreak(c);
        const MarkEnds ends = c == 0x0D   ? tableMarks_.paragraphMark(fc)
                              : c == 0x07 ? tableMarks_.cellMark(fc)
                                          : MarkEnds::Paragraph;
        endsWithParagraphMark_ = c == 0x0D && ends == MarkEnds::Paragraph;
        switch (c) {
            case 0x0D:  // paragraph mark, or the end of a cell or row of a nested table
            case 0x07:  // end of a table cell, or of a row: the row's last cell then ends the line
                if (ends == MarkEnds::Cell) {
                    text_.push_back('\t');
                } else {
                    if (ends == MarkEnds::Row && !text_.empty() && text_.back() == '\t') text_.pop_back();
                    text_.push_back('\n');
                }
                return;
            case 0x0B:  // line break
                text_.push_back('\n');
                return;
            case 0x0C:  // page or section break: see takePageBreak
                pendingPageBreak_ = true;
                return;
            case 0x09:
                text_.push_back('\t');
                return;
            case 0x1E:  // non-breaking hyphen
                core::appendUtf8(text_, U'\u2011');
                return;
            case 0xAD:  // a soft hyphen written as a character: shown only where a line breaks
                return;
            default:
                // Soft hyphens (0x1F), pictures and objects (0x01, 0x08), note marks and the rest of the
                // control characters show nothing of their own.
                if (c < 0x20) return;
                core::appendUtf8(text_, c);
        }
    }

    std::string finish() {
        // The document's last paragraph mark closes its last paragraph; it does not start a new one.
        if (endsWithParagraphMark_ && !text_.empty()) text_.pop_back();
        return std::move(text_);
    }

  private:
    // A page or section break between text starts a new line; next to a paragraph or line end, or at
    // the start of a line, it adds none of its own.
    void takePageBreak(char32_t next) {
        if (!pendingPageBreak_) return;
        pendingPageBreak_ = false;
        if (next == 0x0D || next == 0x0B || text_.empty() || text_.back() == '\n') return;
        text_.push_back('\n');
    }

    static constexpr std::size_t kMaxFieldDepth = 64;
    bool pendingPageBreak_ = false;
    const TableMarks& tableMarks_;
    RemovedCharacters& removed_;
    std::string text_;
    std::vector<bool> fields_;
    std::size_t excessFields_ = 0;
    bool endsWithParagraphMark_ = false;
};

}  // namespace

Document readWordBinary(Bytes bytes) {
    const CompoundFile file(bytes);
    if (!file.contains(u"WordDocument")) {
        if (file.contains(u"EncryptedPackage") || file.contains(u"EncryptionInfo")) {
            throw ReadError(ReadError::Kind::Encrypted, "verschlüsselt");
        }
        throw ReadError(ReadError::Kind::Unsupported,
                        "Sie ist kein Word-Dokument, sondern eine andere Datei im Office-Containerformat");
    }
    const auto wordStream = file.stream(u"WordDocument");
    if (!wordStream) broken("der Hauptdatenstrom fehlt");
    const Bytes word(*wordStream);

    // File information block.
    if (readU16(word, 0) != 0xA5EC) broken("die Kennung des Word-Dokuments fehlt");
    const std::uint16_t nFib = readU16(word, 2);
    const std::uint16_t flags = readU16(word, 0x0A);
    constexpr std::uint16_t kEncrypted = 0x0100, kWhichTable = 0x0200, kObfuscated = 0x8000;
    if (flags & (kEncrypted | kObfuscated)) throw ReadError(ReadError::Kind::Encrypted, "verschlüsselt");
    if (nFib < 0xC0) {
        throw ReadError(ReadError::Kind::Unsupported,
                        "Sie ist in einem Format vor Word 97 gespeichert, das nicht unterstützt wird");
    }
    std::size_t offset = 0x20;
    const std::uint16_t csw = readU16(word, offset);
    offset += 2 + 2 * std::size_t{csw};
    const std::uint16_t cslw = readU16(word, offset);
    offset += 2;
    if (cslw < 4) broken("der Dateikopf ist zu kurz");
    const std::uint32_t ccpText = readU32(word, offset + 12);
    if (ccpText > 0x7FFFFFFF) broken("die Textlänge ist ungültig");
    offset += 4 * std::size_t{cslw};
    const std::uint16_t cbRgFcLcb = readU16(word, offset);
    offset += 2;
    constexpr std::size_t kClxIndex = 33;
    if (cbRgFcLcb <= kClxIndex) broken("der Dateikopf ist zu kurz");
    const std::uint32_t fcClx = readU32(word, offset + 8 * kClxIndex);
    const std::uint32_t lcbClx = readU32(word, offset + 8 * kClxIndex + 4);

    const auto tableStream = file.stream((flags & kWhichTable) ? u"1Table" : u"0Table");
    if (!tableStream) broken("der Tabellendatenstrom fehlt");
    const Bytes table(*tableStream);
    if (fcClx > table.size() || lcbClx > table.size() - fcClx)
        broken("die Stücktabelle liegt hinter dem Datenende");

    // The complex part: formatting records (skipped), then the piece table.
    std::size_t position = fcClx;
    const std::size_t clxEnd = std::size_t{fcClx} + lcbClx;
    std::size_t plcOffset = 0, plcLength = 0;
    while (true) {
        if (position >= clxEnd) broken("die Stücktabelle fehlt");
        const std::uint8_t type = table[position];
        if (type == 0x01) {
            position += 3 + std::size_t{readU16(table, position + 1)};
        } else if (type == 0x02) {
            plcLength = readU32(table, position + 1);
            plcOffset = position + 5;
            if (plcOffset > clxEnd || plcLength > clxEnd - plcOffset)
                broken("die Stücktabelle ist abgeschnitten");
            break;
        } else {
            broken("die Stücktabelle ist ungültig");
        }
    }
    if (plcLength < 16 || (plcLength - 4) % 12 != 0) broken("die Stücktabelle hat eine ungültige Länge");
    const std::size_t pieceCount = (plcLength - 4) / 12;
    const Bytes plc = table.subspan(plcOffset, plcLength);

    constexpr std::size_t kPapxIndex = 13;
    const TableMarks tableMarks(word, table, readU32(word, offset + 8 * kPapxIndex),
                                readU32(word, offset + 8 * kPapxIndex + 4));
    constexpr std::size_t kChpxIndex = 12;
    RemovedCharacters removed(word, table, readU32(word, offset + 8 * kChpxIndex),
                              readU32(word, offset + 8 * kChpxIndex + 4));
    MainTextBuilder builder(tableMarks, removed);
    std::uint32_t previousEnd = 0;
    for (std::size_t piece = 0; piece < pieceCount; ++piece) {
        const std::uint32_t cpStart = readU32(plc, 4 * piece);
        const std::uint32_t cpEnd = readU32(plc, 4 * (piece + 1));
        if (cpEnd < cpStart || cpStart < previousEnd) broken("die Stücktabelle ist nicht geordnet");
        previousEnd = cpEnd;
        if (cpStart >= ccpText) break;
        const std::size_t count = std::min(cpEnd, ccpText) - cpStart;
        const std::uint32_t fc = readU32(plc, 4 * (pieceCount + 1) + 8 * piece + 2);
        const bool compressed = (fc & 0x40000000u) != 0;
        const std::size_t start = compressed ? (fc & 0x3FFFFFFFu) / 2 : (fc & 0x3FFFFFFFu);
        const std::size_t length = compressed ? count : 2 * count;
        if (start > word.size() || length > word.size() - start)
            broken("ein Textstück liegt hinter dem Datenende");
        if (compressed) {
            for (std::size_t i = 0; i < count; ++i)
                builder.add(code_pages::decodeByte(1252, word[start + i]), start + i);
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t at = start + 2 * i;
                char32_t c = readU16(word, at);
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count) {
                    const char32_t low = readU16(word, at + 2);
                    if (low >= 0xDC00 && low <= 0xDFFF) {
                        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                        ++i;
                    }
                }
                if (c >= 0xD800 && c <= 0xDFFF) c = U'\uFFFD';  // a lone surrogate
                builder.add(c, at);
            }
        }
    }

    Document document;
    document.format = Format::WordBinary;
    document.append(builder.finish());
    return document;
}

}  // namespace quill::document
