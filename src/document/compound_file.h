// Reading streams out of a compound file (the container of Word 97-2003 documents). Every sector
// number, chain and size is checked against the file, so a broken file raises ReadError, never more.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "document/byte_reader.h"

namespace quill::document {

class CompoundFile {
  public:
    explicit CompoundFile(Bytes bytes);

    // True when the root storage holds a stream or storage of that name (compared case-insensitively).
    bool contains(std::u16string_view name) const;
    // The whole stream of that name in the root storage; nothing when there is none.
    std::optional<std::vector<std::uint8_t>> stream(std::u16string_view name) const;

  private:
    struct Entry {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    std::vector<std::uint32_t> chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                     std::size_t unitCount) const;
    Bytes sector(std::uint32_t index) const;
    std::vector<std::uint8_t> readRegular(std::uint32_t start, std::uint64_t size) const;
    std::optional<std::size_t> findInRoot(std::u16string_view name) const;

    Bytes bytes_;
    std::size_t sectorSize_ = 512;
    std::size_t sectorCount_ = 0;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<Entry> entries_;
    std::vector<std::uint8_t> miniStream_;
};

}  // namespace quill::document
