#include "loader/import_resolution.h"

namespace vantrel::pe {
namespace {

constexpr std::uint64_t kAddressLimit = 0x100000000u;

// The address for one import slot: an ordinal (low 16 bits) when the
// layout's ordinal flag (bit 31, or bit 63 in a 64-bit slot) is set,
// otherwise the hint-and-name entry the slot points at.
std::uintptr_t ResolveSlot(const Mapping& m, const Layout& layout, std::uint64_t value,
                           ModulePlatform::ModuleHandle module, ModulePlatform& platform) {
    if (value & layout.ordinalFlag) {
        return platform.FindFunction(module, static_cast<std::uint16_t>(value & 0xFFFF));
    }
    const std::uint64_t name = value + 2;
    if (!m.bytes().TextLength(name)) return 0;
    return platform.FindFunction(module, reinterpret_cast<const char*>(m.at(name)));
}

// A 32-bit slot cannot hold an address above 4 GiB: that is as bad as none.
bool SlotHolds(const Layout& layout, std::uintptr_t address) {
    return address != 0 && (layout.wordSize == 8 || address < kAddressLimit);
}

ModulePlatform::ModuleHandle FindOrLoad(const char* name, ModulePlatform& platform) {
    const ModulePlatform::ModuleHandle module = platform.FindModule(name);
    return module != 0 ? module : platform.LoadModule(name);
}

bool ResolveDescriptor(const Mapping& m, const Layout& layout, std::uint32_t nameAt,
                       std::uint32_t firstThunk, ModulePlatform& platform) {
    const Bytes mapped = m.bytes();
    if (!mapped.TextLength(nameAt)) return false;
    const auto module = FindOrLoad(reinterpret_cast<const char*>(m.at(nameAt)), platform);
    if (module == 0) return false;
    const std::size_t size = layout.wordSize;
    for (std::uint64_t slot = firstThunk;; slot += size) {
        auto value = mapped.Word(slot, size);
        if (!value || !m.Writable(slot, size)) return false;
        if (*value == 0) return true;
        const std::uintptr_t function = ResolveSlot(m, layout, *value, module, platform);
        if (!SlotHolds(layout, function)) return false;
        m.Write(slot, function, size);
    }
}

}  // namespace

bool ResolveImports(const Headers& h, const Mapping& m, ModulePlatform& platform) {
    if (h.imports.address == 0) return true;
    const Bytes mapped = m.bytes();
    for (std::uint64_t at = h.imports.address;; at += kImportDescriptorSize) {
        auto nameAt = mapped.U32(at + 12);
        auto firstThunk = mapped.U32(at + 16);
        if (!nameAt || !firstThunk) return false;
        if (*firstThunk == 0) return true;
        if (!ResolveDescriptor(m, *h.layout, *nameAt, *firstThunk, platform)) return false;
    }
}

}  // namespace vantrel::pe
