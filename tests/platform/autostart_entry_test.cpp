#include "platform/autostart_entry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "settings/temp_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// desktop-file-validate's verdict on a file: its exit status and what it said.
std::pair<int, std::string> Validate(const fs::path& file) {
    std::string said;
    FILE* pipe = ::popen(("desktop-file-validate '" + file.string() + "' 2>&1").c_str(), "r");
    if (!pipe) return {-1, said};
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        said += buffer;
    const int rc = ::pclose(pipe);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, said};
}

TEST(Autorun, ExecArgumentsAreQuotedOnlyWhenTheyNeedIt) {
    EXPECT_EQ(QuoteExecArgument("/usr/bin/vantrel"), "/usr/bin/vantrel");
    EXPECT_EQ(QuoteExecArgument("/opt/热搜/vantrel"), "/opt/热搜/vantrel");
    EXPECT_EQ(QuoteExecArgument("/opt/my app/vantrel"), "\"/opt/my app/vantrel\"");
    EXPECT_EQ(QuoteExecArgument("/opt/100%/vantrel"), "/opt/100%%/vantrel");
    // Inside quotes " ` $ \ take a backslash, which the string value then doubles.
    EXPECT_EQ(QuoteExecArgument("/a\"b`c$d\\e"), R"("/a\\"b\\`c\\$d\\\\e")");
    EXPECT_EQ(QuoteExecArgument("/a\nb"), "\"/a\\nb\"");
}

TEST(Autorun, EntryStartsTheProgramIsValidAndGoesAgainWithoutTouchingOthers) {
    testing::TempFolder temp;
    const fs::path program = temp.path() / "my 程序 it's" / "vantrel";
    const fs::path autostart = temp.path() / "config" / "autostart";
    const fs::path entry = autostart / "Sorvane.desktop";

    // No executable there yet: nothing is written.
    EXPECT_FALSE(RegisterAutorun(program, autostart));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(RegisterAutorun("relative/vantrel", autostart));

    fs::create_directories(program.parent_path());
    testing::WriteFile(program, "#!/bin/sh\n");
    fs::create_directories(autostart);
    testing::WriteFile(autostart / "other.desktop", "keep");
    ASSERT_TRUE(RegisterAutorun(program, autostart));
    const std::string text = testing::ReadFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"" + program.string() + "\"\n"), std::string::npos) << text;
    struct stat info {};
    ASSERT_EQ(::stat(entry.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    const auto [status, said] = Validate(entry);
    EXPECT_EQ(status, 0) << said;
    EXPECT_TRUE(said.empty()) << said;

    // Registering again replaces the entry and leaves no temporary file behind.
    ASSERT_TRUE(RegisterAutorun(program, autostart));
    int files = 0;
    for ([[maybe_unused]] const auto& item : fs::directory_iterator(autostart))
        ++files;
    EXPECT_EQ(files, 2);

    EXPECT_TRUE(UnregisterAutorun(autostart));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(testing::ReadFile(autostart / "other.desktop"), "keep");
    EXPECT_TRUE(UnregisterAutorun(autostart));
}

TEST(Autorun, FolderFollowsTheConfigHome) {
    ::setenv("XDG_CONFIG_HOME", "/tmp/vantrel-config-home", 1);
    EXPECT_EQ(AutostartFolder(), fs::path("/tmp/vantrel-config-home/autostart"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(ProgramPath().is_absolute());
    EXPECT_EQ(ProgramPath().filename(), "autostart_entry_test");
}

}  // namespace
}  // namespace vantrel
