// Saving the editor's plain text: encoding with CR LF line breaks, and the atomic replace of the file.
#include "document/save_document.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/display_text.h"
#include "core/unicode.h"
#include "document/code_pages.h"

namespace quill::document {

namespace {

// Whether bytes written without a byte-order mark are read back as plain text with the same
// characters: not when they begin like another format or a byte-order mark, hold a NUL (taken for
// a binary file) or, written in a code page, also form valid UTF-8 (read as UTF-8, another text).
bool readsBackAsWritten(std::string_view bytes, bool inCodePage) {
    for (const std::string_view signature :
         {std::string_view("{\\rtf"), std::string_view("PK\x03\x04"), std::string_view("PK\x05\x06"),
          std::string_view("\xD0\xCF\x11\xE0"), std::string_view("\xEF\xBB\xBF"),
          std::string_view("\xFF\xFE"), std::string_view("\xFE\xFF")}) {
        if (bytes.starts_with(signature)) return false;
    }
    if (bytes.find('\0') != std::string_view::npos) return false;
    if (!inCodePage) return true;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    return ascii || !core::isValidUtf8(bytes);
}

}  // namespace

std::string encodeForSave(const std::string& utf8Text, SaveEncoding encoding) {
    const std::u32string text = core::withCrLfLineBreaks(core::utf8ToUtf32(utf8Text));
    if (encoding.ansiCodePage != 0 && code_pages::isSupported(encoding.ansiCodePage)) {
        std::string bytes;
        bytes.reserve(text.size());
        bool fits = true;
        for (const char32_t c : text) {
            const auto byte = code_pages::encodeChar(encoding.ansiCodePage, c);
            if (!byte) {
                fits = false;
                break;
            }
            bytes.push_back(static_cast<char>(*byte));
        }
        if (fits && readsBackAsWritten(bytes, true)) {
            // Read back in that code page, every character must come out as it went in.
            std::string decoded;
            code_pages::appendDecoded(
                decoded, code_pages::canDecode(encoding.ansiCodePage) ? encoding.ansiCodePage : 1252, bytes);
            if (core::utf8ToUtf32(decoded) == text) return bytes;
        }
    }
    std::string bytes = core::utf32ToUtf8(text);
    // A byte-order mark where the text is to be told apart from other files: always beside a code page
    // (as UTF-8, not in it), and on Linux when the text would otherwise read back as something else.
    if (encoding.ansiCodePage != 0 || !readsBackAsWritten(bytes, false)) bytes.insert(0, "\xEF\xBB\xBF");
    return bytes;
}

namespace {

// A name beside the target that does not exist yet.
std::filesystem::path temporaryNameBeside(const std::filesystem::path& target) {
    std::error_code error;
    for (unsigned attempt = 0;; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += ".quillpost-" + std::to_string(attempt) + ".tmp";
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error)) || attempt >= 1000) {
            return candidate;
        }
    }
}

}  // namespace

std::optional<Failure> savePlainTextFile(const std::filesystem::path& path, const std::string& utf8Text,
                                         SaveEncoding encoding) {
    const std::string name = displayNameOf(path);
    std::error_code error;
    // A link is followed, so that the file it points to is replaced and the link itself stays.
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
        const auto resolved = std::filesystem::weakly_canonical(path, error);
        if (!error) target = resolved;
    }
    const auto targetStatus = std::filesystem::status(target, error);
    const bool existed = std::filesystem::exists(targetStatus);
    const auto fail = [&](const std::string& reason) {
        return Failure{"Die Datei \"" + name + "\" konnte nicht gespeichert werden: " + reason +
                       (existed ? " Die bisherige Datei ist unverändert." : "")};
    };
    if (std::filesystem::is_directory(targetStatus)) {
        return Failure{
            "Die Datei \"" + name +
            "\" konnte nicht gespeichert werden: Unter diesem Namen gibt es bereits einen Ordner."};
    }
    if (existed &&
        (targetStatus.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
        return fail("Die Datei ist schreibgeschützt.");
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    if (!std::filesystem::is_directory(folder, error)) {
        // The nearest part of the folder's path that exists tells why: missing, or a file.
        std::filesystem::path existing = folder;
        while (existing.has_relative_path() &&
               !std::filesystem::exists(std::filesystem::status(existing, error)))
            existing = existing.parent_path();
        const auto shown = [](const std::filesystem::path& part) {
            const std::u8string text = part.u8string();
            return core::shortenInMiddle(std::string(text.begin(), text.end()));
        };
        if (std::filesystem::exists(std::filesystem::status(existing, error))) {
            if (!std::filesystem::is_directory(std::filesystem::status(existing, error))) {
                std::string reason = "\"";
                reason += shown(existing);
                return fail(reason + "\" ist eine Datei und kein Ordner.");
            }
        }
        return fail("Der Ordner \"" + shown(folder) + "\" existiert nicht.");
    }

    const std::string bytes = encodeForSave(utf8Text, encoding);
    const std::filesystem::path temporary = temporaryNameBeside(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return fail("Der Ordner ist schreibgeschützt oder der Zugriff wurde verweigert.");
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        const bool written = static_cast<bool>(out);
        out.close();
        if (!written || out.fail()) {
            std::filesystem::remove(temporary, error);
            return fail("Beim Schreiben ist ein Fehler aufgetreten (ist der Datenträger voll?).");
        }
    }
    if (existed) {
        // The new file keeps the access rights of the one it replaces.
        std::filesystem::permissions(temporary, targetStatus.permissions(), error);
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return fail("Die Datei ist schreibgeschützt oder wird von einem anderen Programm verwendet.");
    }
    return std::nullopt;
}

}  // namespace quill::document
