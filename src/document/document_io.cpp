// Minimal reader/writer: plain UTF-8 text only. The full set of readers replaces this file.
#include "document/document_io.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "core/unicode.h"

namespace quill::document {

ReadResult readDocument(std::span<const std::uint8_t> bytes, const std::string&) {
    Document document;
    std::string text(bytes.begin(), bytes.end());
    std::string normalised;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            normalised.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            normalised.push_back(text[i]);
        }
    }
    document.append(normalised);
    return document;
}

ReadResult readDocumentFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Failure{"Die Datei \"" + path.filename().string() + "\" konnte nicht geöffnet werden."};
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return readDocument(bytes, path.filename().string());
}

std::string encodeForSave(const std::string& utf8Text, SaveEncoding) {
    return unicode::utf32ToUtf8(unicode::withCrLfLineBreaks(unicode::utf8ToUtf32(utf8Text)));
}

std::optional<Failure> savePlainTextFile(const std::filesystem::path& path, const std::string& utf8Text,
                                         SaveEncoding encoding) {
    const std::string bytes = encodeForSave(utf8Text, encoding);
    std::filesystem::path temporary = path;
    temporary += ".quillpost-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) return Failure{"Die Datei \"" + path.filename().string() + "\" konnte nicht gespeichert werden."};
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return Failure{"Die Datei \"" + path.filename().string() + "\" konnte nicht gespeichert werden."};
    }
    return std::nullopt;
}

}  // namespace quill::document
