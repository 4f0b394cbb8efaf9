#pragma once

#include <map>

#include "loader/module_platform.h"

namespace vantrel {

// The system's own services: memory from VirtualAlloc, libraries through
// GetModuleHandleA/LoadLibraryA and GetProcAddress, unwind data through
// RtlAddFunctionTable, the entry point called as the system calls a
// library's entry point. Only images for the process's own
// machine and width load, since their code runs here.
class WindowsModulePlatform : public ModulePlatform {
  public:
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

  private:
    // Image base to the function table registered for it.
    std::map<std::uintptr_t, void*> exceptionTables_;
};

}  // namespace vantrel
