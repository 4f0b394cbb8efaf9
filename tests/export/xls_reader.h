#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// What the records of a file say about it, as tests/export/xls_records.py
// prints it: DIMENSIONS, the shared string table's counts and the EXTSST
// index, each bucket with whether its offsets hold and the string they find.
struct XlsRecords {
    std::vector<long> dimensions;    // first row, last row + 1, first column, last column + 1, size
    std::vector<long> sst;           // cells, strings
    std::vector<long> sstWalk;       // strings read in turn, strings a strict reader trips on
    std::vector<long> compound;      // major version, mini stream cutoff, Workbook stream size
    std::vector<std::string> fonts;  // name:height:weight:colour:styles:... (xls_records.py)
    int bucketSize = -1;
    int buckets = -1;
    std::vector<std::pair<bool, std::string>> bucketStrings;  // string quoted as JSON
};

inline XlsRecords ReadRecords(const std::filesystem::path& file) {
    const std::string script = VANTREL_SOURCE_DIR "/tests/export/xls_records.py";
    std::istringstream lines(
        CommandOutput("/usr/bin/python3 '" + script + "' '" + file.string() + "' 2>&1"));
    XlsRecords records;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "dimensions" || kind == "sst" || kind == "compound" || kind == "sst_walk") {
            auto& values = kind == "sst"        ? records.sst
                           : kind == "compound" ? records.compound
                           : kind == "sst_walk" ? records.sstWalk
                                                : records.dimensions;
            for (long value; fields >> value;)
                values.push_back(value);
        } else if (kind == "fonts") {
            for (std::string font; fields >> font;)
                records.fonts.push_back(font);
        } else if (kind == "extsst") {
            fields >> records.bucketSize >> records.buckets;
        } else if (kind == "bucket") {
            int index = 0, right = 0;
            fields >> index >> right;
            std::string text;
            std::getline(fields >> std::ws, text);
            records.bucketStrings.emplace_back(right == 1, text);
        }
    }
    return records;
}

}  // namespace vantrel::testing
