// Conversions between the three Unicode encodings the program meets: UTF-8 (our internal strings,
// X11 titles), UTF-16 (Qt, Win32) and UTF-32 (one element per character, used for typing).
#pragma once

#include <string>
#include <string_view>

namespace quill::core {

// Invalid sequences become U+FFFD; nothing is dropped silently.
std::u32string utf8ToUtf32(std::string_view text);
std::string utf32ToUtf8(std::u32string_view text);
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
std::u32string utf16ToUtf32(std::u16string_view text);
std::u16string utf32ToUtf16(std::u32string_view text);

// Appends one code point as UTF-8 / UTF-16. Surrogates and values above U+10FFFF become U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);
void appendUtf16(std::u16string& out, char32_t codePoint);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Number of code points in UTF-8 text (invalid bytes count one each).
std::size_t codePointCount(std::string_view utf8);

// Normalises every line break (CR LF, lone CR, lone LF, U+2029, U+2028) to CR LF.
std::u32string withCrLfLineBreaks(std::u32string_view text);

}  // namespace quill::core
