// Builds compound files and Word 97-2003 documents in memory, for tests, benchmarks and fuzz seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quill::document::testing {

struct CompoundStream {
    std::u16string name;
    std::string data;
};

// A version 3 compound file (512-byte sectors) with the streams in its root storage. Streams shorter than
// 4096 bytes are padded to that size so that all of them live in regular sectors; more than 109 table
// sectors are listed through DIFAT sectors.
std::string buildCompoundFile(const std::vector<CompoundStream>& streams);

// One piece of the main text: 8-bit (Windows-1252) or UTF-16. Control characters (0x0D paragraph,
// 0x13/0x14/0x15 fields, ...) are written as given.
struct WordPiece {
    std::u16string text;
    bool compressed = false;
};

// A Word 97-2003 document whose main text is the pieces in order (a character of an 8-bit piece that
// Windows-1252 lacks throws std::bad_optional_access).
std::string buildWordDocument(const std::vector<WordPiece>& pieces);

}  // namespace quill::document::testing
