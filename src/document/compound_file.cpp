#include "document/compound_file.h"

#include <algorithm>

namespace quill::document {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderDifatEntries = 109;

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return upper(x) == upper(y); });
}

}  // namespace

CompoundFile::CompoundFile(Bytes bytes) : bytes_(bytes) {
    if (bytes.size() < 512) broken("der Dateikopf ist unvollständig");
    if (readU16(bytes, 0x1C) != 0xFFFE) broken("der Dateikopf ist ungültig");
    const std::uint16_t sectorShift = readU16(bytes, 0x1E);
    if (sectorShift != 9 && sectorShift != 12) broken("die Sektorgröße ist ungültig");
    if (readU16(bytes, 0x20) != 6) broken("die Größe der kleinen Sektoren ist ungültig");
    sectorSize_ = std::size_t{1} << sectorShift;
    if (bytes.size() <= sectorSize_) broken("die Datei enthält keine Daten");
    sectorCount_ = (bytes.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
    const std::size_t entriesPerSector = sectorSize_ / 4;

    // The sector allocation table, spread over sectors listed in the header and the DIFAT chain.
    const std::uint32_t fatSectorCount = readU32(bytes, 0x2C);
    if (fatSectorCount > sectorCount_) broken("die Zahl der Tabellensektoren ist ungültig");
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i) {
        fatSectors.push_back(readU32(bytes, 0x4C + 4 * i));
    }
    std::uint32_t difat = readU32(bytes, 0x44);
    std::size_t difatSteps = 0;
    while (fatSectors.size() < fatSectorCount) {
        if (difat >= sectorCount_ || ++difatSteps > sectorCount_)
            broken("die Sektortabelle ist unvollständig");
        const Bytes block = sector(difat);
        for (std::size_t i = 0; i + 1 < entriesPerSector && fatSectors.size() < fatSectorCount; ++i) {
            fatSectors.push_back(readU32(block, 4 * i));
        }
        difat = readU32(block, 4 * (entriesPerSector - 1));
    }
    fat_.reserve(fatSectors.size() * entriesPerSector);
    for (const std::uint32_t index : fatSectors) {
        if (index >= sectorCount_) broken("ein Tabellensektor liegt hinter dem Dateiende");
        const Bytes block = sector(index);
        if (block.size() < sectorSize_) broken("ein Tabellensektor ist abgeschnitten");
        for (std::size_t i = 0; i < entriesPerSector; ++i) fat_.push_back(readU32(block, 4 * i));
    }

    // The directory.
    const std::vector<std::uint8_t> directory = readRegular(readU32(bytes, 0x30), UINT64_MAX);
    const Bytes dir(directory);
    for (std::size_t offset = 0; offset + 128 <= dir.size(); offset += 128) {
        Entry entry;
        const std::size_t nameBytes = std::min<std::size_t>(readU16(dir, offset + 0x40), 64);
        for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
            const char16_t c = readU16(dir, offset + i);
            if (c == 0) break;
            entry.name.push_back(c);
        }
        entry.type = dir[offset + 0x42];
        entry.left = readU32(dir, offset + 0x44);
        entry.right = readU32(dir, offset + 0x48);
        entry.child = readU32(dir, offset + 0x4C);
        entry.start = readU32(dir, offset + 0x74);
        entry.size = readU32(dir, offset + 0x78);
        // Version 4 files have 64-bit sizes; version 3 writers may leave garbage in the high half.
        if (sectorShift == 12) entry.size |= static_cast<std::uint64_t>(readU32(dir, offset + 0x7C)) << 32;
        entries_.push_back(std::move(entry));
    }
    if (entries_.empty() || entries_[0].type != 5) broken("das Stammverzeichnis fehlt");

    miniCutoff_ = readU32(bytes, 0x38);
    const std::uint32_t miniFatStart = readU32(bytes, 0x3C);
    if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector) {
        const std::vector<std::uint8_t> table = readRegular(miniFatStart, UINT64_MAX);
        for (std::size_t i = 0; i + 4 <= table.size(); i += 4) miniFat_.push_back(readU32(table, i));
        miniStream_ = readRegular(entries_[0].start, entries_[0].size);
    }
}

Bytes CompoundFile::sector(std::uint32_t index) const {
    const std::size_t offset = (static_cast<std::size_t>(index) + 1) * sectorSize_;
    if (index >= sectorCount_ || offset >= bytes_.size()) broken("ein Sektor liegt hinter dem Dateiende");
    return bytes_.subspan(offset, std::min(sectorSize_, bytes_.size() - offset));
}

std::vector<std::uint32_t> CompoundFile::chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                               std::size_t unitCount) const {
    std::vector<std::uint32_t> ids;
    std::uint32_t current = start;
    while (current != kEndOfChain) {
        if (current >= table.size() || current >= unitCount) broken("eine Sektorkette ist ungültig");
        if (ids.size() >= unitCount) broken("eine Sektorkette bildet eine Schleife");
        ids.push_back(current);
        current = table[current];
    }
    return ids;
}

// A stream in regular sectors; `size` UINT64_MAX means the whole chain.
std::vector<std::uint8_t> CompoundFile::readRegular(std::uint32_t start, std::uint64_t size) const {
    std::vector<std::uint8_t> out;
    if (size == 0) return out;
    const std::vector<std::uint32_t> ids = chain(start, fat_, sectorCount_);
    const std::uint64_t available = static_cast<std::uint64_t>(ids.size()) * sectorSize_;
    if (size != UINT64_MAX && size > available) broken("ein Datenstrom ist abgeschnitten");
    const std::size_t wanted = static_cast<std::size_t>(std::min(size, available));
    out.reserve(wanted);
    for (const std::uint32_t id : ids) {
        const Bytes block = sector(id);
        const std::size_t take = std::min(block.size(), wanted - out.size());
        if (take < std::min(sectorSize_, wanted - out.size())) broken("ein Datenstrom ist abgeschnitten");
        out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(take));
        if (out.size() == wanted) break;
    }
    return out;
}

std::optional<std::size_t> CompoundFile::findInRoot(std::u16string_view name) const {
    std::vector<bool> visited(entries_.size(), false);
    std::vector<std::uint32_t> pending{entries_[0].child};
    while (!pending.empty()) {
        const std::uint32_t index = pending.back();
        pending.pop_back();
        if (index == kNoStream || index >= entries_.size() || visited[index]) continue;
        visited[index] = true;
        const Entry& entry = entries_[index];
        if (entry.type != 0 && sameName(entry.name, name)) return index;
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    return std::nullopt;
}

bool CompoundFile::contains(std::u16string_view name) const {
    return findInRoot(name).has_value();
}

std::optional<std::vector<std::uint8_t>> CompoundFile::stream(std::u16string_view name) const {
    const auto index = findInRoot(name);
    if (!index || entries_[*index].type != 2) return std::nullopt;
    const Entry& entry = entries_[*index];
    if (entry.size > bytes_.size()) broken("ein Datenstrom ist größer als die Datei");
    if (entry.size >= miniCutoff_) return readRegular(entry.start, entry.size);

    // Small streams live in 64-byte pieces inside the mini stream.
    constexpr std::size_t kMiniSectorSize = 64;
    const std::size_t miniCount = miniStream_.size() / kMiniSectorSize;
    const std::vector<std::uint32_t> ids =
        entry.size == 0 ? std::vector<std::uint32_t>{} : chain(entry.start, miniFat_, miniCount);
    if (static_cast<std::uint64_t>(ids.size()) * kMiniSectorSize < entry.size)
        broken("ein Datenstrom ist abgeschnitten");
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(entry.size));
    for (const std::uint32_t id : ids) {
        const std::size_t take =
            std::min<std::size_t>(kMiniSectorSize, static_cast<std::size_t>(entry.size) - out.size());
        const auto begin = miniStream_.begin() + static_cast<std::ptrdiff_t>(id * kMiniSectorSize);
        out.insert(out.end(), begin, begin + static_cast<std::ptrdiff_t>(take));
        if (out.size() == entry.size) break;
    }
    return out;
}

}  // namespace quill::document
