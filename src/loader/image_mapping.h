#pragma once

#include <cstddef>
#include <cstdint>

#include "loader/pe_image.h"

namespace vantrel::pe {

// Memory the image is mapped into: reads stay inside it, and writes also
// keep off the headers, which the system maps read-only.
struct Mapping {
    std::uintptr_t base;
    std::size_t size;
    std::size_t headerBytes;

    std::uint8_t* at(std::uint64_t offset) const {
        return reinterpret_cast<std::uint8_t*>(base) + offset;
    }
    Bytes bytes() const { return {at(0), size}; }
    bool Writable(std::uint64_t offset, std::size_t length) const {
        return offset >= headerBytes && offset <= size && size - offset >= length;
    }
    // The low length bytes of value, little-endian.
    void Write(std::uint64_t offset, std::uint64_t value, std::size_t length) const {
        for (std::size_t i = 0; i < length; ++i)
            at(offset)[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
};

}  // namespace vantrel::pe
