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

std::vector<std::uint8_t> ReadImage(const std::string& name) {
    std::ifstream in(std::string(VANTREL_TEST_DATA_DIR) + "/loader/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An export found by the name walk, checked against the name-ordinal lookup.
template <typename Function>
Function Export(std::uintptr_t base, const char* name) {
    const std::uintptr_t address = FindExportByNameWalk(base, name);
    EXPECT_NE(address, 0u) << name;
    EXPECT_EQ(address, FindExportByName(base, name)) << name;
    return reinterpret_cast<Function>(address);
}

// Calls into a library mapped by the loader: its data was set by its entry
// point, its tables of addresses were relocated, and its imports reach the
// system's kernel32, msvcrt and (by ordinal) ws2_32.
void ExpectWorkingSample(std::uintptr_t base) {
    EXPECT_EQ(Export<int (*)()>(base, "vt_attach_count")(), 1);
    EXPECT_EQ(Export<unsigned (*)()>(base, "vt_own_base")(), base);
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
}

TEST(LoaderOnWindows, MapsALibraryRunsItsEntryPointAndCallsItsExports) {
    const auto image = ReadImage("sample.dll");
    ASSERT_GT(image.size(), 1024u);
    WindowsModulePlatform platform;
    const std::uintptr_t base = LoadModuleFromMemory(image, platform);
    ASSERT_NE(base, 0u);
    ExpectWorkingSample(base);

    // The second copy cannot have the first one's base: it runs relocated,
    // with data of its own.
    const std::uintptr_t second = LoadModuleFromMemory(image, platform);
    ASSERT_NE(second, 0u);
    ASSERT_NE(second, base);
    ExpectWorkingSample(second);
    EXPECT_EQ(Export<int (*)(int)>(base, "vt_bump")(1), 3);

    platform.Release(second);
    platform.Release(base);
}

TEST(LoaderOnWindows, EntryPointRefusingTheAttachIsToldOfTheDetach) {
    SetEnvironmentVariableA("VANTREL_DETACHED", nullptr);
    WindowsModulePlatform platform;
    EXPECT_EQ(LoadModuleFromMemory(ReadImage("failing_entry.dll"), platform), 0u);
    char value[8] = {};
    EXPECT_EQ(GetEnvironmentVariableA("VANTREL_DETACHED", value, sizeof value), 3u);
    EXPECT_STREQ(value, "yes");
}

TEST(LoaderOnWindows, NameWalkCallsTheWrongFunctionWhenOrdinalsAreShuffled) {
    WindowsModulePlatform platform;
    const std::uintptr_t base = LoadModuleFromMemory(ReadImage("numbered_exports.dll"), platform);
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

bool PreferredBaseIsFree() {
    void* at =
        VirtualAlloc(reinterpret_cast<void*>(0x10000000), 0x1000, MEM_RESERVE, PAGE_NOACCESS);
    if (at != nullptr) VirtualFree(at, 0, MEM_RELEASE);
    return at == reinterpret_cast<void*>(0x10000000);
}

TEST(LoaderOnWindows, MissingLibraryFailsAndGivesTheMemoryBack) {
    auto image = ReadImage("sample.dll");
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

}  // namespace
}  // namespace vantrel
