#include "loader/linux_module_platform.h"

#include <strings.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <utility>

namespace vantrel {
namespace {

constexpr std::uint64_t kAddressLimit = 0x100000000u;
// Where the search for free low memory starts and how far each try moves on.
constexpr std::uint64_t kSearchStart = 0x01000000u;
constexpr std::uint64_t kSearchStep = 0x01000000u;

std::size_t PageSize() {
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

bool FitsBelow(std::uint64_t limit, std::uint64_t address, std::uint64_t length) {
    return address != 0 && length <= limit && address <= limit - length;
}

bool FitsLow(std::uint64_t address, std::uint64_t length) {
    return FitsBelow(kAddressLimit, address, length);
}

void* MapAnonymous(void* hint, std::size_t length, int extraFlags) {
    return mmap(hint, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | extraFlags, -1,
                0);
}

}  // namespace

LinuxModulePlatform::LinuxModulePlatform(std::vector<ImportedLibrary> libraries,
                                         EntryPointCall callEntryPoint)
    : libraries_(std::move(libraries)), callEntryPoint_(std::move(callEntryPoint)) {}

LinuxModulePlatform::~LinuxModulePlatform() {
    for (const auto& [base, length] : reservations_)
        munmap(reinterpret_cast<void*>(base), length);
}

// Exactly at address, never over memory already in use.
std::uintptr_t LinuxModulePlatform::MapAt(std::uintptr_t address, std::size_t length) {
    void* hint = reinterpret_cast<void*>(address);
    void* got = MapAnonymous(hint, length, MAP_FIXED_NOREPLACE);
    if (got == MAP_FAILED) return 0;
    if (got != hint) {  // a kernel that knows no MAP_FIXED_NOREPLACE takes it as a hint
        munmap(got, length);
        return 0;
    }
    return address;
}

std::uintptr_t LinuxModulePlatform::MapLow(std::size_t length) {
#ifdef MAP_32BIT
    void* got = MapAnonymous(nullptr, length, MAP_32BIT);
    if (got != MAP_FAILED) {
        const auto address = reinterpret_cast<std::uintptr_t>(got);
        if (FitsLow(address, length)) return address;
        munmap(got, length);
    }
#endif
    for (std::uint64_t at = kSearchStart; FitsLow(at, length); at += kSearchStep) {
        if (std::uintptr_t address = MapAt(static_cast<std::uintptr_t>(at), length)) return address;
    }
    return 0;
}

std::uintptr_t LinuxModulePlatform::MapAnywhere(std::size_t length) {
    void* got = MapAnonymous(nullptr, length, 0);
    return got == MAP_FAILED ? 0 : reinterpret_cast<std::uintptr_t>(got);
}

bool LinuxModulePlatform::Loads(std::uint16_t, ImageWidth) {
    return true;
}

std::uintptr_t LinuxModulePlatform::Reserve(std::uintptr_t address, std::size_t size,
                                            ImageWidth width) {
    ++reserveCalls_;
    const std::size_t page = PageSize();
    if (size == 0 || size > kAddressLimit || address % page != 0) return 0;
    const std::size_t length = (size + page - 1) / page * page;
    const bool low = width == ImageWidth::k32;
    std::uintptr_t base = 0;
    if (address == 0) {
        base = low ? MapLow(length) : MapAnywhere(length);
    } else if (FitsBelow(low ? kAddressLimit : UINTPTR_MAX, address, length)) {
        base = MapAt(address, length);
    }
    if (base != 0) reservations_[base] = length;
    return base;
}

void LinuxModulePlatform::Release(std::uintptr_t base) {
    auto it = reservations_.find(base);
    if (it == reservations_.end()) return;
    munmap(reinterpret_cast<void*>(it->first), it->second);
    reservations_.erase(it);
}

const ImportedLibrary* LinuxModulePlatform::Library(ModuleHandle module) const {
    if (module == 0 || module > libraries_.size()) return nullptr;
    return &libraries_[module - 1];
}

// Library names compare without regard to case, as the system's own loader does.
ModulePlatform::ModuleHandle LinuxModulePlatform::FindModule(const char* name) {
    for (std::size_t i = 0; i < libraries_.size(); ++i) {
        if (libraries_[i].loaded && strcasecmp(libraries_[i].name.c_str(), name) == 0) return i + 1;
    }
    return 0;
}

ModulePlatform::ModuleHandle LinuxModulePlatform::LoadModule(const char* name) {
    for (std::size_t i = 0; i < libraries_.size(); ++i) {
        if (strcasecmp(libraries_[i].name.c_str(), name) == 0) {
            libraries_[i].loaded = true;
            return i + 1;
        }
    }
    return 0;
}

std::uintptr_t LinuxModulePlatform::FindFunction(ModuleHandle module, const char* name) {
    const ImportedLibrary* library = Library(module);
    if (library == nullptr) return 0;
    for (const ImportedFunction& f : library->functions) {
        if (!f.name.empty() && f.name == name) return f.address;
    }
    return 0;
}

std::uintptr_t LinuxModulePlatform::FindFunction(ModuleHandle module, std::uint16_t ordinal) {
    const ImportedLibrary* library = Library(module);
    if (library == nullptr || ordinal == 0) return 0;
    for (const ImportedFunction& f : library->functions) {
        if (f.ordinal == ordinal) return f.address;
    }
    return 0;
}

// No code of the image runs here, so nothing unwinds through it.
bool LinuxModulePlatform::RegisterExceptionTable(std::uintptr_t, std::uint32_t, std::uint32_t) {
    return true;
}

// Without a way to run the entry point the library cannot be set up.
int LinuxModulePlatform::CallEntryPoint(std::uintptr_t entry, std::uintptr_t base,
                                        std::uint32_t reason, std::uint32_t reserved) {
    return callEntryPoint_ ? callEntryPoint_(entry, base, reason, reserved) : 0;
}

}  // namespace vantrel
