// The individual format readers behind readDocument. Each throws ReadError for a file it cannot read.
#pragma once

#include <string_view>

#include "document/byte_reader.h"
#include "document/document.h"

namespace quill::document {

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

}  // namespace quill::document
