// Opening documents: size check, reading the bytes, choosing the reader from the content.
#include "document/document_io.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>

#include "document/readers.h"

namespace quill::document {

std::string displayNameOf(const std::filesystem::path& path) {
    // u8string keeps every character of a Windows file name; string() would go through the ANSI code page.
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

namespace {

bool startsWith(Bytes bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

Failure failure(const std::string& displayName, const std::string& text) {
    return Failure{"Die Datei \"" + displayName + "\" " + text};
}

std::string megabytes(std::uintmax_t bytes) {
    return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

}  // namespace

ReadResult readDocument(std::span<const std::uint8_t> bytes, const std::string& displayName,
                        unsigned ansiCodePage) {
    if (bytes.size() > kMaxDocumentBytes) {
        return failure(displayName, "ist zu groß (" + megabytes(bytes.size()) +
                                        "). Es können höchstens 64 MB geöffnet werden.");
    }
    try {
        if (startsWith(bytes, "{\\rtf")) return readRtf(bytes);
        if (startsWith(bytes, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return readWordBinary(bytes);
        if (startsWith(bytes, "PK\x03\x04") || startsWith(bytes, "PK\x05\x06"))
            return readOfficePackage(bytes);
        return readPlainText(bytes, ansiCodePage);
    } catch (const ReadError& error) {
        switch (error.kind()) {
            case ReadError::Kind::Encrypted:
                return failure(
                    displayName,
                    "ist mit einem Kennwort geschützt (verschlüsselt) und kann nicht geöffnet werden.");
            case ReadError::Kind::Unsupported:
                return failure(displayName, std::string("kann nicht geöffnet werden: ") + error.what() + ".");
            case ReadError::Kind::Broken:
                break;
        }
        return failure(displayName,
                       std::string("ist beschädigt oder unvollständig und kann nicht geöffnet werden (") +
                           error.what() + ").");
    } catch (const std::bad_alloc&) {
        return failure(displayName, "kann nicht geöffnet werden: Es ist nicht genug Arbeitsspeicher frei.");
    }
}

ReadResult readDocumentFile(const std::filesystem::path& path, unsigned ansiCodePage) {
    const std::string name = displayNameOf(path);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return failure(name, "wurde nicht gefunden. Bitte prüfen Sie Namen und Ordner.");
    }
    if (std::filesystem::is_directory(status)) {
        return Failure{"\"" + name + "\" ist ein Ordner und keine Datei; er kann nicht geöffnet werden."};
    }
    if (std::filesystem::is_regular_file(status)) {
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (!error && size > kMaxDocumentBytes) {
            return failure(
                name, "ist zu groß (" + megabytes(size) + "). Es können höchstens 64 MB geöffnet werden.");
        }
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return failure(name,
                       "kann nicht geöffnet werden: Der Zugriff wurde verweigert oder sie ist gesperrt.");
    }
    // The size may have changed since it was checked (or be unknown for a special file): read in pieces
    // and stop as soon as the limit is passed.
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 1u << 20;
    while (in) {
        const std::size_t old = bytes.size();
        if (old > kMaxDocumentBytes) {
            return failure(name, "ist zu groß. Es können höchstens 64 MB geöffnet werden.");
        }
        bytes.resize(old + kChunk);
        in.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(kChunk));
        bytes.resize(old + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return failure(name, "konnte nicht vollständig gelesen werden (Lesefehler).");
    return readDocument(bytes, name, ansiCodePage);
}

}  // namespace quill::document
