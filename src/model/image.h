#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vantrel {

// Decoded picture: width x height pixels, 4 bytes each (R, G, B, A), rows top
// to bottom without padding. Empty when decoding failed.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    bool empty() const { return rgba.empty(); }
};

// Both return an empty image for anything that is not a complete, valid file
// of their format; neither ever ends the process.
Image DecodePng(std::span<const std::uint8_t> bytes);
Image DecodeJpeg(std::span<const std::uint8_t> bytes);

// Tries PNG, then JPEG, by their signatures.
Image DecodeImage(std::span<const std::uint8_t> bytes);

}  // namespace vantrel
