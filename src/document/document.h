// A loaded document: text in runs of equal formatting, paragraphs separated by '\n'.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill::document {

struct TextFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    double pointSize = 0;                // 0: the editor's own size
    std::optional<std::uint32_t> color;  // 0xRRGGBB; none: the editor's own colour
    std::string fontFamily;              // empty: the editor's own font
    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

struct TextRun {
    std::string text;  // UTF-8; '\n' ends a paragraph, '\t' is a tab
    TextFormat format;
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

enum class Format { PlainText, Rtf, WordBinary, WordXml, OpenDocument };

struct Document {
    Format format = Format::PlainText;
    std::vector<TextRun> runs;

    // Appends text, merging with the last run when the format is the same.
    void append(std::string_view text, const TextFormat& format = {});
    // The whole text without formatting, paragraphs separated by '\n'.
    std::string plainText() const;
};

}  // namespace quill::document
