// Opening documents: size check, reading the bytes, choosing the reader from the content.
#include "document/document_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/display_text.h"
#include "document/readers.h"

namespace quill::document {

std::string displayNameOf(const std::filesystem::path& path) {
    // u8string keeps every character of a Windows file name; string() would go through the ANSI code page.
    const std::u8string name = path.filename().u8string();
    return display::shortenInMiddle(std::string(name.begin(), name.end()));
}

namespace {

bool startsWith(Bytes bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

Failure failure(const std::string& displayName, const std::string& text) {
    return Failure{"Die Datei \"" + displayName + "\" " + text};
}

// Sizes in bytes, as they are counted, and the limit in MiB with its bytes.
Failure tooLarge(const std::string& displayName, std::uintmax_t bytes) {
    return failure(displayName, "ist zu groß (" + display::groupedNumber(bytes) +
                                    " Bytes). Es können höchstens 64 MiB (" +
                                    display::groupedNumber(kMaxDocumentBytes) + " Bytes) geöffnet werden.");
}

}  // namespace

namespace {

void measure(TextExtent& extent, std::size_t& current, std::u16string_view text) {
    for (const char16_t unit : text) {
        if (unit == u'\n') {
            ++extent.lines;
            current = 0;
        } else if (unit != u'\r' && (unit < 0xDC00 || unit > 0xDFFF)) {  // a low surrogate: counted already
            extent.longestLine = std::max(extent.longestLine, ++current);
        }
    }
}

std::string tooMuchForEditor(const std::string& subject, const TextExtent& extent, const char* outcome) {
    if (extent.lines > kMaxEditorLines) {
        return subject + " " + display::groupedNumber(extent.lines) + " Zeilen. Der Editor kann höchstens " +
               display::groupedNumber(kMaxEditorLines) + " Zeilen anzeigen, ohne lange zu hängen; " + outcome;
    }
    return subject + " eine Zeile mit " + display::groupedNumber(extent.longestLine) +
           " Zeichen. Der Editor kann Zeilen mit höchstens " +
           display::groupedNumber(kMaxEditorLineCharacters) + " Zeichen anzeigen, ohne lange zu hängen; " +
           outcome;
}

bool fits(const TextExtent& extent) {
    return extent.lines <= kMaxEditorLines && extent.longestLine <= kMaxEditorLineCharacters;
}

}  // namespace

TextExtent extentOf(std::u16string_view text) {
    TextExtent extent;
    std::size_t current = 0;
    measure(extent, current, text);
    return extent;
}

TextExtent extentOf(const Document& document) {
    TextExtent extent;
    std::size_t current = 0;
    for (const TextRun& run : document.runs) {
        // Counted in UTF-16 units without converting: every byte that starts a character counts.
        for (const char c : run.text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == '\n') {
                ++extent.lines;
                current = 0;
            } else if ((byte & 0xC0) != 0x80) {
                extent.longestLine = std::max(extent.longestLine, ++current);
            }
        }
    }
    return extent;
}

std::optional<Failure> checkFitsEditor(const Document& document, const std::string& displayName) {
    const TextExtent extent = extentOf(document);
    if (fits(extent)) return std::nullopt;
    return Failure{tooMuchForEditor("Die Datei \"" + displayName + "\" hat", extent,
                                    "sie wurde nicht geöffnet, der bisherige Text bleibt.")};
}

std::optional<Failure> checkPasteFitsEditor(const TextExtent& held, const TextExtent& pasted) {
    // At most: the lines add up (the line pasted into is shared), and the pasted text's first line
    // may join a line already there.
    const TextExtent together{held.lines + pasted.lines - 1, held.longestLine + pasted.longestLine};
    if (fits(together)) return std::nullopt;
    return Failure{tooMuchForEditor("Mit dem eingefügten Text hätte der Editor bis zu", together,
                                    "der Text wurde nicht eingefügt.")};
}

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

namespace {

// The bytes of a file that is checked to be an ordinary file before anything could wait on it: a
// pipe, socket or device is refused without being opened for reading (a pipe would wait for a
// writer), and the check is repeated on the opened handle, so that nothing swapped in meanwhile is
// read either.
enum class FileProblem { None, NotFound, Special, Denied, TooLarge, ReadFailed };

#if defined(_WIN32)
FileProblem readOrdinaryFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                             std::uintmax_t& size) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileProblem::NotFound
                                                                              : FileProblem::Denied;
    }
    FileProblem problem = FileProblem::None;
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        problem = FileProblem::Special;
    } else if (!GetFileSizeEx(file, &length)) {
        problem = FileProblem::ReadFailed;
    } else if ((size = static_cast<std::uintmax_t>(length.QuadPart)) > kMaxDocumentBytes) {
        problem = FileProblem::TooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file, bytes.data() + done,
                          static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20)), &got,
                          nullptr)) {
                problem = FileProblem::ReadFailed;
                break;
            }
            if (got == 0) break;  // the file became shorter meanwhile
            done += got;
        }
        bytes.resize(done);
    }
    CloseHandle(file);
    return problem;
}
#else
FileProblem readOrdinaryFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                             std::uintmax_t& size) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? FileProblem::NotFound : FileProblem::Denied;
    }
    if (!S_ISREG(info.st_mode)) return FileProblem::Special;
    const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0) return errno == ENOENT ? FileProblem::NotFound : FileProblem::Denied;
    FileProblem problem = FileProblem::None;
    if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = FileProblem::Special;
    } else if ((size = static_cast<std::uintmax_t>(info.st_size)) > kMaxDocumentBytes) {
        problem = FileProblem::TooLarge;
    } else {
        // The file may grow while it is read: never more than the limit and one byte.
        bytes.resize(static_cast<std::size_t>(size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) {
                if (bytes.size() > kMaxDocumentBytes) break;
                bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaxDocumentBytes + 1));
            }
            const ssize_t got = ::read(file, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                problem = FileProblem::ReadFailed;
                break;
            }
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        if (done > kMaxDocumentBytes) {
            size = done;
            problem = FileProblem::TooLarge;
        }
    }
    ::close(file);
    return problem;
}
#endif

}  // namespace

ReadResult readDocumentFile(const std::filesystem::path& path, unsigned ansiCodePage) {
    const std::string name = displayNameOf(path);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status)) {
        return Failure{"\"" + name + "\" ist ein Ordner und keine Datei; er kann nicht geöffnet werden."};
    }
    std::vector<std::uint8_t> bytes;
    std::uintmax_t size = 0;
    switch (readOrdinaryFile(path, bytes, size)) {
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
