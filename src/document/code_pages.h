// Windows single-byte code pages (1250 to 1258): decoding bytes and encoding characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quill::document::code_pages {

// True for the code pages this program can decode and encode (1250 to 1258).
bool isSupported(unsigned codePage);

// The character a byte stands for. Unsupported code pages decode as 1252; bytes the code page leaves
// unassigned keep their own value (U+0080 to U+00FF), so nothing is lost.
char32_t decodeByte(unsigned codePage, std::uint8_t byte);

// Appends the UTF-8 form of bytes in the code page.
void appendDecoded(std::string& utf8, unsigned codePage, std::string_view bytes);

// The byte for a character, or nothing when the character has no byte of its own in the code page.
std::optional<std::uint8_t> encodeChar(unsigned codePage, char32_t character);

// The code page that an RTF \fcharset number selects; nothing for ANSI and default (the document's own
// code page applies) and for charsets without a single-byte Windows code page (symbol, OEM, Asian).
std::optional<unsigned> codePageForCharset(int charset);

}  // namespace quill::document::code_pages
