#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

using Image = std::vector<std::uint8_t>;

inline std::string FixturePath(const std::string& name) {
    return std::string(VANTREL_TEST_DATA_DIR) + "/loader/" + name;
}

inline Image ReadImage(const std::string& name) {
    std::ifstream in(FixturePath(name), std::ios::binary);
    return Image(std::istreambuf_iterator<char>(in), {});
}

// Relative addresses of the relocated words (HIGHLOW or DIR64), as objdump
// listed them.
inline std::vector<std::uint32_t> ReadRelocations(const std::string& dll) {
    std::ifstream in(FixturePath(dll + ".relocations"));
    std::vector<std::uint32_t> rvas;
    for (std::string line; std::getline(in, line);)
        rvas.push_back(std::stoul(line, nullptr, 16));
    return rvas;
}

// Export name to relative address, as objdump listed them.
inline std::map<std::string, std::uint32_t> ReadExports(const std::string& dll) {
    std::ifstream in(FixturePath(dll + ".exports"));
    std::map<std::string, std::uint32_t> exports;
    std::string name, rva;
    while (in >> name >> rva)
        exports[name] = std::stoul(rva, nullptr, 16);
    return exports;
}

inline std::uint32_t Get32(const std::uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// A little-endian word of size bytes (4 or 8).
inline std::uint64_t GetWord(const std::uint8_t* at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= std::uint64_t{at[i]} << (8 * i);
    return value;
}

inline void PutWord(std::uint8_t* at, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void Put32(std::uint8_t* at, std::uint32_t value) {
    PutWord(at, value, 4);
}

inline void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::uint32_t NtHeaders(const Image& image) {
    return Get32(&image[0x3C]);
}

inline std::uint16_t Get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

// The file offset holding a relative address, found through the section
// table, which follows the optional header of either width.
inline std::size_t FileOffset(const Image& image, std::uint32_t rva) {
    const std::uint32_t nt = NtHeaders(image);
    const unsigned sections = Get16(&image[nt + 6]);
    const std::uint32_t table = nt + 24 + Get16(&image[nt + 20]);
    for (unsigned i = 0; i < sections; ++i) {
        const std::uint8_t* s = &image[table + 40 * i];
        const std::uint32_t va = Get32(s + 12), raw = Get32(s + 16), pointer = Get32(s + 20);
        if (rva >= va && rva < va + raw) return pointer + (rva - va);
    }
    return SIZE_MAX;
}

}  // namespace vantrel::testing
