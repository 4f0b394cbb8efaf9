#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "export/xls_reader.h"
#include "net/code_page.h"
#include "settings/settings_file.h"
#include "settings/temp_folder.h"
#include "support/child_process.h"
#include "support/loopback_server.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::CommandOutput;
using testing::ReadWithXlrd;
using testing::XlrdSheet;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";

std::string BaiduBoard() {
    std::ifstream in(VANTREL_DEMO_SAMPLES_DIR "/baidu_board.html", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The board while `answering` is 1, a page without entries at 0.
class BoardServer {
  public:
    std::atomic<int> answering{1};
    test::LoopbackServer server{[this](const std::string&) {
        return test::HttpReply("HTTP/1.1 200 OK",
                               answering ? BaiduBoard() : "<html><body></body></html>");
    }};
};

std::string Export(const std::string& base, const fs::path& file, int* status) {
    return CommandOutput(
        kProgram + " --service-base " + base + " --export baidu '" + file.string() + "' 2>&1",
        status);
}

// A loopback port nobody listens on.
std::string ClosedBase() {
    std::string base;
    {
        test::LoopbackServer server([](const std::string&) { return test::Reply{}; });
        base = server.base();
    }
    return base;
}

TEST(ExportCommand, WritesTheListAndTellsFilledEmptyAndNoAnswerApart) {
    testing::TempFolder folder;
    BoardServer board;
    int status = -1;
    const fs::path filled = folder.path() / "filled.xls";
    Export(board.server.base(), filled, &status);
    EXPECT_EQ(status, 0);
    const XlrdSheet sheet = ReadWithXlrd(filled);
    ASSERT_GT(sheet.rows, 1);

    // The same titles as --print shows, in the same order.
    std::istringstream printed(
        CommandOutput(kProgram + " --service-base " + board.server.base() + " --print baidu"));
    std::string line;
    std::getline(printed, line);  // its header
    int row = 1;
    for (; std::getline(printed, line); ++row) {
        std::istringstream fields(line);
        std::string rank, title;
        std::getline(fields, rank, '\t');
        std::getline(fields, title, '\t');
        EXPECT_EQ(sheet.At(row, 0).value, "\"" + rank + "\"") << row;
        EXPECT_EQ(sheet.At(row, 1).value, "\"" + title + "\"") << row;
    }
    EXPECT_EQ(row, sheet.rows);

    board.answering = 0;
    const fs::path empty = folder.path() / "empty.xls";
    Export(board.server.base(), empty, &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ReadWithXlrd(empty).rows, 1);

    const fs::path none = folder.path() / "none.xls";
    Export(ClosedBase(), none, &status);
    EXPECT_EQ(status, 2);
    EXPECT_FALSE(fs::exists(none));
}

// The finished files; a file being written has a hidden temporary name.
std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(TimedExport, TheRunningProgramWritesTheShownListEveryPeriod) {
    testing::TempFolder folder;
    BoardServer board;
    const fs::path out = folder.path() / "导出";  // made by the first export
    SettingsFields settings;
    settings.currentSource = SourceId::kBaidu;
    settings.autoSaveOn = true;
    settings.autoSaveMinutes = 1;
    settings.saveDirectory = Utf8ToLocal(out.string());
    ASSERT_TRUE(SaveSettingsFile(settings, folder.path() / "config" / "vantrel" / "kweld.ini"));

    const pid_t pid = test::StartProcess({kProgram, "--service-base", board.server.base()},
                                         {"XDG_CONFIG_HOME=" + (folder.path() / "config").string(),
                                          "VANTREL_AUTO_SAVE_PERIOD_MS=300"});
    std::vector<fs::path> files;
    for (int i = 0; i < 600 && files.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        files = FilesIn(out);
    }
    ::kill(pid, SIGTERM);
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ASSERT_GE(files.size(), 2u) << "no file every period";
    EXPECT_EQ(files[0].filename().string().rfind("百度热点20", 0), 0u) << files[0];
    EXPECT_EQ(files[0].extension(), ".xls");

    // Cell for cell what the command line writes from the same answer.
    const fs::path reference = folder.path() / "reference.xls";
    Export(board.server.base(), reference, &status);
    const XlrdSheet want = ReadWithXlrd(reference);
    const XlrdSheet got = ReadWithXlrd(files[0]);
    ASSERT_GT(want.rows, 1);
    ASSERT_EQ(got.rows, want.rows);
    ASSERT_EQ(got.columns, 3);
    for (int r = 0; r < want.rows; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(got.At(r, c).value, want.At(r, c).value) << r << "," << c;
            EXPECT_EQ(got.At(r, c).type, want.At(r, c).type) << r << "," << c;
        }
    }
}

}  // namespace
}  // namespace vantrel
