#include "loader/base_relocations.h"

namespace vantrel::pe {
namespace {

// The size of the word an entry type moves: HIGHLOW a 32-bit word (by the
// low half of the delta), DIR64 a 64-bit word; 0 for the types that move
// nothing (type 0 pads a block to a word boundary) and any other.
std::size_t MovedWordSize(unsigned type) {
    if (type == kRelocationHighLow) return 4;
    if (type == kRelocationDir64) return 8;
    return 0;
}

bool RelocateBlock(const Mapping& m, std::uint64_t block, std::uint32_t page,
                   std::uint32_t blockSize, std::uint64_t delta) {
    const Bytes mapped = m.bytes();
    for (std::uint32_t i = 0; i < (blockSize - 8) / 2; ++i) {
        const std::uint16_t entry = *mapped.U16(block + 8 + 2ull * i);
        const std::size_t size = MovedWordSize(entry >> 12);
        if (size == 0) continue;
        const std::uint64_t target = std::uint64_t{page} + (entry & 0x0FFF);
        if (!m.Writable(target, size)) return false;
        m.Write(target, *mapped.Word(target, size) + delta, size);
    }
    return true;
}

}  // namespace

// The walk ends at a block whose page is 0 or at the end of the directory,
// whichever comes first; a block reaching past the directory is malformed.
bool ApplyRelocations(const Headers& h, const Mapping& m) {
    if (h.relocations.size == 0) return true;
    const std::uint64_t end = std::uint64_t{h.relocations.address} + h.relocations.size;
    if (end > m.size) return false;
    // Unsigned arithmetic wraps, so a base below the preferred one works too.
    const std::uint64_t delta = std::uint64_t{m.base} - h.imageBase;
    const Bytes mapped = m.bytes();
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

}  // namespace vantrel::pe
