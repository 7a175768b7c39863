// Saving the editor's text as a plain-text file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "document/failure.h"

namespace quill::document {

// How saved text is encoded: ansiCodePage 0 means UTF-8 without byte-order mark (Linux);
// otherwise that Windows code page when every character fits, else UTF-8 with a byte-order mark.
struct SaveEncoding {
    unsigned ansiCodePage = 0;
};

// Encodes text (UTF-8, any line breaks) with CR LF line breaks under the given policy. Nothing is
// added at the end: the text ends with CR LF only when it ends with a line break.
std::string encodeForSave(const std::string& utf8Text, SaveEncoding encoding);

// Writes the text atomically: a temporary file beside the target, renamed over it. On failure the
// old file is untouched, the temporary file is gone and the Failure says why, in German. A
// write-protected file is not replaced; a symbolic link is followed, so the link stays.
std::optional<Failure> savePlainTextFile(const std::filesystem::path& path, const std::string& utf8Text,
                                         SaveEncoding encoding);

}  // namespace quill::document
