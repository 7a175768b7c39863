// Reading the bytes of a file that is checked to be an ordinary file before anything could wait on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quill::document {

enum class FileProblem { None, NotFound, Special, Denied, TooLarge, ReadFailed };

// Reads the whole file into `bytes`. A pipe, socket or device is refused (Special) without being opened
// for reading (a pipe would wait for a writer), and the check is repeated on the opened handle, so that
// nothing swapped in meanwhile is read either. A file of more than `maxBytes` is not read (TooLarge);
// `size` then holds its size, as far as it was counted.
FileProblem readOrdinaryFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                             std::vector<std::uint8_t>& bytes, std::uintmax_t& size);

}  // namespace quill::document
