// What the user is told when a file cannot be opened or saved.
#pragma once

#include <filesystem>
#include <string>

namespace quill::document {

// A failure the user is told about, as a complete German sentence naming the file and the reason.
struct Failure {
    std::string message;
};

// The file's name for messages: UTF-8 (never through the ANSI code page), a long one shortened in the
// middle so that its end stays visible.
std::string displayNameOf(const std::filesystem::path& path);

}  // namespace quill::document
