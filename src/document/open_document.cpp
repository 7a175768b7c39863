// Opening documents: size check, reading the bytes, choosing the reader from the content.
#include "document/open_document.h"

#include <cstring>
#include <new>
#include <system_error>
#include <vector>

#include "core/display_text.h"
#include "document/ordinary_file.h"
#include "document/readers.h"

namespace quill::document {

namespace {

bool startsWith(Bytes bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

Failure failure(const std::string& displayName, const std::string& text) {
    return Failure{"Die Datei \"" + displayName + "\" " + text};
}

// Sizes in bytes, as they are counted, and the limit in MiB with its bytes.
Failure tooLarge(const std::string& displayName, std::uintmax_t bytes) {
    return failure(displayName, "ist zu groß (" + core::groupedNumber(bytes) +
                                    " Bytes). Es können höchstens 64 MiB (" +
                                    core::groupedNumber(kMaxDocumentBytes) + " Bytes) geöffnet werden.");
}

}  // namespace

ReadResult readDocument(std::span<const std::uint8_t> bytes, const std::string& displayName,
                        unsigned ansiCodePage) {
    if (bytes.size() > kMaxDocumentBytes) return tooLarge(displayName, bytes.size());
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
    if (std::filesystem::is_directory(status)) {
        return Failure{"\"" + name + "\" ist ein Ordner und keine Datei; er kann nicht geöffnet werden."};
    }
    std::vector<std::uint8_t> bytes;
    std::uintmax_t size = 0;
    switch (readOrdinaryFile(path, kMaxDocumentBytes, bytes, size)) {
        case FileProblem::None:
            break;
        case FileProblem::NotFound:
            return failure(name, "wurde nicht gefunden. Bitte prüfen Sie Namen und Ordner.");
        case FileProblem::Special:
            return failure(
                name,
                "ist keine gewöhnliche Datei, sondern eine Pipe, ein Socket oder ein Gerät, und kann "
                "nicht geöffnet werden.");
        case FileProblem::Denied:
            return failure(name,
                           "kann nicht geöffnet werden: Der Zugriff wurde verweigert oder sie ist gesperrt.");
        case FileProblem::TooLarge:
            return tooLarge(name, size);
        case FileProblem::ReadFailed:
            return failure(name, "konnte nicht vollständig gelesen werden (Lesefehler).");
    }
    return readDocument(bytes, name, ansiCodePage);
}

}  // namespace quill::document
