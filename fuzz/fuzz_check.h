// Checks shared by the fuzz targets: every document that is read holds well-formed UTF-8.
#pragma once

#include <cstdlib>

#include "core/unicode.h"
#include "document/document.h"

namespace quill::document::fuzzing {

inline void checkDocument(const Document& document) {
    for (const TextRun& run : document.runs) {
        if (run.text.empty() || !core::isValidUtf8(run.text)) std::abort();
    }
}

}  // namespace quill::document::fuzzing
