// Fuzzes the RTF reader.
#include "document/readers.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quill::document;
    try {
        fuzzing::checkDocument(readRtf(Bytes(data, size)));
    } catch (const ReadError&) {
    }
    return 0;
}
