#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(AtomicFile, ReplacesInPlaceWithItsModeAndLeavesNoTemporary) {
    testing::TempFolder folder;
    const fs::path path = folder.path() / "new" / "settings.dat";
    ASSERT_TRUE(ReplaceFile(path, "first"));
    ASSERT_TRUE(ReplaceFile(path, std::string("second\0", 7), 0640));
    EXPECT_EQ(testing::ReadFile(path), std::string("second\0", 7));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(Names(path.parent_path()), std::set<std::string>{"settings.dat"});
}

TEST(AtomicFile, ANewFileTakesTheFirstFreeNumberAndNeverReplaces) {
    testing::TempFolder folder;
    const fs::path path = folder.path() / "list.xls";
    EXPECT_EQ(CreateNewFile(path, "1", 0644, 3), path);
    EXPECT_EQ(CreateNewFile(path, "2", 0644, 3), folder.path() / "list(2).xls");
    EXPECT_EQ(CreateNewFile(path, "3", 0644, 3), folder.path() / "list(3).xls");
    EXPECT_EQ(CreateNewFile(path, "4", 0644, 3), std::nullopt);
    EXPECT_EQ(testing::ReadFile(path), "1");
    EXPECT_EQ(Names(folder.path()),
              (std::set<std::string>{"list.xls", "list(2).xls", "list(3).xls"}));
}

// A program started without standard input (descriptor 0 closed) gets 0 for
// the first file it opens, and must still write.
TEST(AtomicFile, WritesInAProcessWithoutStandardInput) {
    testing::TempFolder folder;
    const fs::path replaced = folder.path() / "a.dat";
    const fs::path created = folder.path() / "b.dat";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(0);
        const bool ok = ReplaceFile(replaced, "a") && CreateNewFile(created, "b").has_value();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(testing::ReadFile(replaced), "a");
    EXPECT_EQ(testing::ReadFile(created), "b");
    EXPECT_EQ(Names(folder.path()), (std::set<std::string>{"a.dat", "b.dat"}));
}

}  // namespace
}  // namespace vantrel
