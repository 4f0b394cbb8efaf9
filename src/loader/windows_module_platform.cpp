#include "loader/windows_module_platform.h"

#include <windows.h>

#include "loader/pe_image.h"

namespace vantrel {
namespace {

using DllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

HMODULE AsModule(ModulePlatform::ModuleHandle module) {
    return reinterpret_cast<HMODULE>(module);
}

#ifdef _WIN64
constexpr std::uint16_t kOwnMachine = pe::kMachineAmd64;
constexpr ImageWidth kOwnWidth = ImageWidth::k64;
#else
constexpr std::uint16_t kOwnMachine = pe::kMachineI386;
constexpr ImageWidth kOwnWidth = ImageWidth::k32;
#endif

}  // namespace

bool WindowsModulePlatform::Loads(std::uint16_t machine, ImageWidth width) {
    return machine == kOwnMachine && width == kOwnWidth;
}

// Every address of this process fits the words of an image it loads.
std::uintptr_t WindowsModulePlatform::Reserve(std::uintptr_t address, std::size_t size,
                                              ImageWidth) {
    void* base = VirtualAlloc(reinterpret_cast<void*>(address), size, MEM_RESERVE | MEM_COMMIT,
                              PAGE_EXECUTE_READWRITE);
    return reinterpret_cast<std::uintptr_t>(base);
}

void WindowsModulePlatform::Release(std::uintptr_t base) {
#ifdef _WIN64
    auto table = exceptionTables_.find(base);
    if (table != exceptionTables_.end()) {
        RtlDeleteFunctionTable(static_cast<PRUNTIME_FUNCTION>(table->second));
        exceptionTables_.erase(table);
    }
#endif
    VirtualFree(reinterpret_cast<void*>(base), 0, MEM_RELEASE);
}

ModulePlatform::ModuleHandle WindowsModulePlatform::FindModule(const char* name) {
    return reinterpret_cast<ModuleHandle>(GetModuleHandleA(name));
}

ModulePlatform::ModuleHandle WindowsModulePlatform::LoadModule(const char* name) {
    return reinterpret_cast<ModuleHandle>(LoadLibraryA(name));
}

std::uintptr_t WindowsModulePlatform::FindFunction(ModuleHandle module, const char* name) {
    return reinterpret_cast<std::uintptr_t>(GetProcAddress(AsModule(module), name));
}

std::uintptr_t WindowsModulePlatform::FindFunction(ModuleHandle module, std::uint16_t ordinal) {
    return reinterpret_cast<std::uintptr_t>(
        GetProcAddress(AsModule(module), MAKEINTRESOURCEA(ordinal)));
}

// A 32-bit process unwinds by the chain of handlers on its stack instead.
bool WindowsModulePlatform::RegisterExceptionTable(std::uintptr_t base, std::uint32_t address,
                                                   std::uint32_t size) {
#ifdef _WIN64
    auto* table = reinterpret_cast<PRUNTIME_FUNCTION>(base + address);
    if (!RtlAddFunctionTable(table, size / sizeof(RUNTIME_FUNCTION), base)) return false;
    exceptionTables_[base] = table;
#else
    (void)base, (void)address, (void)size;
#endif
    return true;
}

int WindowsModulePlatform::CallEntryPoint(std::uintptr_t entry, std::uintptr_t base,
                                          std::uint32_t reason, std::uint32_t reserved) {
    auto call = reinterpret_cast<DllEntry>(entry);
    return call(reinterpret_cast<HINSTANCE>(base), reason,
                reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(reserved)));
}

}  // namespace vantrel
