// Fuzzes format detection and the plain-text reader through readDocument, and the save encoder with
// what was read.
#include "document/open_document.h"
#include "document/save_document.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quill::document;
    const ReadResult result = readDocument(std::span<const std::uint8_t>(data, size), "fuzz");
    if (const auto* document = std::get_if<Document>(&result)) {
        fuzzing::checkDocument(*document);
        const std::string text = document->plainText();
        (void)encodeForSave(text, SaveEncoding{1252});
        (void)encodeForSave(text, SaveEncoding{0});
    } else if (std::get<Failure>(result).message.find("\"fuzz\"") == std::string::npos) {
        std::abort();  // every message names the file
    }
    return 0;
}
