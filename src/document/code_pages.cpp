#include "document/code_pages.h"

#include <zlib.h>

#include <array>
#include <vector>

#include "core/unicode.h"

namespace quill::document::code_pages {
namespace {

#include "document/code_page_tables.inc"
#include "document/double_byte_tables.inc"

constexpr std::uint8_t kFirstTrail = 0x40, kLastTrail = 0xFE;
constexpr std::size_t kTrailCount = kLastTrail - kFirstTrail + 1;

const DoubleByteTable* doubleByteTable(unsigned codePage) {
    for (const DoubleByteTable& table : kDoubleByteTables) {
        if (table.codePage == codePage) return &table;
    }
    return nullptr;
}

// The index of a lead byte among the lead bytes of the table, or -1.
int leadIndex(const DoubleByteTable& table, std::uint8_t byte) {
    int index = 0;
    for (const auto& range : table.leadRanges) {
        if (range[1] == 0) break;
        if (byte >= range[0] && byte <= range[1]) return index + (byte - range[0]);
        index += range[1] - range[0] + 1;
    }
    return -1;
}

std::vector<std::uint8_t> fromBase64(const char* text) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char* c = text; *c != '\0' && *c != '='; ++c) {
        int value = -1;
        if (*c >= 'A' && *c <= 'Z') value = *c - 'A';
        if (*c >= 'a' && *c <= 'z') value = *c - 'a' + 26;
        if (*c >= '0' && *c <= '9') value = *c - '0' + 52;
        if (*c == '+') value = 62;
        if (*c == '/') value = 63;
        if (value < 0) continue;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return bytes;
}

// The characters of one double-byte table: one per lead and trail byte, 0 where unassigned.
std::vector<char16_t> unpack(const DoubleByteTable& table) {
    std::vector<char16_t> characters(table.entries, 0);
    const std::vector<std::uint8_t> compressed = fromBase64(table.compressed);
    std::vector<std::uint8_t> deltas(2 * table.entries);
    uLongf length = static_cast<uLongf>(deltas.size());
    if (uncompress(deltas.data(), &length, compressed.data(), static_cast<uLong>(compressed.size())) !=
            Z_OK ||
        length != deltas.size()) {
        return characters;  // cannot happen with the generated tables; every pair then reads as unassigned
    }
    char16_t previous = 0;
    for (std::size_t i = 0; i < table.entries; ++i) {
        const auto delta = static_cast<char16_t>(deltas[2 * i] | (deltas[2 * i + 1] << 8));
        if (delta == 0) continue;
        previous = static_cast<char16_t>(previous + delta);
        characters[i] = previous;
    }
    return characters;
}

// All double-byte tables, unpacked together on first use (less than a millisecond).
const std::vector<char16_t>& doubleByteCharacters(const DoubleByteTable& table) {
    static const auto unpacked = [] {
        std::array<std::vector<char16_t>, std::size(kDoubleByteTables)> tables;
        for (std::size_t i = 0; i < tables.size(); ++i) tables[i] = unpack(kDoubleByteTables[i]);
        return tables;
    }();
    return unpacked[static_cast<std::size_t>(&table - kDoubleByteTables)];
}

// The other single-byte table of the code page, or nullptr.
const char16_t* otherHighHalf(unsigned codePage) {
    for (std::size_t i = 0; i < std::size(kOtherCodePages); ++i) {
        if (kOtherCodePages[i] == codePage) return kOtherCodePageHighHalf[i];
    }
    return nullptr;
}

// The characters of bytes 0x80 to 0xFF in a single-byte code page; 1252 for one that cannot be decoded.
const char16_t* highHalf(unsigned codePage) {
    if (const char16_t* other = otherHighHalf(codePage)) return other;
    if (!isSupported(codePage)) codePage = 1252;
    return kWindowsCodePageHighHalf[codePage - 1250];
}

}  // namespace

bool isSupported(unsigned codePage) {
    return codePage >= 1250 && codePage <= 1258;
}

bool isDoubleByte(unsigned codePage) {
    return doubleByteTable(codePage) != nullptr;
}

bool canDecode(unsigned codePage) {
    return isSupported(codePage) || isDoubleByte(codePage) || otherHighHalf(codePage) != nullptr;
}

char32_t decodeByte(unsigned codePage, std::uint8_t byte) {
    if (byte < 0x80) return byte;
    if (isDoubleByte(codePage)) {
        if (codePage == 932 && byte >= 0xA1 && byte <= 0xDF) return U'\uFF61' + (byte - 0xA1);  // katakana
        if (codePage == 936 && byte == 0x80) return U'\u20AC';
        return byte;
    }
    const char16_t mapped = highHalf(codePage)[byte - 0x80];
    return mapped != 0 ? mapped : byte;
}

bool isLeadByte(unsigned codePage, std::uint8_t byte) {
    const DoubleByteTable* table = doubleByteTable(codePage);
    return table != nullptr && leadIndex(*table, byte) >= 0;
}

std::optional<char32_t> decodePair(unsigned codePage, std::uint8_t lead, std::uint8_t trail) {
    const DoubleByteTable* table = doubleByteTable(codePage);
    if (table == nullptr) return std::nullopt;
    const int index = leadIndex(*table, lead);
    if (index < 0 || trail < kFirstTrail || trail > kLastTrail) return std::nullopt;
    const char16_t character =
        doubleByteCharacters(*table)[static_cast<std::size_t>(index) * kTrailCount + (trail - kFirstTrail)];
    return character != 0 ? char32_t{character} : U'\uFFFD';
}

void appendDecoded(std::string& utf8, unsigned codePage, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        if (isLeadByte(codePage, byte)) {
            const auto pair = i + 1 < bytes.size()
                                  ? decodePair(codePage, byte, static_cast<std::uint8_t>(bytes[i + 1]))
                                  : std::nullopt;
            core::appendUtf8(utf8, pair.value_or(U'\uFFFD'));
            if (pair) ++i;
            continue;
        }
        core::appendUtf8(utf8, decodeByte(codePage, byte));
    }
}

std::optional<std::uint8_t> encodeChar(unsigned codePage, char32_t character) {
    if (!isSupported(codePage)) return std::nullopt;  // the other code pages are for reading only
    if (character < 0x80) return static_cast<std::uint8_t>(character);
    const char16_t* table = highHalf(codePage);
    for (unsigned i = 0; i < 128; ++i) {
        if (table[i] != 0 && table[i] == character) return static_cast<std::uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

std::optional<unsigned> codePageForCharset(int charset) {
    switch (charset) {
        case 238:
            return 1250;
        case 204:
            return 1251;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 163:
            return 1258;
        case 77:
            return 10000;
        case 222:
            return 874;
        case 128:
            return 932;
        case 134:
            return 936;
        case 129:
            return 949;
        case 136:
            return 950;
        default:
            return std::nullopt;
    }
}

}  // namespace quill::document::code_pages
