#include "document/failure.h"

#include "core/display_text.h"

namespace quill::document {

std::string displayNameOf(const std::filesystem::path& path) {
    // u8string keeps every character of a Windows file name; string() would go through the ANSI code page.
    const std::u8string name = path.filename().u8string();
    return core::shortenInMiddle(std::string(name.begin(), name.end()));
}

}  // namespace quill::document
