#include "document/code_pages.h"

#include "core/unicode.h"

namespace quill::document::code_pages {
namespace {

#include "document/code_page_tables.inc"

const char16_t* highHalf(unsigned codePage) {
    if (!isSupported(codePage)) codePage = 1252;
    return kWindowsCodePageHighHalf[codePage - 1250];
}

}  // namespace

bool isSupported(unsigned codePage) {
    return codePage >= 1250 && codePage <= 1258;
}

char32_t decodeByte(unsigned codePage, std::uint8_t byte) {
    if (byte < 0x80) return byte;
    const char16_t mapped = highHalf(codePage)[byte - 0x80];
    return mapped != 0 ? mapped : byte;
}

void appendDecoded(std::string& utf8, unsigned codePage, std::string_view bytes) {
    for (const char byte : bytes) {
        unicode::appendUtf8(utf8, decodeByte(codePage, static_cast<std::uint8_t>(byte)));
    }
}

std::optional<std::uint8_t> encodeChar(unsigned codePage, char32_t character) {
    if (!isSupported(codePage)) return std::nullopt;
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
        default:
            return std::nullopt;
    }
}

}  // namespace quill::document::code_pages
