#pragma once

#include <cstddef>
#include <cstdint>

#include "loader/pe_image.h"

namespace vantrel::pe {

// Where PE32 and PE32+ images differ: the optional header grows by 16 bytes
// (a 64-bit ImageBase and 64-bit stack and heap sizes), which moves the data
// directories, and the addresses the image holds (ImageBase, import slots,
// relocated words) take 8 bytes instead of 4. Offsets count from the start
// of the NT headers.
struct Layout {
    std::uint16_t magic;
    std::size_t optionalHeaderSize;
    std::size_t imageBase;
    std::size_t numberOfRvaAndSizes;
    std::size_t dataDirectories;
    std::size_t wordSize;
    std::uint64_t ordinalFlag;

    // Signature, file header and optional header; the section table follows.
    std::size_t NtHeadersSize() const { return 24 + optionalHeaderSize; }
};

inline constexpr Layout kPe32{0x010B, 224, 52, 116, 120, 4, 0x80000000u};
inline constexpr Layout kPe32Plus{0x020B, 240, 48, 132, 136, 8, 0x8000000000000000u};

// The layout the optional header's magic names, or nullptr for any other
// magic (or none inside the image).
inline const Layout* LayoutAt(Bytes image, std::uint64_t nt) {
    const auto magic = image.U16(nt + kOptionalMagic);
    if (magic == kPe32.magic) return &kPe32;
    if (magic == kPe32Plus.magic) return &kPe32Plus;
    return nullptr;
}

}  // namespace vantrel::pe
