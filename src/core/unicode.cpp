#include "core/unicode.h"

namespace quill::core {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Invalid input yields U+FFFD and consumes one byte.
char32_t decodeUtf8(std::string_view text, std::size_t& i, bool& valid) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    valid = true;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        valid = false;
        ++i;
        return kReplacement;
    }
    if (i + length > text.size()) {
        valid = false;
        ++i;
        return kReplacement;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            valid = false;
            ++i;
            return kReplacement;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || isSurrogate(value)) {
        valid = false;
        ++i;
        return kReplacement;
    }
    i += length;
    return value;
}

char32_t sanitize(char32_t c) {
    return (isSurrogate(c) || c > 0x10FFFF) ? kReplacement : c;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    c = sanitize(c);
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    c = sanitize(c);
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

std::u32string utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    bool valid = true;
    for (std::size_t i = 0; i < text.size();) out.push_back(decodeUtf8(text, i, valid));
    return out;
}

std::string utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

std::u32string utf16ToUtf32(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            out.push_back(isSurrogate(unit) ? kReplacement : unit);
        }
    }
    return out;
}

std::u16string utf32ToUtf16(std::u32string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char32_t c : text) appendUtf16(out, c);
    return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
    return utf32ToUtf16(utf8ToUtf32(text));
}
std::string utf16ToUtf8(std::u16string_view text) {
    return utf32ToUtf8(utf16ToUtf32(text));
}

bool isValidUtf8(std::string_view bytes) {
    bool valid = true;
    for (std::size_t i = 0; i < bytes.size();) {
        decodeUtf8(bytes, i, valid);
        if (!valid) return false;
    }
    return true;
}

std::size_t codePointCount(std::string_view utf8) {
    std::size_t count = 0;
    bool valid = true;
    for (std::size_t i = 0; i < utf8.size(); ++count) decodeUtf8(utf8, i, valid);
    return count;
}

std::u32string withCrLfLineBreaks(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U'\r' || c == U'\n' || c == 0x2029 || c == 0x2028) {
            out += U"\r\n";
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace quill::core
