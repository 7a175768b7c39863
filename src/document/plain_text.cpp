// Plain text: UTF-8 or UTF-16 with a byte-order mark, UTF-8 without one when valid, else Windows-1252.
#include <string_view>

#include "core/unicode.h"
#include "document/code_pages.h"
#include "document/readers.h"

namespace quill::document {
namespace {

// CR LF and lone CR become '\n'; everything else stays.
std::string withLfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string decodeUtf16(Bytes bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = bytes[i];
        const unsigned second = bytes[i + 1];
        units.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    std::string utf8 = core::utf16ToUtf8(units);
    // An odd trailing byte cannot be a character: show it as a replacement rather than drop it.
    if (bytes.size() % 2 != 0) core::appendUtf8(utf8, U'\uFFFD');
    return utf8;
}

}  // namespace

Document readPlainText(Bytes bytes, unsigned codePage) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string utf8;
    if (raw.starts_with("\xEF\xBB\xBF")) {
        // Invalid sequences after a UTF-8 mark become U+FFFD.
        utf8 = core::utf32ToUtf8(core::utf8ToUtf32(raw.substr(3)));
    } else if (raw.starts_with("\xFF\xFE")) {
        utf8 = decodeUtf16(bytes.subspan(2), false);
    } else if (raw.starts_with("\xFE\xFF")) {
        utf8 = decodeUtf16(bytes.subspan(2), true);
    } else {
        if (raw.find('\0') != std::string_view::npos) {
            throw ReadError(ReadError::Kind::Unsupported,
                            "Sie ist weder eine Textdatei noch ein RTF-, Word- oder OpenDocument-Dokument");
        }
        if (core::isValidUtf8(raw)) {
            utf8.assign(raw);
        } else {
            code_pages::appendDecoded(utf8, code_pages::canDecode(codePage) ? codePage : 1252, raw);
        }
    }
    Document document;
    document.format = Format::PlainText;
    document.append(withLfLineBreaks(utf8));
    return document;
}

}  // namespace quill::document
