#include "document/document.h"

namespace quill::document {

void Document::append(std::string_view text, const TextFormat& format) {
    if (text.empty()) return;
    if (!runs.empty() && runs.back().format == format) {
        runs.back().text += text;
    } else {
        runs.push_back(TextRun{std::string(text), format});
    }
}

std::string Document::plainText() const {
    std::string text;
    for (const TextRun& run : runs) text += run.text;
    return text;
}

}  // namespace quill::document
