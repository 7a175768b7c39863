// Texts made for the user's eyes: names shortened to fit a message box, numbers with separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quill::core {

// A name longer than `maxCharacters` characters keeps its beginning and its end, joined by "…", so
// that the end (the file type, the last folder) stays visible in a message box.
std::string shortenInMiddle(std::string_view utf8, std::size_t maxCharacters = 60);

// A count written the German way, with a dot every three digits: 1234567 gives "1.234.567".
std::string groupedNumber(std::uintmax_t value);

}  // namespace quill::core
