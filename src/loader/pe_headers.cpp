#include "loader/pe_headers.h"

namespace vantrel::pe {
namespace {

DataDirectory ReadDirectory(Bytes image, std::uint64_t directories, std::uint32_t count,
                            std::uint32_t index) {
    if (index >= count) return {};
    const std::uint64_t at = directories + 8ull * index;
    return {image.U32(at).value_or(0), image.U32(at + 4).value_or(0)};
}

std::optional<Section> ReadSection(Bytes image, std::uint64_t at) {
    auto virtualSize = image.U32(at + 8);
    auto virtualAddress = image.U32(at + 12);
    auto sizeOfRawData = image.U32(at + 16);
    auto pointerToRawData = image.U32(at + 20);
    if (!virtualSize || !virtualAddress || !sizeOfRawData || !pointerToRawData) return std::nullopt;
    return Section{*virtualSize, *virtualAddress, *sizeOfRawData, *pointerToRawData};
}

// The layout of the NT headers the DOS header points at, once they lie
// inside the image. Only images whose section table directly follows the
// optional header of their magic are read: any other layout would be misread.
const Layout* ReadLayout(Bytes image, std::uint64_t nt) {
    if (image.U32(nt) != kNtSignature) return nullptr;
    const Layout* layout = LayoutAt(image, nt);
    if (layout == nullptr || !image.Holds(nt, layout->NtHeadersSize()) ||
        image.U16(nt + kSizeOfOptionalHeader) != layout->optionalHeaderSize) {
        return nullptr;
    }
    return layout;
}

// An image not marked executable is refused, and so is a section table
// reaching past the end of the image.
bool ReadFileHeader(Bytes image, std::uint64_t nt, Headers& h) {
    h.machine = *image.U16(nt + kMachine);
    h.characteristics = *image.U16(nt + kCharacteristics);
    if ((h.characteristics & kFileExecutableImage) == 0) return false;
    const std::uint16_t sectionCount = *image.U16(nt + kNumberOfSections);
    const std::uint64_t headerBytes =
        nt + h.layout->NtHeadersSize() + kSectionHeaderSize * sectionCount;
    if (headerBytes > image.size()) return false;
    h.headerBytes = static_cast<std::size_t>(headerBytes);
    return true;
}

void ReadOptionalHeader(Bytes image, std::uint64_t nt, Headers& h) {
    const Layout& layout = *h.layout;
    h.entryPoint = *image.U32(nt + kAddressOfEntryPoint);
    h.imageBase = *image.Word(nt + layout.imageBase, layout.wordSize);
    h.sectionAlignment = *image.U32(nt + kSectionAlignment);
    h.sizeOfImage = *image.U32(nt + kSizeOfImage);
    const std::uint32_t count = *image.U32(nt + layout.numberOfRvaAndSizes);
    const std::uint64_t directories = nt + layout.dataDirectories;
    h.imports = ReadDirectory(image, directories, count, kImportDirectory);
    h.exceptions = ReadDirectory(image, directories, count, kExceptionDirectory);
    h.relocations = ReadDirectory(image, directories, count, kRelocationDirectory);
}

bool ReadSections(Bytes image, std::uint64_t nt, Headers& h) {
    const std::uint16_t sectionCount = *image.U16(nt + kNumberOfSections);
    const std::uint64_t table = nt + h.layout->NtHeadersSize();
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        auto section = ReadSection(image, table + kSectionHeaderSize * i);
        if (!section) return false;
        h.sections.push_back(*section);
    }
    return true;
}

}  // namespace

std::optional<Headers> ReadHeaders(Bytes image) {
    if (image.size() <= 63 || image.U16(0) != kDosMagic) return std::nullopt;
    const std::uint64_t nt = image.U32(kLfanewOffset).value_or(0);
    Headers h;
    h.layout = ReadLayout(image, nt);
    if (h.layout == nullptr || !ReadFileHeader(image, nt, h)) return std::nullopt;
    ReadOptionalHeader(image, nt, h);
    if (!ReadSections(image, nt, h)) return std::nullopt;
    return h;
}

}  // namespace vantrel::pe
