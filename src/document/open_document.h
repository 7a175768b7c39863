// Opening a document: the file's bytes are read, its format is told from its content and the reader
// for that format gives the text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <variant>

#include "document/document.h"
#include "document/failure.h"

namespace quill::document {

// Files above this size are refused before they are read.
inline constexpr std::uintmax_t kMaxDocumentBytes = 64u * 1024u * 1024u;

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

// Reads a file; a pipe, socket or device is refused before anything could wait on it; a missing, unreadable,
// oversized or broken file gives a Failure.
ReadResult readDocumentFile(const std::filesystem::path& path, unsigned ansiCodePage = 0);

}  // namespace quill::document
