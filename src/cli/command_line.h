#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What the command line asked for. Without options the program starts its
// window as usual.
struct CommandLine {
    std::string
        serviceBase;    // "scheme://host[:port]" every service request goes to; empty: real hosts
    bool demo = false;  // serve built-in sample answers from a loopback server inside the program
    bool demoFallback = false;  // --demo=fallback: the demo fails every documented list request
    std::string print;          // --print SOURCE: write the list to standard output, no window
    bool stored = false;        // with --print: the last stored list, no request
    std::string history;        // --history SOURCE: the topics stored over `since`, no window
    std::chrono::seconds since{24 * 3600};  // --since DURATION
    bool json = false;                      // --format json instead of tab-separated lines
    bool verbose = false;                   // with --print: the source's health to standard error
    std::string exportSource;  // --export SOURCE FILE: write the list as a spreadsheet, no window
    std::string exportFile;
    int timeoutSeconds = 0;  // --timeout: of every service request; 0 keeps the default
    bool help = false;
    bool version = false;
    std::string error;  // set when the arguments could not be read; the program then stops
};

// One option the parser knows. To add an option, add a field above and a row
// to the table in command_line.cpp.
struct CommandLineOption {
    std::string_view name;       // "--service-base"
    std::string_view valueName;  // "URL"; empty for a switch without value; one word per value
    std::string_view help;
    // Stores the value (empty for a switch; several values separated by a zero
    // byte, which no argument can hold); returns an error text, empty when it
    // is accepted.
    std::string (*apply)(CommandLine& line, std::string_view value);
    bool optionalValue = false;  // a switch that may take "=VALUE"
};

const std::vector<CommandLineOption>& CommandLineOptions();

// Reads argv[1..argc-1]. Values follow their option ("--service-base URL") or
// are joined to it with "=" ("--service-base=URL"). The toolkit's own options
// ("-platform xcb", "-display :1", "-style fusion" and the like) are passed
// over, value and all, and left for the toolkit to read.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The line --version prints: the program's name and version.
std::string VersionText();

// The usage text that --help prints.
std::string CommandLineUsage(std::string_view program);

}  // namespace vantrel
