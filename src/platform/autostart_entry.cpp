#include "platform/autostart_entry.h"

#include <system_error>

#include "platform/atomic_file.h"
#include "platform/user_folders.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside the quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

fs::path EntryPath(const fs::path& folder) {
    return folder / (std::string(AUTORUN_NAME) + ".desktop");
}

// The value of a string key: a backslash is itself escaped, and control
// characters become their escapes, so the value stays on one line.
std::string EscapeStringValue(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

fs::path AutostartFolder() {
    return ConfigHome() / "autostart";
}

fs::path ProgramPath() {
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : path;
}

std::string QuoteExecArgument(std::string_view argument) {
    std::string quoted;
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    if (needsQuotes) quoted += '"';
    for (char c : argument) {
        // A percent sign would start a field code.
        if (c == '%') {
            quoted += "%%";
            continue;
        }
        if (needsQuotes && kEscapedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
        quoted += c;
    }
    if (needsQuotes) quoted += '"';
    return EscapeStringValue(quoted);
}

std::string AutostartEntry(const fs::path& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Vantrel\n"
           "Comment=Hot-search lists on the desktop\n"
           "Exec=" +
           QuoteExecArgument(executable.string()) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool RegisterAutorun(const fs::path& executable, const fs::path& folder) {
    std::error_code ec;
    if (executable.empty() || !executable.is_absolute() || !fs::is_regular_file(executable, ec))
        return false;
    return ReplaceFile(EntryPath(folder), AutostartEntry(executable), 0644);
}

bool UnregisterAutorun(const fs::path& folder) {
    std::error_code ec;
    fs::remove(EntryPath(folder), ec);
    return !ec;
}

}  // namespace vantrel
