#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace vantrel::pe {

// Offsets and values of the PE fields the loader reads that PE32 and PE32+
// images share; where the two differ, see pe_layout.h.
inline constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
inline constexpr std::uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
inline constexpr std::size_t kDosHeaderSize = 64;
inline constexpr std::size_t kLfanewOffset = 0x3C;
inline constexpr std::size_t kSectionHeaderSize = 40;
inline constexpr std::size_t kImportDescriptorSize = 20;
inline constexpr std::size_t kExportDirectorySize = 40;

inline constexpr std::uint16_t kFileExecutableImage = 0x0002;
inline constexpr std::uint16_t kFileDll = 0x2000;

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// From the start of the NT headers.
inline constexpr std::size_t kMachine = 4;
inline constexpr std::size_t kNumberOfSections = 6;
inline constexpr std::size_t kSizeOfOptionalHeader = 20;
inline constexpr std::size_t kCharacteristics = 22;
inline constexpr std::size_t kOptionalMagic = 24;
inline constexpr std::size_t kAddressOfEntryPoint = 40;
inline constexpr std::size_t kSectionAlignment = 56;
inline constexpr std::size_t kSizeOfImage = 80;

inline constexpr std::uint32_t kExportDirectory = 0;
inline constexpr std::uint32_t kImportDirectory = 1;
inline constexpr std::uint32_t kExceptionDirectory = 3;
inline constexpr std::uint32_t kRelocationDirectory = 5;

inline constexpr unsigned kRelocationHighLow = 3;
inline constexpr unsigned kRelocationDir64 = 10;

inline constexpr std::uint32_t kProcessDetach = 0;
inline constexpr std::uint32_t kProcessAttach = 1;

// A byte range that refuses every read reaching past its end, so a
// malformed offset is a failed read and never a stray access.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }

    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        return Read<std::uint16_t>(offset);
    }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const {
        return Read<std::uint32_t>(offset);
    }
    std::optional<std::uint64_t> U64(std::uint64_t offset) const {
        return Read<std::uint64_t>(offset);
    }
    // A word of 4 or 8 bytes.
    std::optional<std::uint64_t> Word(std::uint64_t offset, std::size_t size) const {
        if (size == 8) return U64(offset);
        auto word = U32(offset);
        return word ? std::optional<std::uint64_t>(*word) : std::nullopt;
    }

    // Length of the zero-terminated text at offset, or nothing when no zero
    // byte comes before the end.
    std::optional<std::size_t> TextLength(std::uint64_t offset) const {
        if (offset >= size_) return std::nullopt;
        const void* end = std::memchr(data_ + offset, 0, size_ - offset);
        if (end == nullptr) return std::nullopt;
        return static_cast<const std::uint8_t*>(end) - (data_ + offset);
    }

  private:
    template <typename T>
    std::optional<T> Read(std::uint64_t offset) const {
        if (!Holds(offset, sizeof(T))) return std::nullopt;
        // PE fields are little-endian and may sit at any alignment.
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<T>(static_cast<T>(data_[offset + i]) << (8 * i));
        }
        return value;
    }

    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace vantrel::pe
