#include "app/command_line.h"

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

TEST(CommandLine, UsageListsEveryOption) {
    const std::string usage = CommandLineUsage("vantrel");
    for (const CommandLineOption& option : CommandLineOptions()) {
        EXPECT_NE(usage.find(option.name), std::string::npos) << option.name;
    }
    EXPECT_NE(usage.find("--service-base URL"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
