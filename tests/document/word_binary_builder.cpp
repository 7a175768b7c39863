#include "word_binary_builder.h"

#include "document/code_pages.h"

namespace quill::document::testing {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::size_t kSector = 512;
constexpr std::size_t kPerSector = kSector / 4;

void put16(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
    out[offset] = static_cast<std::uint8_t>(value);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
    put16(out, offset, value & 0xFFFF);
    put16(out, offset + 2, value >> 16);
}
std::size_t sectorsFor(std::size_t bytes) {
    return (bytes + kSector - 1) / kSector;
}

}  // namespace

std::vector<std::uint8_t> buildCompoundFile(const std::vector<CompoundStream>& input) {
    std::vector<CompoundStream> streams = input;
    for (CompoundStream& stream : streams) {
        if (stream.data.size() < 4096) stream.data.resize(4096, 0);
    }
    std::size_t dataSectors = 0;
    for (const CompoundStream& stream : streams) dataSectors += sectorsFor(stream.data.size());
    const std::size_t directorySectors = sectorsFor((streams.size() + 1) * 128);
    std::size_t fatSectors = 1, difatSectors = 0;
    while (true) {
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + kPerSector - 2) / (kPerSector - 1) : 0;
        const std::size_t total = dataSectors + directorySectors + fatSectors + difatSectors;
        if (fatSectors * kPerSector >= total) break;
        ++fatSectors;
    }
    const std::size_t total = dataSectors + directorySectors + fatSectors + difatSectors;
    std::vector<std::uint32_t> fat(fatSectors * kPerSector, kFree);
    std::vector<std::uint8_t> file((total + 1) * kSector, 0);

    // Stream data, each in consecutive sectors.
    std::vector<std::uint32_t> starts;
    std::uint32_t next = 0;
    for (const CompoundStream& stream : streams) {
        const std::size_t count = sectorsFor(stream.data.size());
        starts.push_back(next);
        std::copy(stream.data.begin(), stream.data.end(),
                  file.begin() + static_cast<std::ptrdiff_t>((next + 1) * kSector));
        for (std::size_t i = 0; i < count; ++i)
            fat[next + i] = i + 1 < count ? next + static_cast<std::uint32_t>(i) + 1 : kEndOfChain;
        next += static_cast<std::uint32_t>(count);
    }
    // Directory: the root, then one entry per stream, linked as right siblings.
    const std::uint32_t directoryStart = next;
    for (std::size_t i = 0; i < directorySectors; ++i)
        fat[next + i] = i + 1 < directorySectors ? next + static_cast<std::uint32_t>(i) + 1 : kEndOfChain;
    const auto writeEntry = [&](std::size_t index, const std::u16string& name, std::uint8_t type,
                                std::uint32_t child, std::uint32_t right, std::uint32_t start,
                                std::uint32_t size) {
        const std::size_t at = (directoryStart + 1) * kSector + index * 128;
        for (std::size_t k = 0; k < name.size() && k < 31; ++k) put16(file, at + 2 * k, name[k]);
        put16(file, at + 0x40, static_cast<std::uint32_t>((name.size() + 1) * 2));
        file[at + 0x42] = type;
        file[at + 0x43] = 1;
        put32(file, at + 0x44, kFree);
        put32(file, at + 0x48, right);
        put32(file, at + 0x4C, child);
        put32(file, at + 0x74, start);
        put32(file, at + 0x78, size);
    };
    writeEntry(0, u"Root Entry", 5, streams.empty() ? kFree : 1, kFree, kEndOfChain, 0);
    for (std::size_t i = 0; i < streams.size(); ++i) {
        writeEntry(i + 1, streams[i].name, 2, kFree,
                   i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree, starts[i],
                   static_cast<std::uint32_t>(streams[i].data.size()));
    }
    next += static_cast<std::uint32_t>(directorySectors);

    // Allocation table sectors and the DIFAT sectors that list those beyond the first 109.
    const std::uint32_t fatStart = next;
    for (std::size_t i = 0; i < fatSectors; ++i) fat[fatStart + i] = kFatSector;
    next += static_cast<std::uint32_t>(fatSectors);
    const std::uint32_t difatStart = next;
    for (std::size_t i = 0; i < difatSectors; ++i) fat[difatStart + i] = kDifatSector;
    for (std::size_t i = 0; i < fatSectors; ++i) {
        for (std::size_t k = 0; k < kPerSector; ++k)
            put32(file, (fatStart + i + 1) * kSector + 4 * k, fat[i * kPerSector + k]);
    }
    std::size_t listed = 0;
    for (std::size_t d = 0; d < difatSectors; ++d) {
        const std::size_t at = (difatStart + d + 1) * kSector;
        for (std::size_t k = 0; k + 1 < kPerSector; ++k) {
            const std::size_t index = 109 + listed;
            put32(file, at + 4 * k,
                  index < fatSectors ? fatStart + static_cast<std::uint32_t>(index) : kFree);
            if (index < fatSectors) ++listed;
        }
        put32(file, at + 4 * (kPerSector - 1),
              d + 1 < difatSectors ? difatStart + static_cast<std::uint32_t>(d) + 1 : kEndOfChain);
    }

    // Header.
    const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), file.begin());
    put16(file, 0x18, 0x3E);
    put16(file, 0x1A, 3);
    put16(file, 0x1C, 0xFFFE);
    put16(file, 0x1E, 9);
    put16(file, 0x20, 6);
    put32(file, 0x2C, static_cast<std::uint32_t>(fatSectors));
    put32(file, 0x30, directoryStart);
    put32(file, 0x38, 4096);
    put32(file, 0x3C, kEndOfChain);
    put32(file, 0x44, difatSectors > 0 ? difatStart : kEndOfChain);
    put32(file, 0x48, static_cast<std::uint32_t>(difatSectors));
    for (std::size_t i = 0; i < 109; ++i)
        put32(file, 0x4C + 4 * i, i < fatSectors ? fatStart + static_cast<std::uint32_t>(i) : kFree);
    return file;
}

std::vector<std::uint8_t> buildWordDocument(const std::vector<WordPiece>& pieces) {
    constexpr std::size_t kTextStart = 1024;
    std::vector<std::uint8_t> word(kTextStart, 0);
    std::vector<std::uint32_t> cps{0};
    std::vector<std::uint32_t> fcs;
    for (const WordPiece& piece : pieces) {
        const std::size_t offset = word.size();
        for (const char16_t c : piece.text) {
            if (piece.compressed) {
                word.push_back(code_pages::encodeChar(1252, c).value());
            } else {
                word.push_back(static_cast<std::uint8_t>(c));
                word.push_back(static_cast<std::uint8_t>(c >> 8));
            }
        }
        fcs.push_back(piece.compressed ? static_cast<std::uint32_t>(offset * 2) | 0x40000000u
                                       : static_cast<std::uint32_t>(offset));
        cps.push_back(cps.back() + static_cast<std::uint32_t>(piece.text.size()));
    }
    put16(word, 0x00, 0xA5EC);
    put16(word, 0x02, 0x00C1);  // nFib: Word 97
    put16(word, 0x0A, 0x0200);
    put16(word, 0x20, 14);          // csw
    put16(word, 0x3E, 22);          // cslw
    put32(word, 0x4C, cps.back());  // ccpText
    put16(word, 0x98, 0x5D);        // cbRgFcLcb

    std::vector<std::uint8_t> table(5, 0);
    const std::uint32_t plcLength = static_cast<std::uint32_t>(4 * cps.size() + 8 * fcs.size());
    table[0] = 0x02;
    put32(table, 1, plcLength);
    table.resize(5 + plcLength, 0);
    for (std::size_t i = 0; i < cps.size(); ++i) put32(table, 5 + 4 * i, cps[i]);
    for (std::size_t i = 0; i < fcs.size(); ++i) put32(table, 5 + 4 * cps.size() + 8 * i + 2, fcs[i]);
    put32(word, 0x1A2, 0);  // fcClx
    put32(word, 0x1A6, static_cast<std::uint32_t>(table.size()));
    return buildCompoundFile({{u"WordDocument", word}, {u"1Table", table}});
}

}  // namespace quill::document::testing
