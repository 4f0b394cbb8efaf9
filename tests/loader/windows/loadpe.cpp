// Loads a library through LoadModuleFromMemory (never through the system's
// own loader), looks one export up by name and calls it with one integer or
// none. scripts/loadpe.sh builds this and runs it under Wine.
// Usage: loadpe.exe [--at-preferred-base-taken] FILE.dll FUNCTION [INTEGER]
// Exit 0 with "FUNCTION(INTEGER) = RESULT" as the one line on standard
// output; 1 with one line on standard error when the file, the image or the
// function cannot be had; 2 for a wrong command line.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "loader/export_lookup.h"
#include "loader/load_module_from_memory.h"
#include "loader/pe_headers.h"
#include "loader/windows_module_platform.h"

namespace {

using namespace vantrel;

struct Options {
    bool takePreferredBase = false;
    std::string file;
    std::string function;
    std::optional<std::int64_t> argument;
};

std::optional<std::int64_t> ParseInteger(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE) return std::nullopt;
    return value;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    int at = 1;
    if (at < argc && std::string(argv[at]) == "--at-preferred-base-taken") {
        options.takePreferredBase = true;
        ++at;
    }
    if (argc - at < 2 || argc - at > 3) return std::nullopt;
    options.file = argv[at];
    options.function = argv[at + 1];
    if (argc - at == 3) {
        options.argument = ParseInteger(argv[at + 2]);
        if (!options.argument) return std::nullopt;
    }
    return options;
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

int Fail(const Options& options, const std::string& why) {
    std::fprintf(stderr, "loadpe: %s: %s\n", options.file.c_str(), why.c_str());
    return 1;
}

// Occupies the image's preferred base for the rest of the run, so the
// loader has to put the image elsewhere and relocate it.
void TakePreferredBase(const pe::Headers& headers) {
    VirtualAlloc(reinterpret_cast<void*>(static_cast<std::uintptr_t>(headers.imageBase)),
                 headers.sizeOfImage, MEM_RESERVE, PAGE_NOACCESS);
}

std::string Refusal(const std::optional<pe::Headers>& headers, ModulePlatform& platform) {
    if (!headers) return "not a library image the loader can read";
    if (!platform.Loads(headers->machine, headers->width())) {
        return headers->width() == ImageWidth::k32
                   ? "a 32-bit image; this loader runs 64-bit ones only"
                   : "a 64-bit image; this loader runs 32-bit ones only";
    }
    return "the loader refused it (malformed, an import missing, or its entry point said no)";
}

// The return register read as the function most likely meant it: a value
// whose upper half is zero came from a 32-bit int (so 0xFFFFFFFF is -1),
// anything else from a 64-bit integer or pointer.
std::int64_t ReadResult(std::uint64_t returned) {
    if (returned >> 32 == 0) return static_cast<std::int32_t>(static_cast<std::uint32_t>(returned));
    return static_cast<std::int64_t>(returned);
}

std::uint64_t Call(std::uintptr_t function, const std::optional<std::int64_t>& argument) {
    if (!argument) return reinterpret_cast<std::uintptr_t (*)()>(function)();
    return reinterpret_cast<std::uintptr_t (*)(std::intptr_t)>(function)(
        static_cast<std::intptr_t>(*argument));
}

std::string Signature(const Options& options) {
    const std::string argument = options.argument ? std::to_string(*options.argument) : "";
    return options.function + "(" + argument + ")";
}

}  // namespace

int main(int argc, char** argv) {
    // Lines end in "\n" alone, as on the host that reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: loadpe [--at-preferred-base-taken] FILE.dll FUNCTION [INTEGER]\n");
        return 2;
    }
    const auto image = ReadFile(options->file);
    if (!image) return Fail(*options, "cannot be read");
    const auto headers = pe::ReadHeaders(pe::Bytes(image->data(), image->size()));
    if (headers && options->takePreferredBase) TakePreferredBase(*headers);

    WindowsModulePlatform platform;
    const std::uintptr_t base = LoadModuleFromMemory(*image, platform);
    if (base == 0) return Fail(*options, Refusal(headers, platform));
    const std::uintptr_t function = FindExportByName(base, options->function);
    if (function == 0) return Fail(*options, "no function exported as " + options->function);

    const std::int64_t result = ReadResult(Call(function, options->argument));
    std::printf("%s = %" PRId64 "\n", Signature(*options).c_str(), result);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
