#include "document/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace quill::document {
namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::uint32_t kZip64EndOfDirectory = 0x06064b50;

std::string inflateMember(Bytes data, std::size_t maxSize) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) broken("das Entpacken konnte nicht beginnen");
    std::string out;
    constexpr std::size_t kChunk = 64 * 1024;
    // zlib takes at most 4 GiB per call; the input here is at most 64 MiB.
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (out.size() >= maxSize) {
            inflateEnd(&stream);
            broken("ein Bestandteil ist entpackt unzulässig groß");
        }
        const std::size_t old = out.size();
        const std::size_t grow = std::min(kChunk, maxSize - old);
        out.resize(old + grow);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + old);
        stream.avail_out = static_cast<uInt>(grow);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(old + grow - stream.avail_out);
        if (result == Z_STREAM_END) break;
        if (result != Z_OK || (stream.avail_in == 0 && stream.avail_out != 0)) {
            inflateEnd(&stream);
            broken("ein gepackter Bestandteil ist beschädigt oder abgeschnitten");
        }
    }
    inflateEnd(&stream);
    return out;
}

}  // namespace

// A ZIP64 extra field holds, in this order, the sizes and the offset whose 32-bit fields are full.
void ZipArchive::readZip64Extra(Bytes extra, Member& member) {
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::uint16_t id = readU16(extra, at);
        const std::size_t length = readU16(extra, at + 2);
        if (length > extra.size() - at - 4) break;
        if (id == 0x0001) {
            const Bytes field = extra.subspan(at + 4, length);
            std::size_t next = 0;
            const auto take = [&](std::uint64_t& value) {
                if (value != 0xFFFFFFFFu) return;
                value = readU64(field, next);
                next += 8;
            };
            take(member.uncompressedSize);
            take(member.compressedSize);
            take(member.localHeader);
            return;
        }
        at += 4 + length;
    }
}

ZipArchive::ZipArchive(Bytes bytes) : bytes_(bytes) {
    // The end record sits within the last 64 KiB + 22 bytes (its comment is at most 64 KiB).
    if (bytes.size() < 22) broken("das Archiv ist abgeschnitten");
    std::size_t end = bytes.size() - 22;
    const std::size_t lowest = bytes.size() > 22 + 65535 ? bytes.size() - 22 - 65535 : 0;
    while (readU32(bytes, end) != kEndOfDirectory) {
        if (end == lowest) broken("das Inhaltsverzeichnis des Archivs fehlt (Datei abgeschnitten?)");
        --end;
    }
    std::uint64_t count = readU16(bytes, end + 10);
    std::uint64_t directorySize = readU32(bytes, end + 12);
    std::uint64_t directoryOffset = readU32(bytes, end + 16);
    // ZIP64: the end record's fields are full and the real values sit in the ZIP64 end record, which a
    // locator just before the end record points to.
    if (end >= 20 && readU32(bytes, end - 20) == kZip64Locator) {
        const std::uint64_t record = readU64(bytes, end - 20 + 8);
        if (record > end - 20 || readU32(bytes, static_cast<std::size_t>(record)) != kZip64EndOfDirectory)
            broken("das ZIP64-Inhaltsverzeichnis des Archivs ist ungültig");
        count = readU64(bytes, static_cast<std::size_t>(record) + 32);
        directorySize = readU64(bytes, static_cast<std::size_t>(record) + 40);
        directoryOffset = readU64(bytes, static_cast<std::size_t>(record) + 48);
        end = static_cast<std::size_t>(record);
    }
    if (directoryOffset > end || directorySize > end - directoryOffset)
        broken("das Inhaltsverzeichnis des Archivs ist ungültig");
    // Every entry takes at least 46 bytes: a larger count cannot be true.
    if (count > directorySize / 46) broken("das Inhaltsverzeichnis des Archivs ist ungültig");
    std::size_t position = static_cast<std::size_t>(directoryOffset);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (readU32(bytes, position) != kDirectoryEntry) broken("ein Eintrag im Archiv ist ungültig");
        Member member;
        member.flags = readU16(bytes, position + 8);
        member.method = readU16(bytes, position + 10);
        member.crc = readU32(bytes, position + 16);
        member.compressedSize = readU32(bytes, position + 20);
        member.uncompressedSize = readU32(bytes, position + 24);
        const std::uint16_t nameLength = readU16(bytes, position + 28);
        const std::uint16_t extraLength = readU16(bytes, position + 30);
        const std::uint16_t commentLength = readU16(bytes, position + 32);
        member.localHeader = readU32(bytes, position + 42);
        const std::size_t nameStart = position + 46;
        if (nameStart > bytes.size() || nameLength > bytes.size() - nameStart ||
            extraLength > bytes.size() - nameStart - nameLength)
            broken("ein Eintrag im Archiv ist abgeschnitten");
        member.name.assign(reinterpret_cast<const char*>(bytes.data() + nameStart), nameLength);
        readZip64Extra(bytes.subspan(nameStart + nameLength, extraLength), member);
        members_.push_back(std::move(member));
        position = nameStart + nameLength + extraLength + commentLength;
    }
}

const ZipArchive::Member* ZipArchive::find(std::string_view name) const {
    for (const Member& member : members_) {
        if (member.name == name) return &member;
    }
    return nullptr;
}

bool ZipArchive::contains(std::string_view name) const {
    return find(name) != nullptr;
}

std::optional<std::string> ZipArchive::read(std::string_view name, std::size_t maxSize) const {
    const Member* member = find(name);
    if (!member) return std::nullopt;
    if (member->flags & 0x0001) throw ReadError(ReadError::Kind::Encrypted, "verschlüsselt");
    if (member->localHeader > bytes_.size()) broken("ein Bestandteil des Archivs fehlt");
    const auto header = static_cast<std::size_t>(member->localHeader);
    if (readU32(bytes_, header) != kLocalHeader) broken("ein Bestandteil des Archivs fehlt");
    const std::size_t dataStart =
        header + 30 + std::size_t{readU16(bytes_, header + 26)} + std::size_t{readU16(bytes_, header + 28)};
    if (dataStart > bytes_.size() || member->compressedSize > bytes_.size() - dataStart) {
        broken("ein Bestandteil des Archivs ist abgeschnitten");
    }
    const Bytes data = bytes_.subspan(dataStart, static_cast<std::size_t>(member->compressedSize));
    std::string content;
    if (member->method == 0) {
        if (data.size() > maxSize) broken("ein Bestandteil ist unzulässig groß");
        content.assign(reinterpret_cast<const char*>(data.data()), data.size());
    } else if (member->method == 8) {
        content = inflateMember(data, maxSize);
    } else {
        throw ReadError(ReadError::Kind::Unsupported,
                        "Das Archiv ist mit einem unbekannten Verfahren gepackt");
    }
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.data()),
                            static_cast<uInt>(content.size()));
    if (content.size() != member->uncompressedSize || crc != member->crc) {
        broken("ein Bestandteil des Archivs ist beschädigt (Prüfsumme falsch)");
    }
    return content;
}

}  // namespace quill::document
