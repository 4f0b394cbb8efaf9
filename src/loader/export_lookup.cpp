#include "loader/export_lookup.h"

#include <optional>

#include "loader/pe_image.h"
#include "loader/pe_layout.h"

namespace vantrel {
namespace {

struct ExportTables {
    std::uint32_t directory = 0;
    std::uint32_t directorySize = 0;
    std::uint32_t functionCount = 0;
    std::uint32_t nameCount = 0;
    std::uint32_t functions = 0;
    std::uint32_t names = 0;
    std::uint32_t ordinals = 0;
};

std::optional<ExportTables> ReadExportTables(pe::Bytes image) {
    if (image.U16(0) != pe::kDosMagic) return std::nullopt;
    auto nt = image.U32(pe::kLfanewOffset);
    if (!nt || image.U32(*nt) != pe::kNtSignature) return std::nullopt;
    const pe::Layout* layout = pe::LayoutAt(image, *nt);
    if (layout == nullptr || !image.Holds(*nt, layout->NtHeadersSize())) return std::nullopt;
    if (*image.U32(*nt + layout->numberOfRvaAndSizes) <= pe::kExportDirectory) return std::nullopt;
    ExportTables t;
    t.directory = *image.U32(*nt + layout->dataDirectories);
    t.directorySize = *image.U32(*nt + layout->dataDirectories + 4);
    if (t.directory == 0 || !image.Holds(t.directory, pe::kExportDirectorySize))
        return std::nullopt;
    t.functionCount = *image.U32(t.directory + 20);
    t.nameCount = *image.U32(t.directory + 24);
    t.functions = *image.U32(t.directory + 28);
    t.names = *image.U32(t.directory + 32);
    t.ordinals = *image.U32(t.directory + 36);
    // Tables that run past the image are malformed; checked once here, they
    // also bound every walk below by the image's size.
    if (!image.Holds(t.functions, 4ull * t.functionCount) ||
        !image.Holds(t.names, 4ull * t.nameCount) || !image.Holds(t.ordinals, 2ull * t.nameCount)) {
        return std::nullopt;
    }
    return t;
}

// Address of the function at index in the function table, 0 when the
// index or the address lies outside the image.
std::uintptr_t FunctionAt(pe::Bytes image, const ExportTables& t, std::uint64_t index) {
    if (index >= t.functionCount) return 0;
    auto address = image.U32(t.functions + 4 * index);
    if (!address || *address == 0 || *address >= image.size()) return 0;
    return reinterpret_cast<std::uintptr_t>(image.data()) + *address;
}

bool TextIs(pe::Bytes image, std::uint64_t at, std::string_view name) {
    auto length = image.TextLength(at);
    return length &&
           std::string_view(reinterpret_cast<const char*>(image.data() + at), *length) == name;
}

bool IsForwarder(const ExportTables& t, std::uintptr_t address, std::uintptr_t base) {
    const std::uint64_t offset = address - base;
    return offset >= t.directory && offset - t.directory < t.directorySize;
}

// The extent of a loaded module: its SizeOfImage, once the headers that
// name it are known to be there.
std::span<const std::uint8_t> LoadedImage(std::uintptr_t base) {
    if (base == 0) return {};
    const auto* data = reinterpret_cast<const std::uint8_t*>(base);
    const pe::Bytes dos(data, pe::kDosHeaderSize);
    if (dos.U16(0) != pe::kDosMagic) return {};
    const std::uint32_t nt = *dos.U32(pe::kLfanewOffset);
    const std::uint64_t sizeAt = std::uint64_t{nt} + pe::kSizeOfImage;
    const pe::Bytes headers(data, sizeAt + 4);
    const std::uint32_t size = *headers.U32(sizeAt);
    const pe::Layout* layout = pe::LayoutAt(headers, nt);
    if (layout == nullptr || size < std::uint64_t{nt} + layout->NtHeadersSize()) return {};
    return {data, size};
}

}  // namespace

std::uintptr_t FindExportByNameWalk(std::span<const std::uint8_t> mapped, std::string_view name) {
    const pe::Bytes image(mapped.data(), mapped.size());
    const auto t = ReadExportTables(image);
    if (!t || t->nameCount == 0) return 0;
    auto first = image.U32(t->names);
    if (!first) return 0;
    std::uint64_t at = *first;
    for (std::uint64_t i = 0; i < t->nameCount; ++i) {
        auto length = image.TextLength(at);
        // No export has an empty name: the walk has left the names behind.
        if (!length || *length == 0) return 0;
        if (TextIs(image, at, name)) return FunctionAt(image, *t, i);
        at += *length + 1;
    }
    return 0;
}

// The name table is in ascending byte order, so a binary search finds a name
// in a few steps however many names the table claims.
std::uintptr_t FindExportByName(std::span<const std::uint8_t> mapped, std::string_view name) {
    const pe::Bytes image(mapped.data(), mapped.size());
    const auto t = ReadExportTables(image);
    if (!t) return 0;
    std::uint64_t low = 0, high = t->nameCount;
    while (low < high) {
        const std::uint64_t i = low + (high - low) / 2;
        const std::uint32_t nameAt = *image.U32(t->names + 4 * i);
        auto length = image.TextLength(nameAt);
        if (!length) return 0;
        const int order =
            std::string_view(reinterpret_cast<const char*>(image.data() + nameAt), *length)
                .compare(name);
        if (order < 0) {
            low = i + 1;
        } else if (order > 0) {
            high = i;
        } else {
            const std::uintptr_t address = FunctionAt(image, *t, *image.U16(t->ordinals + 2 * i));
            const auto base = reinterpret_cast<std::uintptr_t>(mapped.data());
            return address != 0 && IsForwarder(*t, address, base) ? 0 : address;
        }
    }
    return 0;
}

std::uintptr_t FindExportByNameWalk(std::uintptr_t base, std::string_view name) {
    return FindExportByNameWalk(LoadedImage(base), name);
}

std::uintptr_t FindExportByName(std::uintptr_t base, std::string_view name) {
    return FindExportByName(LoadedImage(base), name);
}

}  // namespace vantrel
