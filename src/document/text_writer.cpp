// Saving the editor's plain text: encoding with CR LF line breaks, and the atomic replace of the file.
#include <fstream>
#include <system_error>

#include "core/unicode.h"
#include "document/code_pages.h"
#include "document/document_io.h"
#include "document/readers.h"

namespace quill::document {

std::string encodeForSave(const std::string& utf8Text, SaveEncoding encoding) {
    const std::u32string text = unicode::withCrLfLineBreaks(unicode::utf8ToUtf32(utf8Text));
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
        if (fits) return bytes;
    }
    std::string bytes = encoding.ansiCodePage != 0 ? "\xEF\xBB\xBF" : "";
    bytes += unicode::utf32ToUtf8(text);
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
        return fail("Der Ordner \"" + std::string(reinterpret_cast<const char*>(folder.u8string().c_str())) +
                    "\" existiert nicht.");
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
