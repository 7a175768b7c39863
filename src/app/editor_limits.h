// How much text the editor takes, and the checks that keep larger texts out of it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/failure.h"

namespace quill::app {

// How much text the editors take without keeping the window busy for more than about two seconds on
// a two-core machine (figures in the README: the slower of the two programs' editors sets them).
// Larger texts are refused before the editor is touched, when opened and when pasted.
inline constexpr std::size_t kMaxEditorLines = 50'000;
inline constexpr std::size_t kMaxEditorLineCharacters = 1'000'000;

// Lines of a text ('\n'-separated; every text has at least one) and its longest line, in characters.
struct TextExtent {
    std::size_t lines = 1;
    std::size_t longestLine = 0;
};
TextExtent extentOf(std::u16string_view text);
TextExtent extentOf(const document::Document& document);

// Nothing when a loaded document fits the editor; else why not, naming the file and the limit.
std::optional<document::Failure> checkFitsEditor(const document::Document& document,
                                                 const std::string& displayName);
// Nothing when the editor, holding `held`, can take `pasted` as well; else why not.
std::optional<document::Failure> checkPasteFitsEditor(const TextExtent& held, const TextExtent& pasted);

}  // namespace quill::app
