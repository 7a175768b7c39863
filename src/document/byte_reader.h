// What every format reader builds on: the bytes it reads, the error it raises for a file it cannot read,
// and little-endian reads checked against the end of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

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

// Raises ReadError for a broken file: `reason` says what is wrong with it.
[[noreturn]] inline void broken(const std::string& reason) {
    throw ReadError(ReadError::Kind::Broken, reason);
}

// Raises ReadError unless `size` bytes from `offset` lie within the data.
inline void checkRange(Bytes bytes, std::size_t offset, std::size_t size) {
    if (offset > bytes.size() || bytes.size() - offset < size)
        broken("ein Verweis zeigt hinter das Dateiende");
}

inline std::uint16_t readU16(Bytes bytes, std::size_t offset) {
    checkRange(bytes, offset, 2);
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}
inline std::uint32_t readU32(Bytes bytes, std::size_t offset) {
    checkRange(bytes, offset, 4);
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}
inline std::uint64_t readU64(Bytes bytes, std::size_t offset) {
    return readU32(bytes, offset) | (std::uint64_t{readU32(bytes, offset + 4)} << 32);
}

}  // namespace quill::document
