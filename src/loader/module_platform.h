#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// PE32 images hold their addresses in 32-bit words, PE32+ images in 64-bit ones.
enum class ImageWidth { k32, k64 };

// The operating-system steps of loading a module from memory. Addresses are
// plain integers because the image's own words hold them.
class ModulePlatform {
  public:
    using ModuleHandle = std::uintptr_t;

    virtual ~ModulePlatform() = default;

    // Whether an image of this width, built for machine (its file header's
    // Machine field), is one this platform loads.
    virtual bool Loads(std::uint16_t machine, ImageWidth width) = 0;

    // Zeroed, writable memory of size bytes at address, or anywhere an image
    // of that width can use when address is 0; 0 when it cannot be had.
    virtual std::uintptr_t Reserve(std::uintptr_t address, std::size_t size, ImageWidth width) = 0;
    // Gives back the whole reservation that starts at base.
    virtual void Release(std::uintptr_t base) = 0;

    // A module already present in the process, or 0.
    virtual ModuleHandle FindModule(const char* name) = 0;
    // Brings a module into the process; 0 when it cannot.
    virtual ModuleHandle LoadModule(const char* name) = 0;
    // Address of a function of the module, or 0 when it has none by that name.
    virtual std::uintptr_t FindFunction(ModuleHandle module, const char* name) = 0;
    virtual std::uintptr_t FindFunction(ModuleHandle module, std::uint16_t ordinal) = 0;

    // Tells the system where a PE32+ image's exception directory (the unwind
    // data of its functions) lies, so exceptions and stack walks can pass
    // through its code; Release takes the registration back. False when the
    // system refuses it.
    virtual bool RegisterExceptionTable(std::uintptr_t base, std::uint32_t address,
                                        std::uint32_t size) = 0;

    // Runs a library entry point with the library convention (image base,
    // reason, reserved word); answers its result.
    virtual int CallEntryPoint(std::uintptr_t entry, std::uintptr_t base, std::uint32_t reason,
                               std::uint32_t reserved) = 0;
};

}  // namespace vantrel
