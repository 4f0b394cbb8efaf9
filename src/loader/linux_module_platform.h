#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "loader/module_platform.h"

namespace vantrel {

// A function a library offers to the images loaded here: by name, by
// ordinal (0: none), or both.
struct ImportedFunction {
    std::string name;
    std::uint16_t ordinal = 0;
    std::uintptr_t address = 0;
};

// A library the images may import from. One that is already loaded is
// found at once; any other is loaded on first demand.
struct ImportedLibrary {
    std::string name;
    std::vector<ImportedFunction> functions;
    bool loaded = false;
};

// Windows entry-point code cannot run in this process: whoever loads an
// image here says what running its entry point means.
using EntryPointCall = std::function<int(std::uintptr_t entry, std::uintptr_t base,
                                         std::uint32_t reason, std::uint32_t reserved)>;

// Loads images of either width and any machine, since none of their code
// runs here, into anonymous memory that is readable and writable but never
// executable: PE32 images below 4 GiB (so their 32-bit words can hold their
// addresses), PE32+ images anywhere. Imports are resolved from the libraries
// it was given. Reservations still held when it goes away are released with it.
class LinuxModulePlatform : public ModulePlatform {
  public:
    LinuxModulePlatform(std::vector<ImportedLibrary> libraries, EntryPointCall callEntryPoint);
    ~LinuxModulePlatform() override;
    LinuxModulePlatform(const LinuxModulePlatform&) = delete;
    LinuxModulePlatform& operator=(const LinuxModulePlatform&) = delete;

    bool Loads(std::uint16_t machine, ImageWidth width) override;
    std::uintptr_t Reserve(std::uintptr_t address, std::size_t size, ImageWidth width) override;
    void Release(std::uintptr_t base) override;
    ModuleHandle FindModule(const char* name) override;
    ModuleHandle LoadModule(const char* name) override;
    std::uintptr_t FindFunction(ModuleHandle module, const char* name) override;
    std::uintptr_t FindFunction(ModuleHandle module, std::uint16_t ordinal) override;
    bool RegisterExceptionTable(std::uintptr_t base, std::uint32_t address,
                                std::uint32_t size) override;
    int CallEntryPoint(std::uintptr_t entry, std::uintptr_t base, std::uint32_t reason,
                       std::uint32_t reserved) override;

    std::size_t reserveCalls() const { return reserveCalls_; }
    std::size_t liveReservations() const { return reservations_.size(); }
    const std::vector<ImportedLibrary>& libraries() const { return libraries_; }

  private:
    std::uintptr_t MapAt(std::uintptr_t address, std::size_t length);
    std::uintptr_t MapLow(std::size_t length);
    std::uintptr_t MapAnywhere(std::size_t length);
    const ImportedLibrary* Library(ModuleHandle module) const;

    std::vector<ImportedLibrary> libraries_;
    EntryPointCall callEntryPoint_;
    std::map<std::uintptr_t, std::size_t> reservations_;
    std::size_t reserveCalls_ = 0;
};

}  // namespace vantrel
