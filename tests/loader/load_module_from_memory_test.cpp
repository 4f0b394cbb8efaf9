#include "loader/load_module_from_memory.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "loader/export_lookup.h"
#include "loader/linux_module_platform.h"
#include "loader/pe_fixture.h"

namespace vantrel {
namespace {

using testing::FileOffset;
using testing::Get32;
using testing::Image;
using testing::NtHeaders;
using testing::Put16;
using testing::Put32;
using testing::ReadExports;
using testing::ReadImage;
using testing::ReadRelocations;

constexpr std::uintptr_t kPreferredBase = 0x10000000;
constexpr std::uint32_t kLstrlenA = 0x7A001010, kStrlen = 0x7A002020, kSnprintf = 0x7A002030,
                        kHtons = 0x7A003040;

struct EntryCall {
    std::uintptr_t entry, base;
    std::uint32_t reason, reserved;
};

// The libraries sample.dll imports from, with made-up addresses that never
// occur in the image itself; kernel32 counts as loaded already.
std::vector<ImportedLibrary> SampleLibraries() {
    return {{"KERNEL32.dll", {{"lstrlenA", 0, kLstrlenA}}, true},
            {"msvcrt.dll", {{"strlen", 0, kStrlen}, {"_snprintf", 0, kSnprintf}}},
            {"ws2_32.dll", {{"", 9, kHtons}}}};
}

// A platform that records every entry-point call and answers attachResult.
struct Loader {
    explicit Loader(int attachResult = 1,
                    std::vector<ImportedLibrary> libraries = SampleLibraries())
        : platform(std::move(libraries),
                   [this, attachResult](std::uintptr_t entry, std::uintptr_t base,
                                        std::uint32_t reason, std::uint32_t reserved) {
                       calls.push_back({entry, base, reason, reserved});
                       return reason == 1 ? attachResult : 1;
                   }) {}

    std::uintptr_t Load(const Image& image) { return LoadModuleFromMemory(image, platform); }

    std::vector<EntryCall> calls;
    LinuxModulePlatform platform;
};

std::uint32_t WordAt(std::uintptr_t base, std::uint32_t rva) {
    return Get32(reinterpret_cast<const std::uint8_t*>(base + rva));
}

std::size_t Occurrences(std::uintptr_t base, std::size_t size, std::uint32_t word) {
    std::size_t count = 0;
    for (std::size_t at = 0; at + 4 <= size; ++at)
        count += WordAt(base, at) == word;
    return count;
}

std::uint32_t SizeOfImage(const Image& image) {
    return Get32(&image[NtHeaders(image) + 80]);
}

TEST(LoadModuleFromMemory, RefusesMalformedHeadersWithoutReserving) {
    const Image good = ReadImage("sample.dll");
    ASSERT_GT(good.size(), 1024u);
    const std::uint32_t nt = NtHeaders(good);
    std::vector<std::pair<const char*, Image>> cases;
    cases.emplace_back("63 bytes", Image(good.begin(), good.begin() + 63));
    Image noMz = good;
    noMz[1] = 'Y';
    cases.emplace_back("no MZ", noMz);
    Image lfanewPastEnd = good;
    Put32(&lfanewPastEnd[0x3C], static_cast<std::uint32_t>(good.size() - 247));
    cases.emplace_back("e_lfanew + 248 past the end", lfanewPastEnd);
    Image lfanewNegative = good;
    Put32(&lfanewNegative[0x3C], 0xFFFFFFF0u);
    cases.emplace_back("negative e_lfanew", lfanewNegative);
    Image noPe = good;
    noPe[nt + 1] = 'F';
    cases.emplace_back("no PE signature", noPe);
    Image notExecutable = good;
    notExecutable[nt + 22] &= ~0x02;
    cases.emplace_back("no executable bit", notExecutable);
    Image sectionsPastEnd = good;
    Put16(&sectionsPastEnd[nt + 6], static_cast<std::uint16_t>((good.size() - nt - 248) / 40 + 1));
    cases.emplace_back("section table past the end", sectionsPastEnd);
    Image noAlignment = good;
    Put32(&noAlignment[nt + 56], 0);
    cases.emplace_back("section alignment 0", noAlignment);
    Image rawPastEnd = good;
    Put32(&rawPastEnd[nt + 248 + 20], static_cast<std::uint32_t>(good.size() - 16));
    cases.emplace_back("section data past the end", rawPastEnd);

    for (const auto& [what, image] : cases) {
        Loader loader;
        EXPECT_EQ(loader.Load(image), 0u) << what;
        EXPECT_EQ(loader.platform.reserveCalls(), 0u) << what;
        EXPECT_TRUE(loader.calls.empty()) << what;
    }
}

// Loaded twice, the second copy cannot have the preferred base: the two
// mappings differ in exactly the HIGHLOW words objdump lists, each by the
// distance between the bases, and each word points into its own copy.
TEST(LoadModuleFromMemory, RelocatesEveryHighLowWordByTheSameDelta) {
    const Image image = ReadImage("sample.dll");
    const std::vector<std::uint32_t> relocations = ReadRelocations("sample.dll");
    ASSERT_GE(relocations.size(), 20u);
    const std::size_t size = SizeOfImage(image);
    Loader loader;
    const std::uintptr_t first = loader.Load(image);
    const std::uintptr_t second = loader.Load(image);
    ASSERT_EQ(first, kPreferredBase);
    ASSERT_NE(second, 0u);
    ASSERT_LT(second + size, 0x100000000u);

    const std::uint32_t delta = static_cast<std::uint32_t>(second - first);
    std::vector<bool> relocated(size);
    for (std::uint32_t rva : relocations) {
        const std::uint32_t word = WordAt(first, rva);
        EXPECT_EQ(word, Get32(&image[FileOffset(image, rva)])) << std::hex << rva;
        EXPECT_GE(word, first);
        EXPECT_LT(word, first + size);
        EXPECT_EQ(WordAt(second, rva), word + delta) << std::hex << rva;
        std::fill_n(relocated.begin() + rva, 4, true);
    }
    for (std::size_t at = 0; at < size; ++at) {
        if (relocated[at]) continue;
        ASSERT_EQ(*reinterpret_cast<const std::uint8_t*>(first + at),
                  *reinterpret_cast<const std::uint8_t*>(second + at))
            << std::hex << at;
    }
    EXPECT_EQ(loader.platform.liveReservations(), 2u);
    loader.platform.Release(first);
    loader.platform.Release(second);
    EXPECT_EQ(loader.platform.liveReservations(), 0u);
}

// Padding entries (type 0) and any other type are left alone; the walk also
// ends where the directory ends, even without a closing zero block.
TEST(LoadModuleFromMemory, RelocationWalkSkipsOtherTypesAndStopsAtDirectoryEnd) {
    const Image good = ReadImage("sample.dll");
    const std::uint32_t nt = NtHeaders(good);
    const std::uint32_t directory = Get32(&good[nt + 120 + 8 * 5]);
    const std::size_t block = FileOffset(good, directory);
    const std::uint32_t page = Get32(&good[block]);
    const std::uint32_t blockSize = Get32(&good[block + 4]);
    const std::uint16_t firstEntry = good[block + 8] | good[block + 9] << 8;
    ASSERT_EQ(firstEntry >> 12, 3);
    const std::uint32_t firstTarget = page + (firstEntry & 0xFFF);
    const std::vector<std::uint32_t> relocations = ReadRelocations("sample.dll");
    ASSERT_GE(relocations.size(), 3u);
    ASSERT_EQ(relocations[0], firstTarget);
    const std::uint32_t secondTarget = relocations[1];    // same block
    const std::uint32_t lastTarget = relocations.back();  // a later block
    ASSERT_LT(secondTarget, page + 0x1000);
    ASSERT_GE(lastTarget, page + 0x1000);

    Image image = good;
    Put16(&image[block + 8], firstEntry & 0x0FFF);
    Put32(&image[nt + 120 + 8 * 5 + 4], blockSize);  // the directory holds the first block only
    Loader loader;
    ASSERT_EQ(loader.Load(good), kPreferredBase);  // keeps the copy below off the preferred base
    const std::uintptr_t base = loader.Load(image);
    ASSERT_NE(base, 0u);
    EXPECT_EQ(WordAt(base, firstTarget), WordAt(kPreferredBase, firstTarget));
    EXPECT_EQ(WordAt(base, secondTarget),
              WordAt(kPreferredBase, secondTarget) + (base - kPreferredBase));
    EXPECT_EQ(WordAt(base, lastTarget), WordAt(kPreferredBase, lastTarget));
}

TEST(LoadModuleFromMemory, MalformedRelocationsReleaseTheMemory) {
    const Image good = ReadImage("sample.dll");
    const std::uint32_t nt = NtHeaders(good);
    const std::uint32_t directory = Get32(&good[nt + 120 + 8 * 5]);
    const std::size_t block = FileOffset(good, directory);
    std::vector<std::pair<const char*, Image>> cases;
    Image shortBlock = good;
    Put32(&shortBlock[block + 4], 6);
    cases.emplace_back("block shorter than its header", shortBlock);
    Image longBlock = good;
    Put32(&longBlock[block + 4], 0x10000);
    cases.emplace_back("block past the directory", longBlock);
    Image farPage = good;
    Put32(&farPage[block], 0x7FFFF000);
    cases.emplace_back("page outside the image", farPage);
    Image farDirectory = good;
    Put32(&farDirectory[nt + 120 + 8 * 5], 0x7FFFF000);
    cases.emplace_back("directory outside the image", farDirectory);
    for (const auto& [what, image] : cases) {
        Loader loader;
        EXPECT_EQ(loader.Load(image), 0u) << what;
        EXPECT_EQ(loader.platform.reserveCalls(), 1u) << what;
        EXPECT_EQ(loader.platform.liveReservations(), 0u) << what;
        EXPECT_TRUE(loader.calls.empty()) << what;
    }
}

TEST(LoadModuleFromMemory, ResolvesImportsByNameAndByLowSixteenBitsOfOrdinals) {
    Image image = ReadImage("sample.dll");
    const std::size_t size = SizeOfImage(image);
    // The slot importing ordinal 9 gets junk in bits 16 to 30.
    std::size_t patched = 0;
    for (std::size_t at = 0; at + 4 <= image.size(); at += 4) {
        if (Get32(&image[at]) == 0x80000009u) {
            Put32(&image[at], 0xABCD0009u);
            ++patched;
        }
    }
    ASSERT_GE(patched, 1u);
    Loader loader;
    const std::uintptr_t base = loader.Load(image);
    ASSERT_NE(base, 0u);
    for (std::uint32_t address : {kLstrlenA, kStrlen, kSnprintf, kHtons}) {
        EXPECT_EQ(Occurrences(base, size, address), 1u) << std::hex << address;
    }
    for (const ImportedLibrary& library : loader.platform.libraries()) {
        EXPECT_TRUE(library.loaded) << library.name;
    }
}

TEST(LoadModuleFromMemory, MissingImportsFailAndReleaseTheMemory) {
    const Image image = ReadImage("sample.dll");
    std::vector<std::vector<ImportedLibrary>> tables(3, SampleLibraries());
    tables[0].pop_back();                                // no ws2_32 at all
    tables[1][2].functions[0].ordinal = 8;               // ws2_32 without ordinal 9
    tables[2][1].functions[1].address = 0x100000000ull;  // an address no slot can hold
    for (std::size_t i = 0; i < tables.size(); ++i) {
        Loader loader(1, tables[i]);
        EXPECT_EQ(loader.Load(image), 0u) << i;
        EXPECT_EQ(loader.platform.liveReservations(), 0u) << i;
        EXPECT_TRUE(loader.calls.empty()) << i;
    }
}

TEST(LoadModuleFromMemory, EntryPointSeesAttachAndARefusalIsUndone) {
    const Image image = ReadImage("sample.dll");
    const std::uint32_t entry = Get32(&image[NtHeaders(image) + 40]);
    ASSERT_NE(entry, 0u);

    Loader accepting;
    const std::uintptr_t base = accepting.Load(image);
    ASSERT_NE(base, 0u);
    ASSERT_EQ(accepting.calls.size(), 1u);
    EXPECT_EQ(accepting.calls[0].entry, base + entry);
    EXPECT_EQ(accepting.calls[0].base, base);
    EXPECT_EQ(accepting.calls[0].reason, 1u);
    EXPECT_EQ(accepting.calls[0].reserved, 0u);

    Loader refusing(0);
    EXPECT_EQ(refusing.Load(image), 0u);
    ASSERT_EQ(refusing.calls.size(), 2u);
    EXPECT_EQ(refusing.calls[1].entry, refusing.calls[0].entry);
    EXPECT_EQ(refusing.calls[1].base, refusing.calls[0].base);
    EXPECT_EQ(refusing.calls[1].reason, 0u);
    EXPECT_EQ(refusing.platform.liveReservations(), 0u);

    Image notLibrary = image;
    notLibrary[NtHeaders(image) + 23] &= ~0x20;  // IMAGE_FILE_DLL off: loaded, nothing run
    Loader plain(0);
    EXPECT_NE(plain.Load(notLibrary), 0u);
    EXPECT_TRUE(plain.calls.empty());
}

// Every cut of the image is refused, and whatever was reserved is given back.
TEST(LoadModuleFromMemory, TruncatedImagesAreRefused) {
    const Image image = ReadImage("sample.dll");
    Loader loader;
    for (std::size_t size = 0; size < image.size(); size += 7) {
        EXPECT_EQ(loader.Load(Image(image.begin(), image.begin() + size)), 0u) << size;
    }
    EXPECT_EQ(loader.platform.liveReservations(), 0u);
}

// Both lookups agree with objdump on a library whose ordinals follow its name
// order. Where the ordinals run against it, the walk by position takes the
// wrong function for every name and the name-ordinal table the right one.
TEST(ExportLookup, NameWalkIsRightOnlyWhileOrdinalsFollowTheNameOrder) {
    struct Case {
        const char* dll;
        std::size_t exports, walkedWrong;
    };
    for (const Case& c : {Case{"sample.dll", 8, 0}, Case{"numbered_exports.dll", 3, 3}}) {
        const auto exports = ReadExports(c.dll);
        ASSERT_EQ(exports.size(), c.exports) << c.dll;
        Loader loader;
        const std::uintptr_t base = loader.Load(ReadImage(c.dll));
        ASSERT_NE(base, 0u) << c.dll;
        std::size_t walkedWrong = 0;
        for (const auto& [name, rva] : exports) {
            EXPECT_EQ(FindExportByName(base, name), base + rva) << name;
            const std::uintptr_t walked = FindExportByNameWalk(base, name);
            EXPECT_NE(walked, 0u) << name;
            walkedWrong += walked != base + rva;
        }
        EXPECT_EQ(walkedWrong, c.walkedWrong) << c.dll;
        for (const char* absent : {"vt_", "vt_apply2", "", "DllMain"}) {
            EXPECT_EQ(FindExportByName(base, absent), 0u) << absent;
            EXPECT_EQ(FindExportByNameWalk(base, absent), 0u) << absent;
        }
    }
    EXPECT_EQ(FindExportByName(std::uintptr_t{0}, "vt_apply"), 0u);
}

// Export tables that claim more entries than the image holds are refused
// rather than walked entry by entry.
TEST(ExportLookup, TablesReachingPastTheImageFindNothing) {
    Loader loader;
    const Image image = ReadImage("sample.dll");
    const std::uintptr_t base = loader.Load(image);
    ASSERT_NE(base, 0u);
    const std::uint32_t directory = Get32(&image[NtHeaders(image) + 120]);
    auto* mapped = reinterpret_cast<std::uint8_t*>(base);
    for (std::uint32_t field : {20u, 24u}) {  // NumberOfFunctions, NumberOfNames
        const std::uint32_t count = Get32(mapped + directory + field);
        Put32(mapped + directory + field, 0x3FFFFFFF);
        EXPECT_EQ(FindExportByName(base, "vt_apply"), 0u) << field;
        EXPECT_EQ(FindExportByNameWalk(base, "vt_apply"), 0u) << field;
        Put32(mapped + directory + field, count);
    }
    EXPECT_NE(FindExportByName(base, "vt_apply"), 0u);
}

}  // namespace
}  // namespace vantrel
