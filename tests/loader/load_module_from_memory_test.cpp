#include "loader/load_module_from_memory.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>

#include "loader/export_lookup.h"
#include "loader/linux_module_platform.h"
#include "loader/pe_fixture.h"

namespace vantrel {
namespace {

using testing::FileOffset;
using testing::Get16;
using testing::Get32;
using testing::GetWord;
using testing::Image;
using testing::NtHeaders;
using testing::Put16;
using testing::Put32;
using testing::PutWord;
using testing::ReadExports;
using testing::ReadImage;
using testing::ReadRelocations;

// What the fixtures of one width differ in. The made-up addresses of the
// imported functions never occur in the images themselves; the 64-bit ones
// lie above 4 GiB, so only a whole 64-bit slot holds them.
struct Width {
    const char* name;
    const char* suffix;  // of the fixture files: sample.dll, sample64.dll
    std::size_t word;
    std::uint32_t ntHeadersSize;
    std::uint32_t dataDirectories;
    std::uintptr_t preferredBase;
    std::uint64_t importsAbove;
    std::size_t sampleExports;

    std::string Dll(const char* stem) const { return std::string(stem) + suffix + ".dll"; }
    std::uint32_t RelocationDirectory(const Image& image) const {
        return NtHeaders(image) + dataDirectories + 8 * 5;
    }
    std::uint64_t LstrlenA() const { return importsAbove + 0x7A001010; }
    std::uint64_t Strlen() const { return importsAbove + 0x7A002020; }
    std::uint64_t Snprintf() const { return importsAbove + 0x7A002030; }
    std::uint64_t Htons() const { return importsAbove + 0x7A003040; }
};

void PrintTo(const Width& w, std::ostream* out) {
    *out << w.name;
}

const Width kPe32{"Pe32", "", 4, 248, 120, 0x10000000, 0, 8};
const Width kPe32Plus{"Pe32Plus", "64", 8, 264, 136, 0x200000000000, 0x7FFA00000000, 9};

struct EntryCall {
    std::uintptr_t entry, base;
    std::uint32_t reason, reserved;
};

// The libraries the sample imports from; kernel32 counts as loaded already.
std::vector<ImportedLibrary> SampleLibraries(const Width& w) {
    return {{"KERNEL32.dll", {{"lstrlenA", 0, w.LstrlenA()}}, true},
            {"msvcrt.dll", {{"strlen", 0, w.Strlen()}, {"_snprintf", 0, w.Snprintf()}}},
            {"ws2_32.dll", {{"", 9, w.Htons()}}}};
}

// A platform that records every entry-point call and answers attachResult.
struct Loader {
    Loader(const Width& w, int attachResult = 1) : Loader(attachResult, SampleLibraries(w)) {}
    Loader(int attachResult, std::vector<ImportedLibrary> libraries)
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

std::uint32_t SizeOfImage(const Image& image) {
    return Get32(&image[NtHeaders(image) + 80]);
}

class LoadModuleFromMemoryTest : public ::testing::TestWithParam<Width> {
  protected:
    const Width& w = GetParam();
    const Image sample = ReadImage(w.Dll("sample"));

    std::uint64_t WordAt(std::uintptr_t base, std::uint64_t rva) const {
        return GetWord(reinterpret_cast<const std::uint8_t*>(base + rva), w.word);
    }
    std::size_t Occurrences(std::uintptr_t base, std::size_t size, std::uint64_t word) const {
        std::size_t count = 0;
        for (std::size_t at = 0; at + w.word <= size; ++at)
            count += WordAt(base, at) == word;
        return count;
    }
};

// Every case for both widths; among them the other width's magic or
// optional-header size, so neither kind of image is read as the other.
TEST_P(LoadModuleFromMemoryTest, RefusesMalformedHeadersWithoutReserving) {
    const Image& good = sample;
    ASSERT_GT(good.size(), 1024u);
    const std::uint32_t nt = NtHeaders(good);
    const bool wide = w.word == 8;
    std::vector<std::pair<const char*, Image>> cases;
    auto add = [&](const char* what, auto change) {
        Image image = good;
        change(image);
        cases.emplace_back(what, std::move(image));
    };
    cases.emplace_back("63 bytes", Image(good.begin(), good.begin() + 63));
    add("no MZ", [](Image& i) { i[1] = 'Y'; });
    add("NT headers past the end", [&](Image& i) {
        Put32(&i[0x3C], static_cast<std::uint32_t>(i.size() - w.ntHeadersSize + 1));
    });
    add("negative e_lfanew", [](Image& i) { Put32(&i[0x3C], 0xFFFFFFF0u); });
    add("no PE signature", [&](Image& i) { i[nt + 1] = 'F'; });
    add("no executable bit", [&](Image& i) { i[nt + 22] &= ~0x02; });
    add("section table past the end", [&](Image& i) {
        Put16(&i[nt + 6], static_cast<std::uint16_t>((i.size() - nt - w.ntHeadersSize) / 40 + 1));
    });
    add("section alignment 0", [&](Image& i) { Put32(&i[nt + 56], 0); });
    add("image over 2 GiB", [&](Image& i) { Put32(&i[nt + 80], 0x80001000u); });
    add("section data past the end", [&](Image& i) {
        Put32(&i[nt + w.ntHeadersSize + 20], static_cast<std::uint32_t>(i.size() - 16));
    });
    add("unknown optional-header magic", [&](Image& i) { Put16(&i[nt + 24], 0x0107); });
    add("the other width's magic", [&](Image& i) { Put16(&i[nt + 24], wide ? 0x010B : 0x020B); });
    add("the other width's optional-header size",
        [&](Image& i) { Put16(&i[nt + 20], wide ? 224 : 240); });

    for (const auto& [what, image] : cases) {
        Loader loader(w);
        EXPECT_EQ(loader.Load(image), 0u) << what;
        EXPECT_EQ(loader.platform.reserveCalls(), 0u) << what;
        EXPECT_TRUE(loader.calls.empty()) << what;
    }
}

// Loaded twice, the second copy cannot have the preferred base: the two
// mappings differ in exactly the words objdump lists, each by the distance
// between the bases, and each word points into its own copy. The 64-bit
// copies lie further apart than 32 bits reach.
TEST_P(LoadModuleFromMemoryTest, RelocatesEveryAddressWordByTheSameDelta) {
    const std::vector<std::uint32_t> relocations = ReadRelocations(w.Dll("sample"));
    ASSERT_GE(relocations.size(), w.word == 8 ? 1000u : 20u);
    const std::size_t size = SizeOfImage(sample);
    Loader loader(w);
    const std::uintptr_t first = loader.Load(sample);
    const std::uintptr_t second = loader.Load(sample);
    ASSERT_EQ(first, w.preferredBase);
    ASSERT_NE(second, 0u);
    const std::uint64_t delta = std::uint64_t{second} - first;
    if (w.word == 4) {
        ASSERT_LT(second + size, 0x100000000u);
    } else {
        ASSERT_NE(delta >> 32, 0u) << std::hex << second;
    }

    std::vector<bool> relocated(size);
    for (std::uint32_t rva : relocations) {
        const std::uint64_t word = WordAt(first, rva);
        EXPECT_EQ(word, GetWord(&sample[FileOffset(sample, rva)], w.word)) << std::hex << rva;
        EXPECT_GE(word, first);
        EXPECT_LT(word, first + size);
        EXPECT_EQ(WordAt(second, rva), word + delta) << std::hex << rva;
        std::fill_n(relocated.begin() + rva, w.word, true);
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
TEST_P(LoadModuleFromMemoryTest, RelocationWalkSkipsOtherTypesAndStopsAtDirectoryEnd) {
    const Image& good = sample;
    const std::uint32_t directoryAt = w.RelocationDirectory(good);
    const std::size_t block = FileOffset(good, Get32(&good[directoryAt]));
    const std::uint32_t page = Get32(&good[block]);
    const std::uint32_t blockSize = Get32(&good[block + 4]);
    const std::uint16_t firstEntry = Get16(&good[block + 8]);
    ASSERT_EQ(firstEntry >> 12, w.word == 8 ? 10 : 3);
    const std::uint32_t firstTarget = page + (firstEntry & 0xFFF);
    const std::vector<std::uint32_t> relocations = ReadRelocations(w.Dll("sample"));
    ASSERT_GE(relocations.size(), 3u);
    ASSERT_EQ(relocations[0], firstTarget);
    const std::uint32_t secondTarget = relocations[1];    // same block
    const std::uint32_t lastTarget = relocations.back();  // a later block
    ASSERT_LT(secondTarget, page + 0x1000);
    ASSERT_GE(lastTarget, page + 0x1000);

    Image image = good;
    Put16(&image[block + 8], firstEntry & 0x0FFF);
    Put32(&image[directoryAt + 4], blockSize);  // the directory holds the first block only
    Loader loader(w);
    ASSERT_EQ(loader.Load(good), w.preferredBase);  // keeps the copy below off the preferred base
    const std::uintptr_t base = loader.Load(image);
    ASSERT_NE(base, 0u);
    EXPECT_EQ(WordAt(base, firstTarget), WordAt(w.preferredBase, firstTarget));
    EXPECT_EQ(WordAt(base, secondTarget),
              WordAt(w.preferredBase, secondTarget) + (base - w.preferredBase));
    EXPECT_EQ(WordAt(base, lastTarget), WordAt(w.preferredBase, lastTarget));
}

TEST_P(LoadModuleFromMemoryTest, MalformedRelocationsReleaseTheMemory) {
    const Image& good = sample;
    const std::uint32_t directoryAt = w.RelocationDirectory(good);
    const std::size_t block = FileOffset(good, Get32(&good[directoryAt]));
    std::vector<std::pair<const char*, Image>> cases;
    auto add = [&](const char* what, auto change) {
        Image image = good;
        change(image);
        cases.emplace_back(what, std::move(image));
    };
    add("block shorter than its header", [&](Image& i) { Put32(&i[block + 4], 6); });
    add("block past the directory", [&](Image& i) { Put32(&i[block + 4], 0x10000); });
    add("page outside the image", [&](Image& i) { Put32(&i[block], 0x7FFFF000); });
    add("directory outside the image", [&](Image& i) { Put32(&i[directoryAt], 0x7FFFF000); });
    // Four bytes are left at the target: enough for HIGHLOW, not for DIR64.
    add("DIR64 word across the end of the image", [&](Image& i) {
        Put32(&i[block], SizeOfImage(good) - 0x1000);
        Put16(&i[block + 8], 0xAFFC);
    });
    for (const auto& [what, image] : cases) {
        Loader loader(w);
        EXPECT_EQ(loader.Load(image), 0u) << what;
        EXPECT_EQ(loader.platform.reserveCalls(), 1u) << what;
        EXPECT_EQ(loader.platform.liveReservations(), 0u) << what;
        EXPECT_TRUE(loader.calls.empty()) << what;
    }
}

// A word that ends exactly where the image ends is still inside it.
TEST_P(LoadModuleFromMemoryTest, AWordInTheLastBytesOfTheImageIsRelocated) {
    const Image& good = sample;
    const std::uint32_t directoryAt = w.RelocationDirectory(good);
    const std::size_t block = FileOffset(good, Get32(&good[directoryAt]));
    const std::uint32_t lastPage = SizeOfImage(good) - 0x1000;
    const std::uint32_t target = SizeOfImage(good) - static_cast<std::uint32_t>(w.word);
    Image image = good;
    Put32(&image[block], lastPage);
    const unsigned type = w.word == 8 ? 10 : 3;
    Put16(&image[block + 8], static_cast<std::uint16_t>(type << 12 | (target - lastPage)));
    Put16(&image[block + 10], 0);  // padding
    Put32(&image[block + 4], 12);  // one block of that entry alone
    Put32(&image[directoryAt + 4], 12);

    Loader loader(w);
    const std::uintptr_t preferred = loader.Load(image);  // delta 0: the word as it was
    ASSERT_EQ(preferred, w.preferredBase);
    const std::uintptr_t moved = loader.Load(image);
    ASSERT_NE(moved, 0u);
    const std::uint64_t delta = std::uint64_t{moved} - preferred;
    const std::uint64_t mask = w.word == 8 ? ~std::uint64_t{0} : 0xFFFFFFFFu;
    EXPECT_EQ(WordAt(moved, target), (WordAt(preferred, target) + delta) & mask);
}

// The slot importing ordinal 9 gets junk between the ordinal and the flag
// (bits 16 to 30, or 16 to 62): only the low 16 bits name the ordinal.
TEST_P(LoadModuleFromMemoryTest, ResolvesImportsByNameAndByLowSixteenBitsOfOrdinals) {
    Image image = sample;
    const std::uint64_t flag = std::uint64_t{1} << (8 * w.word - 1);
    std::size_t patched = 0;
    for (std::size_t at = 0; at + w.word <= image.size(); at += w.word) {
        if (GetWord(&image[at], w.word) == (flag | 9)) {
            PutWord(&image[at], flag | (0x7BCDEF0123450009 & (flag - 1)), w.word);
            ++patched;
        }
    }
    ASSERT_GE(patched, 1u);
    Loader loader(w);
    const std::uintptr_t base = loader.Load(image);
    ASSERT_NE(base, 0u);
    const std::size_t size = SizeOfImage(image);
    for (std::uint64_t address : {w.LstrlenA(), w.Strlen(), w.Snprintf(), w.Htons()}) {
        EXPECT_EQ(Occurrences(base, size, address), 1u) << std::hex << address;
    }
    for (const ImportedLibrary& library : loader.platform.libraries()) {
        EXPECT_TRUE(library.loaded) << library.name;
    }
}

// In a 64-bit slot bit 31 is part of a name's address, not the ordinal
// flag: a slot with it set names text far outside the image.
TEST(LoadModuleFromMemory64, OrdinalFlagIsBit63) {
    Image image = ReadImage("sample64.dll");
    std::size_t patched = 0;
    for (std::size_t i = 0; i + 8 <= image.size(); i += 8) {
        if (GetWord(&image[i], 8) == 0x8000000000000009u) {
            PutWord(&image[i], 0x80000009u, 8);
            ++patched;
        }
    }
    ASSERT_GE(patched, 1u);
    Loader loader(kPe32Plus);
    EXPECT_EQ(loader.Load(image), 0u);
    EXPECT_EQ(loader.platform.liveReservations(), 0u);
}

TEST_P(LoadModuleFromMemoryTest, MissingImportsFailAndReleaseTheMemory) {
    std::vector<std::vector<ImportedLibrary>> tables(2, SampleLibraries(w));
    tables[0].pop_back();                   // no ws2_32 at all
    tables[1][2].functions[0].ordinal = 8;  // ws2_32 without ordinal 9
    if (w.word == 4) {
        tables.push_back(SampleLibraries(w));
        tables[2][1].functions[1].address = 0x100000000ull;  // an address no slot can hold
    }
    for (std::size_t i = 0; i < tables.size(); ++i) {
        Loader loader(1, tables[i]);
        EXPECT_EQ(loader.Load(sample), 0u) << i;
        EXPECT_EQ(loader.platform.liveReservations(), 0u) << i;
        EXPECT_TRUE(loader.calls.empty()) << i;
    }
}

TEST_P(LoadModuleFromMemoryTest, EntryPointSeesAttachAndARefusalIsUndone) {
    const std::uint32_t entry = Get32(&sample[NtHeaders(sample) + 40]);
    ASSERT_NE(entry, 0u);

    Loader accepting(w);
    const std::uintptr_t base = accepting.Load(sample);
    ASSERT_NE(base, 0u);
    ASSERT_EQ(accepting.calls.size(), 1u);
    EXPECT_EQ(accepting.calls[0].entry, base + entry);
    EXPECT_EQ(accepting.calls[0].base, base);
    EXPECT_EQ(accepting.calls[0].reason, 1u);
    EXPECT_EQ(accepting.calls[0].reserved, 0u);

    Loader refusing(w, 0);
    EXPECT_EQ(refusing.Load(sample), 0u);
    ASSERT_EQ(refusing.calls.size(), 2u);
    EXPECT_EQ(refusing.calls[1].entry, refusing.calls[0].entry);
    EXPECT_EQ(refusing.calls[1].base, refusing.calls[0].base);
    EXPECT_EQ(refusing.calls[1].reason, 0u);
    EXPECT_EQ(refusing.platform.liveReservations(), 0u);

    Image notLibrary = sample;
    notLibrary[NtHeaders(sample) + 23] &= ~0x20;  // IMAGE_FILE_DLL off: loaded, nothing run
    Loader plain(w, 0);
    EXPECT_NE(plain.Load(notLibrary), 0u);
    EXPECT_TRUE(plain.calls.empty());
}

// Every cut of the image is refused, and whatever was reserved is given back.
TEST_P(LoadModuleFromMemoryTest, TruncatedImagesAreRefused) {
    Loader loader(w);
    for (std::size_t size = 0; size < sample.size(); size += 7) {
        EXPECT_EQ(loader.Load(Image(sample.begin(), sample.begin() + size)), 0u) << size;
    }
    EXPECT_EQ(loader.platform.liveReservations(), 0u);
}

// The section table holds as many headers as the file header counts; the
// bytes after it are not one more, even when they look like one that could
// never be mapped.
TEST_P(LoadModuleFromMemoryTest, OnlyTheCountedSectionsAreRead) {
    Loader loader(w);
    Image image = sample;
    const std::uint32_t nt = NtHeaders(image);
    const std::uint32_t table = nt + 24 + Get16(&image[nt + 20]);
    const std::uint32_t after = table + 40 * Get16(&image[nt + 6]);
    ASSERT_LE(after + 40, Get32(&image[nt + 24 + 60]));  // still inside SizeOfHeaders
    for (std::uint32_t field : {8u, 12u, 16u, 20u})      // sizes and places far past the image
        Put32(&image[after + field], 0x7FFF0000);
    EXPECT_NE(loader.Load(image), 0u);
}

// A platform that loads no image of the machine and width it is asked about.
class RefusingPlatform : public LinuxModulePlatform {
  public:
    RefusingPlatform() : LinuxModulePlatform({}, nullptr) {}
    bool Loads(std::uint16_t machine, ImageWidth width) override {
        asked.emplace_back(machine, width);
        return false;
    }
    std::vector<std::pair<std::uint16_t, ImageWidth>> asked;
};

TEST_P(LoadModuleFromMemoryTest, ImageThePlatformDoesNotLoadIsRefusedBeforeReserving) {
    RefusingPlatform platform;
    EXPECT_EQ(LoadModuleFromMemory(sample, platform), 0u);
    EXPECT_EQ(platform.reserveCalls(), 0u);
    const auto expected = w.word == 8 ? std::pair(std::uint16_t{0x8664}, ImageWidth::k64)
                                      : std::pair(std::uint16_t{0x014C}, ImageWidth::k32);
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0], expected);
}

// The sample's libraries; records the exception tables it is told of and
// the entry-point calls, and accepts the tables or not.
class TableRecorder : public LinuxModulePlatform {
  public:
    TableRecorder(const Width& w, bool accept)
        : LinuxModulePlatform(SampleLibraries(w),
                              [this](std::uintptr_t, std::uintptr_t, std::uint32_t, std::uint32_t) {
                                  return ++entryCalls;
                              }),
          accept_(accept) {}
    bool RegisterExceptionTable(std::uintptr_t base, std::uint32_t address,
                                std::uint32_t size) override {
        tables.push_back({base, address, size});
        return accept_;
    }
    std::vector<std::tuple<std::uintptr_t, std::uint32_t, std::uint32_t>> tables;
    int entryCalls = 0;

  private:
    bool accept_;
};

// A 64-bit image's unwind data is registered before its entry point runs,
// once it is known to lie inside the mapping; a 32-bit image's exception
// directory is never read.
TEST(LoadModuleFromMemory, ExceptionDirectoryIsRegisteredFor64BitImagesOnly) {
    const Image wide = ReadImage("sample64.dll");
    const std::uint32_t directoryAt = NtHeaders(wide) + kPe32Plus.dataDirectories + 8 * 3;
    const std::uint32_t address = Get32(&wide[directoryAt]), size = Get32(&wide[directoryAt + 4]);
    ASSERT_NE(size, 0u);
    TableRecorder accepting(kPe32Plus, true);
    const std::uintptr_t base = LoadModuleFromMemory(wide, accepting);
    ASSERT_NE(base, 0u);
    ASSERT_EQ(accepting.tables.size(), 1u);
    EXPECT_EQ(accepting.tables[0], std::make_tuple(base, address, size));

    TableRecorder refusing(kPe32Plus, false);
    EXPECT_EQ(LoadModuleFromMemory(wide, refusing), 0u);
    EXPECT_EQ(refusing.entryCalls, 0);
    EXPECT_EQ(refusing.liveReservations(), 0u);

    Image outside = wide;
    Put32(&outside[directoryAt + 4], SizeOfImage(wide) - address + 1);
    TableRecorder unreached(kPe32Plus, true);
    EXPECT_EQ(LoadModuleFromMemory(outside, unreached), 0u);
    EXPECT_TRUE(unreached.tables.empty());
    EXPECT_EQ(unreached.entryCalls, 0);
    EXPECT_EQ(unreached.liveReservations(), 0u);

    Image narrow = ReadImage("sample.dll");
    const std::uint32_t narrowAt = NtHeaders(narrow) + kPe32.dataDirectories + 8 * 3;
    Put32(&narrow[narrowAt], 0x7FFFF000);  // would be refused, were it read
    Put32(&narrow[narrowAt + 4], 0x100);
    TableRecorder ignoring(kPe32, false);
    EXPECT_NE(LoadModuleFromMemory(narrow, ignoring), 0u);
    EXPECT_TRUE(ignoring.tables.empty());
}

INSTANTIATE_TEST_SUITE_P(Widths, LoadModuleFromMemoryTest, ::testing::Values(kPe32, kPe32Plus),
                         [](const auto& info) { return std::string(info.param.name); });

class ExportLookupTest : public ::testing::TestWithParam<Width> {};

// Both lookups agree with objdump on a library whose ordinals follow its name
// order. Where the ordinals run against it, the walk by position takes the
// wrong function for every name and the name-ordinal table the right one.
TEST_P(ExportLookupTest, NameWalkIsRightOnlyWhileOrdinalsFollowTheNameOrder) {
    const Width& w = GetParam();
    struct Case {
        std::string dll;
        std::size_t exports, walkedWrong;
    };
    for (const Case& c :
         {Case{w.Dll("sample"), w.sampleExports, 0}, Case{w.Dll("numbered_exports"), 3, 3}}) {
        const auto exports = ReadExports(c.dll);
        ASSERT_EQ(exports.size(), c.exports) << c.dll;
        Loader loader(w);
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
TEST_P(ExportLookupTest, TablesReachingPastTheImageFindNothing) {
    const Width& w = GetParam();
    Loader loader(w);
    const Image image = ReadImage(w.Dll("sample"));
    const std::uintptr_t base = loader.Load(image);
    ASSERT_NE(base, 0u);
    const std::uint32_t directory = Get32(&image[NtHeaders(image) + w.dataDirectories]);
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

INSTANTIATE_TEST_SUITE_P(Widths, ExportLookupTest, ::testing::Values(kPe32, kPe32Plus),
                         [](const auto& info) { return std::string(info.param.name); });

// A 32-bit image may end exactly at 4 GiB: its last byte is still below it.
TEST(LoadModuleFromMemory32, AnImageMayEndExactlyAtFourGib) {
    Image image = ReadImage(kPe32.Dll("sample"));
    const std::uint32_t optional = NtHeaders(image) + 24;
    const std::uint32_t size = Get32(&image[optional + 56]);  // SizeOfImage, whole pages
    const std::uint64_t top = (std::uint64_t{1} << 32) - size;
    Put32(&image[optional + 28], static_cast<std::uint32_t>(top));  // ImageBase
    void* at = reinterpret_cast<void*>(top);
    void* probe = mmap(at, size, PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
    if (probe != at) {
        if (probe != MAP_FAILED) munmap(probe, size);
        GTEST_SKIP() << "the top of the low 4 GiB is taken here";
    }
    munmap(probe, size);
    Loader loader(kPe32);
    EXPECT_EQ(loader.Load(image), top);
}

#ifdef MAP_32BIT
// Every gap of the address space between low and high, as /proc/self/maps
// shows it.
std::vector<std::pair<std::uintptr_t, std::uintptr_t>> FreeRanges(std::uintptr_t low,
                                                                  std::uintptr_t high) {
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> gaps;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    std::uintptr_t at = low;
    while (std::getline(maps, line)) {
        const std::uintptr_t begin = std::stoull(line, nullptr, 16);
        const std::uintptr_t end = std::stoull(line.substr(line.find('-') + 1), nullptr, 16);
        if (begin > at) gaps.emplace_back(at, std::min(begin, high));
        at = std::max(at, end);
        if (at >= high) break;
    }
    if (at < high) gaps.emplace_back(at, high);
    return gaps;
}

// With the low 2 GiB taken (MAP_32BIT's whole range, and the search's first
// place) but for one 16 MiB window, a 32-bit image is placed by the search in
// that window. The gaps are filled from the map itself: MAP_32BIT starts each
// search at a random place, so filling by asking it leaves holes.
TEST(LinuxModulePlatform, ThirtyTwoBitImagesFindRoomBelowFourGibWhenTheLowMemoryIsFull) {
    constexpr std::uintptr_t kMiB = 0x100000;
    constexpr std::uintptr_t kWindow = 32 * kMiB;
    constexpr std::uintptr_t kTwoGib = std::uintptr_t{1} << 31;
    const auto window = FreeRanges(kWindow, kWindow + 16 * kMiB);
    std::vector<std::pair<void*, std::size_t>> taken;
    auto fill = [&](std::uintptr_t low, std::uintptr_t high) {
        for (const auto& [begin, end] : FreeRanges(low, high)) {
            void* at = reinterpret_cast<void*>(begin);
            const int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE;
            void* got = mmap(at, end - begin, PROT_NONE, flags, -1, 0);
            if (got == at) taken.emplace_back(got, end - begin);
        }
        return FreeRanges(low, high).empty();
    };
    const bool filled = fill(16 * kMiB, kWindow) && fill(kWindow + 16 * kMiB, kTwoGib);
    LinuxModulePlatform platform({}, nullptr);
    const std::uintptr_t base = platform.Reserve(0, 0x30000, ImageWidth::k32);
    for (const auto& [at, length] : taken)
        munmap(at, length);
    if (!filled || window.size() != 1 || window[0].second - window[0].first != 16 * kMiB)
        GTEST_SKIP() << "the low memory here could not be laid out for this test";
    EXPECT_EQ(base, kWindow);
}
#endif

}  // namespace
}  // namespace vantrel
