#include "app/command_line.h"

#include <algorithm>

namespace vantrel {
namespace {

// The form of the base is checked where it is put in force (SetServiceBase).
std::string ApplyServiceBase(CommandLine& line, std::string_view value) {
    if (value.empty()) return "--service-base needs a URL";
    line.serviceBase = std::string(value);
    return {};
}

std::string ApplyDemo(CommandLine& line, std::string_view) {
    line.demo = true;
    return {};
}

std::string ApplyPrint(CommandLine& line, std::string_view value) {
    constexpr std::string_view kSources[] = {"weibo", "baidu", "toutiao", "douyin",
                                             "1",     "2",     "3",       "4"};
    for (std::string_view source : kSources) {
        if (value == source) {
            line.print = std::string(value);
            return {};
        }
    }
    return "--print wants weibo, baidu, toutiao, douyin or 1-4, not " + std::string(value);
}

std::string ApplyFormat(CommandLine& line, std::string_view value) {
    if (value != "json" && value != "tsv") return "--format wants tsv or json";
    line.json = value == "json";
    return {};
}

std::string ApplyHelp(CommandLine& line, std::string_view) {
    line.help = true;
    return {};
}

const CommandLineOption* FindOption(std::string_view name) {
    for (const CommandLineOption& option : CommandLineOptions()) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

}  // namespace

const std::vector<CommandLineOption>& CommandLineOptions() {
    static const std::vector<CommandLineOption> options = {
        {"--service-base", "URL",
         "send every service request to URL (scheme, host and port) instead of the services' "
         "own hosts",
         &ApplyServiceBase},
        {"--demo", "",
         "show built-in sample lists served from a loopback server inside the program; nothing "
         "leaves the machine",
         &ApplyDemo},
        {"--print", "SOURCE",
         "write the list of SOURCE (weibo, baidu, toutiao, douyin or 1-4) to standard output "
         "as tab-separated UTF-8 and exit: 0 filled, 1 nothing to fill, 2 no answer",
         &ApplyPrint},
        {"--format", "FORMAT", "with --print: tsv (the default) or json", &ApplyFormat},
        {"--help", "", "show this text and exit", &ApplyHelp},
    };
    return options;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc && line.error.empty(); ++i) {
        std::string_view argument = argv[i];
        std::string_view name = argument;
        std::string_view value;
        bool joined = false;
        if (const auto equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            joined = true;
        }
        const CommandLineOption* option = FindOption(name);
        if (option == nullptr) {
            line.error = "unknown option: " + std::string(argument);
        } else if (option->valueName.empty() && joined) {
            line.error = std::string(name) + " takes no value";
        } else if (!option->valueName.empty() && !joined && i + 1 >= argc) {
            line.error =
                std::string(name) + " needs a value (" + std::string(option->valueName) + ")";
        } else {
            if (!option->valueName.empty() && !joined) value = argv[++i];
            line.error = option->apply(line, value);
        }
    }
    return line;
}

std::string CommandLineUsage(std::string_view program) {
    std::string text = "Usage: " + std::string(program) + " [options]\n\nOptions:\n";
    for (const CommandLineOption& option : CommandLineOptions()) {
        std::string left = "  " + std::string(option.name);
        if (!option.valueName.empty()) left += " " + std::string(option.valueName);
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += left + std::string(option.help) + "\n";
    }
    return text;
}

}  // namespace vantrel
