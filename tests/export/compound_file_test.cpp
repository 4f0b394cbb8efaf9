#include "export/compound_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {
namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFatMark = 0xFFFFFFFD;

std::uint32_t U32(const std::string& data, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(data[at + i]);
    return value;
}

// Reads a container as the format defines it, sector by sector, and checks
// that every sector belongs to exactly one thing: the stream's chain, the
// allocation table itself (marked as such) or the directory's chain.
class Container {
  public:
    explicit Container(std::string file) : file_(std::move(file)) {
        sectors_ = (file_.size() - kSector) / kSector;
        owner_.assign(sectors_, "");
        const std::uint32_t fatSectors = U32(file_, 0x2C);
        for (std::uint32_t i = 0; i < 109; ++i) {
            const std::uint32_t s = U32(file_, 0x4C + 4 * i);
            if (i >= fatSectors) {
                EXPECT_EQ(s, kFree) << "header slot " << i;
                continue;
            }
            Claim(s, "table");
            for (std::size_t k = 0; k < kSector; k += 4)
                fat_.push_back(U32(file_, Offset(s) + k));
        }
        for (std::uint32_t i = 0; i < fatSectors; ++i)
            EXPECT_EQ(Next(U32(file_, 0x4C + 4 * i)), kFatMark) << "table sector " << i;
        for (std::size_t s = sectors_; s < fat_.size(); ++s)
            EXPECT_EQ(fat_[s], kFree) << "entry " << s << " past the last sector";
    }

    // The sectors of the chain from `first`, claimed for `what`, read out.
    std::string Chain(std::uint32_t first, const char* what) {
        std::string bytes;
        for (std::uint32_t s = first; s != kEnd; s = Next(s)) {
            if (!Claim(s, what)) break;
            bytes += file_.substr(Offset(s), kSector);
        }
        return bytes;
    }

    bool EverySectorClaimed() const {
        for (std::size_t s = 0; s < sectors_; ++s) {
            if (owner_[s].empty()) return false;
        }
        return true;
    }
    const std::string& file() const { return file_; }

  private:
    std::size_t Offset(std::uint32_t sector) const { return kSector * (sector + 1); }
    std::uint32_t Next(std::uint32_t sector) const {
        return sector < fat_.size() ? fat_[sector] : kFree;
    }
    bool Claim(std::uint32_t sector, const char* what) {
        if (sector >= sectors_) {
            ADD_FAILURE() << what << " names sector " << sector << " of " << sectors_;
            return false;
        }
        if (!owner_[sector].empty()) {  // also ends a chain that loops
            ADD_FAILURE() << what << " takes sector " << sector << " of the " << owner_[sector];
            return false;
        }
        owner_[sector] = what;
        return true;
    }

    std::string file_;
    std::size_t sectors_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::string> owner_;
};

TEST(CompoundFile, EverySectorBelongsToTheStreamTheTableOrTheDirectory) {
    // Padded to the mini-stream cut-off, one sector over it, and sizes that
    // need two and then many table sectors.
    for (std::size_t size : {10, 4097, 70000, 1000000}) {
        std::string stream(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            stream[i] = static_cast<char>('a' + i % 23);
        const auto built = BuildCompoundFile("Workbook", stream);
        ASSERT_TRUE(built) << size;
        Container file(*built);
        const std::string directory = file.Chain(U32(file.file(), 0x30), "directory");
        ASSERT_EQ(directory.size(), kSector) << size;
        // Entry 1 is the stream: its first sector at 0x74, its size at 0x78.
        const std::uint32_t length = U32(directory, 128 + 0x78);
        EXPECT_EQ(length, std::max<std::size_t>(size, 4096));
        const std::string read = file.Chain(U32(directory, 128 + 0x74), "stream");
        ASSERT_GE(read.size(), length) << size;
        EXPECT_EQ(read.substr(0, size), stream) << size;
        EXPECT_LT(read.size() - length, kSector) << size;
        EXPECT_TRUE(file.EverySectorClaimed()) << size;
    }
}

}  // namespace
}  // namespace vantrel
