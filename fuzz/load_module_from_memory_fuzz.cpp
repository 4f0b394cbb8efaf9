#include <cstring>
#include <span>

#include "fuzz_check.h"
#include "loader/export_lookup.h"
#include "loader/linux_module_platform.h"
#include "loader/load_module_from_memory.h"
#include "loader/pe_layout.h"

namespace {

bool IsPe32Plus(std::span<const std::uint8_t> image) {
    const vantrel::pe::Bytes bytes(image.data(), image.size());
    const std::uint32_t nt = bytes.U32(vantrel::pe::kLfanewOffset).value_or(0);
    return vantrel::pe::LayoutAt(bytes, nt) == &vantrel::pe::kPe32Plus;
}

// Every library and function exists, so the walks go as deep as the image lets them.
class AnyImports : public vantrel::LinuxModulePlatform {
  public:
    explicit AnyImports(int attachResult)
        : LinuxModulePlatform(
              {}, [attachResult](std::uintptr_t, std::uintptr_t, std::uint32_t reason,
                                 std::uint32_t) { return reason ? attachResult : 1; }) {}
    ModuleHandle FindModule(const char* name) override { return std::strlen(name) % 2; }
    ModuleHandle LoadModule(const char*) override { return 1; }
    std::uintptr_t FindFunction(ModuleHandle, const char* name) override {
        return 0x7A000000u + std::strlen(name);
    }
    std::uintptr_t FindFunction(ModuleHandle, std::uint16_t ordinal) override {
        return 0x7B000000u + ordinal;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::span<const std::uint8_t> image(data, size);
    FindExportByName(image, "vt_apply");
    FindExportByNameWalk(image, "vt_apply");

    AnyImports platform(size % 3 != 0);
    const std::uintptr_t base = LoadModuleFromMemory(image, platform);
    FUZZ_CHECK(platform.liveReservations() == (base != 0 ? 1u : 0u));
    if (base != 0) {
        // A PE32 image lies where its 32-bit words reach.
        FUZZ_CHECK(IsPe32Plus(image) || base < 0x100000000u);
        FindExportByName(base, "vt_apply");
        FindExportByNameWalk(base, "vt_apply");
    }
    return 0;
}
