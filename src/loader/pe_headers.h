#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "loader/module_platform.h"
#include "loader/pe_image.h"
#include "loader/pe_layout.h"

namespace vantrel::pe {

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

// What loading an image needs from its headers.
struct Headers {
    const Layout* layout = nullptr;
    std::size_t headerBytes = 0;  // up to the end of the section table
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint32_t entryPoint = 0;
    std::uint64_t imageBase = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t sizeOfImage = 0;
    DataDirectory imports;
    DataDirectory exceptions;
    DataDirectory relocations;
    std::vector<Section> sections;

    ImageWidth width() const { return layout->wordSize == 8 ? ImageWidth::k64 : ImageWidth::k32; }
};

// The DOS header, the NT headers and the section table of a PE32 or PE32+
// image, each checked to lie inside the image; nothing when any does not.
std::optional<Headers> ReadHeaders(Bytes image);

}  // namespace vantrel::pe
