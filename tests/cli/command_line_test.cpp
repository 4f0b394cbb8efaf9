#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vantrel");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, NoArgumentsStartsTheWindow) {
    const CommandLine line = Parse({});
    EXPECT_TRUE(line.error.empty());
    EXPECT_FALSE(line.help);
    EXPECT_TRUE(line.serviceBase.empty());
}

TEST(CommandLine, ServiceBaseTakesTheNextArgumentOrAnEqualsValue) {
    EXPECT_EQ(Parse({"--service-base", "http://127.0.0.1:9"}).serviceBase, "http://127.0.0.1:9");
    EXPECT_EQ(Parse({"--service-base=https://[::1]:8443"}).serviceBase, "https://[::1]:8443");
    const CommandLine both = Parse({"--help", "--service-base", "http://localhost"});
    EXPECT_TRUE(both.help);
    EXPECT_EQ(both.serviceBase, "http://localhost");
}

TEST(CommandLine, DemoIsASwitchBesideTheOthers) {
    const CommandLine line = Parse({"--demo", "--service-base=http://127.0.0.1:9"});
    EXPECT_TRUE(line.demo);
    EXPECT_EQ(line.serviceBase, "http://127.0.0.1:9");
    EXPECT_FALSE(Parse({}).demo);
    EXPECT_NE(Parse({"--demo=1"}).error, "");
    EXPECT_FALSE(line.demoFallback);
    const CommandLine fallback = Parse({"--demo=fallback", "--print", "weibo", "--verbose"});
    EXPECT_TRUE(fallback.demo && fallback.demoFallback && fallback.verbose);
    EXPECT_EQ(fallback.error, "");
}

TEST(CommandLine, PrintTakesASourceAndAFormat) {
    const CommandLine json = Parse({"--print", "baidu", "--format", "json"});
    EXPECT_EQ(json.error, "");
    EXPECT_EQ(json.print, "baidu");
    EXPECT_TRUE(json.json);
    const CommandLine tsv = Parse({"--format=json", "--print=4", "--format=tsv"});
    EXPECT_EQ(tsv.error, "");
    EXPECT_EQ(tsv.print, "4");
    EXPECT_FALSE(tsv.json);
    EXPECT_FALSE(Parse({"--print", "douyin"}).json);
    for (std::vector<const char*> bad : {std::vector<const char*>{"--print", "5"},
                                         {"--print", "Weibo"},
                                         {"--print"},
                                         {"--print", "weibo", "--format", "JSON"},
                                         {"--format"},
                                         {"--format=csv"}}) {
        EXPECT_NE(Parse(bad).error, "") << bad[0];
    }
}

TEST(CommandLine, TimeoutIsAWholeNumberOfSeconds) {
    EXPECT_EQ(Parse({"--timeout", "2"}).timeoutSeconds, 2);
    EXPECT_EQ(Parse({"--timeout=3600"}).timeoutSeconds, 3600);
    EXPECT_EQ(Parse({}).timeoutSeconds, 0);
    for (const char* bad : {"0", "-1", "3601", "2s", "", " 2", "1.5"}) {
        EXPECT_NE(Parse({"--timeout", bad}).error, "") << bad;
    }
}

TEST(CommandLine, MistakesAreErrorsNotGuesses) {
    EXPECT_NE(Parse({"--service-base"}).error, "");
    EXPECT_NE(Parse({"--service-base="}).error, "");
    EXPECT_NE(Parse({"--help=yes"}).error, "");
    EXPECT_NE(Parse({"--servicebase", "x"}).error, "");
    EXPECT_NE(Parse({"stray"}).error, "");
    // The value of an option is never read as an option of its own.
    EXPECT_EQ(Parse({"--service-base", "--help"}).help, false);
}

TEST(CommandLine, ExportTakesASourceAndAFile) {
    const CommandLine line = Parse({"--export", "baidu", "a b.xls", "--demo"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.exportSource, "baidu");
    EXPECT_EQ(line.exportFile, "a b.xls");
    EXPECT_TRUE(line.demo);
    const CommandLine joined = Parse({"--export=4", "--help"});
    EXPECT_EQ(joined.exportFile, "--help");  // a value, never an option
    EXPECT_FALSE(joined.help);
    EXPECT_NE(Parse({"--export", "baidu"}).error, "");
    EXPECT_NE(Parse({"--export", "qq", "f.xls"}).error, "");
    EXPECT_NE(Parse({"--export", "1", ""}).error, "");
}

TEST(CommandLine, ToolkitOptionsArePassedOverWithTheirValues) {
    const CommandLine line = Parse({"-platform", "offscreen", "--demo", "-style=fusion",
                                    "--display", ":3", "-reverse", "--version"});
    EXPECT_EQ(line.error, "");
    EXPECT_TRUE(line.demo);
    EXPECT_TRUE(line.version);
    // The value of a toolkit option is never read as one of ours.
    EXPECT_FALSE(Parse({"-style", "--demo"}).demo);
    EXPECT_NE(Parse({"-platforms", "xcb"}).error, "");
    EXPECT_NE(Parse({"-reverse=1"}).error, "");
    EXPECT_NE(Parse({"-demo"}).error, "");
}

TEST(CommandLine, UsageListsEveryOption) {
    const std::string usage = CommandLineUsage("vantrel");
    for (const CommandLineOption& option : CommandLineOptions()) {
        EXPECT_NE(usage.find(option.name), std::string::npos) << option.name;
    }
    EXPECT_NE(usage.find("--service-base URL"), std::string::npos);
    EXPECT_NE(usage.find("--export SOURCE FILE"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
