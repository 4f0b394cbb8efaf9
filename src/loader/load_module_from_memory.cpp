#include "loader/load_module_from_memory.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "loader/base_relocations.h"
#include "loader/image_mapping.h"
#include "loader/import_resolution.h"
#include "loader/pe_headers.h"

namespace vantrel {
namespace {

using pe::Headers;
using pe::Mapping;
using pe::Section;

// No library image comes near 2 GiB; a header claiming more is malformed.
constexpr std::uint64_t kMaxImageSize = 0x80000000u;
// A PE32 image's 32-bit words must be able to hold every address in it.
constexpr std::uint64_t kAddressLimit32 = 0x100000000u;

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

// Only 64-bit images carry unwind data there; a 32-bit image's exception
// directory means nothing to the system and stays unread.
bool RegisterExceptionTable(const Headers& h, const Mapping& m, ModulePlatform& platform) {
    if (h.width() != ImageWidth::k64 || h.exceptions.size == 0) return true;
    if (std::uint64_t{h.exceptions.address} + h.exceptions.size > m.size) return false;
    return platform.RegisterExceptionTable(m.base, h.exceptions.address, h.exceptions.size);
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

// The preferred base when it is free, else anywhere the image's words can
// address.
std::uintptr_t Reserve(const Headers& h, std::size_t size, ModulePlatform& platform) {
    const ImageWidth width = h.width();
    const auto preferred = static_cast<std::uintptr_t>(h.imageBase);
    std::uintptr_t base = preferred == h.imageBase ? platform.Reserve(preferred, size, width) : 0;
    if (base == 0) base = platform.Reserve(0, size, width);
    if (base != 0 && width == ImageWidth::k32 && base + std::uint64_t{size} > kAddressLimit32) {
        platform.Release(base);
        return 0;
    }
    return base;
}

}  // namespace

std::uintptr_t LoadModuleFromMemory(std::span<const std::uint8_t> image, ModulePlatform& platform) {
    const pe::Bytes bytes(image.data(), image.size());
    const std::optional<Headers> headers = pe::ReadHeaders(bytes);
    if (!headers || !platform.Loads(headers->machine, headers->width())) return 0;
    const std::uint64_t size = MappedSize(*headers);
    if (size == 0 || !FitsMapping(*headers, bytes, size)) return 0;

    const std::uintptr_t base = Reserve(*headers, size, platform);
    if (base == 0) return 0;
    const Mapping mapping{base, static_cast<std::size_t>(size), headers->headerBytes};
    CopyImage(*headers, bytes, mapping);
    if (!pe::ApplyRelocations(*headers, mapping) ||
        !pe::ResolveImports(*headers, mapping, platform) ||
        !RegisterExceptionTable(*headers, mapping, platform) ||
        !RunEntryPoint(*headers, mapping, platform)) {
        platform.Release(base);
        return 0;
    }
    return base;
}

}  // namespace vantrel
