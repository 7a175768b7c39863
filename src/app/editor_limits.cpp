// The editor's limits: a text's lines and longest line, counted without converting it, and the
// messages that refuse what is too large.
#include "app/editor_limits.h"

#include <algorithm>

#include "core/display_text.h"

namespace quill::app {

namespace {

void measure(TextExtent& extent, std::size_t& current, std::u16string_view text) {
    for (const char16_t unit : text) {
        if (unit == u'\n') {
            ++extent.lines;
            current = 0;
        } else if (unit != u'\r' && (unit < 0xDC00 || unit > 0xDFFF)) {  // a low surrogate: counted already
            extent.longestLine = std::max(extent.longestLine, ++current);
        }
    }
}

std::string tooMuchForEditor(const std::string& subject, const TextExtent& extent, const char* outcome) {
    if (extent.lines > kMaxEditorLines) {
        return subject + " " + core::groupedNumber(extent.lines) + " Zeilen. Der Editor kann höchstens " +
               core::groupedNumber(kMaxEditorLines) + " Zeilen anzeigen, ohne lange zu hängen; " + outcome;
    }
    return subject + " eine Zeile mit " + core::groupedNumber(extent.longestLine) +
           " Zeichen. Der Editor kann Zeilen mit höchstens " + core::groupedNumber(kMaxEditorLineCharacters) +
           " Zeichen anzeigen, ohne lange zu hängen; " + outcome;
}

bool fits(const TextExtent& extent) {
    return extent.lines <= kMaxEditorLines && extent.longestLine <= kMaxEditorLineCharacters;
}

}  // namespace

TextExtent extentOf(std::u16string_view text) {
    TextExtent extent;
    std::size_t current = 0;
    measure(extent, current, text);
    return extent;
}

TextExtent extentOf(const document::Document& document) {
    TextExtent extent;
    std::size_t current = 0;
    for (const document::TextRun& run : document.runs) {
        // Counted in UTF-16 units without converting: every byte that starts a character counts.
        for (const char c : run.text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == '\n') {
                ++extent.lines;
                current = 0;
            } else if ((byte & 0xC0) != 0x80) {
                extent.longestLine = std::max(extent.longestLine, ++current);
            }
        }
    }
    return extent;
}

std::optional<document::Failure> checkFitsEditor(const document::Document& document,
                                                 const std::string& displayName) {
    const TextExtent extent = extentOf(document);
    if (fits(extent)) return std::nullopt;
    return document::Failure{tooMuchForEditor("Die Datei \"" + displayName + "\" hat", extent,
                                              "sie wurde nicht geöffnet, der bisherige Text bleibt.")};
}

std::optional<document::Failure> checkPasteFitsEditor(const TextExtent& held, const TextExtent& pasted) {
    // At most: the lines add up (the line pasted into is shared), and the pasted text's first line
    // may join a line already there.
    const TextExtent together{held.lines + pasted.lines - 1, held.longestLine + pasted.longestLine};
    if (fits(together)) return std::nullopt;
    return document::Failure{tooMuchForEditor("Mit dem eingefügten Text hätte der Editor bis zu", together,
                                              "der Text wurde nicht eingefügt.")};
}

}  // namespace quill::app
