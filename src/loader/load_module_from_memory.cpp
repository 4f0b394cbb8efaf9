#include "loader/load_module_from_memory.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "loader/pe_image.h"

namespace vantrel {
namespace {

// No 32-bit library image comes near the user half of a 32-bit address space.
constexpr std::uint64_t kMaxImageSize = 0x80000000u;
constexpr std::uint64_t kAddressLimit = 0x100000000u;

struct Section {
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t sizeOfRawData = 0;
    std::uint32_t pointerToRawData = 0;
};

struct DataDirectory {
    std::uint32_t address = 0;
    std::uint32_t size = 0;
};

struct Headers {
    std::size_t headerBytes = 0;
    std::uint16_t characteristics = 0;
    std::uint32_t entryPoint = 0;
    std::uint32_t imageBase = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t sizeOfImage = 0;
    DataDirectory imports;
    DataDirectory relocations;
    std::vector<Section> sections;
};

// Memory the image is mapped into: reads stay inside it, and writes also
// keep off the headers, which the system maps read-only.
struct Mapping {
    std::uintptr_t base;
    std::size_t size;
    std::size_t headerBytes;

    std::uint8_t* at(std::uint64_t offset) const {
        return reinterpret_cast<std::uint8_t*>(base) + offset;
    }
    pe::Bytes bytes() const { return {at(0), size}; }
    bool Writable(std::uint64_t offset) const {
        return offset >= headerBytes && offset <= size && size - offset >= 4;
    }
    void Write32(std::uint64_t offset, std::uint32_t value) const {
        for (int i = 0; i < 4; ++i)
            at(offset)[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
};

DataDirectory ReadDirectory(pe::Bytes image, std::uint64_t nt, std::uint32_t count,
                            std::uint32_t index) {
    if (index >= count) return {};
    std::uint64_t at = nt + pe::kDataDirectories + 8ull * index;
    return {image.U32(at).value_or(0), image.U32(at + 4).value_or(0)};
}

std::optional<Section> ReadSection(pe::Bytes image, std::uint64_t at) {
    auto virtualSize = image.U32(at + 8);
    auto virtualAddress = image.U32(at + 12);
    auto sizeOfRawData = image.U32(at + 16);
    auto pointerToRawData = image.U32(at + 20);
    if (!virtualSize || !virtualAddress || !sizeOfRawData || !pointerToRawData) return std::nullopt;
    return Section{*virtualSize, *virtualAddress, *sizeOfRawData, *pointerToRawData};
}

// The DOS header, the NT headers and the section table, each checked to lie
// inside the image. Only PE32 images whose section table directly follows
// the 248 bytes of NT headers are read: any other layout would be misread.
std::optional<Headers> ReadHeaders(pe::Bytes image) {
    if (image.size() <= 63 || image.U16(0) != pe::kDosMagic) return std::nullopt;
    const std::uint64_t nt = image.U32(pe::kLfanewOffset).value_or(0);
    if (!image.Holds(nt, pe::kNtHeadersSize) || image.U32(nt) != pe::kNtSignature) {
        return std::nullopt;
    }
    Headers h;
    h.characteristics = *image.U16(nt + pe::kCharacteristics);
    if ((h.characteristics & pe::kFileExecutableImage) == 0) return std::nullopt;
    const std::uint16_t sectionCount = *image.U16(nt + pe::kNumberOfSections);
    const std::uint64_t headerBytes =
        nt + pe::kNtHeadersSize + pe::kSectionHeaderSize * sectionCount;
    if (headerBytes > image.size()) return std::nullopt;
    if (image.U16(nt + pe::kOptionalMagic) != pe::kOptionalMagicPe32 ||
        image.U16(nt + pe::kSizeOfOptionalHeader) != pe::kOptionalHeaderSize) {
        return std::nullopt;
    }
    h.headerBytes = headerBytes;
    h.entryPoint = *image.U32(nt + pe::kAddressOfEntryPoint);
    h.imageBase = *image.U32(nt + pe::kImageBase);
    h.sectionAlignment = *image.U32(nt + pe::kSectionAlignment);
    h.sizeOfImage = *image.U32(nt + pe::kSizeOfImage);
    const std::uint32_t directories = *image.U32(nt + pe::kNumberOfRvaAndSizes);
    h.imports = ReadDirectory(image, nt, directories, pe::kImportDirectory);
    h.relocations = ReadDirectory(image, nt, directories, pe::kRelocationDirectory);
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        auto section = ReadSection(image, nt + pe::kNtHeadersSize + pe::kSectionHeaderSize * i);
        if (!section) return std::nullopt;
        h.sections.push_back(*section);
    }
    return h;
}

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// SizeOfImage, grown to cover every section; 0 when unusable.
std::uint64_t MappedSize(const Headers& h) {
    if (h.sectionAlignment == 0) return 0;
    std::uint64_t size = h.sizeOfImage;
    for (const Section& s : h.sections) {
        std::uint64_t extent = std::max<std::uint64_t>(s.virtualSize & 0xFFFF, s.sizeOfRawData);
        size =
            std::max(size, AlignUp(std::uint64_t{s.virtualAddress} + extent, h.sectionAlignment));
    }
    return size > kMaxImageSize ? 0 : size;
}

bool CopiesSection(const Section& s) {
    return s.sizeOfRawData >= 1 && s.virtualAddress != 0;
}

// Everything the copy steps will touch lies inside the image and the
// mapping, and no section lands on the headers.
bool FitsMapping(const Headers& h, pe::Bytes image, std::uint64_t size) {
    if (h.headerBytes > size) return false;
    return std::all_of(h.sections.begin(), h.sections.end(), [&](const Section& s) {
        if (!CopiesSection(s)) return true;
        return image.Holds(s.pointerToRawData, s.sizeOfRawData) &&
               s.virtualAddress >= h.headerBytes &&
               std::uint64_t{s.virtualAddress} + s.sizeOfRawData <= size;
    });
}

void CopyImage(const Headers& h, pe::Bytes image, const Mapping& m) {
    std::memcpy(m.at(0), image.data(), h.headerBytes);
    for (const Section& s : h.sections) {
        if (CopiesSection(s)) {
            std::memcpy(m.at(s.virtualAddress), image.data() + s.pointerToRawData, s.sizeOfRawData);
        }
    }
}

// One relocation block: every HIGHLOW word it names moves by delta; other
// entry types (type 0 pads a block to a word boundary) are skipped.
bool RelocateBlock(const Mapping& m, std::uint64_t block, std::uint32_t page,
                   std::uint32_t blockSize, std::uint32_t delta) {
    const pe::Bytes mapped = m.bytes();
    for (std::uint32_t i = 0; i < (blockSize - 8) / 2; ++i) {
        const std::uint16_t entry = *mapped.U16(block + 8 + 2ull * i);
        if ((entry >> 12) != pe::kRelocationHighLow) continue;
        const std::uint64_t target = std::uint64_t{page} + (entry & 0x0FFF);
        if (!m.Writable(target)) return false;
        m.Write32(target, *mapped.U32(target) + delta);
    }
    return true;
}

// The walk ends at a block whose page is 0 or at the end of the directory,
// whichever comes first; a block reaching past the directory is malformed.
bool ApplyRelocations(const Headers& h, const Mapping& m) {
    if (h.relocations.size == 0) return true;
    const std::uint64_t end = std::uint64_t{h.relocations.address} + h.relocations.size;
    if (end > m.size) return false;
    const std::uint32_t delta = static_cast<std::uint32_t>(m.base - h.imageBase);
    const pe::Bytes mapped = m.bytes();
    for (std::uint64_t block = h.relocations.address; block + 8 <= end;) {
        const std::uint32_t page = *mapped.U32(block);
        const std::uint32_t blockSize = *mapped.U32(block + 4);
        if (page == 0) break;
        if (blockSize < 8 || block + blockSize > end) return false;
        if (!RelocateBlock(m, block, page, blockSize, delta)) return false;
        block += blockSize;
    }
    return true;
}

// The address for one import slot: an ordinal (low 16 bits) when bit 31 is
// set, otherwise the hint-and-name entry the slot points at.
std::uintptr_t ResolveSlot(const Mapping& m, std::uint32_t value,
                           ModulePlatform::ModuleHandle module, ModulePlatform& platform) {
    if (value & pe::kOrdinalFlag) {
        return platform.FindFunction(module, static_cast<std::uint16_t>(value & 0xFFFF));
    }
    const std::uint64_t name = std::uint64_t{value} + 2;
    if (!m.bytes().TextLength(name)) return 0;
    return platform.FindFunction(module, reinterpret_cast<const char*>(m.at(name)));
}

bool ResolveDescriptor(const Mapping& m, std::uint32_t nameAt, std::uint32_t firstThunk,
                       ModulePlatform& platform) {
    const pe::Bytes mapped = m.bytes();
    if (!mapped.TextLength(nameAt)) return false;
    const char* name = reinterpret_cast<const char*>(m.at(nameAt));
    ModulePlatform::ModuleHandle module = platform.FindModule(name);
    if (module == 0) module = platform.LoadModule(name);
    if (module == 0) return false;
    for (std::uint64_t slot = firstThunk;; slot += 4) {
        auto value = mapped.U32(slot);
        if (!value || !m.Writable(slot)) return false;
        if (*value == 0) return true;
        const std::uintptr_t function = ResolveSlot(m, *value, module, platform);
        // The slot is a 32-bit word: an address it cannot hold is as bad as none.
        if (function == 0 || function >= kAddressLimit) return false;
        m.Write32(slot, static_cast<std::uint32_t>(function));
    }
}

bool ResolveImports(const Headers& h, const Mapping& m, ModulePlatform& platform) {
    if (h.imports.address == 0) return true;
    const pe::Bytes mapped = m.bytes();
    for (std::uint64_t at = h.imports.address;; at += pe::kImportDescriptorSize) {
        auto nameAt = mapped.U32(at + 12);
        auto firstThunk = mapped.U32(at + 16);
        if (!nameAt || !firstThunk) return false;
        if (*firstThunk == 0) return true;
        if (!ResolveDescriptor(m, *nameAt, *firstThunk, platform)) return false;
    }
}

// A library without an entry point (address 0) has nothing to run.
bool RunEntryPoint(const Headers& h, const Mapping& m, ModulePlatform& platform) {
    if ((h.characteristics & pe::kFileDll) == 0 || h.entryPoint == 0) return true;
    if (h.entryPoint >= m.size) return false;
    const std::uintptr_t entry = m.base + h.entryPoint;
    if (platform.CallEntryPoint(entry, m.base, pe::kProcessAttach, 0) != 0) return true;
    platform.CallEntryPoint(entry, m.base, pe::kProcessDetach, 0);
    return false;
}

std::uintptr_t Reserve(const Headers& h, std::size_t size, ModulePlatform& platform) {
    std::uintptr_t base = platform.Reserve(h.imageBase, size);
    if (base == 0) base = platform.Reserve(0, size);
    if (base != 0 && base + std::uint64_t{size} > kAddressLimit) {
        platform.Release(base);
        return 0;
    }
    return base;
}

}  // namespace

std::uintptr_t LoadModuleFromMemory(std::span<const std::uint8_t> image, ModulePlatform& platform) {
    const pe::Bytes bytes(image.data(), image.size());
    const std::optional<Headers> headers = ReadHeaders(bytes);
    if (!headers) return 0;
    const std::uint64_t size = MappedSize(*headers);
    if (size == 0 || !FitsMapping(*headers, bytes, size)) return 0;

    const std::uintptr_t base = Reserve(*headers, size, platform);
    if (base == 0) return 0;
    const Mapping mapping{base, static_cast<std::size_t>(size), headers->headerBytes};
    CopyImage(*headers, bytes, mapping);
    if (!ApplyRelocations(*headers, mapping) || !ResolveImports(*headers, mapping, platform) ||
        !RunEntryPoint(*headers, mapping, platform)) {
        platform.Release(base);
        return 0;
    }
    return base;
}

}  // namespace vantrel
