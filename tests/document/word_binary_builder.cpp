#include "word_binary_builder.h"

#include "document/code_pages.h"

namespace quill::document::testing {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;

void put(std::string& out, std::size_t at, std::size_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string buildCompoundFile(const std::vector<CompoundStream>& streams) {
    // After the header: each stream in consecutive sectors, the directory, the allocation table (FAT) and
    // the DIFAT sectors that list the FAT sectors beyond the 109 the header lists.
    std::string file(512, '\0');
    std::vector<std::uint32_t> fat;
    const auto place = [&](std::string data) {
        const auto first = static_cast<std::uint32_t>(fat.size());
        data.resize((data.size() + 511) / 512 * 512, '\0');
        file += data;
        for (std::size_t i = 1; i < data.size() / 512; ++i)
            fat.push_back(first + static_cast<std::uint32_t>(i));
        fat.push_back(kEndOfChain);
        return first;
    };
    // The root, then one entry per stream, linked as right siblings.
    std::string directory((streams.size() + 1) * 128, '\0');
    const auto entry = [&](std::size_t index, const std::u16string& name, std::uint8_t type,
                           std::size_t child, std::size_t start, std::size_t size) {
        const std::size_t at = index * 128;
        for (std::size_t k = 0; k < name.size() && k < 31; ++k) put(directory, at + 2 * k, name[k], 2);
        put(directory, at + 0x40, (name.size() + 1) * 2, 2);
        directory[at + 0x42] = type;
        directory[at + 0x43] = 1;
        put(directory, at + 0x44, kFree);
        put(directory, at + 0x48, index > 0 && index < streams.size() ? index + 1 : kFree);
        put(directory, at + 0x4C, child);
        put(directory, at + 0x74, start);
        put(directory, at + 0x78, size);
    };
    entry(0, u"Root Entry", 5, streams.empty() ? kFree : 1, kEndOfChain, 0);
    for (std::size_t i = 0; i < streams.size(); ++i) {
        // At least 4096 bytes, so that no stream belongs in the mini stream.
        std::string data = streams[i].data;
        data.resize(std::max<std::size_t>(data.size(), 4096), '\0');
        entry(i + 1, streams[i].name, 2, kFree, place(data), data.size());
    }
    const std::uint32_t directoryStart = place(directory);

    std::size_t fatSectors = 1, difatSectors = 0;
    while (fatSectors * 128 < fat.size() + fatSectors + difatSectors) {
        ++fatSectors;
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + 126) / 127 : 0;
    }
    const std::size_t fatStart = fat.size(), difatStart = fatStart + fatSectors;
    fat.resize(difatStart, 0xFFFFFFFD);
    fat.resize(difatStart + difatSectors, 0xFFFFFFFC);
    fat.resize(fatSectors * 128, kFree);
    std::string table(fat.size() * 4, '\0'), difat(difatSectors * 512, '\xFF');
    for (std::size_t i = 0; i < fat.size(); ++i) put(table, 4 * i, fat[i]);
    // 127 FAT sector numbers per DIFAT sector, and the next DIFAT sector.
    for (std::size_t i = 109; i < fatSectors; ++i)
        put(difat, (i - 109) / 127 * 512 + (i - 109) % 127 * 4, fatStart + i);
    for (std::size_t d = 0; d < difatSectors; ++d)
        put(difat, d * 512 + 508, d + 1 < difatSectors ? difatStart + d + 1 : kEndOfChain);
    file += table + difat;

    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    put(file, 0x18, 0x3E, 2);
    put(file, 0x1A, 3, 2);       // version 3: 512-byte sectors
    put(file, 0x1C, 0xFFFE, 2);  // little-endian
    put(file, 0x1E, 9, 2);
    put(file, 0x20, 6, 2);
    put(file, 0x2C, fatSectors);
    put(file, 0x30, directoryStart);
    put(file, 0x38, 4096);         // mini stream cutoff
    put(file, 0x3C, kEndOfChain);  // no mini FAT
    put(file, 0x44, difatSectors > 0 ? difatStart : kEndOfChain);
    put(file, 0x48, difatSectors);
    for (std::size_t i = 0; i < 109; ++i) put(file, 0x4C + 4 * i, i < fatSectors ? fatStart + i : kFree);
    return file;
}

std::string buildWordDocument(const std::vector<WordPiece>& pieces) {
    constexpr std::size_t kTextStart = 1024;
    std::string word(kTextStart, '\0');
    std::vector<std::size_t> cps{0}, fcs;
    for (const WordPiece& piece : pieces) {
        const std::size_t offset = word.size();
        for (const char16_t c : piece.text) {
            if (piece.compressed) {
                word.push_back(static_cast<char>(code_pages::encodeChar(1252, c).value()));
            } else {
                word.push_back(static_cast<char>(c));
                word.push_back(static_cast<char>(c >> 8));
            }
        }
        fcs.push_back(piece.compressed ? offset * 2 | 0x40000000u : offset);
        cps.push_back(cps.back() + piece.text.size());
    }
    put(word, 0x00, 0xA5EC, 2);
    put(word, 0x02, 0x00C1, 2);  // nFib: Word 97
    put(word, 0x0A, 0x0200, 2);
    put(word, 0x20, 14, 2);       // csw
    put(word, 0x3E, 22, 2);       // cslw
    put(word, 0x4C, cps.back());  // ccpText
    put(word, 0x98, 0x5D, 2);     // cbRgFcLcb

    std::string table(5, '\0');
    const std::size_t plcLength = 4 * cps.size() + 8 * fcs.size();
    table[0] = 0x02;
    put(table, 1, plcLength);
    table.resize(5 + plcLength, '\0');
    for (std::size_t i = 0; i < cps.size(); ++i) put(table, 5 + 4 * i, cps[i]);
    for (std::size_t i = 0; i < fcs.size(); ++i) put(table, 5 + 4 * cps.size() + 8 * i + 2, fcs[i]);
    put(word, 0x1A2, 0);  // fcClx
    put(word, 0x1A6, table.size());
    return buildCompoundFile({{u"WordDocument", word}, {u"1Table", table}});
}

}  // namespace quill::document::testing
