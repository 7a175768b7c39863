// UTF-8 and UTF-32 <-> UTF-16 for the wide-character Win32 functions (wchar_t is 16 bits on
// Windows): the one conversion of every program and test that runs on Windows.
#pragma once

#include <string>
#include <string_view>

#include "core/unicode.h"

namespace quill::platform::win32 {

inline std::wstring toWide(std::string_view utf8) {
    const std::u16string utf16 = core::utf8ToUtf16(utf8);
    return std::wstring(utf16.begin(), utf16.end());
}

inline std::wstring toWide(std::u16string_view utf16) {
    return std::wstring(utf16.begin(), utf16.end());
}

inline std::wstring toWide(std::u32string_view text) {
    return toWide(core::utf32ToUtf16(text));
}

inline std::u16string toUtf16(std::wstring_view wide) {
    return std::u16string(wide.begin(), wide.end());
}

inline std::string fromWide(std::wstring_view wide) {
    return core::utf16ToUtf8(toUtf16(wide));
}

}  // namespace quill::platform::win32
