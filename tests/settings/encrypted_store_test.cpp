#include "settings/encrypted_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "settings/openssl_des.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::OpensslEcb;
using testing::ReadFile;
using testing::ReferenceFrame;
using testing::ReferenceKey;
using testing::TempFolder;
using testing::WriteFile;

// "热搜|😀|亅" in GB18030: the emoji is four bytes, and 亅 ends in the byte of "|".
const std::string kLocalText = "\xC8\xC8\xCB\xD1|\x94\x39\xFC\x36|\x81\x7C";

TEST(EncryptedStore, RoundTripsLocalText) {
    TempFolder dir;
    fs::path file = dir.path() / "a.ini";
    for (const std::string& text : {kLocalText, std::string("x"), std::string(5000, 'y')}) {
        ASSERT_TRUE(StoreEncryptedText(file, text));
        EXPECT_EQ(LoadEncryptedText(file), text);
        EXPECT_EQ(fs::file_size(file) % 8, 0u);
        EXPECT_EQ(ReadFile(file).find(text), std::string::npos);
    }
}

TEST(EncryptedStore, EmptyAndBrokenFilesLoadAsEmptyText) {
    TempFolder dir;
    fs::path file = dir.path() / "a.ini";
    ASSERT_TRUE(StoreEncryptedText(file, ""));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(LoadEncryptedText(file), "");

    EXPECT_EQ(LoadEncryptedText(dir.path() / "missing.ini"), "");
    EXPECT_EQ(LoadEncryptedText(dir.path()), "");  // a folder, not a file

    ASSERT_TRUE(StoreEncryptedText(file, "long enough text"));
    std::string bytes = ReadFile(file);
    WriteFile(file, bytes.substr(0, 15));
    EXPECT_EQ(LoadEncryptedText(file), "");
    WriteFile(file, bytes.substr(0, 8));  // the first block alone: its length field lies
    EXPECT_EQ(LoadEncryptedText(file), "");
}

// A file of up to 16 MiB is read (made with OpenSSL's DES, which is quicker).
TEST(EncryptedStore, AFileOf16MiBIsRead) {
    TempFolder dir;
    fs::path file = dir.path() / "a.ini";
    constexpr std::uintmax_t kMax = 16 << 20;
    const std::string text(kMax - 4, 'z');  // with its 4-byte length, exactly 16 MiB
    WriteFile(file, OpensslEcb(ReferenceFrame(text), ReferenceKey(FILE_KEY), true));
    ASSERT_EQ(fs::file_size(file), kMax);
    EXPECT_EQ(LoadEncryptedText(file).size(), text.size());
}

TEST(EncryptedStore, TextEndsAtTheFirstZeroByte) {
    TempFolder dir;
    fs::path file = dir.path() / "a.ini";
    ASSERT_TRUE(StoreEncryptedText(file, std::string("ab\0cd", 5)));
    EXPECT_EQ(fs::file_size(file), 8u);
    EXPECT_EQ(LoadEncryptedText(file), "ab");

    // A foreign writer's payload with a zero inside is cut there too.
    WriteFile(file,
              OpensslEcb(ReferenceFrame(std::string("ok\0junk", 7)), ReferenceKey(FILE_KEY), true));
    EXPECT_EQ(LoadEncryptedText(file), "ok");
}

TEST(EncryptedStore, CreatesTheFolder) {
    TempFolder dir;
    fs::path file = dir.path() / "one" / "two" / "a.ini";
    ASSERT_TRUE(StoreEncryptedText(file, "abc"));
    EXPECT_EQ(LoadEncryptedText(file), "abc");
}

TEST(EncryptedStore, ReadsAndWritesWhatOpensslReadsAndWrites) {
    TempFolder dir;
    fs::path file = dir.path() / "a.ini";
    DesKey key = ReferenceKey(FILE_KEY);

    WriteFile(file, OpensslEcb(ReferenceFrame(kLocalText), key, true));
    EXPECT_EQ(LoadEncryptedText(file), kLocalText);

    ASSERT_TRUE(StoreEncryptedText(file, kLocalText));
    std::string plain = OpensslEcb(ReadFile(file), key, false);
    EXPECT_EQ(plain, ReferenceFrame(kLocalText));
}

// A file size limit makes the write itself fail part way, as a full disk would.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(EncryptedStore, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    TempFolder dir;
    fs::path file = dir.path() / "a.ini";
    ASSERT_TRUE(StoreEncryptedText(file, "old settings"));
    std::string before = ReadFile(file);
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(StoreEncryptedText(file, std::string(10000, 'n')));
    }
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(LoadEncryptedText(file), "old settings");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // A folder standing where the file should be cannot be replaced.
    EXPECT_FALSE(StoreEncryptedText(dir.path(), "x"));
}

}  // namespace
}  // namespace vantrel
