#include "export/compound_file.h"

#include <cstdint>

namespace vantrel {
namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kMiniStreamCutoff = 4096;
constexpr std::size_t kFatEntriesPerSector = kSectorSize / 4;
constexpr std::size_t kHeaderFatSlots = 109;
constexpr std::size_t kDirectoryEntrySize = 128;

constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

void Put16(std::string& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(out, at + 2, static_cast<std::uint16_t>(value >> 16));
}

struct Layout {
    std::size_t streamSectors = 0;
    std::size_t fatSectors = 0;
    std::size_t TotalSectors() const { return streamSectors + fatSectors + 1; }
    std::uint32_t FirstFatSector() const { return static_cast<std::uint32_t>(streamSectors); }
    std::uint32_t DirectorySector() const {
        return static_cast<std::uint32_t>(streamSectors + fatSectors);
    }
};

// The allocation table must also describe its own sectors, so grow it until it fits.
Layout PlanLayout(std::size_t streamSize) {
    Layout layout;
    layout.streamSectors = (streamSize + kSectorSize - 1) / kSectorSize;
    layout.fatSectors = 1;
    while (layout.fatSectors * kFatEntriesPerSector < layout.TotalSectors())
        ++layout.fatSectors;
    return layout;
}

std::string Header(const Layout& layout) {
    std::string header(kSectorSize, '\0');
    const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    header.replace(0, 8, kSignature, 8);
    Put16(header, 0x18, 0x003E);  // minor version
    Put16(header, 0x1A, 0x0003);  // major version: 512-byte sectors
    Put16(header, 0x1C, 0xFFFE);  // little-endian
    Put16(header, 0x1E, 9);       // sector size 2^9
    Put16(header, 0x20, 6);       // mini sector size 2^6
    Put32(header, 0x2C, static_cast<std::uint32_t>(layout.fatSectors));
    Put32(header, 0x30, layout.DirectorySector());
    Put32(header, 0x38, static_cast<std::uint32_t>(kMiniStreamCutoff));
    Put32(header, 0x3C, kEndOfChain);  // no mini allocation table
    Put32(header, 0x44, kEndOfChain);  // no extra allocation-table list
    for (std::size_t i = 0; i < kHeaderFatSlots; ++i) {
        const std::uint32_t sector = i < layout.fatSectors
                                         ? layout.FirstFatSector() + static_cast<std::uint32_t>(i)
                                         : kFreeSector;
        Put32(header, 0x4C + 4 * i, sector);
    }
    return header;
}

std::string AllocationTable(const Layout& layout) {
    std::string fat(layout.fatSectors * kSectorSize, '\xFF');
    std::size_t entry = 0;
    for (; entry < layout.streamSectors; ++entry) {
        const bool last = entry + 1 == layout.streamSectors;
        Put32(fat, 4 * entry, last ? kEndOfChain : static_cast<std::uint32_t>(entry + 1));
    }
    for (std::size_t i = 0; i < layout.fatSectors; ++i, ++entry)
        Put32(fat, 4 * entry, kFatSector);
    Put32(fat, 4 * entry, kEndOfChain);  // the directory's one sector
    return fat;
}

void PutEntry(std::string& dir, std::size_t index, std::string_view name, std::uint8_t type,
              std::uint32_t child, std::uint32_t start, std::size_t size) {
    const std::size_t at = index * kDirectoryEntrySize;
    for (std::size_t i = 0; i < name.size(); ++i)
        Put16(dir, at + 2 * i, static_cast<unsigned char>(name[i]));
    Put16(dir, at + 0x40, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    dir[at + 0x42] = static_cast<char>(type);
    dir[at + 0x43] = 1;  // black: a tree of one node per level is a valid red-black tree
    Put32(dir, at + 0x44, kNoEntry);
    Put32(dir, at + 0x48, kNoEntry);
    Put32(dir, at + 0x4C, child);
    Put32(dir, at + 0x74, start);
    Put32(dir, at + 0x78, static_cast<std::uint32_t>(size));
}

std::string Directory(std::string_view streamName, std::size_t streamSize) {
    std::string dir(kSectorSize, '\0');
    for (std::size_t index = 2; index < kSectorSize / kDirectoryEntrySize; ++index) {
        const std::size_t at = index * kDirectoryEntrySize;
        Put32(dir, at + 0x44, kNoEntry);
        Put32(dir, at + 0x48, kNoEntry);
        Put32(dir, at + 0x4C, kNoEntry);
    }
    PutEntry(dir, 0, "Root Entry", 5, 1, kEndOfChain, 0);
    PutEntry(dir, 1, streamName, 2, kNoEntry, 0, streamSize);
    return dir;
}

}  // namespace

std::optional<std::string> BuildCompoundFile(std::string_view streamName, std::string_view stream) {
    if (streamName.empty() || streamName.size() > 31) return std::nullopt;
    std::string padded(stream);
    if (padded.size() < kMiniStreamCutoff) padded.resize(kMiniStreamCutoff, '\0');
    const std::size_t streamSize = padded.size();
    const Layout layout = PlanLayout(streamSize);
    if (layout.fatSectors > kHeaderFatSlots) return std::nullopt;
    padded.resize(layout.streamSectors * kSectorSize, '\0');

    std::string file = Header(layout);
    file.reserve(kSectorSize * (layout.TotalSectors() + 1));
    file += padded;
    file += AllocationTable(layout);
    file += Directory(streamName, streamSize);
    return file;
}

}  // namespace vantrel
