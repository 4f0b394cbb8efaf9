#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "settings/temp_folder.h"
#include "support/child_process.h"
#include "support/session_bus.h"
#include "support/x_session.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kProgram = VANTREL_BINARY_DIR "/vantrel";

// The built program on the test's X server, with rules of its own and a
// private session bus that a recording notification service listens on.
class ProgramAlerts : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
        std::string why;
        if (!bus_.Start(why)) GTEST_SKIP() << why;
        fs::create_directories(Config());
    }
    void TearDown() override {
        if (pid_ > 0) test::StopProcess(pid_, SIGTERM, 5000);
    }

    fs::path Config() const { return folder_.path() / "config" / "vantrel"; }
    fs::path Log() const { return folder_.path() / "notify.jsonl"; }
    fs::path ErrorLog() const { return folder_.path() / "stderr.txt"; }

    void Start() {
        pid_ = test::StartProcess({kProgram, "--demo"},
                                  {"XDG_CONFIG_HOME=" + (folder_.path() / "config").string(),
                                   "XDG_DATA_HOME=" + (folder_.path() / "data").string(),
                                   "DBUS_SESSION_BUS_ADDRESS=" + bus_.Address(), "QT_QPA_PLATFORM"},
                                  -1, ErrorLog().string());
    }

    testing::TempFolder folder_;
    test::SessionBus bus_;
    pid_t pid_ = -1;
};

TEST_F(ProgramAlerts, TheShownListAndAWatchedOneEachSendOneNotice) {
    std::string why;
    if (!bus_.StartNotificationServer(Log().string(), why)) GTEST_SKIP() << why;
    testing::WriteFile(Config() / "rules.json", R"({"rules": [
        {"name": "春运", "words": ["春运"], "sources": ["weibo"], "notify": true},
        {"name": "降雪", "words": ["降雪", "寒潮"], "sources": ["baidu"], "notify": true},
        {"name": "只上色", "words": ["奶茶"]}]})");
    Start();
    ASSERT_TRUE(test::WaitUntil(30000, [&] {
        return test::NotifyCalls(Log().string()).size() >= 2;
    })) << test::ShellOutput("cat '" + ErrorLog().string() + "'");
    const std::vector<json> records = test::NotifyCalls(Log().string());
    ASSERT_EQ(records.size(), 2u);
    // The shown list (Weibo at a first start) comes first, then the watched Baidu list.
    EXPECT_EQ(records[0]["summary"], "热点提醒 · 微博");
    EXPECT_EQ(records[0]["body"], "第1名 · 高铁春运首日售票破千万张");
    EXPECT_EQ(records[0]["app_icon"], "org.vantrel.Vantrel");
    EXPECT_EQ(records[1]["summary"], "热点提醒 · 百度");
    EXPECT_EQ(records[1]["body"], "第1名 · 北方大范围降雪来袭");
    EXPECT_NE(testing::ReadFile(folder_.path() / "data" / "vantrel" / "notified-titles.json")
                  .find("北方大范围降雪来袭"),
              std::string::npos);
}

TEST_F(ProgramAlerts, ABrokenRulesFileIsKeptAsideAndTheWindowRunsWithoutService) {
    const std::string broken = "{\"rules\": [{\"name\": \"半截\", \"words\": [\"春运\"";
    testing::WriteFile(Config() / "rules.json", broken);
    Start();
    const auto kept = [&] {
        for (const auto& entry : fs::directory_iterator(Config())) {
            if (entry.path().filename().string().rfind("rules.json.broken-", 0) == 0)
                return entry.path();
        }
        return fs::path();
    };
    ASSERT_TRUE(test::WaitUntil(20000, [&] { return !kept().empty(); }));
    EXPECT_EQ(testing::ReadFile(kept()), broken);
    EXPECT_FALSE(fs::exists(Config() / "rules.json"));
    // No notification service on the bus: the program keeps running and says why no rules.
    ASSERT_TRUE(test::WaitUntil(10000, [&] {
        return testing::ReadFile(ErrorLog()).find("现在不使用任何规则") != std::string::npos;
    }));
    ::usleep(500 * 1000);
    EXPECT_EQ(::kill(pid_, 0), 0);
}

}  // namespace
}  // namespace vantrel
