// Fuzzes the .docx/.odt readers. The first byte chooses what the rest is: a whole ZIP package, the main
// XML part of a .docx, or the content XML of an .odt (so that the XML readers are reached without the
// package checksums in the way).
#include <string_view>

#include "document/readers.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quill::document;
    if (size == 0) return 0;
    const Bytes rest(data + 1, size - 1);
    const std::string_view xml(reinterpret_cast<const char*>(rest.data()), rest.size());
    try {
        switch (data[0] % 3) {
            case 0:
                fuzzing::checkDocument(readOfficePackage(rest));
                break;
            case 1:
                fuzzing::checkDocument(readWordXmlPart(xml));
                break;
            default:
                fuzzing::checkDocument(readOpenDocumentParts(xml, xml));
                break;
        }
    } catch (const ReadError&) {
    }
    return 0;
}
