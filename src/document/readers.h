// The individual format readers behind readDocument. Each throws ReadError for a file it cannot read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/document.h"

namespace quill::document {

class ReadError : public std::runtime_error {
  public:
    enum class Kind { Broken, Encrypted, Unsupported };
    // `reason` is a German phrase that completes "... kann nicht gelesen werden: <reason>."
    ReadError(Kind kind, const std::string& reason) : std::runtime_error(reason), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

using Bytes = std::span<const std::uint8_t>;

// Byte-order mark, else valid UTF-8, else the given Windows code page (Windows-1252 when it is 0 or not
// supported). Line breaks become '\n'.
Document readPlainText(Bytes bytes, unsigned codePage = 0);
// Rich Text Format with character formatting.
Document readRtf(Bytes bytes);
// Word 97-2003 binary document inside a compound file.
Document readWordBinary(Bytes bytes);
// A ZIP package: Word 2007+ (.docx) or OpenDocument text (.odt).
Document readOfficePackage(Bytes bytes);

// The XML parts of those packages, read directly (also used by the fuzz targets).
Document readWordXmlPart(std::string_view documentXml);
Document readOpenDocumentParts(std::string_view contentXml, std::string_view stylesXml);

// The file's name for messages, in UTF-8 (never through the ANSI code page).
std::string displayNameOf(const std::filesystem::path& path);

// Little-endian reads that are checked against the end of the data.
inline std::uint16_t readU16(Bytes bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 2) {
        throw ReadError(ReadError::Kind::Broken, "ein Verweis zeigt hinter das Dateiende");
    }
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}
inline std::uint32_t readU32(Bytes bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 4) {
        throw ReadError(ReadError::Kind::Broken, "ein Verweis zeigt hinter das Dateiende");
    }
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

}  // namespace quill::document
