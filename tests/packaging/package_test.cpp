#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;

// Standard output and standard error together.
std::string Shell(const std::string& command, int* status = nullptr) {
    return vantrel::test::ShellOutput(command + " 2>&1", status);
}

// The Debian package built from this build folder, unpacked into a temporary root.
class Package : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        work_ = fs::temp_directory_path() / ("vantrel-package-" + std::to_string(::getpid()));
        fs::remove_all(work_);
        fs::create_directories(work_ / "root");
        int status = -1;
        log_ = Shell(
            "cpack -G DEB --config " VANTREL_BINARY_DIR "/CPackConfig.cmake -B " + work_.string(),
            &status);
        for (const auto& entry : fs::directory_iterator(work_)) {
            if (entry.path().extension() == ".deb") deb_ = entry.path();
        }
        if (status == 0 && !deb_.empty()) {
            Shell("dpkg -x " + deb_.string() + " " + (work_ / "root").string(), &status);
        }
    }
    static void TearDownTestSuite() { fs::remove_all(work_); }

    static fs::path Root() { return work_ / "root"; }

    static inline fs::path work_;
    static inline fs::path deb_;
    static inline std::string log_;
};

TEST_F(Package, HoldsTheProgramLauncherIconsAndAppStreamData) {
    ASSERT_FALSE(deb_.empty()) << log_;
    EXPECT_EQ(deb_.filename().string().rfind("vantrel_" VANTREL_VERSION "_", 0), 0u) << deb_;
    const fs::path share = Root() / "usr/share";
    const std::string id = "org.vantrel.Vantrel";
    std::vector<fs::path> wanted = {Root() / "usr/bin/vantrel",
                                    share / "applications" / (id + ".desktop"),
                                    share / "metainfo" / (id + ".metainfo.xml"),
                                    share / "icons/hicolor/scalable/apps" / (id + ".svg")};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string box = std::to_string(size) + "x" + std::to_string(size);
        wanted.push_back(share / "icons/hicolor" / box / "apps" / (id + ".png"));
        // Each icon is as large as the folder it lies in says.
        EXPECT_NE(Shell("identify -format %wx%h " + wanted.back().string()).find(box),
                  std::string::npos)
            << box;
    }
    for (const fs::path& file : wanted)
        EXPECT_TRUE(fs::exists(file)) << file;

    int status = -1;
    const std::string desktop = Shell(
        "desktop-file-validate " + (share / "applications" / (id + ".desktop")).string(), &status);
    EXPECT_EQ(status, 0) << desktop;
    const std::string metainfo = Shell(
        "appstreamcli validate --no-net " + (share / "metainfo" / (id + ".metainfo.xml")).string(),
        &status);
    EXPECT_EQ(status, 0) << metainfo;
}

TEST_F(Package, DeclaresTheSystemLibrariesItLinks) {
    ASSERT_FALSE(deb_.empty()) << log_;
    const std::string depends = Shell("dpkg-deb -f " + deb_.string() + " Depends");
    for (const char* library : {"libqt6widgets6", "libcurl4", "libc6", "qt6-qpa-plugins"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    // Nothing of Qt is carried inside the package.
    EXPECT_EQ(Shell("dpkg-deb -c " + deb_.string() + " | grep -c 'libQt6'"), "0\n");
}

TEST_F(Package, InstalledProgramAnswersVersionAndHandsToolkitOptionsOn) {
    ASSERT_FALSE(deb_.empty()) << log_;
    const std::string program = (Root() / "usr/bin/vantrel").string();
    int status = -1;
    EXPECT_EQ(Shell(program + " --version", &status), "vantrel " VANTREL_VERSION "\n");
    EXPECT_EQ(status, 0);
    const std::string wrong = Shell(program + " --no-such-option", &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(std::count(wrong.begin(), wrong.end(), '\n'), 1) << wrong;
    EXPECT_NE(wrong.find("--no-such-option"), std::string::npos);

    // Without a display the window opens only if "-platform offscreen" reaches the toolkit.
    const fs::path config = work_ / "config";
    const pid_t pid = vantrel::test::StartProcess(
        {program, "-platform", "offscreen", "--service-base", "http://127.0.0.1:9"},
        {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME=" + config.string()});
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the program ended by itself";
    ::kill(pid, SIGTERM);
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // It ran far enough to write its settings on the way out.
    EXPECT_TRUE(fs::exists(config / "vantrel" / "kweld.ini"));
}

}  // namespace
