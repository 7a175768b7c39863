// Reading documents into the editor and writing the editor's plain text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "document/document.h"

namespace quill::document {

// Files above this size are refused before they are read.
inline constexpr std::uintmax_t kMaxDocumentBytes = 64u * 1024u * 1024u;

// A failure the user is told about, as a complete German sentence naming the file and the reason.
struct Failure {
    std::string message;
};

using ReadResult = std::variant<Document, Failure>;

// Decides the format from the content (RTF, Word 97-2003, Word 2007+, OpenDocument text, plain
// text) and reads it. `displayName` is used in messages only. `ansiCodePage` is the system's ANSI code
// page as in SaveEncoding: plain text that has no byte-order mark and is not valid UTF-8 is read in it,
// so that a file saved on that system reads back the same; 0 (Linux) or an unsupported one means
// Windows-1252.
// Paragraphs are joined by '\n' with none after the last one (a writer's closing paragraph mark opens
// no empty paragraph); line breaks inside a paragraph are '\n' too. Table cells end with '\t' and the
// end of a row ends the line (a table nested in a cell gives its rows as lines inside that cell). Plain
// text keeps its line breaks exactly, as '\n'.
// The word-processor formats give the same text for the same document: the main text as it now reads,
// fields with their shown result. Left out, in every format: text deleted with tracked changes (inserted
// text stays), hidden text, soft hyphens, list bullets and numbers (paragraph formatting, not text a
// book should get), footnotes and endnotes with their marks, comments, headers and footers, text
// boxes, frames and pictures, ruby annotations.
ReadResult readDocument(std::span<const std::uint8_t> bytes, const std::string& displayName,
                        unsigned ansiCodePage = 0);
// The file's name for messages: UTF-8, a long one shortened in the middle so that its end stays visible.
std::string displayNameOf(const std::filesystem::path& path);

// Reads a file; a pipe, socket or device is refused before anything could wait on it; a missing, unreadable,
// oversized or broken file gives a Failure.
ReadResult readDocumentFile(const std::filesystem::path& path, unsigned ansiCodePage = 0);

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
TextExtent extentOf(const Document& document);

// Nothing when a loaded document fits the editor; else why not, naming the file and the limit.
std::optional<Failure> checkFitsEditor(const Document& document, const std::string& displayName);
// Nothing when the editor, holding `held`, can take `pasted` as well; else why not.
std::optional<Failure> checkPasteFitsEditor(const TextExtent& held, const TextExtent& pasted);

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
