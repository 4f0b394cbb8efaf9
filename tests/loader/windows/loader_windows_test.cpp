#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "loader/export_lookup.h"
#include "loader/load_module_from_memory.h"
#include "loader/windows_module_platform.h"

namespace vantrel {
namespace {

// The fixtures of this build's width, and the sample of the other one.
#ifdef _WIN64
constexpr const char* kSuffix = "64";
constexpr const char* kOtherSample = "sample.dll";
constexpr std::uintptr_t kPreferredBase = 0x200000000000;
#else
constexpr const char* kSuffix = "";
constexpr const char* kOtherSample = "sample64.dll";
constexpr std::uintptr_t kPreferredBase = 0x10000000;
#endif

std::vector<std::uint8_t> ReadImage(const std::string& name) {
    std::ifstream in(std::string(VANTREL_TEST_DATA_DIR) + "/loader/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::uint8_t> ReadFixture(const char* stem) {
    return ReadImage(std::string(stem) + kSuffix + ".dll");
}

// An export found by the name walk, checked against the name-ordinal lookup.
template <typename Function>
Function Export(std::uintptr_t base, const char* name) {
    const std::uintptr_t address = FindExportByNameWalk(base, name);
    EXPECT_NE(address, 0u) << name;
    EXPECT_EQ(address, FindExportByName(base, name)) << name;
    return reinterpret_cast<Function>(address);
}

// The 64-bit sample's table of 1280 addresses, each relocated with it.
void ExpectRelocatedAddressTable(std::uintptr_t base) {
#ifdef _WIN64
    auto cellOffset = Export<int (*)(int)>(base, "vt_cell_offset");
    int wrong = 0;
    for (int i = 0; i < 1280; ++i)
        wrong += cellOffset(i) != i - 640;
    EXPECT_EQ(wrong, 0);
#else
    (void)base;
#endif
}

// Calls into a library mapped by the loader: its data was set by its entry
// point, its tables of addresses were relocated, and its imports reach the
// system's kernel32, msvcrt and (by ordinal) ws2_32.
void ExpectWorkingSample(std::uintptr_t base) {
    EXPECT_EQ(Export<int (*)()>(base, "vt_attach_count")(), 1);
    EXPECT_EQ(Export<std::uintptr_t (*)()>(base, "vt_own_base")(), base);
    auto apply = Export<int (*)(int, int, int)>(base, "vt_apply");
    EXPECT_EQ(apply(0, 40, 2), 42);
    EXPECT_EQ(apply(1, 40, 2), 38);
    EXPECT_EQ(apply(2, 6, 7), 42);
    EXPECT_EQ(apply(3, 6, 7), 7);
    auto colourLength = Export<int (*)(int)>(base, "vt_colour_length");
    EXPECT_EQ(colourLength(0), 3);
    EXPECT_EQ(colourLength(6), 6);
    auto bump = Export<int (*)(int)>(base, "vt_bump");
    EXPECT_EQ(bump(1), 1);
    EXPECT_EQ(bump(1), 2);
    EXPECT_EQ(bump(2), 1);
    char text[32] = {};
    EXPECT_EQ(Export<int (*)(char*, int, int)>(base, "vt_format")(text, sizeof text, 15), 8);
    EXPECT_STREQ(text, "green=15");
    EXPECT_EQ(Export<int (*)(const char*)>(base, "vt_text_length")("loaded"), 6);
    EXPECT_EQ(Export<unsigned (*)(unsigned)>(base, "vt_swap16")(0x1234), 0x3412u);
    ExpectRelocatedAddressTable(base);
}

bool PreferredBaseIsFree() {
    void* at =
        VirtualAlloc(reinterpret_cast<void*>(kPreferredBase), 0x1000, MEM_RESERVE, PAGE_NOACCESS);
    if (at != nullptr) VirtualFree(at, 0, MEM_RELEASE);
    return at == reinterpret_cast<void*>(kPreferredBase);
}

TEST(LoaderOnWindows, MapsALibraryAtItsPreferredBase) {
    const auto image = ReadFixture("sample");
    ASSERT_GT(image.size(), 1024u);
    if (!PreferredBaseIsFree()) GTEST_SKIP() << "the library's preferred base is taken";
    WindowsModulePlatform platform;
    const std::uintptr_t base = LoadModuleFromMemory(image, platform);
    ASSERT_EQ(base, kPreferredBase);
    ExpectWorkingSample(base);
    platform.Release(base);
}

// With the preferred base held by someone else, both copies run relocated,
// each with data of its own.
TEST(LoaderOnWindows, RelocatesALibraryWhosePreferredBaseIsTaken) {
    const auto image = ReadFixture("sample");
    void* taken =
        VirtualAlloc(reinterpret_cast<void*>(kPreferredBase), 0x10000, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_EQ(taken, reinterpret_cast<void*>(kPreferredBase));
    WindowsModulePlatform platform;
    const std::uintptr_t first = LoadModuleFromMemory(image, platform);
    const std::uintptr_t second = LoadModuleFromMemory(image, platform);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, kPreferredBase);
    EXPECT_NE(second, first);
    ExpectWorkingSample(first);
    ExpectWorkingSample(second);
    EXPECT_EQ(Export<int (*)(int)>(first, "vt_bump")(1), 3);
    platform.Release(second);
    platform.Release(first);
    VirtualFree(taken, 0, MEM_RELEASE);
}

TEST(LoaderOnWindows, EntryPointRefusingTheAttachIsToldOfTheDetach) {
    SetEnvironmentVariableA("VANTREL_DETACHED", nullptr);
    WindowsModulePlatform platform;
    EXPECT_EQ(LoadModuleFromMemory(ReadFixture("failing_entry"), platform), 0u);
    char value[8] = {};
    EXPECT_EQ(GetEnvironmentVariableA("VANTREL_DETACHED", value, sizeof value), 3u);
    EXPECT_STREQ(value, "yes");
}

TEST(LoaderOnWindows, NameWalkCallsTheWrongFunctionWhenOrdinalsAreShuffled) {
    WindowsModulePlatform platform;
    const std::uintptr_t base = LoadModuleFromMemory(ReadFixture("numbered_exports"), platform);
    ASSERT_NE(base, 0u);
    int byName[3], byWalk[3];
    const char* names[3] = {"vt_alpha", "vt_beta", "vt_gamma"};
    for (int i = 0; i < 3; ++i) {
        byName[i] = reinterpret_cast<int (*)()>(FindExportByName(base, names[i]))();
        byWalk[i] = reinterpret_cast<int (*)()>(FindExportByNameWalk(base, names[i]))();
    }
    EXPECT_EQ(byName[0], 1);
    EXPECT_EQ(byName[1], 2);
    EXPECT_EQ(byName[2], 3);
    EXPECT_EQ(byWalk[0], 2);
    EXPECT_EQ(byWalk[1], 3);
    EXPECT_EQ(byWalk[2], 1);
    platform.Release(base);
}

TEST(LoaderOnWindows, MissingLibraryFailsAndGivesTheMemoryBack) {
    auto image = ReadFixture("sample");
    const std::string from = "ws2_32.dll", to = "nodll1.dll";  // as long as the name it replaces
    auto at = std::search(image.begin(), image.end(), from.begin(), from.end());
    ASSERT_NE(at, image.end());
    std::copy(to.begin(), to.end(), at);
    *(at + to.size()) = 0;
    if (!PreferredBaseIsFree()) GTEST_SKIP() << "the library's preferred base is taken";
    WindowsModulePlatform platform;
    EXPECT_EQ(LoadModuleFromMemory(image, platform), 0u);
    EXPECT_TRUE(PreferredBaseIsFree());
}

#ifdef _WIN64
// The system finds the unwind data of the library's functions, which
// exceptions thrown and caught in its code need, until it is released.
TEST(LoaderOnWindows, SystemFindsTheLibrarysUnwindDataUntilReleased) {
    WindowsModulePlatform platform;
    const std::uintptr_t base = LoadModuleFromMemory(ReadFixture("sample"), platform);
    ASSERT_NE(base, 0u);
    const std::uintptr_t apply = FindExportByName(base, "vt_apply");
    ASSERT_NE(apply, 0u);
    DWORD64 imageBase = 0;
    const PRUNTIME_FUNCTION entry = RtlLookupFunctionEntry(apply, &imageBase, nullptr);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(imageBase, base);
    EXPECT_EQ(base + entry->BeginAddress, apply);
    platform.Release(base);
    EXPECT_EQ(RtlLookupFunctionEntry(apply, &imageBase, nullptr), nullptr);
}
#endif

// The system's platform, counting the memory it is asked for.
class CountingPlatform : public WindowsModulePlatform {
  public:
    std::uintptr_t Reserve(std::uintptr_t address, std::size_t size, ImageWidth width) override {
        ++reserveCalls;
        return WindowsModulePlatform::Reserve(address, size, width);
    }
    int reserveCalls = 0;
};

// Code for the other machine cannot run in this process.
TEST(LoaderOnWindows, ImageOfTheOtherWidthIsRefusedBeforeReserving) {
    const auto image = ReadImage(kOtherSample);
    ASSERT_GT(image.size(), 1024u);
    CountingPlatform platform;
    EXPECT_EQ(LoadModuleFromMemory(image, platform), 0u);
    EXPECT_EQ(platform.reserveCalls, 0);
}

}  // namespace
}  // namespace vantrel
