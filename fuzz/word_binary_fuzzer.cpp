// Fuzzes the compound-file and Word 97-2003 reader.
#include "document/readers.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quill::document;
    try {
        fuzzing::checkDocument(readWordBinary(Bytes(data, size)));
    } catch (const ReadError&) {
    }
    return 0;
}
