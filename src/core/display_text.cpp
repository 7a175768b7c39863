#include "core/display_text.h"

#include "core/unicode.h"

namespace quill::core {

std::string shortenInMiddle(std::string_view utf8, std::size_t maxCharacters) {
    const std::u32string characters = core::utf8ToUtf32(utf8);
    if (characters.size() <= maxCharacters || maxCharacters < 3) return std::string(utf8);
    const std::size_t kept = maxCharacters - 1;
    const std::size_t head = kept * 2 / 5;
    std::u32string shortened = characters.substr(0, head);
    shortened += U'\u2026';
    shortened += characters.substr(characters.size() - (kept - head));
    return core::utf32ToUtf8(shortened);
}

std::string groupedNumber(std::uintmax_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += '.';
        text += digits[i];
    }
    return text;
}

}  // namespace quill::core
