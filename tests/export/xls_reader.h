#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

namespace vantrel::testing {

// Output of a shell command; the exit status through `status`.
inline std::string CommandOutput(const std::string& command, int* status = nullptr) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    const int rc = ::pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return text;
}

// A UTF-8 text as the cell values below show it.
inline std::string Quoted(std::string_view utf8) {
    return "\"" + std::string(utf8) + "\"";
}

// A cell as xlrd reads it: its type (1 text, 6 formatted but empty), the
// number format of its cell format and its value, quoted as a JSON string.
struct XlrdCell {
    int type = 0;
    std::string format;
    std::string value;
};

struct XlrdSheet {
    std::string sheetNames;
    int rows = -1;
    int columns = -1;
    std::map<std::pair<int, int>, XlrdCell> cells;

    const XlrdCell& At(int row, int column) const {
        static const XlrdCell kMissing;
        auto it = cells.find({row, column});
        return it == cells.end() ? kMissing : it->second;
    }
};

// Reads the first sheet with Debian's python3 and its xlrd (another python3
// first on the PATH may not have it); rows stays -1 when xlrd failed.
inline XlrdSheet ReadWithXlrd(const std::filesystem::path& file) {
    const std::string script = VANTREL_SOURCE_DIR "/tests/export/xls_cells.py";
    std::istringstream lines(
        CommandOutput("/usr/bin/python3 '" + script + "' '" + file.string() + "' 2>&1"));
    XlrdSheet sheet;
    std::string line;
    if (!std::getline(lines, line)) return sheet;
    std::istringstream head(line);
    std::string rows, columns;
    if (!std::getline(head, sheet.sheetNames, '\t') || !std::getline(head, rows, '\t') ||
        !std::getline(head, columns)) {
        return sheet;
    }
    sheet.rows = std::stoi(rows);
    sheet.columns = std::stoi(columns);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string r, c, type;
        XlrdCell cell;
        std::getline(fields, r, '\t');
        std::getline(fields, c, '\t');
        std::getline(fields, type, '\t');
        std::getline(fields, cell.format, '\t');
        std::getline(fields, cell.value);
        cell.type = std::stoi(type);
        sheet.cells[{std::stoi(r), std::stoi(c)}] = cell;
    }
    return sheet;
}

}  // namespace vantrel::testing
