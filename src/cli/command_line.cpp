#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "history/history_report.h"

namespace vantrel {
namespace {

// The form of the base is checked where it is put in force (SetServiceBase).
std::string ApplyServiceBase(CommandLine& line, std::string_view value) {
    if (value.empty()) return "--service-base needs a URL";
    line.serviceBase = std::string(value);
    return {};
}

std::string ApplyDemo(CommandLine& line, std::string_view value) {
    if (!value.empty() && value != "fallback") return "--demo takes no value but fallback";
    line.demo = true;
    line.demoFallback = value == "fallback";
    return {};
}

std::string ApplyVerbose(CommandLine& line, std::string_view) {
    line.verbose = true;
    return {};
}

bool IsSourceName(std::string_view value) {
    constexpr std::string_view kSources[] = {"weibo", "baidu", "toutiao", "douyin",
                                             "1",     "2",     "3",       "4"};
    return std::find(std::begin(kSources), std::end(kSources), value) != std::end(kSources);
}

std::string ApplyPrint(CommandLine& line, std::string_view value) {
    if (!IsSourceName(value)) {
        return "--print wants weibo, baidu, toutiao, douyin or 1-4, not " + std::string(value);
    }
    line.print = std::string(value);
    return {};
}

std::string ApplyStored(CommandLine& line, std::string_view) {
    line.stored = true;
    return {};
}

std::string ApplyHistory(CommandLine& line, std::string_view value) {
    if (!IsSourceName(value)) {
        return "--history wants weibo, baidu, toutiao, douyin or 1-4, not " + std::string(value);
    }
    line.history = std::string(value);
    return {};
}

std::string ApplySince(CommandLine& line, std::string_view value) {
    const std::optional<std::chrono::seconds> since = ParseHistoryDuration(value);
    if (!since) return "--since wants a positive number and m, h or d, like 90m, 24h or 7d";
    line.since = *since;
    return {};
}

std::string ApplyExport(CommandLine& line, std::string_view values) {
    const std::size_t split = values.find('\0');
    const std::string_view source = values.substr(0, split);
    const std::string_view file = values.substr(split + 1);
    if (!IsSourceName(source)) {
        return "--export wants weibo, baidu, toutiao, douyin or 1-4, not " + std::string(source);
    }
    if (file.empty()) return "--export needs a file name";
    line.exportSource = std::string(source);
    line.exportFile = std::string(file);
    return {};
}

std::string ApplyFormat(CommandLine& line, std::string_view value) {
    if (value != "json" && value != "tsv") return "--format wants tsv or json";
    line.json = value == "json";
    return {};
}

std::string ApplyTimeout(CommandLine& line, std::string_view value) {
    int seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size() || seconds < 1 ||
        seconds > 3600) {
        return "--timeout wants a number of seconds from 1 to 3600";
    }
    line.timeoutSeconds = seconds;
    return {};
}

std::string ApplyHelp(CommandLine& line, std::string_view) {
    line.help = true;
    return {};
}

// One value per word of the value name.
int ValueCount(const CommandLineOption* option) {
    if (option == nullptr || option->valueName.empty()) return 0;
    return 1 +
           static_cast<int>(std::count(option->valueName.begin(), option->valueName.end(), ' '));
}

std::string ApplyVersion(CommandLine& line, std::string_view) {
    line.version = true;
    return {};
}

// Options the toolkit reads from the same command line, with one or two
// leading dashes; the first group takes a value.
constexpr std::string_view kToolkitOptionsWithValue[] = {"platform",        "platformpluginpath",
                                                         "platformtheme",   "plugin",
                                                         "display",         "style",
                                                         "stylesheet",      "session",
                                                         "qwindowgeometry", "qwindowicon",
                                                         "qwindowtitle",    "geometry",
                                                         "title",           "name",
                                                         "visual",          "qmljsdebugger"};
constexpr std::string_view kToolkitSwitches[] = {"reverse", "widgetcount", "nograb", "dograb",
                                                 "sync"};

// How many arguments a toolkit option at argv[i] spans: 0 when it is none.
int ToolkitOptionSpan(std::string_view argument, bool valueFollows) {
    if (argument.size() < 2 || argument[0] != '-') return 0;
    std::string_view name = argument.substr(argument[1] == '-' ? 2 : 1);
    const bool joined = name.find('=') != std::string_view::npos;
    name = name.substr(0, name.find('='));
    for (std::string_view option : kToolkitOptionsWithValue) {
        if (name == option) return joined || !valueFollows ? 1 : 2;
    }
    for (std::string_view option : kToolkitSwitches) {
        if (name == option && !joined) return 1;
    }
    return 0;
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
         "leaves the machine (--demo=fallback: the documented list requests fail, so the lists "
         "come from the fallback requests)",
         &ApplyDemo, true},
        {"--print", "SOURCE",
         "write the list of SOURCE (weibo, baidu, toutiao, douyin or 1-4) to standard output "
         "as tab-separated UTF-8 and exit: 0 filled, 1 nothing to fill, 2 no answer; a filled "
         "list is stored, and its change column says how each row moved since the previous "
         "stored list (+n, -n, new)",
         &ApplyPrint},
        {"--stored", "",
         "with --print: the last list of SOURCE the program stored, without any request; the "
         "change column stays empty and the list's fetch time goes to standard error; exit 1 "
         "when none is stored",
         &ApplyStored},
        {"--history", "SOURCE",
         "write every topic of SOURCE seen in the stored lists of the last --since (title, "
         "first_seen, last_seen, best_rank, latest_rank, appearances) and exit: 0, or 1 when "
         "none was stored then",
         &ApplyHistory},
        {"--since", "DURATION", "with --history: like 90m, 24h (the default) or 7d", &ApplySince},
        {"--format", "FORMAT", "with --print or --history: tsv (the default) or json",
         &ApplyFormat},
        {"--export", "SOURCE FILE",
         "write the list of SOURCE as a spreadsheet (.xls) to FILE and exit: 0 filled, 1 nothing "
         "to fill (the file holds the header row), 2 no answer (no file), 3 the file could not "
         "be written",
         &ApplyExport},
        {"--timeout", "SECONDS",
         "give up on a service request after SECONDS of connecting or of silence (default 30)",
         &ApplyTimeout},
        {"--verbose", "",
         "with --print: also tell on standard error which request answered and the last failure",
         &ApplyVerbose},
        {"--help", "", "show this text and exit", &ApplyHelp},
        {"--version", "", "show the program's version and exit", &ApplyVersion},
    };
    return options;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc && line.error.empty(); ++i) {
        std::string_view argument = argv[i];
        if (const int span = ToolkitOptionSpan(argument, i + 1 < argc); span > 0) {
            i += span - 1;
            continue;
        }
        std::string_view name = argument;
        std::string_view value;
        bool joined = false;
        if (const auto equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            joined = true;
        }
        const CommandLineOption* option = FindOption(name);
        const int wanted = ValueCount(option);
        const int following = wanted - (joined ? 1 : 0);
        if (option == nullptr) {
            line.error = argument.starts_with('-')
                             ? "unknown option: " + std::string(argument)
                             : "unexpected argument: " + std::string(argument);
        } else if (wanted == 0 && joined && !option->optionalValue) {
            line.error = std::string(name) + " takes no value";
        } else if (following > 0 && i + following >= argc) {
            line.error = std::string(name) + " needs " + (wanted > 1 ? "values" : "a value") +
                         " (" + std::string(option->valueName) + ")";
        } else {
            std::string values(value);
            for (int k = 0; k < following; ++k) {
                if (k > 0 || joined) values += '\0';
                values += argv[++i];
            }
            line.error = option->apply(line, values);
        }
    }
    return line;
}

std::string VersionText() {
    return "vantrel " VANTREL_VERSION "\n";
}

std::string CommandLineUsage(std::string_view program) {
    std::string text = "Usage: " + std::string(program) + " [options]\n\nOptions:\n";
    for (const CommandLineOption& option : CommandLineOptions()) {
        std::string left = "  " + std::string(option.name);
        if (!option.valueName.empty()) left += " " + std::string(option.valueName);
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += left + std::string(option.help) + "\n";
    }
    text += "\nThe toolkit's own options (-platform, -display, -style, ...) are passed on to it.\n";
    return text;
}

}  // namespace vantrel
