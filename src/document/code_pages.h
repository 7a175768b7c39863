// Windows code pages: the single-byte ones (1250 to 1258) for decoding and encoding; for decoding only the
// double-byte ones (932 Japanese, 936 Simplified Chinese, 949 Korean, 950 Traditional Chinese), Thai
// (874), Mac OS Roman (10000) and the DOS code pages 437 and 850.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quill::document::code_pages {

// True for the code pages this program can decode and encode (1250 to 1258).
bool isSupported(unsigned codePage);
// True for the double-byte code pages this program can decode (932, 936, 949, 950).
bool isDoubleByte(unsigned codePage);
// True for every code page this program can decode.
bool canDecode(unsigned codePage);

// The character a single byte stands for. Code pages that cannot be decoded decode as 1252; bytes the code
// page leaves unassigned keep their own value (U+0080 to U+00FF), so nothing is lost. In a double-byte code
// page this is the meaning of a byte on its own (ASCII, and the half-width katakana of 932).
char32_t decodeByte(unsigned codePage, std::uint8_t byte);

// True when the byte starts a two-byte character of a double-byte code page.
bool isLeadByte(unsigned codePage, std::uint8_t byte);
// The character of a lead byte and the byte after it; nothing when that byte cannot follow a lead byte
// (the lead byte then stands alone and the byte is read on its own). U+FFFD for a pair the code page
// leaves unassigned.
std::optional<char32_t> decodePair(unsigned codePage, std::uint8_t lead, std::uint8_t trail);

// Appends the UTF-8 form of bytes in the code page (pairs of bytes in a double-byte one; a lead byte
// without its second byte becomes U+FFFD).
void appendDecoded(std::string& utf8, unsigned codePage, std::string_view bytes);

// The byte for a character, or nothing when the character has no byte of its own in the code page.
std::optional<std::uint8_t> encodeChar(unsigned codePage, char32_t character);

// The code page that an RTF \fcharset number selects; nothing for ANSI and default (the document's own
// code page applies) and for charsets without a code page this program decodes (symbol, OEM, Johab).
std::optional<unsigned> codePageForCharset(int charset);

}  // namespace quill::document::code_pages
