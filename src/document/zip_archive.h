// Reading members of a ZIP archive (the container of .docx and .odt files), with bounded inflation.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/byte_reader.h"

namespace quill::document {

class ZipArchive {
  public:
    explicit ZipArchive(Bytes bytes);

    bool contains(std::string_view name) const;
    // The member's content; nothing when there is no member of that name. A member that would unpack to
    // more than `maxSize` bytes, is encrypted or is broken raises ReadError.
    std::optional<std::string> read(std::string_view name, std::size_t maxSize) const;

  private:
    struct Member {
        std::string name;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint64_t compressedSize = 0;
        std::uint64_t uncompressedSize = 0;
        std::uint64_t localHeader = 0;
    };
    static void readZip64Extra(Bytes extra, Member& member);
    const Member* find(std::string_view name) const;

    Bytes bytes_;
    std::vector<Member> members_;
};

}  // namespace quill::document
